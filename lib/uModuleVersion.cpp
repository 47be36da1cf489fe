// Linux libraries carry no version resource: the build's numbers are theirs.
#include "lib/uVersion.h"

namespace qvt {

TVersion ModuleVersion() { return ProductVersion(); }

} // namespace qvt
