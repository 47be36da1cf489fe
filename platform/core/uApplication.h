// TApplication: the message queue (input, deferred calls), the pump that
// dispatches it, timers, modal loops, the caret and message boxes.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
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
  // Any thread: `call` runs on the UI thread at its next pump (the only entry
  // of the application that other threads may use).
  void QueueFromAnyThread(std::function<void()> call);
  // Work that runs at every pump until removed (it collects what other
  // threads left for it, such as parameter values). Keyed by its owner.
  void AddPollHandler(const void* key, std::function<void()> handler);
  void RemovePollHandler(const void* key);

  int DoubleClickTime = 500;
  int DoubleClickDistance = 2;
  int CaretBlinkTime = 530;

  // Handles every waiting message and due timer, then paints.
  void ProcessMessages();
  // One step of a modal loop: handles what is waiting, or waits for more.
  void HandleMessage(unsigned pollMs = 0);
  // Handles messages until `finished` answers true (true) or the loop is
  // cancelled by CancelModalLoops (false).
  // `pollMs` > 0 asks `finished` again at least that often while idle (for
  // loops that wait on something other than the display).
  // The loop belongs to `root` (by default the root whose handler is running).
  bool RunModalLoop(const std::function<bool()>& finished, unsigned pollMs = 0,
                    TForm* root = nullptr);
  TForm* ModalForm() const { return FModalForms.empty() ? nullptr : FModalForms.back(); }
  // Whether the innermost modal loop has been cancelled and is about to end
  // (a loop waiting inside a system dialog ends that dialog then).
  bool InnermostLoopCancelled() const { return !FLoops.empty() && FLoops.back()->Cancelled; }
  int ModalDepth() const { return static_cast<int>(FLoops.size()); }

  // Every form belongs to a root form: the form whose handler was running
  // when it was made (a message box, a menu, a pop-up of the editor), or
  // itself. Closing an editor ends the modal loops that its root started,
  // with every loop nested inside them, and frees the root once no handler
  // of it is running any more.
  TForm* CurrentRoot() const { return FCurrentRoot; }
  void CancelModalLoops(TForm* root);
  // Deletes `root` (owned by the caller until now) as soon as none of its
  // handlers is on the stack, then calls `done`; at once when none is.
  void FreeWhenUnwound(TForm* root, std::function<void()> done);

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

  struct TLoop {
    TForm* Root = nullptr;
    bool Cancelled = false;
  };
  struct TPendingFree {
    TForm* Root = nullptr;
    std::function<void()> Done;
  };

  void Post(TMessage message);
  void Dispatch(TMessage& message);
  void DispatchGuarded(TMessage& message);
  void TakeInbox();
  void FreeUnwoundRoots();
  // Shows what a handler threw, and goes on.
  void ReportException(const char* what);
  bool AcceptsInput(const TForm* form) const;
  void PaintAll();
  void InvalidateCaret();
  void BlinkCaret();

  qvt::TPlatform* FPlatform = nullptr;
  std::deque<TMessage> FQueue;
  std::vector<TForm*> FForms;
  std::vector<TForm*> FModalForms;
  std::vector<TLoop*> FLoops; // innermost last
  std::vector<TForm*> FActiveRoots; // roots whose handlers are on the stack
  std::vector<TPendingFree> FPendingFrees;
  TForm* FCurrentRoot = nullptr;
  std::vector<std::pair<const void*, std::function<void()>>> FPollHandlers;
  std::mutex FInboxLock;
  std::vector<std::function<void()>> FInbox;
  std::vector<TTimer*> FTimers;
  TForm* FGrabForm = nullptr;
  TShiftState FButtons = 0;
  TLastPress FLastPress;
  TCaret FCaret;
  TTimer* FBlinkTimer = nullptr;
};

// The application object of the library.
extern TApplication* Application;
