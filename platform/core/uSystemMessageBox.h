// The system's own message box, used when no user-interface framework has
// installed a handler: a real box on Windows, a line on standard error on Linux.
#pragma once

#include "platform/core/uMessageBox.h"

namespace qvt {

// Shows the box and answers the button chosen.
int ShowSystemMessageBox(const TMessageBoxRequest& request);

} // namespace qvt
