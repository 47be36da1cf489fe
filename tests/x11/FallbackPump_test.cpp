// The fallback event source: a host that never calls Idle still gets a live
// editor, and the pump falls silent while the host does call it.
#include "tests/x11/X11Fixture.h"

namespace {

class FallbackPump : public X11Test {
protected:
  // Waits (without pumping) until `done` holds, looking under the UI lock.
  bool WaitUnderLock(const std::function<bool()>& done, int ms = 3000) {
    for (int waited = 0; waited < ms; waited += 5) {
      {
        std::lock_guard lock(Platform->UiLock());
        if (done()) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
};

TEST_F(FallbackPump, ClicksAndTimersAreHandledWithoutIdleCalls) {
  TForm* form = nullptr;
  ProbeControl* probe = nullptr;
  TTimer* timer = nullptr;
  int ticks = 0;
  {
    std::lock_guard lock(Platform->UiLock());
    form = EmbeddedForm(10, 10, 100, 100, RGBColor(50, 0, 0));
    probe = new ProbeControl(form, Bounds(10, 10, 40, 40), RGBColor(0, 50, 0));
    timer = new TTimer(form);
    timer->SetInterval(20);
    timer->OnTimer = [&](TObject*) { ++ticks; };
    form->Show();
    Platform->StartFallbackPump(50);
  }
  ASSERT_TRUE(WaitUnderLock([&] { return HostPixel(30, 30) == RGBColor(0, 50, 0); }));
  ClickAt(30, 30);
  EXPECT_TRUE(WaitUnderLock([&] { return probe->Clicks == 1; }));
  EXPECT_TRUE(WaitUnderLock([&] { return ticks >= 3; }));

  // While the host calls Idle itself, the fallback leaves the pumping to it.
  int ticksAtStart = 0;
  {
    std::lock_guard lock(Platform->UiLock());
    timer->SetInterval(5);
    Platform->Idle();
    ticksAtStart = ticks;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30)); // below the 50 ms
  {
    std::lock_guard lock(Platform->UiLock());
    EXPECT_EQ(ticks, ticksAtStart);
    Platform->StopFallbackPump();
  }
}

} // namespace
