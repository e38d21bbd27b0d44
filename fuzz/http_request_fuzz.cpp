// What a client sends the metrics endpoint, in arbitrary pieces: no answer
// before the head is complete or too long, then exactly one well-formed
// response whose length header matches what follows, with the metrics only
// for a GET of /metrics.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/metrics_http_server.h"

using namespace sondaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string kMetrics = "sondaro_up 1\n";
  const MetricsHttpServer::Body body = [] { return kMetrics; };
  const std::size_t limit = 512;  // small, so the fuzzer reaches it
  std::string received;
  std::optional<std::string> answer;
  for (std::size_t i = 0; i < size && !answer;) {
    const std::size_t n = 1 + data[i] % 29;
    received.append(reinterpret_cast<const char*>(data) + i, std::min(n, size - i));
    i += n;
    answer = HttpAnswer(received, limit, body);
  }
  if (!answer) {
    if (received.size() > limit || received.find("\r\n\r\n") != std::string::npos) std::abort();
    return 0;
  }
  const std::string& r = *answer;
  if (r.rfind("HTTP/1.1 ", 0) != 0) std::abort();
  const std::size_t headEnd = r.find("\r\n\r\n");
  if (headEnd == std::string::npos) std::abort();
  const std::size_t cl = r.find("Content-Length: ");
  if (cl == std::string::npos || cl > headEnd) std::abort();
  const std::size_t length = std::stoul(r.substr(cl + 16));
  const std::size_t after = r.size() - headEnd - 4;
  if (after != 0 && after != length) std::abort();
  const bool metrics = r.find("\r\n\r\n" + kMetrics) != std::string::npos;
  if (metrics && received.rfind("GET /metrics", 0) != 0) std::abort();
  return 0;
}
