// The consistency rules of the decoded RDS values and the report text.
#include <gtest/gtest.h>

#include "rds/consistency.h"

namespace sondaro {
namespace {

RdsData With(void (*set)(RdsData&)) {
  RdsData d = ClearedRdsData();
  set(d);
  return d;
}

TEST(ConsistencyTest, EachRuleFiresOnlyOnItsCondition) {
  const std::string e1 =
      "PI indicates local station but more than one frequency was found in AF list.";
  const std::string e2 = "PI can't begin with 0.";
  const std::string e3 = "TP and TA flags indicate EON presence but no EON information was found.";
  const std::string e4 = "Invalid ECC.";
  struct Case {
    const char* name;
    RdsData data;
    std::string expected;
  } cases[] = {
      {"cleared", ClearedRdsData(), ""},
      {"start values", RdsData{}, ""},
      {"local PI, two AFs",
       With([](RdsData& d) { d.PI = "D0A3", d.AF = "87.6, 98.5"; }),
       "\r\nErrors: 1\r\n" + e1 + "\r\n"},
      {"local PI, one AF", With([](RdsData& d) { d.PI = "D0A3", d.AF = "107.9 MHz"; }), ""},
      {"PI 0000 with AFs", With([](RdsData& d) { d.PI = "0000", d.AF = "87.6, 98.5 MHz"; }),
       "\r\nErrors: 1\r\n" + e1 + "\r\n"},
      {"PI begins with 0", With([](RdsData& d) { d.PI = "0D01"; }), "\r\nErrors: 1\r\n" + e2 + "\r\n"},
      // Area coverage is the second digit: 0203 is national, so its AFs are fine.
      {"PI 0203 with AFs", With([](RdsData& d) { d.PI = "0203", d.AF = "87.6, 98.5"; }),
       "\r\nErrors: 1\r\n" + e2 + "\r\n"},
      {"TP 0 TA 1 no EON", With([](RdsData& d) { d.TP = "0", d.TA = "1"; }),
       "\r\nErrors: 1\r\n" + e3 + "\r\n"},
      {"TP 0 TA 1 with EON", With([](RdsData& d) { d.TP = "0", d.TA = "1", d.EON = "D301"; }),
       ""},
      {"TP 1 TA 1", With([](RdsData& d) { d.TP = "1", d.TA = "1"; }), ""},
      {"ECC 0E", With([](RdsData& d) { d.ECC = "0E"; }), "\r\nErrors: 1\r\n" + e4 + "\r\n"},
      {"ECC E0", With([](RdsData& d) { d.ECC = "E0"; }), ""},
      {"ECC 0", With([](RdsData& d) { d.ECC = "0"; }), ""},
      {"PI FFFF", With([](RdsData& d) { d.PI = "FFFF"; }),
       "\r\nWarnings: 1\r\nFactory default PI was detected (FFFF). Set right PI as soon as "
       "possible."},
      {"PTY 31 RBDS", With([](RdsData& d) { d.PTY = "31 (ALERT !)"; }),
       "\r\nWarnings: 1\r\nPTY 31 (ALERT !) reserved for special purposes."},
      {"PTY 30", With([](RdsData& d) { d.PTY = "30 (TEST)"; }),
       "\r\nWarnings: 1\r\nPTY 30 (TEST) reserved for special purposes."},
      {"PTY 3", With([](RdsData& d) { d.PTY = "3 (Info)"; }), ""},
      {"PTY 310", With([](RdsData& d) { d.PTY = "310"; }), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorsAndWarnings(c.data), c.expected) << c.name;
}

TEST(ConsistencyTest, ReportAssembly) {
  // Two errors: the final empty line after the error block is removed.
  RdsData d = ClearedRdsData();
  d.PI = "0003";
  d.AF = "87.6, 98.5";
  EXPECT_EQ(ErrorsAndWarnings(d),
            "\r\nErrors: 2\r\n"
            "PI indicates local station but more than one frequency was found in AF list.\r\n"
            "PI can't begin with 0.\r\n");

  // Every rule: errors, an empty line, warnings, no final line end.
  d.TP = "0";
  d.TA = "1";
  d.ECC = "0E";
  d.PI = "00FF";
  RdsData all = d;
  all.PTY = "31 (Alarm!)";
  EXPECT_EQ(ErrorsAndWarnings(all),
            "\r\nErrors: 4\r\n"
            "PI indicates local station but more than one frequency was found in AF list.\r\n"
            "PI can't begin with 0.\r\n"
            "TP and TA flags indicate EON presence but no EON information was found.\r\n"
            "Invalid ECC.\r\n"
            "\r\n"
            "Warnings: 1\r\n"
            "PTY 31 (Alarm!) reserved for special purposes.");

  RdsData warnings = ClearedRdsData();
  warnings.PI = "FFFF";
  warnings.PTY = "30 (Test)";
  EXPECT_EQ(ErrorsAndWarnings(warnings),
            "\r\nWarnings: 2\r\n"
            "Factory default PI was detected (FFFF). Set right PI as soon as possible.\r\n"
            "PTY 30 (Test) reserved for special purposes.");
}

}  // namespace
}  // namespace sondaro
