#include "automation/socket_lines.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/text.h"

namespace sondaro {

namespace {

constexpr char kBackspace = '\b';
constexpr std::string_view kEscape = "+++\r";

// Applies backspaces from `from` on: each one deletes itself and the
// character before it, or only itself at the very start. One pass, so a
// flood of backspaces costs no more than its length.
void ApplyBackspaces(std::string& text, std::size_t from) {
  std::size_t out = from;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] != kBackspace) text[out++] = text[i];
    else if (out > 0) --out;
  }
  text.resize(out);
}

// Takes every "+++" CR out of `text`, looking from `from` on; true if there
// was one.
bool TakeEscapes(std::string& text, std::size_t from) {
  std::size_t at = text.find(kEscape, from);
  if (at == std::string::npos) return false;
  std::string out = text.substr(0, at);
  while (at != std::string::npos) {
    const std::size_t next = text.find(kEscape, at + kEscape.size());
    out.append(text, at + kEscape.size(),
               (next == std::string::npos ? text.size() : next) - at - kEscape.size());
    at = next;
  }
  text = std::move(out);
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

// "METHOD target HTTP/x": an upper-case word, a blank, a target without
// blanks, a blank and "HTTP/".
bool IsRequestLine(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && std::isupper(static_cast<unsigned char>(s[i]))) ++i;
  if (i < 3 || i >= s.size() || s[i] != ' ') return false;
  const std::size_t target = i + 1;
  const std::size_t blank = s.find(' ', target);
  if (blank == std::string_view::npos || blank == target) return false;
  return s.substr(blank + 1, 5) == "HTTP/";
}

// The headers every browser request carries, and then some.
constexpr std::array<std::string_view, 16> kHeaders = {
    "Host:",           "Origin:",          "Referer:",         "User-Agent:",
    "Accept:",         "Accept-Encoding:", "Accept-Language:", "Content-Type:",
    "Content-Length:", "Connection:",      "Cookie:",          "Upgrade:",
    "Cache-Control:",  "Pragma:",          "Authorization:",   "Sec-"};

bool IsHeader(std::string_view s) {
  for (std::string_view h : kHeaders)
    if (StartsWithNoCase(s, h)) return true;
  return false;
}

}  // namespace

ClientLines::Result ClientLines::Feed(std::string_view chunk) {
  Result r;
  if (chunk.empty()) return r;
  const std::size_t before = partial_.size();
  partial_ += chunk;
  if (const auto bs = partial_.find(kBackspace, before); bs != std::string::npos)
    ApplyBackspaces(partial_, bs);
  // An escape may have begun in the text that was already here.
  r.Escape = TakeEscapes(partial_, before < 3 ? 0 : before - 3);
  std::size_t start = 0;
  for (std::size_t cr = partial_.find('\r'); cr != std::string::npos;
       cr = partial_.find('\r', start)) {
    const std::size_t length = cr - start;
    if (discarding_ || length > kSocketInputLimit) {
      r.Dropped = r.Dropped || !discarding_;
      discarding_ = false;
    } else {
      r.Lines.push_back(partial_.substr(start, length));
    }
    start = cr + 1;
  }
  partial_.erase(0, start);
  if (partial_.size() > kSocketInputLimit) {
    r.Dropped = r.Dropped || !discarding_;
    discarding_ = true;
    // The last characters stay, so "+++" and a CR in the next arrival still
    // stop a script.
    partial_.erase(0, partial_.size() - 3);
  }
  return r;
}

bool LooksLikeHttp(std::string_view line) {
  std::size_t start = 0;
  while (start <= line.size()) {
    const std::size_t lf = std::min(line.find('\n', start), line.size());
    const std::string_view s = TrimView(line.substr(start, lf - start));
    if (IsRequestLine(s) || IsHeader(s)) return true;
    start = lf + 1;
  }
  return false;
}

bool ConstantTimeEquals(std::string_view a, std::string_view b) {
  const std::size_t n = std::max(a.size(), b.size());
  unsigned diff = a.size() == b.size() ? 0u : 1u;
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0u;
    const auto y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0u;
    diff |= x ^ y;
  }
  return diff == 0;
}

}  // namespace sondaro
