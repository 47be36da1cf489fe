// A minute of a random session: the short version of qvt_soak, run with the tests.
#include <gtest/gtest.h>

#include "tools/soak/SoakRun.h"

#if defined(__SANITIZE_ADDRESS__)
#define QVT_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QVT_ADDRESS_SANITIZER 1
#endif
#endif

using qvt::soak::RunSoak;
using qvt::soak::TSoakOptions;

TEST(Soak, AMinuteOfRandomSessionStaysFiniteAndBounded) {
  TSoakOptions options;
  options.AudioSeconds = 60.0;
  options.MemoryEverySeconds = 5.0;
  options.Seed = 6;
  const auto result = RunSoak(options);
  EXPECT_TRUE(result.Clean()) << result.NonFinite << " non-finite and " << result.OutOfBounds
                              << " out-of-bound samples; first: " << result.FirstFault;
  EXPECT_GE(result.AudioSeconds, 60.0);
  EXPECT_GT(result.Peak, 0.01f) << "the session made sound";
#ifndef QVT_ADDRESS_SANITIZER
  // The address sanitizer keeps freed memory in quarantine; there its leak check counts instead.
  EXPECT_LT(result.MemoryGrowthBytes(), 8ll << 20);
#endif
}
