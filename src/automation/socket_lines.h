#pragma once
// One socket control client's text on its way to complete lines, and the
// checks a line must pass before it may run.
#include <string>
#include <string_view>
#include <vector>

namespace sondaro {

// The most a client may have waiting: its unfinished line and its complete
// lines not yet run.
inline constexpr std::size_t kSocketInputLimit = 20000;

class ClientLines {
 public:
  struct Result {
    std::vector<std::string> Lines;  // complete lines, without their CR
    bool Escape = false;             // "+++" CR was sent (and taken out)
    bool Dropped = false;            // a line longer than the limit was thrown away
  };

  // Adds arrived text. Backspaces edit the text not yet handed out; every
  // "+++" CR is taken out; each CR ends a line.
  Result Feed(std::string_view chunk);
  // The unfinished line.
  [[nodiscard]] const std::string& Partial() const { return partial_; }

 private:
  std::string partial_;
  // The line being received has outgrown the limit: the rest of it, up to
  // its CR, is thrown away too.
  bool discarding_ = false;
};

// A line a web browser sends: an HTTP request line ("POST / HTTP/1.1") or a
// header such as "Host:" or "Origin:". LF characters inside count as line
// ends here.
[[nodiscard]] bool LooksLikeHttp(std::string_view line);

// Equality whose time depends only on the lengths, not on where the texts
// differ.
[[nodiscard]] bool ConstantTimeEquals(std::string_view a, std::string_view b);

}  // namespace sondaro
