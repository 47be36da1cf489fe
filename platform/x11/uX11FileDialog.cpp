#include "platform/x11/uX11Platform.h"

namespace qvt {

std::optional<std::string> TX11Platform::FileDialog(const TFileDialogRequest&) {
  return std::nullopt;
}

} // namespace qvt
