// The command line: options, and the plain parameters that a first start
// runs as a script and a second start hands over.
#include <gtest/gtest.h>

#include "app/app_shell.h"
#include "ui/program.h"

namespace sondaro {
namespace {

TEST(ProgramOptions, PlainParametersAndTheirHandOff) {
  const struct {
    std::vector<std::string> Args;
    std::string Script;   // what a first start runs
    std::string HandOff;  // what a second start sends
  } cases[] = {
      {{}, "", ""},
      {{"job.fms"}, "job.fms", "job.fms "},
      {{"--headless", "job.fms", "--socket-port", "2323"}, "job.fms", "job.fms "},
      // More than one: nothing runs at a first start; all go over.
      {{"a.fms", "b.fms"}, "", "a.fms b.fms "},
      // A program name drops everything before it, itself included.
      {{"a.fms", "x.exe", "b.fms"}, "", "b.fms "},
      {{"a.fms", "X.EXE"}, "", ""},
  };
  for (const auto& c : cases) {
    const ProgramOptions o = ParseProgramOptions(c.Args);
    EXPECT_TRUE(o.Errors.empty()) << c.Args.size();
    EXPECT_EQ(o.ScriptFile, c.Script);
    EXPECT_EQ(HandOffText(o.Plain), c.HandOff);
  }
}

TEST(ProgramOptions, OptionErrorsStayErrors) {
  EXPECT_FALSE(ParseProgramOptions({"--socket-port"}).Errors.empty());
  EXPECT_FALSE(ParseProgramOptions({"--bogus", "job.fms"}).Errors.empty());
}

}  // namespace
}  // namespace sondaro
