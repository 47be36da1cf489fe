#include "controls/uZEditors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>

#include "controls/uBitmapEx.h"
#include "controls/uBrndMenu.h"
#include "platform/core/uClipboard.h"

namespace qvt {

// --- auto-repeat ------------------------------------------------------------------

TAutoRepeat::TAutoRepeat(int lastMedium, std::function<void()> step)
    : FTimer(nullptr), FLastMedium(lastMedium), FStep(std::move(step)) {
  FTimer.SetEnabled(false);
  FTimer.OnTimer = [this](TObject*) {
    ++FCount;
    FTimer.SetInterval(IntervalAfter(FCount, FLastMedium));
    FStep();
  };
}

unsigned TAutoRepeat::IntervalAfter(int count, int lastMedium) {
  if (count <= 3) return 400;
  if (count <= 5) return 300;
  if (count <= 7) return 200;
  if (count <= 10) return 150;
  if (count <= lastMedium) return 100;
  return 50;
}

void TAutoRepeat::Start() {
  FStep();
  if (FTimer.Enabled()) return;
  FCount = 0;
  FTimer.SetInterval(400);
  FTimer.SetEnabled(true);
}

void TAutoRepeat::Stop() {
  FTimer.SetEnabled(false);
  FCount = 0;
}

// --- numbers as text ----------------------------------------------------------------

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
} // namespace

bool ParseValueText(std::string_view text, double& value) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty()) return false;
  double v = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

std::string FormatFixed(double value, int decimals) {
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return result.ec == std::errc() ? std::string(text, result.ptr) : std::string();
}

// --- selectors with two arrows ---------------------------------------------------

TArrowSelector::TArrowSelector(TComponent* AOwner, const TRect& up, const TRect& down)
    : TCustomControl(AOwner), FArrows{up, down},
      FRepeat(20, [this] { Step(FPressed == 0 ? 1 : -1); }) {
  FSpinDown = LoadSkinBitmap("SPIN-BTN-DN");
  ControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
}

void TArrowSelector::DrawPressedArrow(int downTop) {
  if (FPressed < 0) return;
  const TRect& r = FArrows[FPressed];
  FBuffer.Canvas().Copy(r.Left, r.Top, *FSpinDown,
                        Bounds(0, FPressed == 0 ? 0 : downTop, r.Width(), r.Height()));
}

void TArrowSelector::Paint() { Canvas().Copy(0, 0, FBuffer, FBuffer.BoundsRect()); }

void TArrowSelector::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  // A disabled control may still hold the mouse from before; it takes nothing.
  if (Button != mbLeft || (Shift & ssDouble) || !Enabled()) return;
  for (int arrow = 0; arrow < 2; ++arrow)
    if (FArrows[arrow].Contains({X, Y})) {
      FPressed = arrow;
      RedrawBuffer();
      FRepeat.Start();
      return;
    }
}

void TArrowSelector::Release() {
  FRepeat.Stop();
  if (FPressed < 0) return;
  FPressed = -1;
  RedrawBuffer();
}

void TArrowSelector::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Release();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TArrowSelector::CancelMode() { Release(); }

} // namespace qvt

namespace {

constexpr int kBlank = -1;
constexpr int kMinus = 10;

std::mt19937& RandomEngine() {
  static std::mt19937 engine{std::random_device{}()};
  return engine;
}

} // namespace

// --- TZTextSpinEdit -----------------------------------------------------------------

TZTextSpinEdit::TZTextSpinEdit(TComponent* AOwner)
    : TArrowSelector(AOwner, {67, 2, 76, 9}, {67, 10, 76, 18}) {
  FBackground = LoadSkinBitmap("WAVESELECTOR");
  FBuffer = *FBackground;
  SetBounds(Left(), Top(), 78, 19);
  RedrawBuffer();
}

std::string TZTextSpinEdit::ItemText(int index) const {
  if (index < 0 || index >= kOscTypeCount) return {};
  return (std::to_string(index + 1) + " " + kOscTypeText[index]).substr(0, 10);
}

