// The message box the framework draws itself: a caption strip, an icon, the
// text broken into lines, and the buttons of the request. Enter chooses the
// focused button, Escape the answer that changes nothing, Tab and the arrow
// keys move between the buttons. It is modal to every form of the program,
// topmost and owned by the application's window (the host's editor window).
#pragma once

#include <string>
#include <vector>

#include "platform/core/uForms.h"
#include "platform/core/uMessageBox.h"

class TMessageForm : public TForm {
public:
  explicit TMessageForm(const qvt::TMessageBoxRequest& request);

  // Shows the box modally and answers the button chosen; the passive answer
  // when the box was closed without one (its editor went away, the window
  // manager closed it).
  int Execute();

  const std::vector<std::string>& Lines() const { return FLines; }

  void Paint() override;
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
  void DispatchKeyDown(std::uint16_t key, TShiftState shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  void Answer(int answer);

  qvt::TMessageBoxRequest FRequest;
  std::vector<std::string> FLines;
  int FAnswer;
};

namespace qvt {
// Shows a drawn box; UI thread only.
int ShowDrawnMessageBox(const TMessageBoxRequest& request);
} // namespace qvt
