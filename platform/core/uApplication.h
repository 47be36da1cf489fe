// TApplication: the message queue (input, deferred calls), the pump that
// dispatches it, timers, modal loops, the caret and message boxes.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/uBitmap.h"
#include "platform/core/uComponent.h"
#include "platform/core/uPlatform.h"
#include "platform/core/uTypes.h"

class TControl;
class TCustomControl;
class TForm;
class TTimer;

class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;

  // The backend; the headless one installs itself, plug-ins install theirs.
  void SetPlatform(qvt::TPlatform* platform);
  qvt::TPlatform* Platform() const { return FPlatform; }
  qvt::TPlatform& RequirePlatform() const; // throws std::logic_error without one

  // The window that owns message boxes (the host's editor window).
  qvt::TWindowHandle Handle = 0;
  std::uint64_t NowMs() const;

  // Input, posted by the backend in the form's client coordinates. `shift`
  // carries the keyboard modifiers; held buttons and the double-click flag
  // are added here. A press counts as the second of a double click when it
  // follows a press of the same button on the same form within
  // DoubleClickTime ms and DoubleClickDistance pixels.
  void PostMouseDown(TForm& form, TMouseButton button, TShiftState shift, int x, int y);
  void PostMouseUp(TForm& form, TMouseButton button, TShiftState shift, int x, int y);
  void PostMouseMove(TForm& form, TShiftState shift, int x, int y);
  void PostMouseWheel(TForm& form, TShiftState shift, int delta, int x, int y);
  void PostMouseLeave(TForm& form);
  void PostKeyDown(TForm& form, std::uint16_t key, TShiftState shift);
  void PostKeyUp(TForm& form, std::uint16_t key, TShiftState shift);
  void PostChar(TForm& form, char ch); // Windows-1252
  void PostCloseRequest(TForm& form);
  // Runs `call` after the messages already waiting. It is dropped if
  // `target` is destroyed first.
  void PostCall(TObject* target, std::function<void()> call);
  // When the next waiting message is a press of `button` on `control`'s form
  // inside the control's client rectangle, removes it and answers true.
  bool RemoveNextMouseDown(const TControl& control, TMouseButton button);
  bool HasPendingMessages() const { return !FQueue.empty(); }

  int DoubleClickTime = 500;
  int DoubleClickDistance = 2;
  int CaretBlinkTime = 530;

  // Handles every waiting message and due timer, then paints.
  void ProcessMessages();
  // One step of a modal loop: handles what is waiting, or waits for more.
  void HandleMessage();
  void RunModalLoop(const std::function<bool()>& finished);
  TForm* ModalForm() const { return FModalForms.empty() ? nullptr : FModalForms.back(); }

  // A modal message box; answers the button chosen (the flags and answers of
  // the message-box service).
  int MessageBox(std::string_view text, std::string_view caption, unsigned flags);

  // Framework bookkeeping.
  void RegisterForm(TForm* form);
  void UnregisterForm(TForm* form);
  const std::vector<TForm*>& Forms() const { return FForms; }
  void PushModal(TForm* form) { FModalForms.push_back(form); }
  void PopModal(TForm* form);
  void SetGrabForm(TForm* form) { FGrabForm = form; }
  TForm* GrabForm() const { return FGrabForm; }
  void ForgetObject(TObject* object);
  void RegisterTimer(TTimer* timer);
  void UnregisterTimer(TTimer* timer);
  std::optional<std::uint64_t> NextTimerDue() const;
  // Fires every timer that is due now, each once, earliest first.
  void FireDueTimers();

  // The caret (see TCustomControl).
  struct TCaret {
    TCustomControl* Owner = nullptr;
    TBitmap Shape;
    TPoint Pos;
    int HideCount = 1;
    bool BlinkOn = true;
  };
  const TCaret& Caret() const { return FCaret; }
  void CreateCaret(TCustomControl* owner, const TBitmap& shape);
  void SetCaretPos(TCustomControl* owner, TPoint pos);
  void ShowCaret(TCustomControl* owner);
  void HideCaret(TCustomControl* owner);
  void DestroyCaret(TCustomControl* owner);
  // Inverts the caret's pixels on `form`'s back buffer inside `clip`.
  void DrawCaret(TForm& form, const TRect& clip);

private:
  struct TMessage {
    enum TKind : std::uint8_t {
      kMouseDown,
      kMouseUp,
      kMouseMove,
      kMouseWheel,
      kMouseLeave,
      kKeyDown,
      kKeyUp,
      kChar,
      kCloseRequest,
      kCall
    };
    TKind Kind = kCall;
    TForm* Form = nullptr;
    TObject* Target = nullptr;
    TMouseButton Button = mbLeft;
    TShiftState Shift = 0;
    int X = 0, Y = 0, Delta = 0;
    bool Double = false;
    std::uint16_t Key = 0;
    char Ch = 0;
    std::function<void()> Call;
  };
  struct TLastPress {
    TForm* Form = nullptr;
    TMouseButton Button = mbLeft;
    std::uint64_t Time = 0;
    int X = 0, Y = 0;
    bool WasDouble = false;
  };

  void Post(TMessage message);
  void Dispatch(TMessage& message);
  bool AcceptsInput(const TForm* form) const;
  void PaintAll();
  void InvalidateCaret();
  void BlinkCaret();

  qvt::TPlatform* FPlatform = nullptr;
  std::deque<TMessage> FQueue;
  std::vector<TForm*> FForms;
  std::vector<TForm*> FModalForms;
  std::vector<TTimer*> FTimers;
  TForm* FGrabForm = nullptr;
  TShiftState FButtons = 0;
  TLastPress FLastPress;
  TCaret FCaret;
  TTimer* FBlinkTimer = nullptr;
};

// The application object of the library.
extern TApplication* Application;
