// The editor in a real X11 host: its window's life, and a host thread that never waits for it.
#include <atomic>

#include "core/uParamTable.h"
#include "tests/editorhost/EditorHost.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The help area of the main picture; a press there opens the manual.
constexpr int kHelpX = 500, kHelpY = 218;

TEST_F(EditorHost, OpenOpenCloseKeepsTheFormAndASecondCloseRemovesIt) {
  AEffect* fx = Load();
  ASSERT_TRUE(fx);
  const Window host = NewHostWindow(40, 40);
  ASSERT_TRUE(OpenEditor(fx, host));
  ASSERT_TRUE(OpenEditor(fx, host));
  ASSERT_TRUE(WaitUntil([&] { return HasEditorChild(host); }));
  CloseEditor(fx);
  EXPECT_FALSE(WaitUntil([&] { return !HasEditorChild(host); }, 300)) << "one open is left";
  EXPECT_EQ(MappedChildren(host).size(), 1u) << "one form for both opens";
  CloseEditor(fx);
  EXPECT_TRUE(WaitUntil([&] { return MappedChildren(host).empty(); }));
  CloseEditor(fx); // a close too many does nothing
}

TEST_F(EditorHost, TwoInstancesOpenAndCloseInEitherOrder) {
  AEffect* a = Load();
  AEffect* b = Load();
  ASSERT_TRUE(a && b);
  const Window wa = NewHostWindow(10, 10), wb = NewHostWindow(60, 400);
  for (const bool firstClosesFirst : {true, false}) {
    SCOPED_TRACE(firstClosesFirst ? "A closes first" : "B closes first");
    ASSERT_TRUE(OpenEditor(a, wa));
    ASSERT_TRUE(OpenEditor(b, wb));
    ASSERT_TRUE(WaitUntil([&] { return HasEditorChild(wa) && HasEditorChild(wb); }));
    AEffect* first = firstClosesFirst ? a : b;
    const Window firstWindow = firstClosesFirst ? wa : wb, other = firstClosesFirst ? wb : wa;
    CloseEditor(first);
    EXPECT_TRUE(WaitUntil([&] { return MappedChildren(firstWindow).empty(); }));
    EXPECT_TRUE(HasEditorChild(other)) << "the other editor stays";
    // The remaining editor still runs: it repaints what is exposed.
    XClearArea(X, other, 0, 0, 10, 10, True);
    CloseEditor(firstClosesFirst ? b : a);
    EXPECT_TRUE(WaitUntil([&] { return MappedChildren(other).empty(); }));
  }
}

TEST_F(EditorHost, AHostThatDestroysItsWindowFirstClosesAndReopensCleanly) {
  AEffect* fx = Load();
  ASSERT_TRUE(fx);
  const Window doomed = NewHostWindow(40, 40);
  ASSERT_TRUE(OpenEditor(fx, doomed));
  ASSERT_TRUE(WaitUntil([&] { return HasEditorChild(doomed); }));
  XDestroyWindow(X, doomed);
  HostWindows.erase(std::find(HostWindows.begin(), HostWindows.end(), doomed));
  XSync(X, False);
  CloseEditor(fx);
  const Window fresh = NewHostWindow(40, 40);
  ASSERT_TRUE(OpenEditor(fx, fresh));
  EXPECT_TRUE(WaitUntil([&] { return HasEditorChild(fresh); }));
  CloseEditor(fx);
}

// The editor's message box, opened by pressing the help area while the manual cannot be opened.
class EditorMessageBox : public EditorHost {
protected:
  TOwnPath NoOpener; // opening the manual fails

  Window OpenBox(AEffect* fx, Window host) {
    if (!OpenEditor(fx, host)) return 0;
    if (!WaitUntil([&] { return HasEditorChild(host); })) return 0;
    ClickAt(host, kHelpX, kHelpY);
    Window box = 0;
    WaitUntil([&] {
      const std::vector<Window> popups = PopupWindows();
      box = popups.empty() ? 0 : popups.front();
      return box != 0;
    });
    return box;
  }
};

TEST_F(EditorMessageBox, TheHostKeepsRunningWhileABoxIsOpenAndParametersStillArrive) {
  AEffect* fx = Load();
  ASSERT_TRUE(fx);
  const Window host = NewHostWindow(40, 40);
  const Window box = OpenBox(fx, host);
  ASSERT_NE(box, 0u) << "pressing the help area shows a message box";

  // Another thread automates at about 1 kHz while this thread runs its own loop.
  std::atomic<bool> stop{false};
  std::atomic<int> calls{0};
  std::atomic<double> slowestCallMs{0};
  std::thread automation([&] {
    for (int i = 0; !stop; ++i) {
      const auto start = Clock::now();
      fx->setParameter(fx, piOsc1Level, static_cast<float>(i % 128) / 127.0f);
      const double took = MsSince(start);
      if (took > slowestCallMs) slowestCallMs = took;
      ++calls;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  double longestGapMs = 0;
  auto last = Clock::now();
  const auto end = last + std::chrono::milliseconds(1000);
  while (Clock::now() < end) {
    Dispatch(fx, effEditIdle);
    XSync(X, False);
    longestGapMs = std::max(longestGapMs, MsSince(last));
    last = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  stop = true;
  automation.join();
  EXPECT_LT(longestGapMs, 50.0);
  EXPECT_GT(calls.load(), 300) << "setParameter kept working";
  EXPECT_LT(slowestCallMs.load(), 50.0);
  EXPECT_FALSE(PopupWindows().empty()) << "the box is still open";

  // Its OK button, centred at the bottom, closes it; the editor stays.
  XWindowAttributes a{};
  ASSERT_TRUE(XGetWindowAttributes(X, box, &a));
  ClickAt(box, a.width / 2, a.height - 25);
  EXPECT_TRUE(WaitUntil([&] { return PopupWindows().empty(); }));
  EXPECT_TRUE(HasEditorChild(host));
  CloseEditor(fx);
}

TEST_F(EditorMessageBox, ClosingTheEditorEndsItsBoxAndThePlugInClosesRightAfter) {
  AEffect* fx = Load();
  ASSERT_TRUE(fx);
  const Window host = NewHostWindow(40, 40);
  ASSERT_NE(OpenBox(fx, host), 0u);
  CloseEditor(fx);
  EXPECT_TRUE(
      WaitUntil([&] { return PopupWindows().empty() && MappedChildren(host).empty(); }, 500));
  EXPECT_EQ(Plugins.back()->Close(), 1); // effClose at once
}

} // namespace