void TZTextSpinEdit::SetMaxValue(int value) {
  FMaxValue = std::max(0, value);
  if (FRealValue > FMaxValue) SetRealValue(FMaxValue);
}

void TZTextSpinEdit::SetRealValue(int value) {
  if (value == FRealValue) return;
  FRealValue = std::clamp(value, 0, FMaxValue);
  RedrawBuffer();
  if (OnChange) OnChange(this);
}

void TZTextSpinEdit::SetValue(double value) {
  if (!std::isfinite(value)) return;
  SetRealValue(static_cast<int>(std::nearbyint(std::clamp(value * 10.0, -1e6, 1e6))));
}

TOscType TZTextSpinEdit::WaveForm() const {
  return static_cast<TOscType>(std::clamp(FRealValue, 0, kOscTypeCount - 1));
}

void TZTextSpinEdit::RedrawBuffer() {
  FBuffer.Canvas().Copy(0, 0, *FBackground, FBackground->BoundsRect());
  if (const TBitmap* font = qvt::SharedSkinImages().Font1.get())
    qvt::DrawFont1Text(FBuffer.Canvas(), *font, ItemText(FRealValue), 5, 6);
  DrawPressedArrow(8);
  if (HandleAllocated()) Repaint();
}

// --- TZSpinEdit ---------------------------------------------------------------------

namespace {

const TRect kSpinText{3, 3, 45, 16};
const TRect kSpinArrows[6] = {{46, 1, 56, 9},  {56, 1, 66, 9},  {66, 1, 76, 9},
                              {46, 9, 56, 17}, {56, 9, 66, 17}, {66, 9, 76, 17}};
const char* const kMenuCaptions[4] = {"Copy Value", "Paste Value", "Random Value", "Set 0"};

// A number with `decimals` decimals as an integer count of its last digit.
long long Scaled(double value, int decimals) {
  return std::llround(std::fabs(value) * std::pow(10.0, decimals));
}

std::string SixDigits(long long n) {
  std::string text = std::to_string(n);
  return std::string(text.size() < 6 ? 6 - text.size() : 0, '0') + text;
}

} // namespace

TZSpinEdit::TZSpinEdit(TComponent* AOwner, const TKind& kind)
    : TCustomControl(AOwner), FKind(kind), FMinValue(kind.HardMin), FMaxValue(kind.HardMax),
      FRepeat(50, [this] { SpinStep(FPressed); }) {
  FFace = LoadSkinBitmap(kind.Face);
  FDisabledFace = LoadSkinBitmap(kind.DisabledFace);
  FSpinDown = LoadSkinBitmap("SPIN-BTN-DN");
  FDigits = LoadSkinBitmap("DIGITS-9");
  ControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
  TabStop = true;
  SetBounds(Left(), Top(), 78, 19);
  FBuffer.SetSize(Width(), Height());
  FBuffer.PixelFormat = pf24bit;

  FMenu = new TBrndPopupMenu(this);
  for (int tag = 0; tag < 4; ++tag)
    AddMenuItem(FMenu, nullptr, kMenuCaptions[tag], tag,
                [this, tag](TObject*) { RunMenuCommand(tag); });
}

TZSpinEdit::~TZSpinEdit() { HideCaretNow(); }

void TZSpinEdit::SetRealValue(double value) {
  if (!std::isfinite(value)) return;
  const double scale = std::pow(10.0, FKind.Decimals);
  const double rounded = std::nearbyint(std::clamp(value, -1e12, 1e12) * scale) / scale;
  if (rounded == FRealValue) return;
  FRealValue = std::min(std::max(rounded, FMinValue), FMaxValue);
  RedrawBuffer();
  if (OnChange) OnChange(this);
}

void TZSpinEdit::SetMaxValue(double value) {
  if (value == FMaxValue || std::isnan(value)) return;
  FMaxValue = std::clamp(value, FKind.HardMin, FKind.HardMax);
}

