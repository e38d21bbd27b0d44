#pragma once
// The web view's gatekeeping, as plain functions: which Host and Origin
// headers are ours, the session cookie, the token compare, and how often an
// address may try a token.
#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sondaro::web {

// Compares in time that depends only on the lengths, not on where the texts
// differ.
[[nodiscard]] bool SameSecret(std::string_view a, std::string_view b);

// "name", "name:port", "[v6]:port" -> lower-case name and port (-1: none).
// False when the text is not a host.
[[nodiscard]] bool SplitHost(std::string_view host, std::string& name, int& port);

// The Host header names one of `names` (compared without case; IPv6
// without brackets) and our port (a missing port stands for 80).
[[nodiscard]] bool HostAllowed(std::string_view host, const std::vector<std::string>& names, int port);
// An Origin header ("http://name:port") of our own page; "null" and other
// schemes are foreign.
[[nodiscard]] bool OriginAllowed(std::string_view origin, const std::vector<std::string>& names,
                                 int port);

// The value of cookie `name` in a Cookie header; empty when absent.
[[nodiscard]] std::string CookieValue(std::string_view header, std::string_view name);
// The token of "Authorization: Bearer <token>"; empty when absent.
[[nodiscard]] std::string BearerToken(std::string_view header);

// Failed token tries per address: after kMaxTries within kWindow the address
// must wait until the window has passed; while more than kMaxAddresses
// addresses have failed, new ones are refused too.
class LoginLimiter {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kMaxTries = 10;
  static constexpr std::chrono::seconds kWindow{60};
  static constexpr std::size_t kMaxAddresses = 4096;
  [[nodiscard]] bool Allowed(const std::string& address, Clock::time_point now);
  void Failed(const std::string& address, Clock::time_point now);

 private:
  struct Tries {
    Clock::time_point Since;
    int Count = 0;
  };
  void Forget(Clock::time_point now);
  std::map<std::string, Tries> tries_;
};

}  // namespace sondaro::web
