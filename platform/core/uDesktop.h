// Desktop services of the platform: file dialogs, shell open, event sounds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/core/uPlatform.h"

namespace qvt {

// The chosen path (the file system's encoding), or nothing when the user cancelled.
std::optional<std::string> RunFileDialog(const TFileDialogRequest& request);
// Opens a document or web address; empty when it worked, else the reason.
std::string OpenWithShell(std::string_view target);
// Plays an event sound such as "MenuPopup" or "MenuCommand"; may be silent.
void PlaySystemSound(std::string_view eventName);

} // namespace qvt
