// The editor's user-interface runtime on Windows: the host's GUI thread is
// the UI thread. Work from that thread runs inline; other threads queue it
// and wake the thread through its message queue.
#pragma once

#include <memory>

#include "platform/core/uUiRuntime.h"

namespace qvt {

// The provider for SetUiRuntimeProvider: the runtime of the calling thread,
// made (with the window backend) when the first editor opens and kept until
// the library unloads.
std::shared_ptr<TUiRuntime> AcquireWin32UiRuntime();

} // namespace qvt
