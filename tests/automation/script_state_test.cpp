// Numbers, conditions, variables and the line searches of the interpreter.
#include <gtest/gtest.h>

#include "automation/script_state.h"
#include "core/formats.h"

namespace sondaro {
namespace {

// Runs a test body once with "." and once with "," as the system separator.
class WithSeparator : public ::testing::TestWithParam<char> {
 protected:
  void SetUp() override {
    saved_ = Formats().DecimalSeparator;
    Formats().DecimalSeparator = GetParam();
  }
  void TearDown() override { Formats().DecimalSeparator = saved_; }
  // "1.61" written with the system separator.
  std::string Sys(std::string s) const {
    for (char& c : s)
      if (c == '.') c = GetParam();
    return s;
  }
  ScriptState s;

 private:
  char saved_ = '.';
};

INSTANTIATE_TEST_SUITE_P(Separators, WithSeparator, ::testing::Values('.', ','));

TEST_P(WithSeparator, StrToNumberKeepsSignDigitsAndSeparators) {
  struct Case {
    const char* text;
    double number;
    int decimals;
  } cases[] = {
      {"98.50 MHz", 98.5, 2},
      {"98,50", 98.5, 2},
      {" 54 dBuV", 54, 0},
      {"-3.5", -3.5, 1},
      {"+7", 7, 0},
      {"a-3", 3, 0},        // a sign counts only as the very first character
      {"-x3", -3, 0},
      {"12.", 12, 0},
      {".5", 0.5, 1},
      {"abc", -1, 0},       // nothing numeric
      {"", -1, 0},
      {"-", -1, 0},
      {",", -1, 0},
      {"1.2.3", -1, 3},     // two separators do not convert; decimals still counted
      {"-.", -1, 0},
      {"1e5", 15, 0},       // letters are dropped, not read as an exponent
      {"%frequency", -1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(s.StrToNumber(c.text), c.number) << c.text;
    EXPECT_EQ(s.LastDecimals, c.decimals) << c.text;
  }
}

TEST_P(WithSeparator, ValidComparesNumbersWithTheLastOperatorFound) {
  struct Case {
    const char* condition;
    bool valid;
  } cases[] = {
      {"", true},
      {"   ", true},
      {"1<", false},          // shorter than three characters
      {"4>3", true},
      {"2>3", false},
      {"4 > 3", true},        // blanks removed
      {"3<=3", true},
      {"4<=3", false},
      {"3>=3", true},
      {"3!=3", false},
      {"3!=4", true},
      {"3=3.0", true},
      {"abc=xyz", true},      // both sides are -1
      {"abc", false},         // no operator
      {"=3=3", false},        // the first "=" is the first character: no operator
      {"<3", false},
      {"98.5 MHz>98,4", true},
      {"0.1=0.100000001", true},  // equal in single precision
  };
  for (const Case& c : cases) EXPECT_EQ(s.Valid(c.condition), c.valid) << c.condition;
  // "=" is tested after ">", so "12>2=12" splits at "=": 122 = 12 is false,
  // while "2>2=22" is 22 = 22.
  EXPECT_FALSE(s.Valid("12>2=12"));
  EXPECT_TRUE(s.Valid("2>2=22"));
}

TEST_P(WithSeparator, SetAndIncFollowTheDecimalsOfTheirOperands) {
  s.SetVariable("count");
  EXPECT_EQ(s.FindVariable("COUNT")->Value, "0");
  s.IncVariable("count");
  EXPECT_EQ(s.FindVariable("count")->Value, "1");
  s.IncVariable("COUNT,0.5");
  EXPECT_EQ(s.FindVariable("count")->Value, Sys("1.5"));
  s.IncVariable("count,0.111");  // two decimals at most
  EXPECT_EQ(s.FindVariable("count")->Value, Sys("1.61"));
  s.IncVariable("count,-1,61");  // value after the first comma: "-1,61"
  EXPECT_EQ(s.FindVariable("count")->Value, Sys("0.00"));
  s.IncVariable("count,-2");
  EXPECT_EQ(s.FindVariable("count")->Value, Sys("-2.00"));

  struct Case {
    const char* start;
    const char* increment;
    const char* result;
  } cases[] = {
      {"9", "1", "10"},
      {"1.25", "1", "2.25"},
      {"123456.78", "0", "123456.80"},  // 7 significant digits, padded to 2 decimals
      {"9999999", "0", "9999999"},
      {"99999999", "1", "1E8"},          // past 7 integer digits: exponent
      {"abc", "1", "0"},                 // text counts as -1
      {"1", "x", "0"},
  };
  for (const Case& c : cases) {
    s.SetVariableValue("v", c.start);
    s.IncVariable(std::string("v,") + c.increment);
    EXPECT_EQ(s.FindVariable("v")->Value, Sys(c.result)) << c.start << " + " << c.increment;
  }
}

TEST(ScriptVariables, NamesAreUpperCaseValuesKeepCommasUnknownIncDoesNothing) {
  ScriptState s;
  s.SetVariable("path,a,b, c");
  EXPECT_EQ(s.FindVariable("PATH")->Value, "a,b, c");
  s.SetVariable(",5");  // empty name
  s.IncVariable("unknown");
  s.IncVariable(",3");
  ASSERT_EQ(s.Variables.size(), 1u);
  s.SetVariable("Path,x");
  ASSERT_EQ(s.Variables.size(), 1u);
  EXPECT_EQ(s.Variables[0].Name, "PATH");
  EXPECT_EQ(s.Variables[0].Value, "x");
}

TEST(ScriptSearch, FindLineMatchesTheBeginningOfLinesLongerThanOneCharacter) {
  ScriptState s;
  s.ScriptLines = {"start:", "loop: measure again", "L", "LOOP:", "x", "end:"};
  struct Case {
    const char* text;
    int first;
    int line;
  } cases[] = {
      {"loop:", 1, 2}, {"LOOP:", 3, 4}, {"end:", 1, 6}, {"missing:", 1, 0},
      {":", 1, 0},     {"", 1, 0},      {"L", 1, 2},    {"x", 1, 0},  // "x" is one character
      {"start:", 2, 0}, {"loop:", 0, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(s.FindLine(c.text, c.first), c.line) << c.text;
}

TEST(ScriptSearch, FindEndIfSkipsNestedBlocks) {
  ScriptState s;
  s.ScriptLines = {
      "IF(%quality>3)",  // 1
      "  ignored",       // 2
      "if (a=b)",        // 3 nested, "IF " form
      "IF(1=1)",         // 4 nested
      "ENDIF",           // 5 closes 4
      "End If",          // 6 closes 3
      "SEND(?F)",        // 7
      "endif",           // 8 closes 1
      "ENDIF",           // 9
  };
  EXPECT_EQ(s.FindEndIf(2), 8);
  EXPECT_EQ(s.FindEndIf(4), 6);
  EXPECT_EQ(s.FindEndIf(5), 5);
  EXPECT_EQ(s.FindEndIf(9), 9);
  s.ScriptLines = {"IF(1)", "IF(2)", "ENDIF"};
  EXPECT_EQ(s.FindEndIf(2), 0);  // the inner block takes the only ENDIF
}

}  // namespace
}  // namespace sondaro
