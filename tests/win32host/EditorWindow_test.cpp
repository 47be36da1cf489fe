// The editor on Windows, through the built DLL in windows of a host: it opens as a 587 × 320 child
// showing what the Linux snapshot shows, dragged and clicked controls reach the host as
// automation, two editors live side by side, and closing an editor ends its pop-ups.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "controls/uBitmapEx.h"
#include "tests/win32host/Win32Host.h"

namespace {

// What a window showed, as a plain PPM picture in $QVT_WINDOWS_PICTURES (for the documentation).
void KeepPicture(const char* name, const std::vector<std::uint32_t>& pixels, SIZE size) {
  const char* folder = std::getenv("QVT_WINDOWS_PICTURES");
  if (!folder) return;
  std::ofstream file(std::string(folder) + "/" + name + ".ppm", std::ios::binary);
  file << "P6\n" << size.cx << ' ' << size.cy << "\n255\n";
  for (std::uint32_t p : pixels) file.put(char(p >> 16)).put(char(p >> 8)).put(char(p));
}

// A form's Linux headless picture, beside the main form's that $QVT_SNAPSHOT_REFERENCE names.
std::unique_ptr<TBitmap> LinuxSnapshot(const std::string& form) {
  const char* main = std::getenv("QVT_SNAPSHOT_REFERENCE");
  if (!main) return nullptr;
  std::string path = main;
  path = path.substr(0, path.find_last_of("/\\") + 1) + form + ".png";
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> png{std::istreambuf_iterator<char>(in), {}};
  return png.empty() ? nullptr : qvt::DecodeSkinImage(png, path);
}

// The pixels of `shown` (`size`) that differ from the snapshot's, outside the rectangles `skip`
// (all of them when the sizes differ).
int Differing(const std::vector<std::uint32_t>& shown, SIZE size, const TBitmap& snapshot,
              std::initializer_list<RECT> skip = {}) {
  if (snapshot.Width() != size.cx || snapshot.Height() != size.cy) return size.cx * size.cy;
  int differing = 0;
  for (int y = 0; y < size.cy; ++y)
    for (int x = 0; x < size.cx; ++x) {
      const POINT p{x, y};
      if (std::any_of(skip.begin(), skip.end(), [&](const RECT& r) { return PtInRect(&r, p); }))
        continue;
      differing +=
          shown[static_cast<std::size_t>(y * size.cx + x)] != (snapshot.Pixel(x, y) & 0xFFFFFF);
    }
  return differing;
}

class EditorWindow : public Win32Host {
protected:
  AEffect* Fx = nullptr;
  HWND Host = nullptr;
  HWND Editor = nullptr;

  void SetUp() override {
    Fx = Load();
    ASSERT_TRUE(Fx);
    Host = NewHostWindow(40, 40, Fx);
    ASSERT_TRUE(Host) << GetLastError();
    ASSERT_TRUE(OpenEditor(Fx, Host));
    Editor = EditorOf(Host);
    ASSERT_TRUE(Editor);
    Pump(600); // the check buttons' fades come to rest
  }
};

TEST_F(EditorWindow, OpensAsA587By320ChildShowingTheLinuxPictureOutsideTheText) {
  EXPECT_TRUE(GetWindowLongW(Editor, GWL_STYLE) & WS_CHILD);
  const SIZE size = ClientSize(Editor);
  ASSERT_EQ(size.cx, kWidth);
  ASSERT_EQ(size.cy, kHeight);
  const auto shown = Pixels(Editor);
  KeepPicture("main", shown, size);
  const auto snapshot = LinuxSnapshot("main");
  if (!snapshot) GTEST_SKIP() << "no Linux snapshot to compare with (make test-windows makes one)";
  // The main form's texts are all drawn with the skin's bitmap fonts: every pixel agrees.
  EXPECT_EQ(Differing(shown, size, *snapshot), 0);
}

TEST_F(EditorWindow, DraggingAKnobAndClickingACheckButtonAutomateTheirParameters) {
  Fx->setParameter(Fx, 1, 0.5f); // room above for two drags
  const float before = Fx->getParameter(Fx, 1);
  const std::size_t earlier = Automations().size(); // loading pushes the program's values
  Drag(Editor, 27 + 12, 46 + 12, 0, -20); // "Osc1 Level" up by 20 positions
  ASSERT_TRUE(PumpUntil([&] { return Automations().size() > earlier; }));
  Pump(100);
  const float after = Fx->getParameter(Fx, 1);
  EXPECT_EQ(Automations().back().Index, 1);
  EXPECT_EQ(Automations().back().Value, after);
  EXPECT_NEAR(after, std::min(1.0f, std::round(before * 127.0f + 20.0f) / 127.0f), 1e-6);

  // A drag whose mouse another window takes (WM_CAPTURECHANGED) stops where it is.
  // (Pressed a few pixels away from the first press: no double click.)
  PostMessageW(Editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 62));
  PostMessageW(Editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(45, 52));
  ASSERT_TRUE(PumpUntil([&] { return Fx->getParameter(Fx, 1) != after; }));
  const float taken = Fx->getParameter(Fx, 1);
  SetCapture(Host);
  Pump(50);
  PostMessageW(Editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(45, 32));
  PostMessageW(Editor, WM_LBUTTONUP, 0, MAKELPARAM(45, 32));
  Pump(100);
  ReleaseCapture();
  EXPECT_EQ(Fx->getParameter(Fx, 1), taken);

