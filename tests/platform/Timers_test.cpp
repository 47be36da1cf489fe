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

TEST_F(Timers, ARepeatingTimerFiresAtEveryMultipleOfItsIntervalUntilFreed) {
  const std::uint64_t start = Platform.NowMs();
  TTimer* timer = MakeTimer(100);
  Platform.AdvanceTime(350);
  EXPECT_EQ(Ticks, (std::vector<std::uint64_t>{start + 100, start + 200, start + 300}));
  delete timer;
  Platform.AdvanceTime(200);
  EXPECT_EQ(Ticks.size(), 3u) << "a freed timer never fires";
}

TEST_F(Timers, ATimerMayFreeItselfInsideItsHandler) {
  auto* freed = new TTimer(nullptr);
  freed->SetInterval(10);
  int freedTicks = 0;
  freed->OnTimer = [&](TObject* sender) {
    ++freedTicks;
    delete static_cast<TTimer*>(sender);
  };
  Platform.AdvanceTime(1000);
  EXPECT_EQ(freedTicks, 1);
}

} // namespace
