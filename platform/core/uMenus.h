// TPopupMenu: the base of pop-up menus. A control's PopupMenu opens on a
// right-button release over it; the menu class draws and runs its windows.
#pragma once

#include "platform/core/uComponent.h"
#include "platform/core/uTypes.h"

class TPopupMenu : public TComponent {
public:
  explicit TPopupMenu(TComponent* AOwner) : TComponent(AOwner) {}

  bool AutoPopup = true;
  TNotifyEvent OnPopup;

  // Shows the menu at a screen point; returns once it has closed.
  virtual void Popup(int X, int Y);
  // The control that opened the menu last.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* component);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TComponent* FPopupComponent = nullptr;
};