  const float seq = Fx->getParameter(Fx, 13);
  Click(Editor, 25 + 6, 30 + 6); // "Osc1 Seq"
  ASSERT_TRUE(PumpUntil([&] { return Automations().back().Index == 13; }));
  EXPECT_EQ(Automations().back().Value, seq > 0.5f ? 0.0f : 1.0f);
}

TEST_F(EditorWindow, APatternSpeedChosenFromTheDropDownMenuReachesTheHost) {
  // The menu runs a modal loop on this thread: a user acts while the host pumps.
  const bool done = AsUser([&] {
    Click(Editor, 55 + 11, 227 + 11); // the pattern menu's tool button
    std::vector<HWND> menus;
    ASSERT_TRUE(WaitUntil([&] { return (menus = Popups()).size() == 1; }));
    // The editor keeps the keyboard; its keys go to the open menu: Escape closes it.
    Key(Editor, VK_ESCAPE);
    const bool closed = WaitUntil([&] { return Popups().empty(); });
    if (!closed) Click(Editor, 5, 5); // outside the menu: it closes, the host's thread goes on
    ASSERT_TRUE(closed);
    Sleep(600); // no double click with the next press
    Click(Editor, 55 + 11, 227 + 11);
    ASSERT_TRUE(WaitUntil([&] { return (menus = Popups()).size() == 1; }));
    // Rows of 18 pixels below a 2-pixel border: "Pattern Speed" is the first.
    Click(menus[0], 30, 2 + 9);
    ASSERT_TRUE(WaitUntil([&] { return (menus = Popups()).size() == 2; }));
    RECT first{}, second{};
    GetWindowRect(menus[0], &first);
    GetWindowRect(menus[1], &second);
    Click(first.left > second.left ? menus[0] : menus[1], 20, 2 + 7 * 18 + 9); // "4:1"
    EXPECT_TRUE(WaitUntil([&] { return Popups().empty(); }));
  });
  ASSERT_TRUE(done);
  ASSERT_FALSE(Automations().empty());
  EXPECT_EQ(Automations().back().Index, 52);
  EXPECT_FLOAT_EQ(Automations().back().Value, 0.07f);
}

// Opens "Edit pattern..." from the pattern menu (on the user's thread); answers its window.
HWND OpenPatternEditor(Win32Host& host, HWND editor) {
  host.Click(editor, 55 + 11, 227 + 11);
  std::vector<HWND> windows;
  if (!host.WaitUntil([&] { return (windows = host.Popups()).size() == 1; })) return nullptr;
  // Rows of 18 pixels and separators of 7 below a 2-pixel border: "Edit pattern..." is the sixth.
  host.Click(windows[0], 30, 2 + 18 + 7 + 18 + 18 + 7 + 9);
  HWND found = nullptr;
  host.WaitUntil([&] {
    windows = host.Popups();
    found = windows.size() == 1 && Win32Host::ClientSize(windows[0]).cx == 320 ? windows[0] : nullptr;
    return found != nullptr;
  });
  return found;
}

