// Modal message boxes. Every box the program shows goes through ShowMessageBox;
// the user-interface framework installs a handler that shows real windows.
// Until one is installed the system's own box is shown: a real one on Windows;
// on Linux a line on standard error, answered without changing anything.
// Texts are 8-bit (Windows-1252).
#pragma once

#include <functional>
#include <string>

namespace qvt {

// Buttons and icon, combined with '|'. The values are those of the Windows API.
enum TMessageBoxFlags : unsigned {
  mbOk = 0x00,
  mbOkCancel = 0x01,
  mbYesNo = 0x04,
  mbButtonsMask = 0x0F,
  mbIconError = 0x10,
  mbIconQuestion = 0x20,
  mbIconWarning = 0x30,
  mbIconInformation = 0x40,
  mbIconMask = 0xF0,
};

// The button chosen.
enum TMessageBoxAnswer : int { idOk = 1, idCancel = 2, idYes = 6, idNo = 7 };

struct TMessageBoxRequest {
  std::string Text;
  std::string Caption;
  unsigned Flags = mbOk;
};

using TMessageBoxHandler = std::function<int(const TMessageBoxRequest&)>;

// Shows a box and answers the button chosen. Any thread; the handler decides
// where the box appears (a drawn box on the UI thread, else the system's).
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags);

// Installs the handler that shows boxes (an empty one restores the default);
// answers the handler it replaces.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

// The answer that changes nothing: OK, Cancel or No.
int PassiveAnswer(unsigned flags);

// Installs a handler for the lifetime of the object, then restores the previous one.
class TScopedMessageBoxHandler {
public:
  explicit TScopedMessageBoxHandler(TMessageBoxHandler handler)
      : Previous(SetMessageBoxHandler(std::move(handler))) {}
  ~TScopedMessageBoxHandler() { SetMessageBoxHandler(std::move(Previous)); }
  TScopedMessageBoxHandler(const TScopedMessageBoxHandler&) = delete;
  TScopedMessageBoxHandler& operator=(const TScopedMessageBoxHandler&) = delete;

private:
  TMessageBoxHandler Previous;
};

} // namespace qvt
