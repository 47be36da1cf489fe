// The exported entry point: the only symbols the plug-in library shows a host.
#include "core/uSynth.h"
#include "dsp/uOsc.h"
#include "host/vst2.h"
#if defined(QVT_SHARED_SKIN_IMAGES)
#include "controls/uBitmapEx.h"
#endif
#if defined(QVT_X11_EDITOR)
#include "platform/x11/uX11UiThread.h"
#endif
#if defined(QVT_WIN32_EDITOR)
#include "platform/win32/uWin32UiRuntime.h"
#endif

// Windows: the module-definition file Quivertone.def names the exports.
#if defined(_WIN32)
#define QVT_EXPORT
#else
#define QVT_EXPORT __attribute__((visibility("default")))
#endif

namespace {

#if defined(QVT_SHARED_SKIN_IMAGES)
// The skin images every editor control shares live as long as the library is
// loaded. A failure is recorded, not thrown; the editor then draws without them.
// Windows decodes them through a system component that may not start while the
// library loads: there the first editor loads them.
struct TSharedSkinImagesLifetime {
  TSharedSkinImagesLifetime() {
#if !defined(_WIN32)
    qvt::LoadSharedSkinImagesGuarded();
#endif
  }
  ~TSharedSkinImagesLifetime() { qvt::FreeSharedSkinImages(); }
};
const TSharedSkinImagesLifetime gSharedSkinImages;
#endif

#if defined(QVT_X11_EDITOR)
// Editors open on the process's X11 UI thread.
struct TEditorRuntimeChoice {
  TEditorRuntimeChoice() { qvt::SetUiRuntimeProvider(&qvt::AcquireX11UiThread); }
};
const TEditorRuntimeChoice gEditorRuntime;
#endif

#if defined(QVT_WIN32_EDITOR)
// Editors open on the host's GUI thread, which is their UI thread.
struct TEditorRuntimeChoice {
  TEditorRuntimeChoice() { qvt::SetUiRuntimeProvider(&qvt::AcquireWin32UiRuntime); }
};
const TEditorRuntimeChoice gEditorRuntime;
#endif

AEffect* CreateEffect(audioMasterCallback audioMaster) noexcept {
  try {
    // Without its wavetable the instrument cannot sound: refuse to load.
    if (!qvt::WaveTableLoaded()) return nullptr;
    // A scanner may call without a callback; such a host is not asked for its version.
    if (audioMaster && audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
      return nullptr;
    auto* synth = new TSynth(audioMaster);
    return synth->getAeffect();
  } catch (...) {
    return nullptr;
  }
}

} // namespace

extern "C" {
QVT_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster) {
  return CreateEffect(audioMaster);
}
QVT_EXPORT AEffect* VSTCALLBACK VstPluginMain(audioMasterCallback audioMaster) {
  return CreateEffect(audioMaster);
}
// Older hosts look for "main". On Linux the assembler label gives the entry
// that name; on Windows the module-definition file exports it as "main".
#if defined(_WIN32)
AEffect* VSTCALLBACK LegacyMain(audioMasterCallback audioMaster);
#else
QVT_EXPORT AEffect* LegacyMain(audioMasterCallback audioMaster) __asm__("main");
#endif
AEffect* VSTCALLBACK LegacyMain(audioMasterCallback audioMaster) {
  return CreateEffect(audioMaster);
}
}
