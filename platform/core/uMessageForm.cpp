#include "platform/core/uMessageForm.h"

#include <algorithm>

#include "platform/core/uApplication.h"
#include "platform/core/uDialogControls.h"

namespace {

constexpr TColor kPanel = qvt::kDialogFace;
constexpr TColor kInk = qvt::kDialogInk;
constexpr TColor kStrip = qvt::kDialogStrip;
constexpr int kStripHeight = 20;
constexpr int kMargin = 14;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 8;
constexpr int kMinTextWidth = 180;
constexpr int kMaxTextWidth = 420;

TFont BoxFont(TColor color) { return qvt::DialogFont(color); }

// Breaks text at line ends and, where a line is wider than `width`, between words.
std::vector<std::string> WrapText(TCanvas& canvas, const std::string& text, int width) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    std::string paragraph =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
    std::string line;
    std::size_t pos = 0;
    while (pos <= paragraph.size()) {
      std::size_t next = paragraph.find(' ', pos);
      if (next == std::string::npos) next = paragraph.size();
      const std::string word = paragraph.substr(pos, next - pos);
      const std::string joined = line.empty() ? word : line + " " + word;
      if (!line.empty() && canvas.TextWidth(joined) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = joined;
      }
      pos = next + 1;
    }
    lines.push_back(line);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

std::vector<int> ButtonsOf(unsigned flags) {
  switch (flags & qvt::mbButtonsMask) {
  case qvt::mbOkCancel: return {qvt::idOk, qvt::idCancel};
  case qvt::mbYesNo: return {qvt::idYes, qvt::idNo};
  default: return {qvt::idOk};
  }
}

const char* ButtonCaption(int answer) {
  switch (answer) {
  case qvt::idCancel: return "Cancel";
  case qvt::idYes: return "Yes";
  case qvt::idNo: return "No";
  default: return "OK";
  }
}

void DrawIcon(TCanvas& c, int x, int y, unsigned flags) {
  const char* glyph = nullptr;
  TColor color = kInk;
  switch (flags & qvt::mbIconMask) {
  case qvt::mbIconError: glyph = "x", color = RGBColor(255, 110, 90); break;
  case qvt::mbIconQuestion: glyph = "?"; break;
  case qvt::mbIconWarning: glyph = "!", color = RGBColor(255, 210, 90); break;
  case qvt::mbIconInformation: glyph = "i"; break;
  default: return;
  }
  // A disc drawn as a polygon, with the sign in its middle.
  std::vector<TPoint> disc;
  constexpr int kSteps = 32;
  constexpr double kTurn = 6.283185307179586;
  for (int i = 0; i < kSteps; ++i) {
    const double a = kTurn * i / kSteps;
    disc.push_back({x + kIconSize / 2 + static_cast<int>(15.5 * __builtin_cos(a)),
                    y + kIconSize / 2 + static_cast<int>(15.5 * __builtin_sin(a))});
  }
  c.Brush.Style = bsSolid;
  c.Brush.Color = color;
  c.Pen.Color = color;
  c.Polygon(disc);
  TFont font = BoxFont(kPanel);
  font.Height = -20;
  font.Style = fsBold;
  c.Font = font;
  c.Brush.Style = bsClear;
  c.TextRect(Bounds(x, y, kIconSize, kIconSize), glyph, tfCenter | tfVerticalCenter);
}

} // namespace

