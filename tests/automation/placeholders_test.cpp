// The placeholder chain: order, overlaps, numeric forms, user variables.
#include <gtest/gtest.h>

#include "automation/placeholders.h"
#include "core/formats.h"

namespace sondaro {
namespace {

class Placeholders : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = Formats().DecimalSeparator; }
  void TearDown() override { Formats().DecimalSeparator = saved_; }
  std::string Replace(const std::string& text) {
    ScriptState numbers;
    const PlaceholderSources s{r, vars, wall,
                               [this](int selector, long long station) {
                                 return "S" + std::to_string(station) + "." +
                                        std::to_string(selector);
                               },
                               [&numbers](std::string_view t) { return numbers.StrToNumber(t); }};
    PlaceholderResult out = ReplacePlaceholders(text, s);
    EXPECT_TRUE(out.Complete);
    return out.Text;
  }
  ScriptReadings r;
  std::vector<ScVar> vars;
  Millis wall = JoinWall(2024, 3, 7, 9, 5, 3);
  char saved_ = '.';
};

TEST_F(Placeholders, ReadingsInTheirTextAndNumericForms) {
  Formats().DecimalSeparator = ',';
  r.FrequencyText = " 98.50 MHz";
  r.PilotText = "   6.8 kHz";
  r.LevelText = "  54 dBuV";
  r.QualityText = " 4";
  r.RdsDeviationText = "  3.1 kHz";
  r.DeviationMaxText = "75.0 kHz";
  r.PmLastText = "1.3 dBr";
  r.Connected = true;
  r.AbovePercent = 12.345;
  r.MaxAtKHz = 68;
  r.TotalSamples = 72000;
  struct Case {
    const char* text;
    const char* result;
  } cases[] = {
      {"%freq", "09850"},
      {"%frequency_", "98,50"},
      {"%frequency", "98.50 MHz"},
      {"%FREQUENCY_|%Frequency|%freq", "98,50|98.50 MHz|09850"},
      {"%pilot_ %pilot", "6,8 6.8 kHz"},
      {"[%level]", "[  54 dBuV]"},  // the level keeps its leading blanks
      {"%level_", "54"},
      {"%quality", "4"},
      {"%rdsps", ""},               // "%rdsps" comes before "%rds": never "3.1 kHzps"
      {"%rds_/%rds", "3,1/3.1 kHz"},
      {"%maxhold_ %maxhold", "75,0 75.0 kHz"},
      {"%connected", "1"},
      {"%abovelimit %maxat %totalsamples", "12,3 68 72000"},
      {"%pmlast_", "1,3"},
      {"%phase", "No phase relation found."},
      {"%date_%time", "2024-03-07_09-05-03"},
      {"a%crb%tabc", "a\r\nb\tc"},
      {"100%", "100%"},
  };
  for (const Case& c : cases) EXPECT_EQ(Replace(c.text), c.result) << c.text;
}

TEST_F(Placeholders, FrequencyOfFourDigitsGetsALeadingZero) {
  r.FrequencyText = "108.00 MHz";
  EXPECT_EQ(Replace("%freq"), "10800");
  r.FrequencyText = "87.60 MHz";
  EXPECT_EQ(Replace("%freq"), "08760");
}

TEST_F(Placeholders, UserVariablesComeAfterTheBuiltInsInCreationOrder) {
  r.FrequencyText = "98.50 MHz";
  vars = {{"FREQUENCY", "mine"}, {"CNT", "1"}, {"CNTX", "2"}, {"A", "%B"}, {"B", "x"}};
  // The built-in "%frequency" wins over the variable of the same name; the
  // earlier "CNT" takes the beginning of "%cntx"; a value is searched by the
  // later steps of the chain.
  EXPECT_EQ(Replace("%frequency %cntx %a %Cnt"), "98.50 MHz 1x x 1");
}

TEST_F(Placeholders, StationPlaceholdersFollowStationIndex) {
  EXPECT_EQ(Replace("[%station.frequency]"), "[]");  // no STATIONINDEX
  vars = {{"STATIONINDEX", "3.9"}};
  EXPECT_EQ(Replace("%station.frequency %station.level %station.noise %station.rdspi %station.rdsps"),
            "S3.0 S3.1 S3.2 S3.3 S3.4");
  vars = {{"STATIONINDEX", "0"}};
  EXPECT_EQ(Replace("[%station.rdsps]"), "[]");
  vars = {{"STATIONINDEX", "1e99999"}};  // letters dropped: 199999, passed on
  EXPECT_EQ(Replace("%station.level"), "S199999.1");
}

