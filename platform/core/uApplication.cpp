#include "platform/core/uApplication.h"

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <stdexcept>

#include "platform/core/uControls.h"
#include "platform/core/uForms.h"
#include "platform/core/uMessageBox.h"
#include "platform/core/uTimer.h"
#include "lib/uGlobals.h"

namespace {
TApplication GApplication;
} // namespace

TApplication* Application = &GApplication;

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  // The blink timer unregisters itself while the timer list still exists.
  DestroyComponents();
  FBlinkTimer = nullptr;
}

void TApplication::SetPlatform(qvt::TPlatform* platform) { FPlatform = platform; }

qvt::TPlatform& TApplication::RequirePlatform() const {
  if (!FPlatform) throw std::logic_error("no platform backend is installed");
  return *FPlatform;
}

std::uint64_t TApplication::NowMs() const { return FPlatform ? FPlatform->NowMs() : 0; }

// --- the queue ----------------------------------------------------------------

void TApplication::Post(TMessage message) { FQueue.push_back(std::move(message)); }

void TApplication::PostMouseDown(TForm& form, TMouseButton button, TShiftState shift, int x,
                                 int y) {
  const std::uint64_t now = NowMs();
  const bool isDouble = !FLastPress.WasDouble && FLastPress.Form == &form &&
                        FLastPress.Button == button &&
                        now - FLastPress.Time <= static_cast<std::uint64_t>(DoubleClickTime) &&
                        std::abs(x - FLastPress.X) <= DoubleClickDistance &&
                        std::abs(y - FLastPress.Y) <= DoubleClickDistance;
  FLastPress = {&form, button, now, x, y, isDouble};
  FButtons |= ButtonFlag(button);
  TMessage m;
  m.Kind = TMessage::kMouseDown;
  m.Form = &form;
  m.Button = button;
  m.Shift = (shift & (ssShift | ssCtrl | ssAlt)) | FButtons;
  m.X = x;
  m.Y = y;
  m.Double = isDouble;
  Post(std::move(m));
}

void TApplication::PostMouseUp(TForm& form, TMouseButton button, TShiftState shift, int x, int y) {
  FButtons &= static_cast<TShiftState>(~ButtonFlag(button));
  TMessage m;
  m.Kind = TMessage::kMouseUp;
  m.Form = &form;
  m.Button = button;
  m.Shift = (shift & (ssShift | ssCtrl | ssAlt)) | FButtons;
  m.X = x;
  m.Y = y;
  Post(std::move(m));
}

void TApplication::PostMouseMove(TForm& form, TShiftState shift, int x, int y) {
  TMessage m;
  m.Kind = TMessage::kMouseMove;
  m.Form = &form;
  m.Shift = (shift & (ssShift | ssCtrl | ssAlt)) | FButtons;
  m.X = x;
  m.Y = y;
  Post(std::move(m));
}

void TApplication::PostMouseWheel(TForm& form, TShiftState shift, int delta, int x, int y) {
  TMessage m;
  m.Kind = TMessage::kMouseWheel;
  m.Form = &form;
  m.Shift = (shift & (ssShift | ssCtrl | ssAlt)) | FButtons;
  m.Delta = delta;
  m.X = x;
  m.Y = y;
  Post(std::move(m));
}

void TApplication::PostMouseLeave(TForm& form) {
  TMessage m;
  m.Kind = TMessage::kMouseLeave;
  m.Form = &form;
  Post(std::move(m));
}

void TApplication::PostKeyDown(TForm& form, std::uint16_t key, TShiftState shift) {
  TMessage m;
  m.Kind = TMessage::kKeyDown;
  m.Form = &form;
  m.Key = key;
  m.Shift = shift;
  Post(std::move(m));
}

void TApplication::PostKeyUp(TForm& form, std::uint16_t key, TShiftState shift) {
  TMessage m;
  m.Kind = TMessage::kKeyUp;
  m.Form = &form;
  m.Key = key;
  m.Shift = shift;
  Post(std::move(m));
}

void TApplication::PostChar(TForm& form, char ch) {
  TMessage m;
  m.Kind = TMessage::kChar;
  m.Form = &form;
  m.Ch = ch;
  Post(std::move(m));
}

void TApplication::PostCloseRequest(TForm& form) {
  TMessage m;
  m.Kind = TMessage::kCloseRequest;
  m.Form = &form;
  Post(std::move(m));
}