void TZSpinEdit::SetMinValue(double value) {
  if (value == FMinValue || std::isnan(value)) return;
  FMinValue = std::clamp(value, FKind.HardMin, FKind.HardMax);
}

void TZSpinEdit::RedrawBuffer() {
  TCanvas& canvas = FBuffer.Canvas();
  canvas.Copy(0, 0, *FFace, FFace->BoundsRect());
  if (FPressed >= 0) {
    const TRect& r = kSpinArrows[FPressed];
    canvas.Copy(r.Left + 1, r.Top + 1, *FSpinDown,
                Bounds(0, FPressed < 3 ? 0 : 7, r.Width(), r.Height()));
  }
  int digits[6];
  DigitValues(digits);
  for (int i = 0; i < 6; ++i)
    qvt::DrawDigit(canvas, *FDigits, digits[i], FKind.DigitRects[i].Left, 5);
  if (HandleAllocated()) Repaint();
}

void TZSpinEdit::Paint() {
  Canvas().Copy(0, 0, Enabled() ? FBuffer : *FDisabledFace, ClientRect());
}

void TZSpinEdit::UpdateCaret() {
  FCaretPos = std::clamp(FCaretPos, 1, 6);
  SetCaretPos(FKind.DigitRects[FCaretPos - 1].Left + 1, 15);
  Invalidate();
}

void TZSpinEdit::ShowCaretAt(int position) {
  HideCaretNow();
  FCaretPos = position;
  qvt::CreateSkinCaret(*this);
  UpdateCaret();
  ShowCaret();
  FCaretShown = true;
}

void TZSpinEdit::HideCaretNow() {
  if (!FCaretShown) return;
  FCaretShown = false;
  HideCaret();
  DestroyCaret();
}

void TZSpinEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // A disabled control may still hold the mouse from before; it takes nothing.
  if (!Enabled()) return;
  if (CanFocus()) SetFocus();
  TCustomControl::MouseDown(Button, Shift, X, Y);
  const TPoint p{X, Y};
  if (Button == mbLeft && kSpinText.Contains(p)) {
    int position = FCaretPos;
    for (int i = 0; i < 6; ++i)
      if (FKind.DigitRects[i].Contains(p)) position = i + 1;
    ShowCaretAt(position);
    return;
  }
  HideCaretNow();
  for (int arrow = 0; arrow < 6; ++arrow)
    if (kSpinArrows[arrow].Contains(p)) {
      FPressed = arrow;
      RedrawBuffer();
      FRepeat.Start(); // goes on at its pace when another arrow is already held
      return;
    }
  Release();
  if (Button == mbRight) OpenMenu(X, Y);
}

void TZSpinEdit::Release() {
  FRepeat.Stop();
  if (FPressed < 0) return;
  FPressed = -1;
  RedrawBuffer();
}

void TZSpinEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Release();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TZSpinEdit::CancelMode() {
  HideCaretNow();
  Release();
}

void TZSpinEdit::EnabledChanged() {
  if (!Enabled()) CancelMode();
  TCustomControl::EnabledChanged();
}

void TZSpinEdit::DoExit() {
  HideCaretNow();
  TCustomControl::DoExit();
}

void TZSpinEdit::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  switch (Key) {
  case vkReturn:
  case vkEscape: HideCaretNow(); break;
  case vkEnd: FCaretPos = 6; break;
  case vkHome: FCaretPos = 1; break;
  case vkLeft: --FCaretPos; break;
  case vkRight: ++FCaretPos; break;
  default: break;
  }
  UpdateCaret();
}

void TZSpinEdit::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if ((Key >= '0' && Key <= '9') || (Key == '-' && FMinValue < 0.0)) TypeChar(Key);
  Key = 0;
}