TEST_F(EditorWindow, ThePatternEditorIsAModalTopmostToolWindowThatReversesStepsAndCloses) {
  const bool done = AsUser([&] {
    HWND pattern = OpenPatternEditor(*this, Editor);
    ASSERT_TRUE(pattern);
    EXPECT_TRUE(GetWindowLongW(pattern, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongW(pattern, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongW(pattern, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetClassLongW(pattern, GCL_STYLE) & CS_SAVEBITS);
    EXPECT_TRUE(GetClassLongW(pattern, GCL_STYLE) & CS_DROPSHADOW);
    const std::size_t earlier = Automations().size();
    Click(pattern, 231 + 33, 155 + 11); // "Reverse"
    EXPECT_TRUE(WaitUntil([&] { return Automations().size() >= earlier + 16; }));
    const auto reported = Automations(); // the 16 steps in order
    for (std::size_t i = earlier; i < reported.size(); ++i)
      EXPECT_EQ(reported[i].Index, 54 + static_cast<int>(i - earlier)) << "automation " << i;
    Click(pattern, 299 + 8, 5 + 7); // the close box
    EXPECT_TRUE(WaitUntil([&] { return Popups().empty(); }));
  });
  ASSERT_TRUE(done);
}

TEST_F(EditorWindow, ClosingTheEditorOrThePlugInWhileThePatternEditorIsOpenEndsBoth) {
  // The host closes from its window's handler, inside the pattern editor's modal loop.
  for (const UINT closing : {kCloseEditor, kClosePlugin}) {
    SCOPED_TRACE(closing == kCloseEditor ? "effEditClose" : "effClose");
    if (!EditorOf(Host)) {
      ASSERT_TRUE(OpenEditor(Fx, Host));
    }
    Editor = EditorOf(Host);
    const bool done = AsUser([&] {
      ASSERT_TRUE(OpenPatternEditor(*this, Editor));
      PostMessageW(Host, closing, 0, 0);
      EXPECT_TRUE(WaitUntil([&] { return Popups().empty() && !EditorOf(Host); }));
    });
    ASSERT_TRUE(done);
  }
  EXPECT_EQ(Plugins.back()->Close(), 0) << "closed already, from inside the loop";
  // The library still serves another instance's editor.
  AEffect* other = Load();
  ASSERT_TRUE(other);
  HWND otherHost = NewHostWindow(80, 80, other);
  EXPECT_TRUE(OpenEditor(other, otherHost));
  CloseEditor(other);
}

TEST_F(EditorWindow, TheAboutBoxIsATopmostToolWindowShowingTheLinuxPictureAroundItsText) {
  Click(Editor, 500, 235); // "About"
  std::vector<HWND> popups;
  ASSERT_TRUE(PumpUntil([&] { return (popups = Popups()).size() == 1; }));
  Pump(100);
  HWND about = popups[0];
  EXPECT_TRUE(GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  const SIZE size = ClientSize(about);
  const auto shown = Pixels(about);
  KeepPicture("about", shown, size);
  const auto snapshot = LinuxSnapshot("about");
  if (!snapshot) GTEST_SKIP() << "no Linux snapshot to compare with (make test-windows makes one)";
  // The version line and the donation button's caption are GDI's Tahoma here
  // and FreeType's substitute there: their boxes are left out, every other pixel agrees.
  EXPECT_EQ(Differing(shown, size, *snapshot,
                      {{20, 150, size.cx - 20, 180}, {243, 200, 243 + 66, 200 + 22}}),
            0);
}

TEST_F(EditorWindow, ANameTypedIntoTheNameEditorBecomesANewPresetInWindows1252) {
  Click(Editor, 407 + 40, 58 + 8); // the name editor takes the keyboard
  Pump(100);
  Key(Editor, VK_END);
  for (int i = 0; i < 22; ++i) Key(Editor, VK_BACK);
  for (const wchar_t ch : std::wstring(L"caf\u00e9")) Type(Editor, ch);
  Pump(100);
  Click(Editor, 407 + 148, 58 + 8); // its button adds the preset
  char name[64] = {};
  EXPECT_TRUE(PumpUntil([&] {
    Fx->dispatcher(Fx, effGetProgramName, 0, 0, name, 0.0f);
    return std::string(name) == "caf\xE9";
  })) << "the edit buffer took the name: "
      << name;
  CloseEditor(Fx);
  EXPECT_EQ(GetFocus(), Host) << "the keyboard goes back to the host's window";
}

// The system's file dialog, once it shows as the only pop-up; null when none came.
HWND WaitForFileDialog(Win32Host& host) {
  std::vector<HWND> popups;
  host.WaitUntil([&] { return (popups = host.Popups()).size() == 1; });
  return popups.size() == 1 ? popups[0] : nullptr;
}

std::wstring Title(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

// The file name's edit field (inside a combo box in Explorer-style dialogs).
BOOL CALLBACK NoteNameField(HWND window, LPARAM out) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  const int id = GetDlgCtrlID(window);
  if (std::wstring(name) != L"Edit" || (id != 0x47C && id != 0x480)) return TRUE;
  *reinterpret_cast<HWND*>(out) = window;
  return FALSE;
}

TEST_F(EditorWindow, ABankSavedThroughTheDialogIsWrittenAndClosingTheEditorCancelsTheOther) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path =
      std::wstring(folder) + L"qvt-dialog-" + std::to_wstring(GetCurrentProcessId()) + L".qvt";
  DeleteFileW(path.c_str());
  std::wstring load, save;
  const bool done = AsUser([&] {
    Click(Editor, 430 + 11, 31 + 11); // the save-bank button
    HWND dialog = WaitForFileDialog(*this);
    ASSERT_TRUE(dialog);
    save = Title(dialog);
    HWND name = nullptr;
    EnumChildWindows(dialog, &NoteNameField, reinterpret_cast<LPARAM>(&name));
    if (!name) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); // the host's thread goes on
    ASSERT_TRUE(name);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(
        WaitUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    Click(Editor, 406 + 11, 31 + 11); // the open-bank button
    dialog = WaitForFileDialog(*this);
    ASSERT_TRUE(dialog);
    load = Title(dialog);
    PostMessageW(Host, kCloseEditor, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) && !EditorOf(Host); }));
    if (IsWindow(dialog))
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); // the host's thread goes on
  });
  ASSERT_TRUE(done);
  EXPECT_EQ(load, L"Load Quivertone presets bank");
  EXPECT_EQ(save, L"Save Quivertone presets bank as");
  EXPECT_TRUE(DeleteFileW(path.c_str())) << "the bank was written where the dialog said";
}

