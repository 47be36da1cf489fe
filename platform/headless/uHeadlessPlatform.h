// The headless backend: no display. Tests and the snapshot tool inject input,
// advance a virtual clock so that timers fire exactly when due, answer
// message boxes and file dialogs from a script, and read what the program
// did (boxes shown, dialogs asked, documents opened, sounds, cursors).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/core/uControls.h"
#include "platform/core/uMessageBox.h"
#include "platform/core/uPlatform.h"

class TForm;

namespace qvt {

class THeadlessWindow;

class THeadlessPlatform : public TPlatform {
public:
  // Installs itself as the application's platform, its fonts and its
  // message-box handler; the destructor restores what was there.
  THeadlessPlatform();
  ~THeadlessPlatform() override;
  THeadlessPlatform(const THeadlessPlatform&) = delete;
  THeadlessPlatform& operator=(const THeadlessPlatform&) = delete;

  // --- the virtual clock ---
  std::uint64_t NowMs() override { return FNow; }
  // Moves the clock forward, stopping at every timer's due time to fire it
  // and handle the messages that follow.
  void AdvanceTime(std::uint64_t ms);

  // --- windows ---
  // A window of the host program (the parent of embedded forms).
  TWindowHandle CreateHostWindow(const TRect& screenRect);
  THeadlessWindow* WindowOf(TForm& form) const;

  // --- input: each posts the event and then handles the waiting messages ---
  void MouseDown(TForm& form, int x, int y, TMouseButton button = mbLeft, TShiftState shift = 0);
  void MouseUp(TForm& form, int x, int y, TMouseButton button = mbLeft, TShiftState shift = 0);
  void MouseMove(TForm& form, int x, int y, TShiftState shift = 0);
  void Click(TForm& form, int x, int y, TMouseButton button = mbLeft);
  void DoubleClick(TForm& form, int x, int y);
  void Wheel(TForm& form, int x, int y, int delta);
  void MouseLeaveWindow(TForm& form);
  void KeyDown(TForm& form, std::uint16_t key, TShiftState shift = 0);
  void KeyUp(TForm& form, std::uint16_t key, TShiftState shift = 0);
  // Key down and up, with the character a printable key types.
  void PressKey(TForm& form, std::uint16_t key, TShiftState shift = 0);
  void Type(TForm& form, const std::string& text);
  void RequestClose(TForm& form);

  // --- the script of modal loops ---
  // When a modal loop has nothing left to do it runs the next step (inject
  // input, advance the clock, close a form). With no step left it throws
  // THeadlessStall, since a real user would be needed.
  void Then(std::function<void()> step) { FSteps.push_back(std::move(step)); }
  std::size_t StepsLeft() const { return FSteps.size(); }

  // --- scripted answers and records ---
  // Message boxes take the next scripted answer, else the answer that changes
  // nothing (OK, Cancel or No).
  void AnswerMessageBox(int answer) { FBoxAnswers.push_back(answer); }
  std::vector<TMessageBoxRequest> MessageBoxes;
  // File dialogs take the next scripted path (nothing = cancelled), else cancel.
  void AnswerFileDialog(std::optional<std::string> path) {
    FDialogAnswers.push_back(std::move(path));
  }
  std::vector<TFileDialogRequest> FileDialogs;
  // Targets given to the shell; it answers ShellOpenError for each.
  std::vector<std::string> ShellOpens;
  std::string ShellOpenError;
  std::vector<std::string> Sounds;

  // The one monitor's usable area.
  TRect WorkArea{0, 0, 1920, 1080};

  // Paints what is waiting and writes the form's back buffer as a PNG.
  void SavePng(TForm& form, const std::string& path);
  // The part of the form's picture that shows one control.
  TBitmap ControlPicture(TControl& control);

  // --- TPlatform ---
  std::unique_ptr<TNativeWindow> CreateNativeWindow(TForm& form,
                                                    const TWindowParams& params) override;
  TRect WindowScreenRect(TWindowHandle window) override;
  TRect WorkAreaAt(TPoint) override { return WorkArea; }
  void PollEvents() override {}
  void WaitEvents(std::optional<std::uint64_t> deadlineMs) override;
  TFontEngine& Fonts() override { return *FFonts; }
  std::optional<std::string> FileDialog(const TFileDialogRequest& request) override;
  std::string ShellOpen(std::string_view target) override;
  void PlaySystemSound(std::string_view eventName) override { Sounds.emplace_back(eventName); }

private:
  friend class THeadlessWindow;
  int AnswerBox(const TMessageBoxRequest& request);
  void Pump();

  std::uint64_t FNow = 0;
  TWindowHandle FNextHandle = 1;
  std::map<TWindowHandle, TRect> FHostWindows;
  std::map<TWindowHandle, THeadlessWindow*> FWindows;
  std::deque<std::function<void()>> FSteps;
  std::deque<int> FBoxAnswers;
  std::deque<std::optional<std::string>> FDialogAnswers;
  std::unique_ptr<TFontEngine> FFonts;
  TPlatform* FPreviousPlatform = nullptr;
  TMessageBoxHandler FPreviousBoxHandler;
};

// A modal loop waits for input that the script does not provide.
class THeadlessStall : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// What the backend knows of one form's window.
class THeadlessWindow : public TNativeWindow {
public:
  THeadlessWindow(THeadlessPlatform& platform, TForm& form, const TWindowParams& params,
                  TWindowHandle handle);
  ~THeadlessWindow() override;

  TWindowHandle Handle() const override { return FHandle; }
  void SetBounds(const TRect& bounds) override { Bounds = bounds; }
  void SetVisible(bool visible) override { Visible = visible; }
  void BringToFront() override { ++RaiseCount; }
  void Present(const TBitmap& buffer, const TRect& dirty) override;
  TPoint ScreenOrigin() const override;
  void SetCursor(TCursor cursor) override { Cursor = cursor; }
  void SetMouseGrab(bool grab) override { Grabbed = grab; }
  void BeginMove() override { ++MoveCount; }
  void SetKeyboardFocus() override {}

  TForm& Form;
  TWindowParams Params;
  TRect Bounds;
  bool Visible = false;
  TCursor Cursor = crDefault;
  bool Grabbed = false;
  int RaiseCount = 0;
  int MoveCount = 0;
  int PresentCount = 0;
  TRect LastPresented;

private:
  THeadlessPlatform& FPlatform;
  TWindowHandle FHandle;
};

} // namespace qvt
