#include "platform/headless/uHeadlessPlatform.h"

#include <cctype>

#include "platform/core/uApplication.h"
#include "platform/core/uForms.h"
#include "platform/freetype/uFreeTypeFonts.h"
#include "platform/headless/uPngWriter.h"

namespace qvt {

std::unique_ptr<TPlatform> CreatePlatform() { return std::make_unique<THeadlessPlatform>(); }

THeadlessPlatform::THeadlessPlatform() : FFonts(std::make_unique<TFreeTypeFontEngine>()) {
  FPreviousPlatform = Application->Platform();
  Application->SetPlatform(this);
  SetFontEngine(FFonts.get());
  FPreviousBoxHandler = SetMessageBoxHandler(
      [this](const TMessageBoxRequest& request) { return AnswerBox(request); });
}

THeadlessPlatform::~THeadlessPlatform() {
  SetMessageBoxHandler(std::move(FPreviousBoxHandler));
  SetFontEngine(nullptr);
  Application->SetPlatform(FPreviousPlatform);
}

void THeadlessPlatform::Pump() { Application->ProcessMessages(); }

void THeadlessPlatform::AdvanceTime(std::uint64_t ms) {
  const std::uint64_t target = FNow + ms;
  Pump();
  for (;;) {
    const auto due = Application->NextTimerDue();
    if (!due || *due > target) break;
    FNow = std::max(FNow, *due);
    Pump();
  }
  FNow = target;
  Pump();
}

TWindowHandle THeadlessPlatform::CreateHostWindow(const TRect& screenRect) {
  const TWindowHandle handle = FNextHandle++;
  FHostWindows[handle] = screenRect;
  return handle;
}

THeadlessWindow* THeadlessPlatform::WindowOf(TForm& form) const {
  for (const auto& [handle, window] : FWindows)
    if (&window->Form == &form) return window;
  return nullptr;
}

void THeadlessPlatform::MouseDown(TForm& form, int x, int y, TMouseButton button,
                                  TShiftState shift) {
  Application->PostMouseDown(form, button, shift, x, y);
  Pump();
}

void THeadlessPlatform::MouseUp(TForm& form, int x, int y, TMouseButton button, TShiftState shift) {
  Application->PostMouseUp(form, button, shift, x, y);
  Pump();
}

void THeadlessPlatform::MouseMove(TForm& form, int x, int y, TShiftState shift) {
  Application->PostMouseMove(form, shift, x, y);
  Pump();
}

void THeadlessPlatform::Click(TForm& form, int x, int y, TMouseButton button) {
  Application->PostMouseDown(form, button, 0, x, y);
  Application->PostMouseUp(form, button, 0, x, y);
  Pump();
}

void THeadlessPlatform::DoubleClick(TForm& form, int x, int y) {
  Click(form, x, y);
  Click(form, x, y);
}

void THeadlessPlatform::Wheel(TForm& form, int x, int y, int delta) {
  Application->PostMouseWheel(form, 0, delta, x, y);
  Pump();
}

void THeadlessPlatform::MouseLeaveWindow(TForm& form) {
  Application->PostMouseLeave(form);
  Pump();
}

void THeadlessPlatform::KeyDown(TForm& form, std::uint16_t key, TShiftState shift) {
  Application->PostKeyDown(form, key, shift);
  Pump();
}

void THeadlessPlatform::KeyUp(TForm& form, std::uint16_t key, TShiftState shift) {
  Application->PostKeyUp(form, key, shift);
  Pump();
}

void THeadlessPlatform::PressKey(TForm& form, std::uint16_t key, TShiftState shift) {
  Application->PostKeyDown(form, key, shift);
  char typed = 0;
  if (key >= 'A' && key <= 'Z' && !(shift & (ssCtrl | ssAlt)))
    typed = static_cast<char>((shift & ssShift) ? key : std::tolower(key));
  else if (key >= 'A' && key <= 'Z' && (shift & ssCtrl))
    typed = static_cast<char>(key - 'A' + 1); // control characters, as keyboards type them
  else if ((key >= '0' && key <= '9') || key == vkSpace)
    typed = static_cast<char>(key);
  else if (key == vkReturn || key == vkBack || key == vkEscape || key == vkTab)
    typed = static_cast<char>(key);
  if (typed) Application->PostChar(form, typed);
  Application->PostKeyUp(form, key, shift);
  Pump();
}

void THeadlessPlatform::Type(TForm& form, const std::string& text) {
  for (char c : text) Application->PostChar(form, c);
  Pump();
}

void THeadlessPlatform::RequestClose(TForm& form) {
  Application->PostCloseRequest(form);
  Pump();
}

void THeadlessPlatform::SavePng(TForm& form, const std::string& path) {
  form.InvalidateRect(form.ClientRect());
  form.PaintNow();
  WritePng(form.BackBuffer(), path);
}

TBitmap THeadlessPlatform::ControlPicture(TControl& control) {
  TBitmap picture(control.Width(), control.Height());
  TForm* form = control.ParentForm();
  if (!form) return picture;
  form->InvalidateRect(form->ClientRect());
  form->PaintNow();
  const TPoint origin = control.FormOrigin();
  picture.Canvas().Copy(0, 0, form->BackBuffer(),
                        Bounds(origin.X, origin.Y, control.Width(), control.Height()));
  return picture;
}

std::unique_ptr<TNativeWindow> THeadlessPlatform::CreateNativeWindow(TForm& form,
                                                                     const TWindowParams& params) {
  return std::make_unique<THeadlessWindow>(*this, form, params, FNextHandle++);
}

TRect THeadlessPlatform::WindowScreenRect(TWindowHandle window) {
  if (auto host = FHostWindows.find(window); host != FHostWindows.end()) return host->second;
  if (auto ours = FWindows.find(window); ours != FWindows.end()) {
    const TPoint origin = ours->second->ScreenOrigin();
    return Bounds(origin.X, origin.Y, ours->second->Bounds.Width(), ours->second->Bounds.Height());
  }
  return {};
}

void THeadlessPlatform::WaitEvents(std::optional<std::uint64_t>) {
  if (FSteps.empty())
    throw THeadlessStall("a modal loop waits for input, but the script has no step left");
  auto step = std::move(FSteps.front());
  FSteps.pop_front();
  step();
}

int THeadlessPlatform::AnswerBox(const TMessageBoxRequest& request) {
  MessageBoxes.push_back(request);
  if (FBoxAnswers.empty()) return PassiveAnswer(request.Flags);
  const int answer = FBoxAnswers.front();
  FBoxAnswers.pop_front();
  return answer;
}

std::optional<std::string> THeadlessPlatform::FileDialog(const TFileDialogRequest& request) {
  FileDialogs.push_back(request);
  if (FDialogAnswers.empty()) return std::nullopt;
  auto answer = std::move(FDialogAnswers.front());
  FDialogAnswers.pop_front();
  return answer;
}

std::string THeadlessPlatform::ShellOpen(std::string_view target) {
  ShellOpens.emplace_back(target);
  return ShellOpenError;
}

// --- THeadlessWindow --------------------------------------------------------------

THeadlessWindow::THeadlessWindow(THeadlessPlatform& platform, TForm& form,
                                 const TWindowParams& params, TWindowHandle handle)
    : Form(form), Params(params), Bounds(params.Bounds), FPlatform(platform), FHandle(handle) {
  FPlatform.FWindows[FHandle] = this;
}

THeadlessWindow::~THeadlessWindow() { FPlatform.FWindows.erase(FHandle); }

void THeadlessWindow::Present(const TBitmap&, const TRect& dirty) {
  ++PresentCount;
  LastPresented = dirty;
}

TPoint THeadlessWindow::ScreenOrigin() const {
  if (Params.Kind == wkChild && Params.ParentWindow) {
    const TRect parent = FPlatform.WindowScreenRect(Params.ParentWindow);
    return {parent.Left + Bounds.Left, parent.Top + Bounds.Top};
  }
  return {Bounds.Left, Bounds.Top};
}

} // namespace qvt
