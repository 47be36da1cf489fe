// The editor used as a musician uses it, through the built plug-in in a real
// window: what it shows, painted by itself (the host never calls effEditIdle),
// equals the headless picture of the same program; automation shows; a knob
// dragged or a check button clicked reaches the host as automation.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "controls/uBitmapEx.h"
#include "core/uParamTable.h"
#include "tests/editorhost/EditorHost.h"

namespace {

class EditorUse : public EditorHost {
protected:
  AEffect* Fx = nullptr;
  Window Host = 0;

  void SetUp() override {
    EditorHost::SetUp();
    if (IsSkipped()) return;
    Fx = Load();
    ASSERT_TRUE(Fx);
    Host = NewHostWindow(40, 40);
    ASSERT_TRUE(OpenEditor(Fx, Host));
    ASSERT_TRUE(WaitUntil([&] { return HasEditorChild(Host); }));
    WaitUntil([] { return false; }, 600); // the check buttons' fades come to rest
  }
  std::vector<qvt::THostedPlugin::TAutomation> Automations() {
    return Plugins.back()->AutomationsSoFar();
  }
  void Drag(int x, int y, int dx, int dy) { DragIn(Host, x, y, dx, dy); }
};

TEST_F(EditorUse, TheWindowShowsWhatTheHeadlessSnapshotOfTheStartUpProgramShows) {
  char path[] = "/tmp/qvt-editor-XXXXXX.png";
  const int fd = mkstemps(path, 4);
  ASSERT_GE(fd, 0);
  close(fd);
  const std::string command =
      std::string(QVT_TOOL_PATH) + " snapshot --form main -o " + path + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> png{std::istreambuf_iterator<char>(in), {}};
  std::remove(path);
  const auto snapshot = qvt::DecodeSkinImage(png, "snapshot");
  ASSERT_EQ(snapshot->Width(), kWidth);
  int differing = 0;
  const auto shown = Pixels(Host, 0, 0, kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      differing +=
          shown[static_cast<std::size_t>(y * kWidth + x)] != (snapshot->Pixel(x, y) & 0xFFFFFF);
  EXPECT_EQ(differing, 0);
}

TEST_F(EditorUse, AutomationOfEveryParameterFromAnotherThreadEndsOnItsLatestValue) {
  // Every stored parameter at 0.5 first; what the window then shows is the reference.
  const auto startUp = Pixels(Host, 0, 0, kWidth, kHeight);
  for (int index = 0; index < 72; ++index) Fx->setParameter(Fx, index, 0.5f);
  WaitUntil([] { return false; }, 700);
  const auto reference = Pixels(Host, 0, 0, kWidth, kHeight);
  ASSERT_NE(reference, startUp) << "the controls show the automated values";
  std::thread automation([&] {
    for (int round = 0; round < 50; ++round)
      for (int index = 0; index < 72; ++index)
        Fx->setParameter(Fx, index, static_cast<float>((round * 37 + index * 11) % 100) / 99.0f);
    for (int index = 0; index < 72; ++index) Fx->setParameter(Fx, index, 0.5f);
  });
  automation.join();
  EXPECT_TRUE(WaitUntil([&] { return Pixels(Host, 0, 0, kWidth, kHeight) == reference; }, 3000));
}

TEST_F(EditorUse, DraggingAKnobAndClickingACheckButtonAutomateTheirParameters) {
  const float before = Fx->getParameter(Fx, piOsc1Level);
  const std::size_t earlier = Automations().size(); // loading pushes the program's values
  Drag(27 + 12, 46 + 12, 0, -20);                   // "Osc1 Level" up by 20 positions
  ASSERT_TRUE(WaitUntil([&] { return Automations().size() > earlier; }));
  WaitUntil([] { return false; }, 100);
  auto knob = Automations();
  knob.erase(knob.begin(), knob.begin() + static_cast<std::ptrdiff_t>(earlier));
  for (const auto& a : knob) {
    EXPECT_EQ(a.Index, 1);
    EXPECT_NEAR(a.Value * 127.0f, std::round(a.Value * 127.0f), 1e-3) << "a multiple of 1/127";
  }
  const float after = Fx->getParameter(Fx, piOsc1Level);
  EXPECT_EQ(knob.back().Value, after);
  EXPECT_NEAR(after, std::min(1.0f, std::round(before * 127.0f + 20.0f) / 127.0f), 1e-6);

  const float seq = Fx->getParameter(Fx, piOsc1Seq);
  ClickAt(Host, 25 + 6, 30 + 6); // "Osc1 Seq"
  ASSERT_TRUE(WaitUntil([&] { return Automations().back().Index == 13; }));
  EXPECT_EQ(Automations().back().Value, seq > 0.5f ? 0.0f : 1.0f);
  EXPECT_EQ(Fx->getParameter(Fx, piOsc1Seq), Automations().back().Value);
  CloseEditor(Fx);
}

TEST_F(EditorUse, ANameTypedIntoTheNameEditorBecomesANewPreset) {
  ClickAt(Host, 407 + 40, 58 + 8); // the name editor takes the keyboard
  WaitUntil([] { return false; }, 100);
  const auto type = [&](KeySym key) {
    XTestFakeKeyEvent(X, XKeysymToKeycode(X, key), True, CurrentTime);
    XTestFakeKeyEvent(X, XKeysymToKeycode(X, key), False, CurrentTime);
    XSync(X, False);
  };
  type(XK_End);
  for (int i = 0; i < 22; ++i) type(XK_BackSpace);
  for (const KeySym key : {XK_m, XK_i, XK_n, XK_e}) type(key);
  WaitUntil([] { return false; }, 100);
  ClickAt(Host, 407 + 148, 58 + 8); // its button adds the preset
  char name[64] = {};
  EXPECT_TRUE(WaitUntil([&] {
    Dispatch(Fx, effGetProgramName, 0, name);
    return std::string(name) == "mine";
  })) << "the edit buffer took the name: "
      << name;
  CloseEditor(Fx);
}

TEST_F(EditorUse, ABankOpenedThroughTheFileDialogLoadsAndSelectsItsFirstProgram) {
  // The desktop's dialog program is played by a script that answers a bank we build.
  TOwnPath path;
  std::ofstream(path.Folder + "/bank.txt") << "[Scripted Bank]\n\n[Second]\n";
  const std::string build = std::string(QVT_TOOL_PATH) + " bank build " + path.Folder +
                            "/bank.txt -o " + path.Folder + "/scripted.qvt >/dev/null 2>&1";
  ASSERT_EQ(std::system(build.c_str()), 0);
  path.Script("zenity", "printf '%s\\n' '" + path.Folder + "/scripted.qvt'\n");
  ClickAt(Host, 406 + 11, 31 + 11); // the open-bank button
  char name[64] = {};
  EXPECT_TRUE(WaitUntil(
      [&] {
        Dispatch(Fx, effGetProgramName, 0, name);
        return std::string(name) == "Scripted Bank";
      },
      5000))
      << name;
  CloseEditor(Fx);
}

TEST_F(EditorUse, ThePatternEditorReordersAndImportsStepsAndClosesByItsCloseBox) {
  ClickAt(Host, 55 + 11, 227 + 11); // the pattern menu
  std::vector<Window> windows;
  ASSERT_TRUE(WaitUntil([&] { return (windows = PopupWindows()).size() == 1; }));
  // Rows of 18 pixels and separators of 7 below a 2-pixel border: "Edit pattern..." is the sixth.
  ClickAt(windows[0], 30, 2 + 18 + 7 + 18 + 18 + 7 + 9);
  Window editor = 0;
  ASSERT_TRUE(WaitUntil([&] {
    windows = PopupWindows();
    if (windows.size() != 1) return false;
    XWindowAttributes a{};
    XGetWindowAttributes(X, windows[0], &a);
    editor = windows[0];
    return a.width == 320; // the pattern editor's picture
  }));
  const auto stepsReported = [&](std::size_t from) {
    std::vector<int> indices;
    const auto all = Automations();
    for (std::size_t i = from; i < all.size(); ++i) indices.push_back(all[i].Index);
    return indices;
  };
  std::vector<int> steps;
  for (int i = 54; i < 70; ++i) steps.push_back(i);
  std::size_t earlier = Automations().size();
  ClickAt(editor, 231 + 33, 155 + 11); // "Reverse"
  EXPECT_TRUE(WaitUntil([&] { return stepsReported(earlier) == steps; }));

  // "Import..." through a dialog program that answers a MIDI file of one note, A4.
  {
    TOwnPath path;
    const unsigned char song[] = {'M', 'T', 'h',  'd',  0,   0,    0,    6,    0,    0,
                                  0,   1,   0x01, 0xE0, 'M', 'T',  'r',  'k',  0,    0,
                                  0,   8,   0x00, 0x90, 69,  0x64, 0x00, 0xFF, 0x2F, 0x00};
    std::ofstream(path.Folder + "/a4.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(song), sizeof song);
    path.Script("zenity", "printf '%s\\n' '" + path.Folder + "/a4.mid'\n");
    earlier = Automations().size();
    ClickAt(editor, 231 + 33, 86 + 11); // "Import..."
    EXPECT_TRUE(WaitUntil([&] { return stepsReported(earlier) == steps; }, 5000));
  }
  const auto all = Automations();
  ASSERT_GE(all.size(), 16u);
  EXPECT_GT(all[all.size() - 16].Value, all[all.size() - 15].Value) << "step 1 is an octave up";

  ClickAt(editor, 299 + 8, 5 + 7); // the close box
  EXPECT_TRUE(WaitUntil([&] { return PopupWindows().empty(); }));
  EXPECT_TRUE(HasEditorChild(Host));
  CloseEditor(Fx);
}

TEST_F(EditorUse, APatternSpeedChosenFromTheDropDownMenuReachesTheHost) {
  ClickAt(Host, 55 + 11, 227 + 11); // the pattern menu's tool button
  std::vector<Window> menus;
  ASSERT_TRUE(WaitUntil([&] { return (menus = PopupWindows()).size() == 1; }));
  // Rows of 18 pixels below a 2-pixel border: "Pattern Speed" is the first.
  ClickAt(menus[0], 30, 2 + 9);
  ASSERT_TRUE(WaitUntil([&] { return (menus = PopupWindows()).size() == 2; }));
  XWindowAttributes first{}, second{};
  XGetWindowAttributes(X, menus[0], &first);
  XGetWindowAttributes(X, menus[1], &second);
  const Window submenu = first.x > second.x ? menus[0] : menus[1];
  const std::size_t earlier = Automations().size();
  ClickAt(submenu, 20, 2 + 7 * 18 + 9); // "4:1"
  ASSERT_TRUE(WaitUntil([&] { return Automations().size() > earlier && PopupWindows().empty(); }));
  EXPECT_EQ(Automations().back().Index, 52);
  EXPECT_FLOAT_EQ(Automations().back().Value, 0.07f);
  EXPECT_FLOAT_EQ(Fx->getParameter(Fx, piPatternSpeed), 0.07f);
  CloseEditor(Fx);
}

} // namespace
