// TLabel: one line of text painted on the parent, optionally on its colour.
#pragma once

#include <string>

#include "platform/core/uCanvas.h"
#include "platform/core/uControls.h"

class TLabel : public TGraphicControl {
public:
  explicit TLabel(TComponent* AOwner);

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value);
  bool Transparent = false;
  TTextFormat Alignment = tfLeft;

  void Paint() override;

private:
  std::string FCaption;
};
