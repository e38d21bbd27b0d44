// "%rdsbler" and "%rdsbler60": reachable although "%rds" is a beginning of
// both, and leaving "%rds" as it was.
#include <gtest/gtest.h>

#include "automation/placeholders.h"

namespace sondaro {
namespace {

TEST(BlerPlaceholders, OwnNamesBeforeTheirBeginning) {
  ScriptReadings r;
  r.RdsBler = "2.5";
  r.RdsBler60 = "1.3";
  r.RdsDeviationText = "  3.1 kHz";
  const std::vector<ScVar> vars{{"BLER", "var"}};
  const PlaceholderSources s{r, vars, 0, {}, {}};
  EXPECT_EQ(ReplacePlaceholders("%rdsbler60|%RDSBLER|%rds|%bler", s).Text, "1.3|2.5|3.1 kHz|var");
  EXPECT_EQ(ReplacePlaceholders("%rdsbler6", s).Text, "2.56");
}

}  // namespace
}  // namespace sondaro
