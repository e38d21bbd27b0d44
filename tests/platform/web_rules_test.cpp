// The web view's gatekeeping: which Host and Origin headers are ours, the
// session cookie, the token compare and the limit on token tries.
#include "platform/web/web_rules.h"

#include <gtest/gtest.h>

namespace sondaro::web {
namespace {

TEST(WebRules, HostHeaderMustNameUsAndOurPort) {
  const std::vector<std::string> names = {"127.0.0.1", "localhost", "::1", "Site-A.example"};
  const struct {
    const char* host;
    bool allowed;
  } cases[] = {
      {"127.0.0.1:8080", true},
      {"LOCALHOST:8080", true},
      {"[::1]:8080", true},
      {"site-a.example:8080", true},
      {"127.0.0.1", false},  // port 80 is not ours
      {"127.0.0.1:8081", false},
      {"evil.example:8080", false},  // DNS rebinding: the attacker's name
      {"localhost.evil.example:8080", false},
      {"127.0.0.1:8080:1", false},
      {"[::1:8080", false},
      {"127.0.0.1:99999", false},
      {"", false},
      {"127.0.0.1@evil:8080", false},
  };
  for (const auto& c : cases) EXPECT_EQ(HostAllowed(c.host, names, 8080), c.allowed) << c.host;
  EXPECT_TRUE(HostAllowed("site-a.example", names, 80));
}

TEST(WebRules, OriginMustBeOurOwnPage) {
  const std::vector<std::string> names = {"127.0.0.1"};
  EXPECT_TRUE(OriginAllowed("http://127.0.0.1:8080", names, 8080));
  for (const char* foreign : {"http://evil.example:8080", "null", "https://127.0.0.1:8080",
                              "http://127.0.0.1:8080/x/y", "http://u@127.0.0.1:8080", "127.0.0.1:8080"})
    EXPECT_FALSE(OriginAllowed(foreign, names, 8080)) << foreign;
}

TEST(WebRules, CookieAndBearerToken) {
  EXPECT_EQ(CookieValue("a=1; sondaro_session=abc ; b=2", "sondaro_session"), "abc");
  EXPECT_EQ(CookieValue("xsondaro_session=abc", "sondaro_session"), "");
  EXPECT_EQ(CookieValue("", "sondaro_session"), "");
  EXPECT_EQ(BearerToken("Bearer  tok en"), "tok en");
  EXPECT_EQ(BearerToken("bearer x"), "x");
  EXPECT_EQ(BearerToken("Basic x"), "");
  EXPECT_EQ(BearerToken("Bearer "), "");
}

TEST(WebRules, SecretsCompareWhole) {
  EXPECT_TRUE(SameSecret("token", "token"));
  EXPECT_FALSE(SameSecret("token", "tokem"));
  EXPECT_FALSE(SameSecret("token", "token2"));
  EXPECT_FALSE(SameSecret("", "x"));
  EXPECT_FALSE(SameSecret(std::string("a\0b", 3), "a"));
}

TEST(WebRules, TokenTriesAreLimitedPerAddressForAMinute) {
  LoginLimiter limiter;
  const auto t0 = LoginLimiter::Clock::time_point{} + std::chrono::hours(1);
  for (int i = 0; i < LoginLimiter::kMaxTries; ++i) {
    EXPECT_TRUE(limiter.Allowed("10.0.0.1", t0));
    limiter.Failed("10.0.0.1", t0);
  }
  EXPECT_FALSE(limiter.Allowed("10.0.0.1", t0 + std::chrono::seconds(59)));
  EXPECT_TRUE(limiter.Allowed("10.0.0.2", t0));
  EXPECT_TRUE(limiter.Allowed("10.0.0.1", t0 + LoginLimiter::kWindow));
}

TEST(WebRules, AFloodOfAddressesCannotGrowTheTable) {
  LoginLimiter limiter;
  const auto t0 = LoginLimiter::Clock::time_point{} + std::chrono::hours(1);
  for (std::size_t i = 0; i < LoginLimiter::kMaxAddresses; ++i) limiter.Failed("a" + std::to_string(i), t0);
  EXPECT_FALSE(limiter.Allowed("new", t0));
  EXPECT_TRUE(limiter.Allowed("a1", t0));
  EXPECT_TRUE(limiter.Allowed("new", t0 + LoginLimiter::kWindow));
}

}  // namespace
}  // namespace sondaro::web
