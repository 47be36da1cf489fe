#include "tests/editorhost/EditorHost.h"

#include <dlfcn.h>

#include <cstdlib>

namespace {
// Windows of the plug-in may go between listing and asking: such errors are expected here.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }
} // namespace

void EditorHost::SetUp() {
  // Kept loaded, so that what the fonts library keeps until exit is not taken for a leak.
  static void* const kept = dlopen(QVT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  (void)kept;
  XSetErrorHandler(IgnoreErrors);
  X = XOpenDisplay(nullptr);
  if (!X) GTEST_SKIP() << "Editor host test skipped: no X display (run it under xvfb-run)";
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(X, &event, &error, &major, &minor))
    GTEST_SKIP() << "Editor host test skipped: the server lacks XTEST";
}

void EditorHost::TearDown() {
  Plugins.clear(); // effClose, then the library's unload
  if (!X) return;
  for (Window w : HostWindows) XDestroyWindow(X, w);
  XCloseDisplay(X);
}

Window EditorHost::NewHostWindow(int left, int top) {
  const Window w = XCreateSimpleWindow(X, DefaultRootWindow(X), left, top, kWidth + 40,
                                       kHeight + 40, 0, 0, 0x404040);
  XSelectInput(X, w, StructureNotifyMask);
  XMapWindow(X, w);
  XEvent e;
  do XWindowEvent(X, w, StructureNotifyMask, &e);
  while (e.type != MapNotify);
  HostWindows.push_back(w);
  return w;
}

AEffect* EditorHost::Load() {
  std::string error;
  auto plugin = qvt::THostedPlugin::Load(QVT_PLUGIN_PATH, error);
  EXPECT_TRUE(plugin) << error;
  if (!plugin) return nullptr;
  AEffect* fx = plugin->Effect();
  Plugins.push_back(std::move(plugin));
  return fx;
}

bool EditorHost::WaitUntil(const std::function<bool()>& done, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    XSync(X, False);
    while (XPending(X) > 0) {
      XEvent e;
      XNextEvent(X, &e);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::vector<EditorHost::TChild> EditorHost::MappedChildren(Window window) {
  std::vector<TChild> result;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(X, window, &root, &parent, &children, &count)) return result;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(X, children[i], &a) && a.map_state == IsViewable)
      result.push_back({children[i], a.width, a.height});
  }
  if (children) XFree(children);
  return result;
}

bool EditorHost::HasEditorChild(Window window) {
  for (const TChild& c : MappedChildren(window))
    if (c.Width == kWidth && c.Height == kHeight) return true;
  return false;
}

std::vector<Window> EditorHost::PopupWindows() {
  std::vector<Window> result;
  for (const TChild& c : MappedChildren(DefaultRootWindow(X)))
    if (std::find(HostWindows.begin(), HostWindows.end(), c.Id) == HostWindows.end())
      result.push_back(c.Id);
  return result;
}

std::vector<std::uint32_t> EditorHost::Pixels(Window window, int x, int y, int width, int height) {
  std::vector<std::uint32_t> result;
  XSync(X, False);
  XImage* image = XGetImage(X, window, x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return result;
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col)
      result.push_back(static_cast<std::uint32_t>(XGetPixel(image, col, row) & 0xFFFFFF));
  XDestroyImage(image);
  return result;
}

// The pointer at (x, y) of `window` in root coordinates.
static void PointerTo(Display* x11, Window window, int x, int y, int& rx, int& ry) {
  Window child = 0;
  XTranslateCoordinates(x11, window, DefaultRootWindow(x11), x, y, &rx, &ry, &child);
  XTestFakeMotionEvent(x11, DefaultScreen(x11), rx, ry, CurrentTime);
}

void EditorHost::ClickAt(Window window, int x, int y) {
  int rx = 0, ry = 0;
  PointerTo(X, window, x, y, rx, ry);
  XTestFakeButtonEvent(X, 1, True, CurrentTime);
  XTestFakeButtonEvent(X, 1, False, CurrentTime);
  XSync(X, False);
}

void EditorHost::DragIn(Window window, int x, int y, int dx, int dy) {
  int rx = 0, ry = 0;
  PointerTo(X, window, x, y, rx, ry);
  XTestFakeButtonEvent(X, 1, True, CurrentTime);
  XSync(X, False);
  WaitUntil([] { return false; }, 50);
  XTestFakeMotionEvent(X, DefaultScreen(X), rx + dx, ry + dy, CurrentTime);
  XSync(X, False);
  WaitUntil([] { return false; }, 50);
  XTestFakeButtonEvent(X, 1, False, CurrentTime);
  XSync(X, False);
}
