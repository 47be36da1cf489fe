#include "lv2/uLv2Ui.h"

#include <cstring>
#include <memory>

#include <lv2/core/lv2_util.h>
#include <lv2/instance-access/instance-access.h>

#include "editor/uEditor.h"
#include "editor/uPluginEditor.h"
#include "lv2/uLv2Plugin.h"
#include "lv2/uLv2Uris.h"
#include "platform/core/uUiRuntime.h"

namespace qvt::lv2 {

namespace {

constexpr int kEditorWidth = 587;
constexpr int kEditorHeight = 320;

// The editor of one plug-in instance. Its changes reach the engine at once
// (the editor calls the plug-in object itself) and the host's ports through
// the write function, each time the host gives the UI its idle call.
struct TLv2Ui {
  TLv2Plugin* Plugin;
  LV2UI_Write_Function Write;
  LV2UI_Controller Controller;

  void WriteChanges() {
    Plugin->DrainUiChanges([this](int index, float value) {
      Write(Controller, static_cast<std::uint32_t>(index), sizeof value, 0, &value);
    });
  }
};

// The form's own window: the widget the host embeds.
LV2UI_Widget FormWindow(TPluginEditor* bridge) {
  qvt::TWindowHandle window = 0;
  if (const auto runtime = qvt::AcquireUiRuntime())
    runtime->Call(
        [&] {
          if (TFrmQuivertone* form = bridge->Form()) window = form->Handle();
        },
        TPluginEditor::kUiTimeoutMs);
  return reinterpret_cast<LV2UI_Widget>(window);
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char*, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) noexcept {
  try {
    void* parent = lv2_features_data(features, LV2_UI__parent);
    auto* plugin = static_cast<TLv2Plugin*>(lv2_features_data(features, LV2_INSTANCE_ACCESS_URI));
    if (!parent || !plugin || !write || !widget) return nullptr;
    auto ui = std::make_unique<TLv2Ui>(TLv2Ui{plugin, write, controller});
    plugin->AttachUi(true);
    AEffect* fx = plugin->Effect();
    if (fx->dispatcher(fx, effEditOpen, 0, 0, parent, 0.0f) != 1) {
      plugin->AttachUi(false);
      return nullptr;
    }
    *widget = FormWindow(plugin->EditorBridge());
    if (const auto* resize =
            static_cast<const LV2UI_Resize*>(lv2_features_data(features, LV2_UI__resize)))
      resize->ui_resize(resize->handle, kEditorWidth, kEditorHeight);
    return ui.release();
  } catch (...) {
    return nullptr;
  }
}

void Cleanup(LV2UI_Handle handle) noexcept {
  auto* ui = static_cast<TLv2Ui*>(handle);
  try {
    AEffect* fx = ui->Plugin->Effect();
    fx->dispatcher(fx, effEditClose, 0, 0, nullptr, 0.0f);
  } catch (...) {
  }
  ui->Plugin->AttachUi(false);
  delete ui;
}

void PortEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format,
               const void* buffer) noexcept {
  if (format != 0 || size != sizeof(float) || !buffer) return;
  float value;
  std::memcpy(&value, buffer, sizeof value);
  try {
    auto* ui = static_cast<TLv2Ui*>(handle);
    ui->Plugin->PortEvent(port, value);
    ui->WriteChanges(); // for hosts that give no idle calls
  } catch (...) {
  }
}

int Idle(LV2UI_Handle handle) noexcept {
  try {
    static_cast<TLv2Ui*>(handle)->WriteChanges();
  } catch (...) {
  }
  return 0;
}

const void* ExtensionData(const char* uri) noexcept {
  static const LV2UI_Idle_Interface idle{Idle};
  if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idle;
  return nullptr;
}

} // namespace

const LV2UI_Descriptor* UiDescriptor() {
  static const LV2UI_Descriptor descriptor{kUiUri, Instantiate, Cleanup, PortEvent, ExtensionData};
  return &descriptor;
}

} // namespace qvt::lv2
