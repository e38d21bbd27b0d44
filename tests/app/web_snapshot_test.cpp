// The web view's JSON texts and log.
#include "app/web_snapshot.h"

#include <gtest/gtest.h>

namespace sondaro {
namespace {

TEST(WebSnapshot, ProgramTextBecomesAValidJsonString) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"RADIO 1", "\"RADIO 1\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"line\nnext\r", "\"line\\nnext\\u000d\""},
      {std::string("\x01\x7f", 2), "\"\\u0001\\u007f\""},
      {"Caf\xe9 \xb0", "\"Caf\xc3\xa9 \xc2\xb0\""},  // Latin-1 to UTF-8
      {"</script>", "\"</script>\""},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonText(c.in), c.out) << c.in;
}

TEST(WebSnapshot, LogKeepsTheLastLinesWithoutRepeats) {
  WebLog log;
  log.Add("10:00:00", "");
  log.Add("10:00:01", "Connected");
  log.Add("10:00:02", "Connected");
  EXPECT_EQ(log.Json(), "{\"lines\":[\"10:00:01  Connected\"]}");
  for (std::size_t i = 0; i < WebLog::kLines + 5; ++i) log.Add("t", "line " + std::to_string(i));
  EXPECT_EQ(log.Size(), WebLog::kLines);
  EXPECT_NE(log.Json().find("line 104"), std::string::npos);
  EXPECT_EQ(log.Json().find("Connected"), std::string::npos);
}

}  // namespace
}  // namespace sondaro