TEST_F(Placeholders, VariablesNamingEachOtherCannotGrowWithoutBound) {
  // Each value names the next variable twice: the text doubles per step.
  for (int i = 0; i < 40; ++i)
    vars.push_back({"V" + std::to_string(i), "%V" + std::to_string(i + 1) + "%V" +
                                                 std::to_string(i + 1)});
  const PlaceholderSources s{r, vars, wall, {}, {}};
  const PlaceholderResult out = ReplacePlaceholders("%V0", s);
  EXPECT_FALSE(out.Complete);
  EXPECT_EQ(out.Text.size(), kMaxArgumentLength);
}

TEST_F(Placeholders, OnePassGivesWhatTheChainGives) {
  // Random arguments over a small alphabet, so that names overlap, prefix
  // each other, run into one another and come back through values.
  r.FrequencyText = " 98.50 MHz";
  r.RdsPS = "RADIO%1";
  r.RdsDeviationText = "3.1 kHz";
  const std::vector<std::string> pieces = {
      "%",      "%%",    "a",    "A",       "b",  "%a",  "%ab",   "%B",   "%rds",   "%RDSps",
      "%rdsp",  "%freq", "uency", "%cr",    "%t", "ab",  "%time", " ",    "%stat", "ion.level"};
  const std::vector<std::string> values = {"", "x", "%", "%b", "ab", "%rds", "ps", "yy%A"};
  std::uint32_t seed = 12345;
  auto next = [&seed](std::size_t n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<std::size_t>((seed >> 8) % n);
  };
  const std::vector<std::string> names = {"A", "AB", "B", "T", "X", "FREQUENCY", "RDSP", "ABC"};
  ScriptState numbers;
  for (int round = 0; round < 3000; ++round) {
    vars.clear();
    for (std::size_t v = next(5); v > 0; --v) {
      const std::string& name = names[next(names.size())];
      bool known = false;
      for (const ScVar& old : vars) known = known || old.Name == name;
      if (!known) vars.push_back({name, values[next(values.size())]});
    }
    std::string text;
    for (std::size_t k = next(12); k > 0; --k) text += pieces[next(pieces.size())];
    const PlaceholderSources s{r, vars, wall, {}, [&numbers](std::string_view t) {
                                 return numbers.StrToNumber(t);
                               }};
    const PlaceholderResult fast = ReplacePlaceholders(text, s);
    const PlaceholderResult chain = ReplacePlaceholdersByChain(text, s);
    ASSERT_EQ(fast.Text, chain.Text) << "argument \"" << text << "\"";
    ASSERT_EQ(fast.Complete, chain.Complete);
  }
}

TEST_F(Placeholders, OnePassCutsWhereTheChainCuts) {
  // Values that together outgrow the limit: the chain stops after the step
  // that went past it, with the later placeholders left as they were.
  vars = {{"A", std::string(600000, 'a')}, {"B", "b"}, {"C", std::string(500000, 'c')}};
  for (const std::string text : {"%A%B%C%B", "%c%A%b", "%A%A%b%tab", "%b%C%A%tab%C"}) {
    const PlaceholderSources s{r, vars, wall, {}, {}};
    const PlaceholderResult fast = ReplacePlaceholders(text, s);
    const PlaceholderResult chain = ReplacePlaceholdersByChain(text, s);
    EXPECT_EQ(fast.Complete, chain.Complete) << text;
    EXPECT_TRUE(fast.Text == chain.Text) << text;
  }
}

TEST(SanitizeFileName, ReplacesReservedAndControlCharacters) {
  EXPECT_EQ(SanitizeFileName("RADIO/1:FM"), "RADIO_1_FM");
  EXPECT_EQ(SanitizeFileName("a\"*?/\\#%:|<>^b\x01\x1f c\xe9"), "a____________b__ c\xe9");
  EXPECT_EQ(SanitizeFileName(""), "");
}

TEST(ReplaceAllNoCase, DoesNotSearchReplacedText) {
  EXPECT_EQ(ReplaceAllNoCase("%A%a", "%a", "%a%a"), "%a%a%a%a");
  EXPECT_EQ(ReplaceAllNoCase("xAAx", "a", ""), "xx");
}

}  // namespace
}  // namespace sondaro
