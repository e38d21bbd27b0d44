// What a socket control client sends, in arbitrary chunks: line assembly
// must never hand out a line with a CR in it or longer than the limit, keep
// its unfinished line bounded, and (without backspaces or escapes, which
// edit only text not yet handed out) give the same lines however the text
// was cut. The first-line filters see every line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "automation/socket_lines.h"

using namespace sondaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  // Lines past the limit are cheap to make: the text repeated, when the
  // first byte says so.
  std::string input = text;
  if ((data[0] & 7) == 1 && !text.empty())
    while (input.size() <= kSocketInputLimit + 8) input += text;

  ClientLines chunked;
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < input.size();) {
    const std::size_t n = 1 + static_cast<unsigned char>(input[i]) % (64 + data[0]);
    const ClientLines::Result r = chunked.Feed(std::string_view(input).substr(i, n));
    i += n;
    for (const std::string& line : r.Lines) {
      if (line.find('\r') != std::string::npos || line.size() > kSocketInputLimit) std::abort();
      (void)LooksLikeHttp(line);
      if (!ConstantTimeEquals(line, line)) std::abort();
      lines.push_back(line);
    }
    if (chunked.Partial().size() > kSocketInputLimit) std::abort();
  }
  if (ConstantTimeEquals(text, text + "x")) std::abort();

  if (input.find('\b') == std::string::npos && input.find('\x7f') == std::string::npos &&
      input.find('+') == std::string::npos) {
    ClientLines whole;
    const ClientLines::Result r = whole.Feed(input);
    if (r.Lines != lines) std::abort();
    // A tail past the limit keeps only its last characters, as many as
    // were left after the last cut.
    const std::size_t cr = input.rfind('\r');
    const std::size_t tail = cr == std::string::npos ? input.size() : input.size() - cr - 1;
    if (tail <= kSocketInputLimit && whole.Partial() != chunked.Partial()) std::abort();
  }
  return 0;
}
