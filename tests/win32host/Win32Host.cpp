#include "tests/win32host/Win32Host.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

const wchar_t kHostClass[] = L"QvtTestHost";

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* plugin = reinterpret_cast<qvt::THostedPlugin*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (plugin && message == Win32Host::kCloseEditor) {
    plugin->Dispatch(effEditClose);
    return 0;
  }
  if (plugin && message == Win32Host::kClosePlugin) {
    plugin->Close();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterHostClass() {
  static const bool registered = [] {
    WNDCLASSW c{};
    c.lpfnWndProc = &HostProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    c.lpszClassName = kHostClass;
    return RegisterClassW(&c) != 0;
  }();
  (void)registered;
}

BOOL CALLBACK CollectPopup(HWND window, LPARAM found) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (IsWindowVisible(window) && std::wstring(name) != kHostClass)
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

} // namespace

void Win32Host::TearDown() {
  Plugins.clear(); // effClose, then the library's unload
  for (HWND w : HostWindows) DestroyWindow(w);
  HostWindows.clear();
}

HWND Win32Host::NewHostWindow(int left, int top, AEffect* fx) {
  RegisterHostClass();
  HWND w = CreateWindowExW(0, kHostClass, L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top,
                           kWidth + 60, kHeight + 80, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
  for (const auto& plugin : Plugins)
    if (plugin->Effect() == fx) SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(plugin.get()));
  HostWindows.push_back(w);
  return w;
}

AEffect* Win32Host::Load() {
  std::string error;
  auto plugin = qvt::THostedPlugin::Load(QVT_PLUGIN_PATH, error);
  EXPECT_TRUE(plugin) << error;
  if (!plugin) return nullptr;
  AEffect* fx = plugin->Effect();
  Plugins.push_back(std::move(plugin));
  return fx;
}

namespace {

// A wait's bound, stretched where wine runs under an emulator (QVT_TEST_TIME_SCALE,
// set by run-with-display.sh): there loading and painting take many times longer.
std::chrono::steady_clock::time_point DeadlineAfter(int ms) {
  static const int scale = [] {
    const char* text = std::getenv("QVT_TEST_TIME_SCALE");
    const int value = text ? std::atoi(text) : 1;
    return value >= 1 && value <= 100 ? value : 1;
  }();
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms) * scale;
}

bool PumpTo(const std::function<bool()>& done, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

} // namespace

bool Win32Host::PumpUntil(const std::function<bool()>& done, int ms) {
  return PumpTo(done, DeadlineAfter(ms));
}

void Win32Host::Pump(int ms) {
  PumpTo([] { return false; }, std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

bool Win32Host::AsUser(const std::function<void()>& user, int ms) {
  std::atomic<bool> done{false};
  std::thread thread([&] {
    user();
    done = true;
  });
  const bool finished = PumpUntil([&] { return done.load(); }, ms);
  thread.join(); // the user's waits are bounded
  return finished;
}

bool Win32Host::WaitUntil(const std::function<bool()>& done, int ms) {
  const auto deadline = DeadlineAfter(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(10);
  }
  return true;
}

HWND Win32Host::EditorOf(HWND host) { return FindWindowExW(host, nullptr, nullptr, nullptr); }

std::vector<HWND> Win32Host::Popups() const {
  std::vector<HWND> found;
  EnumThreadWindows(UiThread, &CollectPopup, reinterpret_cast<LPARAM>(&found));
  return found;
}

SIZE Win32Host::ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

void Win32Host::Click(HWND window, int x, int y) {
  PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void Win32Host::Drag(HWND window, int x, int y, int dx, int dy) {
  PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y + dy));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y + dy));
}

void Win32Host::Key(HWND window, WORD key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

void Win32Host::Type(HWND window, wchar_t ch) { PostMessageW(window, WM_CHAR, ch, 1); }

std::vector<std::uint32_t> Win32Host::Pixels(HWND window) {
  const SIZE size = ClientSize(window);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);
  if (pixels.empty()) return pixels;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC target = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(target, dib);
  // What the window put on the screen (its painting through WM_PAINT).
  HDC shown = GetDC(window);
  BitBlt(target, 0, 0, size.cx, size.cy, shown, 0, 0, SRCCOPY);
  ReleaseDC(window, shown);
  GdiFlush();
  const auto* source = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0xFFFFFF;
  SelectObject(target, old);
  DeleteDC(target);
  DeleteObject(dib);
  ReleaseDC(nullptr, screen);
  return pixels;
}
