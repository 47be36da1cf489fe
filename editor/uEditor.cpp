#include "editor/uEditor.h"

#include <cstring>

#include "controls/uBitmapEx.h"
#include "controls/uBrndMenu.h"
#include "controls/uPresetBox.h"
#include "editor/uAbout.h"
#include "core/uPlugin.h"
#include "lib/uGlobals.h"
#include "platform/core/uShell.h"

#ifndef QVT_WEB_PAGE
#define QVT_WEB_PAGE "" // empty: the "About" section of the installed manual
#endif
#ifndef QVT_DONATION_PAGE
#define QVT_DONATION_PAGE "" // empty: the "Support" section of the installed manual
#endif

namespace {
constexpr int kFormWidth = 587;
constexpr int kFormHeight = 320;

} // namespace

// The web page and the donation page: build settings; we have no pages of our
// own, so both lead to the manual's "About" section by default.
std::string WebPageAddress(const std::string& helpFile) {
  const std::string configured = QVT_WEB_PAGE;
  if (!configured.empty()) return configured;
  return helpFile.empty() ? std::string() : "file://" + helpFile + "#about";
}

std::string DonationPageAddress(const std::string& helpFile) {
  const std::string configured = QVT_DONATION_PAGE;
  if (!configured.empty()) return configured;
  return helpFile.empty() ? std::string() : "file://" + helpFile + "#support";
}

TFrmQuivertone::TFrmQuivertone(TComponent* AOwner) : TForm(AOwner) {
  WindowKind = qvt::wkChild;
  BorderStyle = bsNone;
  Caption = qvt::kMessageCaption;
  Background = LoadSkinBitmap("FRMMAIN");
  if (Background)
    SetBounds(0, 0, Background->Width(), Background->Height());
  else
    SetBounds(0, 0, kFormWidth, kFormHeight);
  BuildMenus();
  BuildControls();
}

TFrmQuivertone::~TFrmQuivertone() { DestroyComponents(); }

void TFrmQuivertone::FillPresetList() {
  if (!Plugin) return;
  FPresetBox->Clear();
  for (int i = 0; i < Plugin->BankCount(); ++i) {
    const TProgramRecord& record = Plugin->BankProgram(i);
    FPresetBox->AddItem(std::string(record.Name, strnlen(record.Name, sizeof record.Name)));
  }
}

void TFrmQuivertone::DoShow() {
  TForm::DoShow();
  if (!Plugin) return;
  FillPresetList();
  FPresetBox->SetItemIndex(Plugin->SelectedIndex());
  FQuantizeItem->Checked = Plugin->GetNotesQuantization();
  FNameEdit->SetText(Plugin->EditBufferName());
}

void TFrmQuivertone::Paint() {
  if (!Background) {
    TForm::Paint();
    return;
  }
  Canvas().Copy(0, 0, *Background, Bounds(0, 0, Background->Width(), Background->Height()));
}

void TFrmQuivertone::MouseMove(TShiftState Shift, int X, int Y) {
  const TPoint p{X, Y};
  Cursor = kHelpRect.Contains(p) || kAboutRect.Contains(p) || kWebPageRect.Contains(p)
               ? crHandPoint
               : crDefault;
  TForm::MouseMove(Shift, X, Y);
}

void TFrmQuivertone::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TPoint p{X, Y};
  const std::string help = Plugin ? Plugin->GetHelpFile() : std::string();
  if (kHelpRect.Contains(p))
    ShellOpen(help, kCantOpenFileMessage);
  else if (kAboutRect.Contains(p))
    ShowAbout(*this, WebPageAddress(help), DonationPageAddress(help));
  else if (kWebPageRect.Contains(p))
    ShellOpen(WebPageAddress(help), kCantOpenUrlMessage);
  TForm::MouseDown(Button, Shift, X, Y);
}