// The system destroys the first editor's window with its host's: the form keeps no dead handle,
// and the second instance's editor, open at the same time, goes on working.
TEST_F(EditorWindow, TwoInstancesLiveSideBySideAndTheFirstReopensAfterItsHostWindowIsDestroyed) {
  AEffect* second = Load();
  ASSERT_TRUE(second);
  HWND otherHost = NewHostWindow(80, 420, second);
  ASSERT_TRUE(OpenEditor(second, otherHost));
  HWND other = EditorOf(otherHost);
  DestroyWindow(Host);
  std::erase(HostWindows, Host);
  Pump(100);
  CloseEditor(Fx);
  // A click on the second's "Osc1 Seq" reaches its host.
  const float seq = second->getParameter(second, 13);
  Click(other, 25 + 6, 30 + 6);
  EXPECT_TRUE(PumpUntil([&] { return second->getParameter(second, 13) != seq; }));
  CloseEditor(second);
  // The first opens again in a new window, and works.
  Host = NewHostWindow(40, 40, Fx);
  ASSERT_TRUE(OpenEditor(Fx, Host));
  Editor = EditorOf(Host);
  const float first = Fx->getParameter(Fx, 13);
  Click(Editor, 25 + 6, 30 + 6);
  EXPECT_TRUE(PumpUntil([&] { return Fx->getParameter(Fx, 13) != first; }));
  CloseEditor(Fx);
}

} // namespace