long TZSpinEdit::TypeOver(std::string six, char ch) {
  FCaretPos = std::clamp(FCaretPos, 1, 6);
  if (six.size() == 6) six[static_cast<std::size_t>(FCaretPos - 1)] = ch;
  ++FCaretPos;
  UpdateCaret();
  long n = 0;
  const auto [end, error] = std::from_chars(six.data(), six.data() + six.size(), n);
  return error == std::errc() && end == six.data() + six.size() ? n : 0;
}

void TZSpinEdit::OpenMenu(int X, int Y) {
  double value = 0.0;
  FMenu->Items()->Items(mcPaste)->Enabled =
      ClipboardHasText() && qvt::ParseValueText(GetClipboardText(), value);
  FMenu->SetPopupComponent(this);
  const TPoint screen = ClientToScreen({X, Y});
  FMenu->Popup(screen.X, screen.Y);
}

void TZSpinEdit::RunMenuCommand(int tag) {
  switch (tag) {
  case mcCopy: {
    std::string text = qvt::FormatFixed(FRealValue, 4);
    if (text.size() < 6) text.insert(0, 6 - text.size(), ' ');
    SetClipboardText(text);
    break;
  }
  case mcPaste: {
    double value = 0.0;
    if (qvt::ParseValueText(GetClipboardText(), value)) SetRealValue(value);
    break;
  }
  case mcRandom: {
    const long long span = std::llround(FMaxValue - FMinValue);
    const long long whole =
        span > 0 ? std::uniform_int_distribution<long long>(0, span - 1)(RandomEngine()) : 0;
    const double fraction = std::uniform_real_distribution<double>(0.0, 1.0)(RandomEngine());
    SetRealValue(FMinValue + static_cast<double>(whole) + fraction);
    break;
  }
  case mcSetZero: SetRealValue(0.0); break;
  default: break;
  }
}

// --- TZSpinEditRatio and TZSpinEditOffset ------------------------------------------

namespace {
const TZSpinEdit::TKind kRatioKind{"ZSPINEDITRATIO",
                                   "ZSPINERATIODISABLED",
                                   0.0,
                                   64.0,
                                   4,
                                   {{4, 5, 10, 16},
                                    {10, 5, 16, 16},
                                    {19, 5, 25, 16},
                                    {25, 5, 31, 16},
                                    {31, 5, 37, 16},
                                    {37, 5, 43, 16}}};
const TZSpinEdit::TKind kOffsetKind{"ZSPINEDITOFFSET",
                                    "ZSPINEDITOFFSETDISABLED",
                                    -999.99,
                                    9999.99,
                                    2,
                                    {{4, 5, 10, 16},
                                     {10, 5, 16, 16},
                                     {16, 5, 22, 16},
                                     {22, 5, 28, 16},
                                     {31, 5, 37, 16},
                                     {37, 5, 43, 16}}};

// The step of arrow 0…5: the top row adds, the bottom row subtracts.
double ArrowStep(int arrow, const double (&steps)[3]) {
  if (arrow < 0 || arrow > 5) return 0.0;
  return arrow < 3 ? steps[arrow] : -steps[arrow - 3];
}
} // namespace

TZSpinEditRatio::TZSpinEditRatio(TComponent* AOwner) : TZSpinEdit(AOwner, kRatioKind) {
  RedrawBuffer();
}

void TZSpinEditRatio::SpinStep(int arrow) {
  static const double kSteps[3] = {1.0, 0.01, 0.0001};
  SetRealValue(RealValue() + ArrowStep(arrow, kSteps));
}

void TZSpinEditRatio::DigitValues(int (&digits)[6]) const {
  const long long n = Scaled(RealValue(), 4);
  const int whole = static_cast<int>(n / 10000), f = static_cast<int>(n % 10000);
  digits[0] = whole >= 10 ? whole / 10 % 10 : kBlank;
  digits[1] = whole % 10;
  digits[2] = f / 1000;
  digits[3] = f / 100 % 10;
  digits[4] = f / 10 % 10;
  digits[5] = f % 10;
}

void TZSpinEditRatio::TypeChar(char ch) {
  if (ch < '0' || ch > '9') return;
  const long n = TypeOver(SixDigits(Scaled(RealValue(), 4)), ch);
  SetRealValue(static_cast<double>(n) / 10000.0);
}

