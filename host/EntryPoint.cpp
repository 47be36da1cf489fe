// The exported entry point: the only symbols the plug-in library shows a host.
#include "controls/uBitmapEx.h"
#include "core/uSynth.h"
#include "dsp/uOsc.h"
#include "host/vst2.h"

#define QVT_EXPORT __attribute__((visibility("default")))

namespace {

// The skin images every editor control shares live as long as the library is
// loaded. A failure is recorded, not thrown; the editor then draws without them.
struct TSharedSkinImagesLifetime {
  TSharedSkinImagesLifetime() { qvt::LoadSharedSkinImagesGuarded(); }
  ~TSharedSkinImagesLifetime() { qvt::FreeSharedSkinImages(); }
};
const TSharedSkinImagesLifetime gSharedSkinImages;

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
QVT_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
  return CreateEffect(audioMaster);
}
QVT_EXPORT AEffect* VstPluginMain(audioMasterCallback audioMaster) {
  return CreateEffect(audioMaster);
}
// Older hosts look for "main"; the assembler label gives the entry that name.
QVT_EXPORT AEffect* LegacyMain(audioMasterCallback audioMaster) __asm__("main");
AEffect* LegacyMain(audioMasterCallback audioMaster) { return CreateEffect(audioMaster); }
}
