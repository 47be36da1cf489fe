// TFrmQuivertone: the editor window that the bridge embeds in the host's
// window. It shows the skin's main picture and follows the plug-in's
// parameters through SetParam; the help and web-page areas of the picture
// open the manual and the web page.
#pragma once

#include <memory>

#include "platform/core/uForms.h"

class TPlugin;

class TFrmQuivertone : public TForm {
public:
  explicit TFrmQuivertone(TComponent* AOwner);
  ~TFrmQuivertone() override;

  void SetPlugin(TPlugin* plugin) { Plugin = plugin; }
  // Shows a parameter value on its control, without sending it back.
  void SetParam(int index, float value);
  bool Updating() const { return FUpdating; }

  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  // The areas of the picture that act on a press (a point on the right or
  // bottom edge is outside).
  static constexpr TRect kHelpRect{495, 214, 553, 223};
  static constexpr TRect kAboutRect{495, 231, 545, 240};
  static constexpr TRect kWebPageRect{495, 248, 558, 257};

private:
  TPlugin* Plugin = nullptr;
  std::unique_ptr<TBitmap> Background;
  bool FUpdating = false;
};

// The web page the web-page area opens: the build's setting, by default the
// "About" section of the installed manual.
std::string WebPageAddress(const std::string& helpFile);
