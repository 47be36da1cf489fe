// The LV2 library's entry points: the plug-in's descriptor and its UI's.
#include <cstring>

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include "controls/uBitmapEx.h"
#include "lv2/uLv2Plugin.h"
#include "lv2/uLv2Ui.h"
#include "lv2/uLv2Uris.h"
#include "platform/x11/uX11UiThread.h"

#define QVT_EXPORT __attribute__((visibility("default")))

namespace {

using qvt::lv2::TLv2Plugin;

// The skin images the editor's controls share live as long as the library.
struct TSharedSkinImagesLifetime {
  TSharedSkinImagesLifetime() { qvt::LoadSharedSkinImagesGuarded(); }
  ~TSharedSkinImagesLifetime() { qvt::FreeSharedSkinImages(); }
};
const TSharedSkinImagesLifetime gSharedSkinImages;

// Editors open on the process's X11 UI thread.
struct TEditorRuntimeChoice {
  TEditorRuntimeChoice() { qvt::SetUiRuntimeProvider(&qvt::AcquireX11UiThread); }
};
const TEditorRuntimeChoice gEditorRuntime;

TLv2Plugin* Self(LV2_Handle handle) { return static_cast<TLv2Plugin*>(handle); }

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) noexcept {
  return TLv2Plugin::Create(rate, features);
}

void ConnectPort(LV2_Handle handle, std::uint32_t port, void* data) noexcept {
  Self(handle)->ConnectPort(port, data);
}

void Activate(LV2_Handle handle) noexcept {
  try {
    Self(handle)->Activate();
  } catch (...) {
  }
}

void Run(LV2_Handle handle, std::uint32_t frames) noexcept {
  try {
    Self(handle)->Run(frames);
  } catch (...) {
  }
}

void Deactivate(LV2_Handle handle) noexcept {
  try {
    Self(handle)->Deactivate();
  } catch (...) {
  }
}

void Cleanup(LV2_Handle handle) noexcept { delete Self(handle); }

LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state,
                      std::uint32_t, const LV2_Feature* const* features) noexcept {
  return Self(handle)->Save(store, state, features);
}

LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle state, std::uint32_t,
                         const LV2_Feature* const* features) noexcept {
  return Self(handle)->Restore(retrieve, state, features);
}

const void* ExtensionData(const char* uri) noexcept {
  static const LV2_State_Interface state{Save, Restore};
  if (uri && std::strcmp(uri, LV2_STATE__interface) == 0) return &state;
  return nullptr;
}

const LV2_Descriptor kDescriptor{qvt::lv2::kPluginUri, Instantiate, ConnectPort,  Activate, Run,
                                 Deactivate,           Cleanup,     ExtensionData};

} // namespace

extern "C" {
QVT_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
QVT_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index) {
  return index == 0 ? qvt::lv2::UiDescriptor() : nullptr;
}
}
