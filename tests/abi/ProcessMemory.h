// The memory this test program holds in RAM, for bounds on what the plug-in allocates.
#pragma once

#include <cstddef>

namespace qvt::test {

std::size_t ResidentBytes(); // 0 when unknown

} // namespace qvt::test