TMessageForm::TMessageForm(const qvt::TMessageBoxRequest& request)
    : TForm(nullptr), FRequest(request), FAnswer(qvt::PassiveAnswer(request.Flags)) {
  WindowKind = qvt::wkPopup;
  BorderStyle = bsNone;
  Topmost = true;
  Caption = request.Caption;
  Color = kPanel;
  // Owned by the window of the editor that asks, else by the application's.
  const TForm* root = Application->CurrentRoot();
  SetParentWindow(root && root->ParentWindow() ? root->ParentWindow() : Application->Handle);

  TBitmap measure(1, 1);
  TCanvas canvas(&measure);
  canvas.Font = BoxFont(kInk);
  FLines = WrapText(canvas, request.Text, kMaxTextWidth);
  int textWidth = kMinTextWidth;
  for (const std::string& line : FLines) textWidth = std::max(textWidth, canvas.TextWidth(line));
  const int lineHeight = canvas.TextHeight("Ag") + 2;
  const bool hasIcon = (request.Flags & qvt::mbIconMask) != 0;
  const int textLeft = kMargin + (hasIcon ? kIconSize + kMargin : 0);
  const int textHeight = std::max(hasIcon ? kIconSize : 0, lineHeight * static_cast<int>(FLines.size()));
  const std::vector<int> answers = ButtonsOf(request.Flags);
  const int buttonsWidth =
      static_cast<int>(answers.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
  const int width = std::max(textLeft + textWidth + kMargin, buttonsWidth + 2 * kMargin);
  const int buttonsTop = kStripHeight + kMargin + textHeight + kMargin;
  const int height = buttonsTop + kButtonHeight + kMargin;

  // Centred on the owner's window, else on the screen's work area.
  TRect around = Application->Platform()
                     ? Application->Platform()->WindowScreenRect(ParentWindow())
                     : TRect{};
  if (around.IsEmpty() && Application->Platform())
    around = Application->Platform()->WorkAreaAt({0, 0});
  SetBounds(around.Left + (around.Width() - width) / 2, around.Top + (around.Height() - height) / 2,
            width, height);

  int left = (width - buttonsWidth) / 2;
  for (const int answer : answers) {
    auto* button = new TDialogButton(this, ButtonCaption(answer));
    button->OnClick = [this, answer](TObject*) { Answer(answer); };
    button->SetBounds(left, buttonsTop, kButtonWidth, kButtonHeight);
    left += kButtonWidth + kButtonGap;
  }
}

void TMessageForm::Answer(int answer) {
  FAnswer = answer;
  ModalResult = answer;
}

int TMessageForm::Execute() {
  // The first button has the focus, as in the system's boxes.
  if (ControlCount() > 0) SetActiveControl(static_cast<TWinControl*>(Controls(0)));
  const int result = ShowModal();
  return result == mrCancel && FAnswer != qvt::idCancel ? qvt::PassiveAnswer(FRequest.Flags)
                                                        : FAnswer;
}

void TMessageForm::Paint() {
  TForm::Paint();
  TCanvas& c = Canvas();
  c.Brush.Style = bsSolid;
  c.Brush.Color = kStrip;
  c.FillRect({0, 0, Width(), kStripHeight});
  c.Brush.Color = kInk;
  c.FrameRect(ClientRect());
  c.Font = BoxFont(kInk);
  c.Font.Style = fsBold;
  c.Brush.Style = bsClear;
  c.TextRect({kMargin, 0, Width() - kMargin, kStripHeight}, Caption,
             tfVerticalCenter | tfEndEllipsis);
  const bool hasIcon = (FRequest.Flags & qvt::mbIconMask) != 0;
  if (hasIcon) DrawIcon(c, kMargin, kStripHeight + kMargin, FRequest.Flags);
  c.Font = BoxFont(kInk);
  c.Brush.Style = bsClear;
  const int left = kMargin + (hasIcon ? kIconSize + kMargin : 0);
  const int lineHeight = c.TextHeight("Ag") + 2;
  int top = kStripHeight + kMargin;
  for (const std::string& line : FLines) {
    c.TextOut(left, top, line);
    top += lineHeight;
  }
}

void TMessageForm::DispatchKeyDown(std::uint16_t key, TShiftState shift) {
  // Escape and the arrows belong to the box, whichever button has the focus.
  if (key == vkEscape || key == vkLeft || key == vkRight)
    KeyDown(key, shift);
  else
    TForm::DispatchKeyDown(key, shift);
}

void TMessageForm::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  if (Key == vkEscape) {
    Key = 0;
    Answer(qvt::PassiveAnswer(FRequest.Flags));
    return;
  }
  if ((Key == vkLeft || Key == vkRight) && ControlCount() > 1) {
    std::uint16_t tab = vkTab;
    const TShiftState direction = Key == vkLeft ? ssShift : 0;
    Key = 0;
    TForm::KeyDown(tab, direction);
    return;
  }
  TForm::KeyDown(Key, Shift);
}

void TMessageForm::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TForm::MouseDown(Button, Shift, X, Y);
  // The caption strip moves the box.
  if (Button == mbLeft && Y < kStripHeight) StartWindowMove();
}

namespace qvt {

int ShowDrawnMessageBox(const TMessageBoxRequest& request) {
  TMessageForm form(request);
  return form.Execute();
}

} // namespace qvt
