#include "editor/uPluginEditor.h"

#include <cstdint>
#include <thread>

#include "controls/uBitmapEx.h"
#include "core/uPlugin.h"
#include "editor/uEditor.h"
#include "editor/uPatEditor.h"
#include "lib/uGlobals.h"
#include "platform/core/uApplication.h"
#include "platform/core/uUiRuntime.h"

namespace {
constexpr std::int16_t kEditorWidth = 587;
constexpr std::int16_t kEditorHeight = 320;
} // namespace

TPluginEditor::TPluginEditor(TPlugin* plugin) : AEffEditor(plugin), Plugin(plugin) {}

TPluginEditor::~TPluginEditor() {
  Plugin->EditorClosed.store(true);
  if (FRuntime) {
    // The form must be gone before the plug-in it shows: this waits as long as it takes.
    while (!FRuntime->Call([this] { CloseOnUiThread(true); }, kUiTimeoutMs)) {
    }
    if (!FRuntime->OnUiThread()) {
      WaitUntilFormGone(false);
    } else {
      // The host's thread is the UI thread (Windows) and the host closes the
      // plug-in from inside a loop of the form (a message box, the pattern
      // editor): the form goes only when the handlers below this call unwind,
      // and waiting here would wait for ever. It lets go of the plug-in now.
      std::lock_guard lock(FLife->Lock);
      if (FLife->Alive && FClosingForm) {
        FClosingForm->SetPlugin(nullptr);
        if (TFrmPatEditor* pattern = PatternEditor(); pattern && pattern->RootForm() == FClosingForm)
          pattern->SetPlugin(nullptr);
      }
    }
    ReleaseRuntime();
  }
  FParentWindow = nullptr;
}

bool TPluginEditor::getRect(ERect** rect) {
  Rect = ERect{0, 0, kEditorHeight, kEditorWidth};
  if (rect) *rect = &Rect;
  return true;
}

bool TPluginEditor::open(void* ptr) {
  if (!FRuntime) FRuntime = qvt::AcquireUiRuntime();
  if (!FRuntime) return false; // no display, or no editor windows in this program
  bool opened = false;
  const bool ran = FRuntime->Call([&] { opened = OpenOnUiThread(ptr); }, kUiTimeoutMs);
  if (!ran || !opened) {
    if (FOpenCount.load() == 0) ReleaseRuntime();
    return false;
  }
  return true;
}

void TPluginEditor::close() {
  if (!FRuntime) {
    FOpenCount = 0;
    return;
  }
  bool going = false;
  if (FRuntime->Call([&] { going = CloseOnUiThread(false); }, kUiTimeoutMs) && going &&
      !FRuntime->OnUiThread())
    WaitUntilFormGone(true);
  bool alive;
  {
    std::lock_guard lock(FLife->Lock);
    alive = FLife->Alive;
  }
  // A form still on its way out is waited for by the destructor.
  if (FOpenCount.load() == 0 && !alive) ReleaseRuntime();
}

bool TPluginEditor::OpenOnUiThread(void* parent) {
  const auto handle = reinterpret_cast<qvt::TWindowHandle>(parent);
  try {
#if defined(_WIN32)
    // Windows decodes the skin images with a system component that must not be
    // started while the library loads: the first editor loads them.
    if (!qvt::SharedSkinImages().Knob128 && !*qvt::SharedSkinImagesError())
      qvt::LoadSharedSkinImagesGuarded();
#endif
    FParentWindow = parent;
    Application->Handle = handle;
    ++FOpenCount;
    if (FOpenCount.load() == 1 || !FForm) {
      auto form = std::make_unique<TFrmQuivertone>(nullptr);
      form->SetParentWindow(handle);
      form->SetBounds(0, 0, kEditorWidth, kEditorHeight);
      form->SetPlugin(Plugin);
      FForm = form.release();
      std::lock_guard lock(FLife->Lock);
      FLife->Alive = true;
    }
    Plugin->EditorClosed.store(false);
    FWakeTarget = FRuntime.get();
    Application->AddPollHandler(this, [this] { ShowPendingParams(); });
    for (int index = 0; index < qvt::kNumParams; ++index)
      FForm->SetParam(index, index < qvt::kNumStoredParams ? Plugin->getParameter(index) : 0.0f);
    FForm->Show();
    FForm->PaintNow();
    return true;
  } catch (...) {
    CloseOnUiThread(true);
    return false;
  }
}

bool TPluginEditor::CloseOnUiThread(bool all) {
  const int count = all ? 0 : std::max(FOpenCount.load() - 1, 0);
  FOpenCount = count;
  if (count > 0 || !FForm) return false;
  // From here on no change reaches the form, and the form calls nothing in the host.
  Plugin->EditorClosed.store(true);
  FWakeTarget = nullptr;
  Application->RemovePollHandler(this);
  TFrmQuivertone* form = FForm;
  FForm = nullptr;
  FClosingForm = form;
  if (Application->Handle == form->ParentWindow()) Application->Handle = 0;
  FParentWindow = nullptr;
  form->Hide();
  // Message boxes, menus and dialogs of this form end with their harmless
  // answer; the form goes once none of its handlers is running.
  Application->CancelModalLoops(form);
  Application->FreeWhenUnwound(form, [life = FLife] {
    {
      std::lock_guard lock(life->Lock);
      life->Alive = false;
    }
    life->Changed.notify_all();
  });
  return true;
}

void TPluginEditor::WaitUntilFormGone(bool bounded) {
  std::unique_lock lock(FLife->Lock);
  if (bounded)
    FLife->Changed.wait_for(lock, std::chrono::milliseconds(kUiTimeoutMs),
                            [this] { return !FLife->Alive; });
  else
    FLife->Changed.wait(lock, [this] { return !FLife->Alive; });
}

void TPluginEditor::ReleaseRuntime() {
  // ParamChanged calls that saw the runtime before the form went finish first.
  while (FWakers.load() != 0) std::this_thread::yield();
  FRuntime.reset();
}

void TPluginEditor::ShowPendingParams() {
  FWakePending = false;
  FPending.Drain([this](int index, float value) {
    if (FForm && !Plugin->EditorClosed.load()) FForm->SetParam(index, value);
  });
}

void TPluginEditor::update() {
  ++FWakers;
  if (qvt::TUiRuntime* runtime = FWakeTarget.load()) {
    if (runtime->OnUiThread()) {
      if (FForm) FForm->FillPresetList();
    } else {
      // Queued behind any close, which the bridge's destruction waits for.
      runtime->Post([this] {
        if (FForm) FForm->FillPresetList();
      });
    }
  }
  --FWakers;
}

void TPluginEditor::ParamChanged(int index, float value) {
  if (Plugin->EditorClosed.load()) return;
  ++FWakers;
  if (qvt::TUiRuntime* runtime = FWakeTarget.load()) {
    if (runtime->OnUiThread()) {
      if (FForm) FForm->SetParam(index, value);
    } else {
      FPending.Store(index, value);
      if (!FWakePending.exchange(true)) runtime->Wake();
    }
  }
  --FWakers;
}
