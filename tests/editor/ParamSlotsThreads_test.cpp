// Parameter values left by other threads for the editor: the latest wins, none is lost.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "editor/uParamSlots.h"

namespace {

TEST(ParamSlotsThreads, DrainHandsOverTheLatestValueOfEachIndexInIndexOrder) {
  qvt::TParamSlots slots;
  slots.Store(70, 0.1f);
  slots.Store(3, 0.2f);
  slots.Store(70, 0.3f);
  slots.Store(80, 0.4f);
  slots.Store(81, 1.0f); // not a parameter
  slots.Store(-1, 1.0f);
  std::vector<std::pair<int, float>> seen;
  slots.Drain([&](int index, float value) { seen.emplace_back(index, value); });
  EXPECT_EQ(seen, (std::vector<std::pair<int, float>>{{3, 0.2f}, {70, 0.3f}, {80, 0.4f}}));
  seen.clear();
  slots.Drain([&](int index, float value) { seen.emplace_back(index, value); });
  EXPECT_TRUE(seen.empty()) << "each change is handed over once";
}

TEST(ParamSlotsThreads, WritersOnManyThreadsNeverLoseTheirLastValue) {
  qvt::TParamSlots slots;
  constexpr int kWriters = 4, kRounds = 20000;
  std::vector<float> shown(81, -1.0f);
  std::atomic<int> done{0};
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&, w] {
      for (int round = 1; round <= kRounds; ++round)
        for (int index = w; index < 81; index += kWriters)
          slots.Store(index, static_cast<float>(round));
      ++done;
    });
  while (done.load() < kWriters)
    slots.Drain([&](int index, float value) { shown[static_cast<std::size_t>(index)] = value; });
  for (auto& writer : writers) writer.join();
  slots.Drain([&](int index, float value) { shown[static_cast<std::size_t>(index)] = value; });
  for (int index = 0; index < 81; ++index)
    EXPECT_EQ(shown[static_cast<std::size_t>(index)], static_cast<float>(kRounds)) << index;
}

} // namespace