void TApplication::PostCall(TObject* target, std::function<void()> call) {
  TMessage m;
  m.Kind = TMessage::kCall;
  m.Target = target;
  m.Call = std::move(call);
  Post(std::move(m));
}

void TApplication::QueueFromAnyThread(std::function<void()> call) {
  std::lock_guard lock(FInboxLock);
  FInbox.push_back(std::move(call));
}

void TApplication::AddPollHandler(const void* key, std::function<void()> handler) {
  RemovePollHandler(key);
  FPollHandlers.emplace_back(key, std::move(handler));
}

void TApplication::RemovePollHandler(const void* key) {
  std::erase_if(FPollHandlers, [key](const auto& entry) { return entry.first == key; });
}

void TApplication::TakeInbox() {
  // A handler may remove itself or another one: run a copy.
  const auto handlers = FPollHandlers;
  for (const auto& [key, handler] : handlers)
    if (std::any_of(FPollHandlers.begin(), FPollHandlers.end(),
                    [key = key](const auto& entry) { return entry.first == key; })) {
      try {
        handler();
      } catch (const std::exception& e) {
        ReportException(e.what());
      } catch (...) {
        ReportException(nullptr);
      }
    }
  std::vector<std::function<void()>> calls;
  {
    std::lock_guard lock(FInboxLock);
    calls.swap(FInbox);
  }
  for (auto& call : calls) PostCall(nullptr, std::move(call));
}

bool TApplication::RemoveNextMouseDown(const TControl& control, TMouseButton button) {
  if (FPlatform) FPlatform->PollEvents();
  if (FQueue.empty()) return false;
  const TMessage& next = FQueue.front();
  if (next.Kind != TMessage::kMouseDown || next.Button != button ||
      next.Form != control.ParentForm())
    return false;
  const TPoint o = control.FormOrigin();
  if (!control.ClientRect().Contains({next.X - o.X, next.Y - o.Y})) return false;
  FQueue.pop_front();
  return true;
}

void TApplication::ForgetObject(TObject* object) {
  std::erase_if(FQueue, [object](const TMessage& m) {
    return m.Target == object || static_cast<TObject*>(m.Form) == object;
  });
  if (FLastPress.Form && static_cast<TObject*>(FLastPress.Form) == object) FLastPress = {};
}

bool TApplication::AcceptsInput(const TForm* form) const {
  if (FModalForms.empty() || form->WindowKind == qvt::wkMenu) return true;
  return form == FModalForms.back();
}

void TApplication::Dispatch(TMessage& m) {
  if (m.Kind == TMessage::kCall) {
    m.Call();
    return;
  }
  TForm* form = m.Form;
  // A grabbing form (an open menu) receives all pointer input, in its own coordinates.
  if (FGrabForm && form != FGrabForm && m.Kind <= TMessage::kMouseWheel) {
    const TRect from = form->ScreenRect(), to = FGrabForm->ScreenRect();
    m.X += from.Left - to.Left;
    m.Y += from.Top - to.Top;
    form = FGrabForm;
  }
  if (m.Kind != TMessage::kMouseLeave && !AcceptsInput(form)) return;
  switch (m.Kind) {
  case TMessage::kMouseDown: form->DispatchMouseDown(m.Button, m.Shift, m.X, m.Y, m.Double); break;
  case TMessage::kMouseUp: form->DispatchMouseUp(m.Button, m.Shift, m.X, m.Y); break;
  case TMessage::kMouseMove: form->DispatchMouseMove(m.Shift, m.X, m.Y); break;
  case TMessage::kMouseWheel: form->DispatchMouseWheel(m.Shift, m.Delta, m.X, m.Y); break;
  case TMessage::kMouseLeave: form->DispatchMouseLeave(); break;
  case TMessage::kKeyDown: form->DispatchKeyDown(m.Key, m.Shift); break;
  case TMessage::kKeyUp: form->DispatchKeyUp(m.Key, m.Shift); break;
  case TMessage::kChar: form->DispatchChar(m.Ch); break;
  case TMessage::kCloseRequest: form->Close(); break;
  case TMessage::kCall: break;
  }
}

void TApplication::ReportException(const char* what) {
  MessageBox(what && *what ? what : "Unknown error.", qvt::kMessageCaption,
             qvt::mbOk | qvt::mbIconError);
}

