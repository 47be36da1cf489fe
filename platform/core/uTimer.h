// TTimer: calls OnTimer every Interval milliseconds while enabled. Timers are
// handled by the application's pump after the waiting messages; changing the
// interval or enabling again restarts the count from now.
#pragma once

#include <cstdint>

#include "platform/core/uComponent.h"
#include "platform/core/uTypes.h"

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);

  TNotifyEvent OnTimer;

  // Used by the application's pump.
  bool Armed() const { return FEnabled && FInterval > 0; }
  std::uint64_t Due() const { return FDue; }
  void Fire(std::uint64_t now);
  // Counts the interval again from the clock's present time.
  void Restart() { UpdateTimer(); }

private:
  void UpdateTimer();

  unsigned FInterval = 1000;
  bool FEnabled = true;
  bool FRegistered = false;
  std::uint64_t FDue = 0;
};
