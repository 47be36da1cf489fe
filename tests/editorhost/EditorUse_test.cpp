// The editor used through the built plug-in in a real window, without effEditIdle.
#include <cstdio>
#include <fstream>

#include "controls/uBitmapEx.h"
#include "lib/uFileIo.h"
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
};

TEST_F(EditorUse, TheWindowShowsWhatTheHeadlessSnapshotOfTheStartUpProgramShows) {
  char path[] = "/tmp/qvt-editor-XXXXXX.png";
  const int fd = mkstemps(path, 4);
  ASSERT_GE(fd, 0);
  close(fd);
  const std::string command =
      std::string(QVT_TOOL_PATH) + " snapshot --form main -o " + path + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const auto snapshot = qvt::DecodeSkinImage(qvt::ReadWholeFile(path), "snapshot");
  std::remove(path);
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

TEST_F(EditorUse, ABankOpenedThroughTheFileDialogLoadsAndSelectsItsFirstProgram) {
  TOwnPath path; // the dialog program: a script that answers a bank built here
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

TEST_F(EditorUse, ThePatternEditorImportsStepsAndClosesByItsCloseBox) {
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
  const std::size_t earlier = Plugins.back()->AutomationsSoFar().size();
  {
    TOwnPath path; // the dialog program answers a MIDI file of one note, A4
    const unsigned char song[] = {'M', 'T', 'h',  'd',  0,   0,    0,    6,    0,    0,
                                  0,   1,   0x01, 0xE0, 'M', 'T',  'r',  'k',  0,    0,
                                  0,   8,   0x00, 0x90, 69,  0x64, 0x00, 0xFF, 0x2F, 0x00};
    std::ofstream(path.Folder + "/a4.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(song), sizeof song);
    path.Script("zenity", "printf '%s\\n' '" + path.Folder + "/a4.mid'\n");
    ClickAt(editor, 231 + 33, 86 + 11); // "Import..."
    ASSERT_TRUE(
        WaitUntil([&] { return Plugins.back()->AutomationsSoFar().size() >= earlier + 16; }, 5000));
  }
  const auto all = Plugins.back()->AutomationsSoFar();
  std::vector<int> steps, reported;
  for (int i = 54; i < 70; ++i) steps.push_back(i);
  for (std::size_t i = earlier; i < all.size(); ++i) reported.push_back(all[i].Index);
  EXPECT_EQ(reported, steps) << "the 16 steps, reported once";
  EXPECT_GT(all[all.size() - 16].Value, all[all.size() - 15].Value) << "step 1 is an octave up";

  ClickAt(editor, 299 + 8, 5 + 7); // the close box
  EXPECT_TRUE(WaitUntil([&] { return PopupWindows().empty(); }));
  EXPECT_TRUE(HasEditorChild(Host));
  CloseEditor(Fx);
}

} // namespace
