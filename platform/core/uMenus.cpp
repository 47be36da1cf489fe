#include "platform/core/uMenus.h"

void TPopupMenu::Popup(int, int) {
  if (OnPopup) OnPopup(this);
}

void TPopupMenu::SetPopupComponent(TComponent* component) {
  if (FPopupComponent) RemoveFreeNotification(FPopupComponent);
  FPopupComponent = component;
  if (component) FreeNotification(component);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}
