// File dialogs through the desktop's dialog programs: zenity (GTK) or, without
// it, kdialog (KDE), started without a shell and without the host's
// descriptors. Without either, the framework's own dialog (TFileDialogForm).
#pragma once

#include <string>
#include <vector>

#include "platform/core/uPlatform.h"

namespace qvt {

// The command line (program first) that asks `program` ("zenity" or
// "kdialog") for the dialog; texts in UTF-8.
std::vector<std::string> FileDialogCommand(const std::string& program,
                                           const TFileDialogRequest& request);

// The chosen name with the default extension added to a saved name that has none.
std::string WithDefaultExtension(const std::string& path, const TFileDialogRequest& request);

} // namespace qvt
