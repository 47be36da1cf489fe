#include "editor/uPluginEditor.h"

#include "core/uPlugin.h"
#include "lib/uGlobals.h"

namespace {
// The Windows build has no window backend yet: it opens no editor window.
#if defined(_WIN32)
constexpr bool kHasWindowBackend = false;
#else
constexpr bool kHasWindowBackend = true;
#endif
constexpr std::int16_t kEditorWidth = 587;
constexpr std::int16_t kEditorHeight = 320;
} // namespace

TPluginEditor::TPluginEditor(TPlugin* plugin) : AEffEditor(plugin), Plugin(plugin) {}

TPluginEditor::~TPluginEditor() {
  Plugin->EditorClosed.store(true);
  ParentWindow_ = nullptr;
}

bool TPluginEditor::getRect(ERect** rect) {
  Rect = ERect{0, 0, kEditorHeight, kEditorWidth};
  if (rect) *rect = &Rect;
  return true;
}

bool TPluginEditor::open(void* ptr) {
  if (!kHasWindowBackend) return false;
  ParentWindow_ = ptr;
  ++OpenCount_;
  Plugin->EditorClosed.store(false);
  for (int index = 0; index < qvt::kNumParams; ++index)
    ParamChanged(index, index < qvt::kNumStoredParams ? Plugin->getParameter(index) : 0.0f);
  return true;
}

void TPluginEditor::close() {
  if (--OpenCount_ < 1) OpenCount_ = 0;
  if (OpenCount_ == 0) {
    Plugin->EditorClosed.store(true);
    ParentWindow_ = nullptr;
  }
}

void TPluginEditor::ParamChanged(int index, float value) {
  (void)index, (void)value; // the editor window arrives with the editor form
}
