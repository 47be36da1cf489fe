// Why a resource could not be had: called right after FindResourceData failed.
#pragma once

#include <string>

namespace qvt {

// The system's text for the failure (Windows: the thread's last error), or a
// plain statement that the resource is not in the library.
std::string ResourceErrorText(const char* type, const char* name);

} // namespace qvt
