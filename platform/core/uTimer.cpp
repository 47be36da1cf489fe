#include "platform/core/uTimer.h"

#include "platform/core/uApplication.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) { UpdateTimer(); }

TTimer::~TTimer() {
  if (FRegistered) Application->UnregisterTimer(this);
}

void TTimer::SetInterval(unsigned value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (Armed()) {
    FDue = Application->Platform() ? Application->NowMs() + FInterval : FInterval;
    if (!FRegistered) Application->RegisterTimer(this);
    FRegistered = true;
  } else if (FRegistered) {
    Application->UnregisterTimer(this);
    FRegistered = false;
  }
}

void TTimer::Fire(std::uint64_t now) {
  FDue = now + FInterval;
  if (OnTimer) OnTimer(this);
}
