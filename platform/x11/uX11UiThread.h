// The editor's UI thread on Linux: one per process. The first editor that
// opens starts it, the last one that lets go ends it (and so does unloading
// the library). It alone owns the X display connection, the application's
// platform, the font engine and every form; other threads hand it work
// through a task queue and an eventfd in its poll set, and never wait on a
// lock that it holds while it pumps, paints or runs a modal loop.
#pragma once

#include <memory>

#include "platform/core/uUiRuntime.h"

namespace qvt {

// The provider for SetUiRuntimeProvider: the running UI thread, or a new one;
// null when no X display can be opened.
std::shared_ptr<TUiRuntime> AcquireX11UiThread();

} // namespace qvt
