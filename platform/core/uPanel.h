// TPanel: a windowed container that fills itself with its colour, with an
// optional raised or lowered edge and a centred caption.
#pragma once

#include <string>

#include "platform/core/uControls.h"

enum TBevelCut : std::uint8_t { bvNone, bvLowered, bvRaised };

class TPanel : public TCustomControl {
public:
  explicit TPanel(TComponent* AOwner);

  TBevelCut BevelOuter = bvRaised;
  std::string Caption;

  void Paint() override;
};
