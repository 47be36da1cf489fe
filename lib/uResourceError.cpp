#include "lib/uResourceError.h"

namespace qvt {

// The packed table has one way to fail: the entry is not there.
std::string ResourceErrorText(const char* type, const char* name) {
  return std::string("The resource \"") + (name ? name : "") + "\" of type \"" +
         (type ? type : "") + "\" was not found";
}

} // namespace qvt
