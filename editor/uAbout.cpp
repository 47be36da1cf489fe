#include "editor/uAbout.h"

#include <algorithm>
#include <cstdio>

#include "controls/uBitmapEx.h"
#include "controls/uZButtons.h"
#include "lib/uVersion.h"
#include "platform/core/uApplication.h"
#include "platform/core/uLabel.h"
#include "platform/core/uShell.h"

namespace {

TFrmAbout* GAbout = nullptr;

#if defined(_WIN32)
constexpr const char* kPlatformWord = "Win32";
#else
constexpr const char* kPlatformWord = "Linux x86-64";
#endif

TLabel* VersionLabel(TFrmAbout* form, int left, int top, TColor color) {
  auto* label = new TLabel(form);
  label->SetBounds(left, top, 115, 16);
  label->Font.Name = "Tahoma";
  label->Font.Height = -13;
  label->Font.Color = color;
  label->Transparent = true;
  label->SetParent(form);
  return label;
}

} // namespace

TFrmAbout::TFrmAbout(TComponent* AOwner) : TForm(AOwner) {
  BorderStyle = bsNone;
  Caption = "About Quivertone";
  WindowKind = qvt::wkPopup;
  Topmost = true;
  Background = LoadSkinBitmap("FRMABOUT");
  SetBounds(0, 0, Background->Width(), Background->Height());
  auto* donation = new TZSButton(this);
  donation->SetCaption("Donation");
  donation->SetTop(200);
  donation->SetLeft(243);
  donation->SetParent(this);
  donation->OnClick = [this](TObject*) {
    if (ShellOpen(DonationPage, kCantOpenUrlMessage)) Close();
  };
  auto* close = new TZCloseButton(this);
  close->SetTop(5);
  close->SetLeft(307);
  close->SetParent(this);
  FShadow = VersionLabel(this, 26, 157, RGBColor(58, 58, 58));
  FText = VersionLabel(this, 25, 156, clWhite);
  OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  GAbout = this;
}

TFrmAbout::~TFrmAbout() {
  DestroyComponents();
  if (GAbout == this) GAbout = nullptr;
}

std::string TFrmAbout::BuildText() {
  const qvt::TVersion v = qvt::ModuleVersion();
  char text[64];
  std::snprintf(text, sizeof text, "Build: %d.%d.%d.%d %s", v.Major, v.Minor, v.Release, v.Build,
                kPlatformWord);
  return text;
}

const std::string& TFrmAbout::ShownText() const { return FText->Caption(); }

void TFrmAbout::DoShow() {
  TForm::DoShow();
  FShadow->SetCaption(BuildText());
  FText->SetCaption(FShadow->Caption());
  // The 115-pixel box holds the text in Tahoma; a wider substitute face gets the room it needs.
  Canvas().Font = FText->Font;
  const int width = std::max(115, Canvas().TextWidth(FText->Caption()) + 2);
  FShadow->SetWidth(width);
  FText->SetWidth(width);
  if (!OwnerForm) return;
  const TRect r = OwnerForm->ScreenRect();
  SetBounds(std::max(0, r.Left + (r.Width() - Width()) / 2),
            std::max(0, r.Top + (r.Height() - Height()) / 2), Width(), Height());
}

void TFrmAbout::Paint() {
  Canvas().Copy(0, 0, *Background, Bounds(0, 0, Background->Width(), Background->Height()));
}

void TFrmAbout::MouseMove(TShiftState Shift, int X, int Y) {
  Cursor = kLinkRect.Contains({X, Y}) ? crHandPoint : crDefault;
  TForm::MouseMove(Shift, X, Y);
}

void TFrmAbout::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TRect drag{1, 1, Width() - 1, 21};
  if (drag.Contains({X, Y})) {
    StartWindowMove();
  } else if (kLinkRect.Contains({X, Y})) {
    if (ShellOpen(WebPage, kCantOpenUrlMessage)) {
      Close();
      return; // the box is on its way out
    }
  }
  TForm::MouseDown(Button, Shift, X, Y);
}

TFrmAbout& ShowAbout(TForm& mainForm, const std::string& webPage, const std::string& donationPage) {
  if (!GAbout) {
    auto* about = new TFrmAbout(&mainForm);
    about->OwnerForm = &mainForm;
    about->SetParentWindow(mainForm.Handle());
  }
  GAbout->WebPage = webPage;
  GAbout->DonationPage = donationPage;
  GAbout->Show();
  GAbout->BringToFront();
  return *GAbout;
}

TFrmAbout* AboutBox() { return GAbout; }
