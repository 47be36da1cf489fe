// The LV2 run allocates nothing: every allocation of this thread while counting is on counts,
// the plug-in library's included (its operator new is this program's).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <lv2/urid/urid.h>

#include "core/uParamTable.h"
#include "tests/lv2/Lv2TestHost.h"
#include "tests/AllocationCounter.h"

TEST(Lv2Run, TakingPortsEventsAndTempoAndRenderingAllocateNothing) {
  std::string error;
  const auto library = qvt::test::TLv2Library::Open(QVT_LV2_BINARY, error);
  ASSERT_TRUE(library) << error;
  qvt::test::TLv2Instance lv2(*library, 48000.0, 512);
  ASSERT_TRUE(lv2);
  ASSERT_EQ(lv2.SetDescriptionDefaults(QVT_LV2_BUNDLE), 81u);
  for (int index : {piPipe, piPipeSeq, piFlanger, piReverb, piOsc1Seq, piOsc2Seq, piOsc3Seq})
    lv2.Controls[index] = 1.0f; // every effect on
  lv2.Midi(0, 0x90, 60, 100);
  lv2.Run(512);

  // The count sees the library's allocations: a second instance (of URIs the
  // host has mapped already) allocates inside the library alone.
  LV2_Feature map{LV2_URID__map, lv2.Urids.Feature()};
  const LV2_Feature* features[] = {&map, nullptr};
  tCounting = true;
  LV2_Handle other = library->Plugin->instantiate(library->Plugin, 48000.0, "", features);
  tCounting = false;
  ASSERT_TRUE(other);
  library->Plugin->cleanup(other);
  const int instantiating = tAllocations;
  tAllocations = 0;
  for (int round = 0; round < 40; ++round) {
    lv2.Controls[piFilterLowpassType] =
        static_cast<float>(round % 4) * 0.01f; // filter kinds switch
    lv2.Controls[piFilterLowpassCutoff] = static_cast<float>(round % 10) * 0.1f;
    lv2.Controls[piFlangerTime] = static_cast<float>(round % 5) * 0.2f;
    lv2.Midi(static_cast<std::uint32_t>(round * 7 % 512), 0x90,
             static_cast<std::uint8_t>(48 + round % 24), 90);
    lv2.TempoChange(static_cast<std::uint32_t>(round * 11 % 512),
                    90.0f + static_cast<float>(round));
    if (round % 3 == 0) lv2.Midi(511, 0x80, static_cast<std::uint8_t>(48 + round % 24), 0);
    tCounting = true; // the run alone: queuing the events is the host's
    lv2.Run(512);
    tCounting = false;
  }
  float peak = 0.0f;
  for (float sample : lv2.Left) peak = std::max(peak, std::fabs(sample));
  EXPECT_GT(peak, 0.01f) << "it sounds";
  EXPECT_GT(instantiating, 0);
  EXPECT_EQ(tAllocations, 0);
}
