#include "platform/web/web_rules.h"

#include <algorithm>
#include <cctype>

namespace sondaro::web {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ReadPort(std::string_view digits, int& port) {
  if (digits.empty() || digits.size() > 5) return false;
  int v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < 1 || v > 65535) return false;
  port = v;
  return true;
}

}  // namespace

bool SameSecret(std::string_view a, std::string_view b) {
  // Walks the longer text whole, so the time tells only the lengths.
  const std::size_t n = std::max(a.size(), b.size());
  unsigned diff = a.size() == b.size() ? 0U : 1U;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0U;
    const unsigned y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0U;
    diff |= x ^ y;
  }
  return diff == 0;
}

bool SplitHost(std::string_view host, std::string& name, int& port) {
  host = Trim(host);
  port = -1;
  if (host.empty()) return false;
  std::string_view rest;
  if (host.front() == '[') {
    const std::size_t close = host.find(']');
    if (close == std::string_view::npos || close == 1) return false;
    name = Lower(host.substr(1, close - 1));
    rest = host.substr(close + 1);
  } else {
    const std::size_t colon = host.find(':');
    name = Lower(host.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view() : host.substr(colon);
    if (name.empty()) return false;
  }
  for (char c : name)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' || c == '_'))
      return false;
  if (rest.empty()) return true;
  if (rest.front() != ':') return false;
  return ReadPort(rest.substr(1), port);
}

bool HostAllowed(std::string_view host, const std::vector<std::string>& names, int port) {
  std::string name;
  int given = -1;
  if (!SplitHost(host, name, given)) return false;
  if ((given == -1 ? 80 : given) != port) return false;
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) {
    std::string allowed = Lower(n);
    if (allowed.size() > 2 && allowed.front() == '[' && allowed.back() == ']')
      allowed = allowed.substr(1, allowed.size() - 2);
    return !allowed.empty() && allowed == name;
  });
}

bool OriginAllowed(std::string_view origin, const std::vector<std::string>& names, int port) {
  constexpr std::string_view kScheme = "http://";
  origin = Trim(origin);
  if (origin.size() <= kScheme.size() || Lower(origin.substr(0, kScheme.size())) != kScheme)
    return false;
  std::string_view host = origin.substr(kScheme.size());
  if (!host.empty() && host.back() == '/') host.remove_suffix(1);
  if (host.find('/') != std::string_view::npos || host.find('@') != std::string_view::npos)
    return false;
  return HostAllowed(host, names, port);
}

std::string CookieValue(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    const std::size_t semi = header.find(';');
    const std::string_view pair = Trim(header.substr(0, semi));
    const std::size_t eq = pair.find('=');
    if (eq != std::string_view::npos && Trim(pair.substr(0, eq)) == name)
      return std::string(Trim(pair.substr(eq + 1)));
    if (semi == std::string_view::npos) break;
    header.remove_prefix(semi + 1);
  }
  return {};
}

std::string BearerToken(std::string_view header) {
  header = Trim(header);
  constexpr std::string_view kBearer = "bearer ";
  if (header.size() <= kBearer.size() || Lower(header.substr(0, kBearer.size())) != kBearer) return {};
  return std::string(Trim(header.substr(kBearer.size())));
}

void LoginLimiter::Forget(Clock::time_point now) {
  std::erase_if(tries_, [now](const auto& t) { return now - t.second.Since >= kWindow; });
}

bool LoginLimiter::Allowed(const std::string& address, Clock::time_point now) {
  Forget(now);
  const auto it = tries_.find(address);
  // A flood of addresses must not grow the table without end.
  if (it == tries_.end()) return tries_.size() < kMaxAddresses;
  return it->second.Count < kMaxTries;
}

void LoginLimiter::Failed(const std::string& address, Clock::time_point now) {
  Forget(now);
  if (tries_.size() >= kMaxAddresses && !tries_.contains(address)) return;
  ++tries_.try_emplace(address, Tries{now, 0}).first->second.Count;
}

}  // namespace sondaro::web
