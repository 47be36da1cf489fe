// The small skinned buttons, all graphic controls painted from skin images:
//   TZCheckButton  13×13 on/off box that cross-fades between its two looks
//   TZSwitch       16×9 two-position switch that slides through its frames
//   TZButton       22×22 tool button: glyph, groups, drop-down menu, auto-repeat
//   TZSButton      66×22 push button with a caption
//   TZCloseButton  16×14 button that closes its form
// Check button and switch carry a Value (0 or 1) so that forms bind them to
// parameters as they do knobs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/uBitmap.h"
#include "platform/core/uControls.h"
#include "platform/core/uTimer.h"

class TPopupMenu;

class TZCheckButton : public TGraphicControl {
public:
  static constexpr int kSize = 13;
  static constexpr int kFadeStep = 16;
  static constexpr unsigned kTickMs = 1;

  explicit TZCheckButton(TComponent* AOwner);

  bool Checked() const { return FChecked; }
  // A change starts the cross-fade; no event.
  void SetChecked(bool value);
  float Value() const { return FChecked ? 1.0f : 0.0f; }
  void SetValue(float v) { SetChecked(v > 0.5f); }
  // Of the checked look over the unchecked one, 0…255.
  int Opacity() const { return FOpacity; }
  bool Fading() const { return FTimer.Enabled(); }

  TNotifyEvent OnChange;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override; // 13×13 only
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  void Tick();
  void RebuildBuffer();

  TBitmap FBuffer{kSize, kSize};
  bool FChecked = false;
  int FOpacity = 0;
  TTimer FTimer{nullptr};
};

class TZSwitch : public TGraphicControl {
public:
  static constexpr int kWidth = 16;
  static constexpr int kHeight = 9;
  // The slide runs up to this frame and settles one below it.
  static constexpr int kLastFrame = 8;
  static constexpr unsigned kTickMs = 10;

  explicit TZSwitch(TComponent* AOwner);

  bool On() const { return FOn; }
  float Value() const { return FOn ? 1.0f : 0.0f; }
  // Sets On to v > 0.5; a change starts the slide; no event.
  void SetValue(float v);
  int Frame() const { return FFrame; }
  bool Sliding() const { return FTimer.Enabled(); }

  TNotifyEvent OnChange;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override; // 16×9 only
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  void Tick();
  void RebuildBuffer();

  TBitmap FBuffer{kWidth, kHeight};
  bool FOn = false;
  int FFrame = 0;
  TTimer FTimer{nullptr};
};

// What TZSButton and TZCloseButton share: a strip of two faces (released,
// pressed), pressed by the left button and acting on any release, wherever
// the mouse is.
class TZFaceButton : public TGraphicControl {
public:
  bool Pressed() const { return FPressed; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override; // face size only
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

protected:
  TZFaceButton(TComponent* AOwner, int width, int height);
  // The two faces side by side; null draws no face.
  virtual const TBitmap* Faces() const = 0;
  virtual void DrawOverFace(TCanvas&) {}
  // Runs after the release.
  virtual void Released() = 0;

  TBitmap FBuffer;

private:
  bool FPressed = false;
};

class TZSButton : public TZFaceButton {
public:
  static constexpr int kWidth = 66;
  static constexpr int kHeight = 22;

  explicit TZSButton(TComponent* AOwner);

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value);

protected:
  const TBitmap* Faces() const override;
  void DrawOverFace(TCanvas& canvas) override;
  void Released() override { Click(); }

private:
  std::string FCaption;
};

class TZCloseButton : public TZFaceButton {
public:
  static constexpr int kWidth = 16;
  static constexpr int kHeight = 14;

  // Loads its own ZCLOSEBUTTON; throws ESkinImageError when it cannot.
  explicit TZCloseButton(TComponent* AOwner);

protected:
  const TBitmap* Faces() const override { return FFaces.get(); }
  // Closes the parent form the normal way (its close query may refuse).
  void Released() override;

private:
  std::unique_ptr<TBitmap> FFaces;
};

enum TZDropDownMenuPos : std::uint8_t { dmpBottom, dmpRight };

class TZButton : public TGraphicControl {
public:
  static constexpr int kSize = 22;
  static constexpr int kGlyphSize = 13;

  enum TButtonState : std::uint8_t { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3 };

  explicit TZButton(TComponent* AOwner);
  ~TZButton() override;

  TButtonState State() const { return FState; }

  const TBitmap& Glyph() const { return FGlyph; }
  // Copies the bitmap; its top-left 13×13 is drawn.
  void SetGlyph(const TBitmap& glyph);
  // The glyph from the skin image `name` (ESkinImageError when it cannot be loaded).
  void LoadGlyph(const std::string& name);

  bool Down() const { return FDown; }
  // With GroupIndex 0 the value is taken as false; releasing a down button
  // needs AllowAllUp. A button going down releases the others of its group.
  void SetDown(bool value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);

  // Auto-repeat: held down, the button clicks after InitPause ms and then
  // every RepeatInterval ms.
  bool AllowTimer() const { return FAllowTimer; }
  void SetAllowTimer(bool value);
  std::uint16_t InitPause = 500;
  std::uint16_t RepeatInterval = 100;

  // Set on the button's form when it is clicked.
  int ModalResult = 0;

  TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* menu);
  TZDropDownMenuPos MenuPosition = dmpBottom;

  bool MouseInControl() const { return FMouseInControl; }

  void Click() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void CancelMode() override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void EnabledChanged() override;
  void VisibleChanged() override;

private:
  void SetState(TButtonState state);
  // Tells the buttons of the same group on the parent that this one went
  // down or changed its group settings.
  void UpdateExclusive();
  void ButtonPressed(int groupIndex, TZButton* sender);
  void PopupDropDownMenu(TShiftState Shift, int X, int Y);
  void StartRepeat();
  void StopRepeat();
  void RepeatTick();
  // The mouse counts as in the control while it is enabled, visible and
  // under the cursor; a change fires OnMouseEnter or OnMouseLeave.
  void UpdateTracking(bool underCursor);

  TBitmap FBuffer{kSize, kSize};
  TBitmap FGlyph;
  TButtonState FState = bsUp;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FAllowTimer = false;
  int FGroupIndex = 0;
  bool FMouseInControl = false;
  bool FUnderCursor = false; // the framework's last enter/leave
  bool FDragging = false;
  bool FMenuTracking = false;
  std::unique_ptr<TTimer> FRepeatTimer;
  TPopupMenu* FDropDownMenu = nullptr;
};