// The exception boundary of every handler the pump calls: what a handler
// throws is shown in a message box and the pump goes on.
void TApplication::DispatchGuarded(TMessage& m) {
  TForm* root = m.Form ? m.Form->RootForm() : nullptr;
  TForm* const outer = FCurrentRoot;
  if (root) {
    FActiveRoots.push_back(root);
    FCurrentRoot = root;
  }
  try {
    Dispatch(m);
  } catch (const std::exception& e) {
    try {
      ReportException(e.what());
    } catch (...) {
    }
  } catch (...) {
    try {
      ReportException(nullptr);
    } catch (...) {
    }
  }
  if (root) {
    FActiveRoots.erase(std::find(FActiveRoots.begin(), FActiveRoots.end(), root));
    FCurrentRoot = outer;
    FreeUnwoundRoots();
  }
}

// --- the pump -----------------------------------------------------------------

void TApplication::ProcessMessages() {
  if (FPlatform) FPlatform->PollEvents();
  TakeInbox();
  // Messages posted meanwhile join the end of the queue and run in this call too.
  while (!FQueue.empty()) {
    TMessage m = std::move(FQueue.front());
    FQueue.pop_front();
    DispatchGuarded(m);
  }
  FireDueTimers();
  PaintAll();
}

void TApplication::HandleMessage(unsigned pollMs) {
  if (FPlatform) FPlatform->PollEvents();
  TakeInbox();
  // Work done while polling may have ended the innermost loop.
  if (!FLoops.empty() && FLoops.back()->Cancelled) return;
  auto due = NextTimerDue();
  if (pollMs > 0) due = std::min(due.value_or(UINT64_MAX), NowMs() + pollMs);
  if (FQueue.empty() && !(due && *due <= NowMs())) {
    PaintAll();
    RequirePlatform().WaitEvents(due);
  }
  ProcessMessages();
}

bool TApplication::RunModalLoop(const std::function<bool()>& finished, unsigned pollMs,
                                TForm* root) {
  TLoop loop{root ? root : FCurrentRoot};
  FLoops.push_back(&loop);
  struct TPop {
    std::vector<TLoop*>& Loops;
    ~TPop() { Loops.pop_back(); }
  } pop{FLoops};
  while (!loop.Cancelled && !finished()) HandleMessage(pollMs);
  return !loop.Cancelled;
}

void TApplication::CancelModalLoops(TForm* root) {
  if (!root) return;
  // A loop can only end after every loop nested inside it.
  auto first = std::find_if(FLoops.begin(), FLoops.end(),
                            [root](const TLoop* loop) { return loop->Root == root; });
  for (auto it = first; it != FLoops.end(); ++it) (*it)->Cancelled = true;
}

void TApplication::FreeWhenUnwound(TForm* root, std::function<void()> done) {
  FPendingFrees.push_back({root, std::move(done)});
  FreeUnwoundRoots();
}

void TApplication::FreeUnwoundRoots() {
  for (std::size_t i = 0; i < FPendingFrees.size();) {
    TForm* root = FPendingFrees[i].Root;
    if (std::find(FActiveRoots.begin(), FActiveRoots.end(), root) != FActiveRoots.end()) {
      ++i;
      continue;
    }
    std::function<void()> done = std::move(FPendingFrees[i].Done);
    FPendingFrees.erase(FPendingFrees.begin() + static_cast<std::ptrdiff_t>(i));
    delete root;
    if (done) done();
    i = 0; // the lists may have changed meanwhile
  }
}

void TApplication::PopModal(TForm* form) { std::erase(FModalForms, form); }

void TApplication::PaintAll() {
  for (std::size_t i = 0; i < FForms.size(); ++i) {
    TForm* form = FForms[i];
    if (!form->Visible() || !form->HandleAllocated()) continue;
    form->PaintNow();
    form->FlushPresent();
  }
}

int TApplication::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  // A held button belongs to the box from now on.
  for (TForm* form : FForms) form->SetCaptureControl(nullptr);
  return qvt::ShowMessageBox(std::string(text), std::string(caption), flags);
}

// --- forms and timers -----------------------------------------------------------

void TApplication::RegisterForm(TForm* form) { FForms.push_back(form); }

void TApplication::UnregisterForm(TForm* form) {
  std::erase(FForms, form);
  for (TForm* other : FForms)
    if (other->RootForm() == form) other->SetRootForm(other);
  if (FCurrentRoot == form) FCurrentRoot = nullptr;
  ForgetObject(form);
}

void TApplication::RegisterTimer(TTimer* timer) { FTimers.push_back(timer); }

void TApplication::UnregisterTimer(TTimer* timer) { std::erase(FTimers, timer); }