// --- TZSpinEditOffset ---------------------------------------------------------------

TZSpinEditOffset::TZSpinEditOffset(TComponent* AOwner) : TZSpinEdit(AOwner, kOffsetKind) {
  RedrawBuffer();
}

void TZSpinEditOffset::SpinStep(int arrow) {
  const double steps[3] = {static_cast<double>(LargeInc), 1.0, 0.01};
  SetRealValue(RealValue() + ArrowStep(arrow, steps));
}

void TZSpinEditOffset::DigitValues(int (&digits)[6]) const {
  const long long m = Scaled(RealValue(), 2);
  const int n = static_cast<int>(m / 100), f = static_cast<int>(m % 100);
  digits[0] = n / 1000 % 10;
  digits[1] = n / 100 % 10;
  digits[2] = n / 10 % 10;
  digits[3] = n % 10;
  digits[4] = f / 10;
  digits[5] = f % 10;
  const int blanks = n < 10 ? 3 : n < 100 ? 2 : n < 1000 ? 1 : 0;
  for (int i = 0; i < blanks; ++i) digits[i] = kBlank;
  if (RealValue() < 0.0 && blanks > 0) digits[blanks - 1] = kMinus;
}

void TZSpinEditOffset::TypeChar(char ch) {
  if (ch == '-') {
    SetRealValue(-RealValue());
    return;
  }
  if (ch < '0' || ch > '9') return;
  const double sign = RealValue() < 0.0 ? -1.0 : 1.0;
  const long n = TypeOver(SixDigits(Scaled(RealValue(), 2)), ch);
  SetRealValue(sign * static_cast<double>(n) / 100.0);
}

// --- TZScemEdit ---------------------------------------------------------------------

namespace {
constexpr int kSchemeHeight = 25;
} // namespace

TZScemEdit::TZScemEdit(TComponent* AOwner)
    : TArrowSelector(AOwner, {67, 18, 77, 26}, {67, 26, 77, 34}) {
  FBackground = LoadSkinBitmap("SCHEMEDIT");
  FBuffer = *FBackground;
  FBuffer.PixelFormat = pf24bit;
  FSchemes = LoadSkinBitmap("SCHEMES");
  FDigits = LoadSkinBitmap("DIGITS-9");
  ControlStyle |= csReplicatable;
  SetBounds(Left(), Top(), 79, 35);
  RedrawBuffer();
}

void TZScemEdit::SetMaxValue(int value) {
  FMaxValue = std::max(1, value);
  if (FIndex > FMaxValue) {
    FIndex = FMaxValue;
    RedrawBuffer();
  }
}

void TZScemEdit::SetValue(double value) {
  if (!std::isfinite(value) || value == Value()) return;
  FIndex = static_cast<int>(std::clamp(std::nearbyint(10.0 * value), 1.0, double(FMaxValue)));
  RedrawBuffer();
}

void TZScemEdit::Step(int direction) {
  FIndex = std::clamp(FIndex + direction, 1, FMaxValue);
  RedrawBuffer();
  if (OnChange) OnChange(this);
}

void TZScemEdit::RedrawBuffer() {
  TCanvas& canvas = FBuffer.Canvas();
  qvt::DrawDigit(canvas, *FDigits, FIndex % 10, 68, 5);
  // The background first, so that an index beyond the pictures shows none.
  canvas.Copy(5, 5, *FBackground, Bounds(5, 5, FSchemes->Width(), kSchemeHeight));
  canvas.Copy(5, 5, *FSchemes,
              Bounds(0, kSchemeHeight * (FIndex - 1), FSchemes->Width(), kSchemeHeight));
  if (ArrowPressed())
    DrawPressedArrow(7);
  else
    canvas.Copy(67, 18, *FBackground, Bounds(67, 18, 20, 16));
  if (HandleAllocated()) Repaint();
}
