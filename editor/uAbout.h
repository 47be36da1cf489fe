// TFrmAbout: the about box. A small skinned window owned by the main form that
// shows the library's version and leads to the web page; it frees itself when
// closed, and at most one exists.
#pragma once

#include <memory>
#include <string>

#include "platform/core/uForms.h"

class TLabel;

class TFrmAbout : public TForm {
public:
  explicit TFrmAbout(TComponent* AOwner);
  ~TFrmAbout() override;

  // The main form: the box is centred on it, and its plug-in's manual gives the web page.
  TForm* OwnerForm = nullptr;
  std::string WebPage;
  std::string DonationPage;

  // "Build: 2.2.0.24 Linux": the library's version and its platform.
  static std::string BuildText();
  const std::string& ShownText() const;

  static constexpr TRect kLinkRect{20, 176, 206, 404};

  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

protected:
  void DoShow() override;

private:
  std::unique_ptr<TBitmap> Background;
  TLabel* FShadow;
  TLabel* FText;
};

// The main form's about action: shows the box, made on first use and owned by `mainForm`.
TFrmAbout& ShowAbout(TForm& mainForm, const std::string& webPage, const std::string& donationPage);
// The box while it exists.
TFrmAbout* AboutBox();