std::optional<std::uint64_t> TApplication::NextTimerDue() const {
  std::optional<std::uint64_t> due;
  for (const TTimer* t : FTimers)
    if (t->Armed() && (!due || t->Due() < *due)) due = t->Due();
  return due;
}

void TApplication::FireDueTimers() {
  const std::uint64_t now = NowMs();
  std::vector<TTimer*> fired;
  for (;;) {
    TTimer* next = nullptr;
    for (TTimer* t : FTimers)
      if (t->Armed() && t->Due() <= now &&
          std::find(fired.begin(), fired.end(), t) == fired.end() &&
          (!next || t->Due() < next->Due()))
        next = t;
    if (!next) return;
    fired.push_back(next);
    try {
      next->Fire(now);
    } catch (const std::exception& e) {
      ReportException(e.what());
    } catch (...) {
      ReportException(nullptr);
    }
  }
}

// --- the caret ----------------------------------------------------------------

void TApplication::InvalidateCaret() {
  if (!FCaret.Owner) return;
  if (TForm* form = FCaret.Owner->ParentForm()) {
    const TPoint o = FCaret.Owner->FormOrigin();
    form->InvalidateRect(Bounds(o.X + FCaret.Pos.X, o.Y + FCaret.Pos.Y, FCaret.Shape.Width(),
                                FCaret.Shape.Height()));
  }
}

void TApplication::BlinkCaret() {
  FCaret.BlinkOn = !FCaret.BlinkOn;
  InvalidateCaret();
}

void TApplication::CreateCaret(TCustomControl* owner, const TBitmap& shape) {
  if (FCaret.Owner) DestroyCaret(FCaret.Owner);
  FCaret.Owner = owner;
  FCaret.Shape = shape;
  FCaret.Pos = {};
  FCaret.HideCount = 1;
  FCaret.BlinkOn = true;
  if (!FBlinkTimer) {
    FBlinkTimer = new TTimer(this);
    FBlinkTimer->OnTimer = [this](TObject*) { BlinkCaret(); };
  }
  FBlinkTimer->SetEnabled(false);
  FBlinkTimer->SetInterval(static_cast<unsigned>(CaretBlinkTime));
}

void TApplication::SetCaretPos(TCustomControl* owner, TPoint pos) {
  if (owner != FCaret.Owner) return;
  InvalidateCaret();
  FCaret.Pos = pos;
  FCaret.BlinkOn = true;
  InvalidateCaret();
  if (FBlinkTimer->Enabled()) {
    FBlinkTimer->SetEnabled(false);
    FBlinkTimer->SetEnabled(true);
  }
}

void TApplication::ShowCaret(TCustomControl* owner) {
  if (owner != FCaret.Owner || FCaret.HideCount == 0) return;
  if (--FCaret.HideCount == 0) {
    FCaret.BlinkOn = true;
    FBlinkTimer->SetEnabled(true);
    InvalidateCaret();
  }
}

void TApplication::HideCaret(TCustomControl* owner) {
  if (owner != FCaret.Owner) return;
  if (FCaret.HideCount++ == 0) {
    FBlinkTimer->SetEnabled(false);
    InvalidateCaret();
  }
}

void TApplication::DestroyCaret(TCustomControl* owner) {
  if (!owner || owner != FCaret.Owner) return;
  InvalidateCaret();
  FCaret.Owner = nullptr;
  FCaret.HideCount = 1;
  if (FBlinkTimer) FBlinkTimer->SetEnabled(false);
}

void TApplication::DrawCaret(TForm& form, const TRect& clip) {
  if (!FCaret.Owner || FCaret.HideCount > 0 || !FCaret.BlinkOn) return;
  if (FCaret.Owner->ParentForm() != &form || !FCaret.Owner->Showing()) return;
  const TPoint o = FCaret.Owner->FormOrigin();
  const TRect area =
      Bounds(o.X + FCaret.Pos.X, o.Y + FCaret.Pos.Y, FCaret.Shape.Width(), FCaret.Shape.Height())
          .Intersect(clip)
          .Intersect(FCaret.Owner->VisibleFormRect());
  TBitmap& buffer = form.BackBuffer();
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x) {
      const std::uint32_t shape =
          FCaret.Shape.Pixel(x - o.X - FCaret.Pos.X, y - o.Y - FCaret.Pos.Y) & 0xFFFFFF;
      buffer.SetPixel(x, y, buffer.Pixel(x, y) ^ shape);
    }
}
