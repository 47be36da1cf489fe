// The engine renders each host block module by module in segments; the result
// must be exactly that of rendering one sample at a time.
#include <cstring>
#include <map>

#include "EngineFixture.h"

using namespace engine_test;

namespace {

struct TScheduledEvent {
  std::uint8_t Status, Data1, Data2;
};

// Legato overlaps, a release and a restart, inside host blocks of every size used below.
const std::multimap<int, TScheduledEvent> kSong = {
    {37, {0x90, 57, 100}},   {4100, {0x90, 64, 90}},   {4160, {0x80, 57, 0}},
    {9001, {0x80, 64, 0}},   {15000, {0x90, 45, 127}}, {15000, {0x90, 69, 80}},
    {21111, {0x80, 69, 0}},  {21112, {0x80, 45, 0}},   {24000, {0x90, 81, 60}},
    {29999, {0xB0, 126, 0}},
};
constexpr int kFrames = 36000;
// A block boundary for every size used below: width, pipe and pipe sequence change.
constexpr int kChangeAt = 12800;

void Configure(TSynth& synth, const std::map<int, float>& values) {
  for (const auto& [index, value] : values) synth.setParameter(index, value);
}

void Change(TSynth& synth) {
  synth.setParameter(piStereoWidth, 0.9f);
  synth.setParameter(piPipe, 1.0f);
  synth.setParameter(piPipeSeq, 0.0f);
}

// One sample per step: events at their frame go in through a one-frame block.
TStereo RenderSampleBySample(const std::map<int, float>& values) {
  TSynth synth(Host);
  Configure(synth, values);
  TStereo out{std::vector<float>(kFrames), std::vector<float>(kFrames)};
  for (int frame = 0; frame < kFrames; ++frame) {
    if (frame == kChangeAt) Change(synth);
    auto [first, last] = kSong.equal_range(frame);
    if (first != last) {
      for (auto it = first; it != last; ++it)
        SendMidi(synth, it->second.Status, it->second.Data1, it->second.Data2);
      float* outputs[2] = {&out.Left[frame], &out.Right[frame]};
      synth.processReplacing(nullptr, outputs, 1);
      continue;
    }
    synth.ApplyPendingChanges();
    synth.BeginBlock();
    synth.RenderSample(out.Left[frame], out.Right[frame]);
  }
  return out;
}

// Host blocks of Block frames with the events at their offsets.
TStereo RenderInBlocks(const std::map<int, float>& values, int Block) {
  TSynth synth(Host);
  Configure(synth, values);
  TStereo out{std::vector<float>(kFrames), std::vector<float>(kFrames)};
  for (int start = 0; start < kFrames; start += Block) {
    const int count = std::min(Block, kFrames - start);
    if (start == kChangeAt) Change(synth);
    for (auto it = kSong.lower_bound(start); it != kSong.lower_bound(start + count); ++it)
      SendMidi(synth, it->second.Status, it->second.Data1, it->second.Data2, it->first - start);
    float* outputs[2] = {&out.Left[start], &out.Right[start]};
    synth.processReplacing(nullptr, outputs, count);
  }
  return out;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

} // namespace

TEST(EngineSegments, BlocksRenderExactlyAsSampleBySample) {
  // Every module running: filters, pipe, flanger, reverb, the pattern with glide.
  const std::map<int, float> heaviest = {
      {26, 0.03f}, {27, 0.03f}, {30, 1.0f}, {33, 1.0f},  {37, 1.0f}, {45, 1.0f}, {13, 1.0f},
      {14, 1.0f},  {15, 1.0f},  {53, 0.5f}, {52, 0.04f}, {55, 0.6f}, {56, 0.4f}, {58, 0.7f}};
  // The pipe off still tracks the pattern; switched on mid-note it keeps the last delay.
  std::map<int, float> silentPipe = {{30, 0.0f}, {33, 1.0f}, {45, 1.0f}, {52, 0.04f}, {53, 0.9f}};
  for (int step = 0; step < 16; ++step) silentPipe[54 + step] = 0.3f + 0.04f * (step % 5);
  const struct {
    const char* Name;
    const std::map<int, float>& Values;
    std::vector<int> Blocks;
  } cases[] = {{"every module", heaviest, {512, 100, 64, 128}}, {"silent pipe", silentPipe, {256}}};
  for (const auto& c : cases) {
    const TStereo expected = RenderSampleBySample(c.Values);
    ASSERT_GT(Peak(expected.Left), 0.01) << c.Name;
    for (int block : c.Blocks) {
      const TStereo actual = RenderInBlocks(c.Values, block);
      EXPECT_TRUE(SameBits(expected.Left, actual.Left)) << c.Name << ", blocks of " << block;
      EXPECT_TRUE(SameBits(expected.Right, actual.Right)) << c.Name << ", blocks of " << block;
    }
  }
}
