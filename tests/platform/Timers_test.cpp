// Timers on the virtual clock of the headless backend.
#include <gtest/gtest.h>

#include <vector>

#include "platform/core/uTimer.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

class Timers : public HeadlessTest {
protected:
  std::vector<std::uint64_t> Ticks;
  TTimer* MakeTimer(unsigned interval) {
    auto* timer = new TTimer(Form);
    timer->SetInterval(interval);
    timer->OnTimer = [this](TObject*) { Ticks.push_back(Platform.NowMs()); };
    return timer;
  }
};

TEST_F(Timers, ARepeatingTimerFiresAtEveryMultipleOfItsIntervalWhileEnabled) {
  const std::uint64_t start = Platform.NowMs();
  TTimer* timer = MakeTimer(100);
  Platform.AdvanceTime(350);
  EXPECT_EQ(Ticks, (std::vector<std::uint64_t>{start + 100, start + 200, start + 300}));
  timer->SetEnabled(false);
  Platform.AdvanceTime(250);
  timer->SetEnabled(true); // counts from now
  Platform.AdvanceTime(150);
  EXPECT_EQ(Ticks.back(), start + 700);
  delete timer;
  Platform.AdvanceTime(200);
  EXPECT_EQ(Ticks.size(), 4u) << "a freed timer never fires";
}

TEST_F(Timers, ChangingTheIntervalRestartsTheCount) {
  const std::uint64_t start = Platform.NowMs();
  TTimer* timer = MakeTimer(100);
  Platform.AdvanceTime(90);
  timer->SetInterval(50);
  Platform.AdvanceTime(100);
  EXPECT_EQ(Ticks, (std::vector<std::uint64_t>{start + 140, start + 190}));
}

TEST_F(Timers, ATimerMayStopOrFreeItselfInsideItsHandler) {
  auto* stopped = new TTimer(Form);
  stopped->SetInterval(10);
  int ticks = 0;
  stopped->OnTimer = [&](TObject*) {
    if (++ticks == 3) stopped->SetEnabled(false);
  };
  auto* freed = new TTimer(nullptr);
  freed->SetInterval(10);
  int freedTicks = 0;
  freed->OnTimer = [&](TObject* sender) {
    ++freedTicks;
    delete static_cast<TTimer*>(sender);
  };
  Platform.AdvanceTime(1000);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(freedTicks, 1);
}

TEST_F(Timers, TimersFireInOrderOfDueTimeAndTiesInCreationOrder) {
  std::vector<int> order;
  auto* slow = new TTimer(Form);
  slow->SetInterval(30);
  slow->OnTimer = [&](TObject*) { order.push_back(30); };
  auto* fast = new TTimer(Form);
  fast->SetInterval(20);
  fast->OnTimer = [&](TObject*) { order.push_back(20); };
  Platform.AdvanceTime(60);
  EXPECT_EQ(order, (std::vector<int>{20, 30, 20, 30, 20}));
}

} // namespace
