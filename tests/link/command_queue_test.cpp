#include "link/command_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sondaro {
namespace {

class CommandQueueTest : public ::testing::Test {
 protected:
  VirtualClock clock;
  TimerSet timers{clock};
  MeasurementState state;
  std::vector<std::pair<Millis, std::string>> written;
  CommandQueue queue{timers, state,
                     [this](const std::string& c) { written.emplace_back(clock.Now(), c); }};
  void Advance(Millis ms) { AdvanceVirtual(clock, timers, ms); }
};

TEST_F(CommandQueueTest, FirstTickAfterOneSecondThenPacedByTheCommandWritten) {
  for (const char* c : {"?B", "?F", "?H", "?F2", "*C", "1?W", "?x", "?y"}) queue.Send(c);
  Advance(10000);
  std::vector<std::pair<Millis, std::string>> expected{
      {1000, "?B"}, {3000, "?F"}, {3030, "?H"}, {4130, "?F2"},
      {4160, "*C"}, {4560, "1?W"}, {5010, "?x"}, {5040, "?y"}};
  EXPECT_EQ(written, expected);
}

TEST_F(CommandQueueTest, PacingTable) {
  struct Case {
    const char* command;
    Millis interval;
  } cases[] = {{"?B", 2000}, {"?H", 1100}, {"?S", 400}, {"*C", 400}, {"*E", 400},
               {"*D", 400},  {"?T", 400},  {"?D", 400}, {"1?W", 450}, {"2?W", 450},
               {"?W", 450},  {"?F", 30},   {"*B", 30},  {"098500*F", 30}, {"?", 30}};
  for (const auto& c : cases) EXPECT_EQ(PacingAfter(c.command), c.interval) << c.command;
}

TEST_F(CommandQueueTest, DuplicatesKeepTheirPlaceAndTheirRequestTime) {
  queue.Send("?F");
  Advance(500);
  queue.Send("?F");
  EXPECT_EQ(queue.Commands().size(), 1u);
  ASSERT_EQ(queue.PendingReplies().size(), 1u);
  EXPECT_EQ(queue.PendingReplies()[0].RequestTime, 0);
  Advance(600);  // written at 1000
  queue.Send("?F");  // queued again at 1100: the wait is refreshed
  EXPECT_EQ(queue.PendingReplies()[0].RequestTime, 1100);
  Advance(3999);
  EXPECT_TRUE(queue.MaSeCekat());
  Advance(1);
  EXPECT_FALSE(queue.MaSeCekat());
}

TEST_F(CommandQueueTest, FullQueueDropsTheCommandButStillAwaitsItsReply) {
  for (int i = 0; i < 30; ++i) queue.Send("*" + std::to_string(i));
  queue.Send("?Z");
  EXPECT_EQ(queue.Commands().size(), 30u);
  EXPECT_EQ(queue.Commands().back(), "*29");
  EXPECT_TRUE(queue.MaSeCekat());
}

TEST_F(CommandQueueTest, WhichCommandsRegisterWhichLetter) {
  struct Case {
    const char* command;
    const char* letter;  // nullptr: none
  } cases[] = {{"?F", "F"},      {"2?W", "W"},        {"1?W", "W"}, {"?", nullptr},
               {"*P", nullptr},  {"4CE,00E?h", nullptr}, {"DIP2:1*X", nullptr},
               {"101300*F", nullptr}};
  for (const auto& c : cases) {
    CommandQueue q(timers, state, [](const std::string&) {});
    q.Send(c.command);
    if (c.letter) {
      ASSERT_EQ(q.PendingReplies().size(), 1u) << c.command;
      EXPECT_EQ(q.PendingReplies()[0].Letter, c.letter);
    } else {
      EXPECT_TRUE(q.PendingReplies().empty()) << c.command;
    }
  }
}

TEST_F(CommandQueueTest, AnswerEndsTheWaitAtOnceAndUnknownLettersAreIgnored) {
  queue.Send("?U");
  queue.Send("?F");
  queue.OdeberZCekej("U");
  EXPECT_TRUE(queue.MaSeCekat());
  queue.OdeberZCekej("F");
  queue.OdeberZCekej("Q");
  queue.OdeberZCekej("FF");
  EXPECT_FALSE(queue.MaSeCekat());
  queue.Send("?F");  // still queued: a duplicate, so nothing changes
  EXPECT_FALSE(queue.MaSeCekat());
  Advance(1100);
  queue.Send("?F");  // the entry is reused, not added
  EXPECT_EQ(queue.PendingReplies().size(), 2u);
  EXPECT_TRUE(queue.MaSeCekat());
}

TEST_F(CommandQueueTest, TickStampsLastActivityEvenWhenIdle) {
  Advance(1000);
  EXPECT_EQ(state.LastActivity, 1000);
  Advance(30);
  EXPECT_EQ(state.LastActivity, 1030);
}

}  // namespace
}  // namespace sondaro
