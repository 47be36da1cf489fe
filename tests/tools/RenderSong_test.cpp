// Playing a song through the recording test instruments: event frames, blocks, the render call
// chosen, the time information answered, set-up order and tempo.
#include <gtest/gtest.h>

#include <algorithm>
#include <dlfcn.h>

#include "tests/tools/SmfBytes.h"
#include "tools/qvt/RenderSong.h"

namespace qvt {
namespace {

using test::TBytes;
using test::Track;
using test::VarLen;

// 22050 ticks per quarter at 120 beats per minute: one tick per frame at 44.1 kHz.
constexpr int kTickPerFrame = 22050;

TMidiSong NotesAtFrames(std::initializer_list<std::uint32_t> frames, std::uint32_t endFrame) {
  TBytes body;
  std::uint32_t last = 0;
  for (std::uint32_t frame : frames) {
    test::Append(body, VarLen(frame - last));
    test::Append(body, {0x90, 60, 100});
    last = frame;
  }
  test::Append(body, test::EndOfTrack(endFrame - last));
  return TMidiSong::Parse(test::Smf(0, kTickPerFrame, {body}));
}

std::vector<TScheduledEvent> EventsAt(std::initializer_list<std::int64_t> frames) {
  std::vector<TScheduledEvent> events;
  std::uint8_t key = 0;
  for (auto frame : frames) events.push_back({frame, {0x90, key++, 1}});
  return events;
}

TEST(ScheduleSong, PutsEachMessageOnTheNearestFrame) {
  // 3 ticks per quarter at 120 BPM: a tick lasts 1/6 s.
  const TMidiSong song = TMidiSong::Parse(
      test::Smf(0, 3, {Track({VarLen(1), {0x90, 60, 1}, VarLen(1), {0x80, 60, 0}})}));
  const auto at44k = ScheduleSong(song, 44100.0);
  ASSERT_EQ(at44k.size(), 2u);
  EXPECT_EQ(at44k[0].Frame, 7350);
  EXPECT_EQ(at44k[1].Frame, 14700);
  const auto at11k = ScheduleSong(song, 11025.0); // 1837.5 frames: halves go to even
  EXPECT_EQ(at11k[0].Frame, 1838);
  EXPECT_EQ(at11k[1].Frame, 3675);
}

// (Blocks sized by the busiest one and cut at their end: RecorderRender.EventsLandOnTheirFrames.)
TEST(BlockEvents, KeepsListOrderAndFillsTheMidiRecords) {
  const auto events = EventsAt({7, 7, 7});
  TBlockEvents block(3);
  block.Fill(events, 0, 0, 16);
  ASSERT_EQ(block.List()->numEvents, 3);
  for (int i = 0; i < 3; ++i) {
    const VstMidiEvent& event = block.At(i);
    EXPECT_EQ(event.deltaFrames, 7);
    EXPECT_EQ(event.midiData[1], i);
  }
}

struct TRecording {
  std::vector<float> Impulses, Tempo;
  std::vector<VstInt32> Opcodes;
  bool Replacing = false;
};

TRecording Record(const char* plugin, const TMidiSong& song, int blockSize) {
  std::string error;
  auto host = THostedPlugin::Load(plugin, error);
  EXPECT_TRUE(host) << error;
  TRecording recording;
  if (!host) return recording;
  TRenderOptions options;
  options.BlockSize = blockSize;
  options.TailSeconds = 0.0;
  TSongRenderer renderer(*host, song, options);
  renderer.Prepare();
  renderer.Render([&](const float* const* outputs, int, int frames) {
    recording.Impulses.insert(recording.Impulses.end(), outputs[0], outputs[0] + frames);
    recording.Tempo.insert(recording.Tempo.end(), outputs[1], outputs[1] + frames);
  });
  recording.Replacing = renderer.UsesReplacing();
  void* library = dlopen(plugin, RTLD_NOW | RTLD_NOLOAD);
  auto opcodes = reinterpret_cast<const std::vector<VstInt32>* (*)()>(
      library ? dlsym(library, "QvtRecorderOpcodes") : nullptr);
  if (opcodes && opcodes()) recording.Opcodes = *opcodes();
  if (library) dlclose(library);
  return recording;
}

std::vector<std::size_t> ImpulseFrames(const std::vector<float>& samples) {
  std::vector<std::size_t> frames;
  for (std::size_t i = 0; i < samples.size(); ++i)
    if (samples[i] != 0.0f) frames.push_back(i);
  return frames;
}

class RecorderRender : public ::testing::TestWithParam<const char*> {};

TEST_P(RecorderRender, EventsLandOnTheirFramesWhateverTheBlockSize) {
  const TMidiSong song = NotesAtFrames({0, 511, 512, 1023, 1024, 1500, 5000}, 6000);
  const std::vector<std::size_t> expected{0, 511, 512, 1023, 1024, 1500, 5000};
  for (int blockSize : {1, 64, 512, 1000, 8192}) {
    const TRecording recording = Record(GetParam(), song, blockSize);
    ASSERT_EQ(recording.Impulses.size(), 6000u);
    // An impulse of exactly 1 at each event: the accumulating render got zeroed buffers.
    EXPECT_EQ(ImpulseFrames(recording.Impulses), expected) << "block " << blockSize;
    for (std::size_t frame : expected) EXPECT_EQ(recording.Impulses[frame], 1.0f);
  }
}

TEST_P(RecorderRender, AnswersTheSongsTempoAtTheTimeAsked) {
  // 120 BPM for one beat (22050 frames), then 90 BPM.
  const TBytes conductor = Track({test::TempoEvent(0, 500000), test::TempoEvent(22050, 666667)});
  const TBytes notes = Track({VarLen(1000), {0x90, 60, 1}, VarLen(22050), {0x80, 60, 0}});
  const TMidiSong song = TMidiSong::Parse(test::Smf(1, kTickPerFrame, {conductor, notes}));
  const TRecording recording = Record(GetParam(), song, 512);
  const auto frames = ImpulseFrames(recording.Tempo);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0], 1000u);
  EXPECT_FLOAT_EQ(recording.Tempo[1000], 0.120f);
  EXPECT_NEAR(recording.Tempo[frames[1]], 0.090f, 1e-6);
}

TEST_P(RecorderRender, SetsRateAndBlockSizeBeforeSwitchingOnAndOffAfterwards) {
  const TRecording recording = Record(GetParam(), NotesAtFrames({100}, 200), 128);
  const auto& opcodes = recording.Opcodes;
  const auto position = [&](VstInt32 opcode) {
    return std::find(opcodes.begin(), opcodes.end(), opcode) - opcodes.begin();
  };
  ASSERT_FALSE(opcodes.empty());
  EXPECT_LT(position(effSetSampleRate), position(effMainsChanged));
  EXPECT_LT(position(effSetBlockSize), position(effMainsChanged));
  EXPECT_LT(position(effMainsChanged), position(effProcessEvents));
  EXPECT_EQ(opcodes.back(), effMainsChanged);
}

INSTANTIATE_TEST_SUITE_P(Plugins, RecorderRender,
                         ::testing::Values(QVT_RECORDER_Replacing_PATH,
                                           QVT_RECORDER_Accumulating_PATH));

TEST(SongRenderer, ChoosesTheRenderCallThePluginDeclares) {
  const TMidiSong song = NotesAtFrames({10}, 20);
  EXPECT_TRUE(Record(QVT_RECORDER_Replacing_PATH, song, 64).Replacing);
  EXPECT_FALSE(Record(QVT_RECORDER_Accumulating_PATH, song, 64).Replacing);
}

TEST(SongRenderer, TellsThePluginThePositionRateAndBlockSizeItAsksFor) {
  // 120 BPM for one beat (22050 frames), then 60 BPM.
  const TBytes conductor = Track({test::TempoEvent(0, 500000), test::TempoEvent(22050, 1000000)});
  const TMidiSong song = TMidiSong::Parse(test::Smf(1, kTickPerFrame, {conductor, Track({})}));
  std::string error;
  auto host = THostedPlugin::Load(QVT_RECORDER_Replacing_PATH, error);
  ASSERT_TRUE(host) << error;
  void* library = dlopen(QVT_RECORDER_Replacing_PATH, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  const auto ask =
      reinterpret_cast<VstIntPtr (*)(VstInt32, VstIntPtr)>(dlsym(library, "QvtRecorderAskHost"));
  ASSERT_NE(ask, nullptr);
  TRenderOptions options;
  options.BlockSize = 4410;
  options.TailSeconds = 1.0;
  TSongRenderer renderer(*host, song, options);
  renderer.Prepare();
  std::int64_t blockStart = 0;
  renderer.Render([&](const float* const*, int, int frames) {
    const auto* time = reinterpret_cast<const VstTimeInfo*>(ask(audioMasterGetTime, 0));
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->samplePos, static_cast<double>(blockStart));
    // One quarter in the first half second, then one per second.
    const double seconds = blockStart / 44100.0;
    EXPECT_NEAR(time->ppqPos, seconds < 0.5 ? seconds * 2.0 : 1.0 + (seconds - 0.5), 1e-9);
    EXPECT_DOUBLE_EQ(time->tempo, seconds < 0.5 ? 120.0 : 60.0);
    EXPECT_EQ(ask(16, 0), 44100);              // sample rate
    EXPECT_EQ(ask(17, 0), 4410);               // block size
    blockStart += frames;
  });
  dlclose(library);
}

TEST(SongRenderer, RefusesASongLongerThanTheLimitBeforeRendering) {
  // Four deltas of 2^28 - 1 ticks at 16.7 s per quarter note and one tick per quarter.
  TBytes body = test::TempoEvent(0, 0xFFFFFF);
  for (int i = 0; i < 4; ++i) {
    test::Append(body, {0xFF, 0xFF, 0xFF, 0x7F});
    test::Append(body, {0x90, 60, 1});
  }
  const TMidiSong song = TMidiSong::Parse(test::Smf(0, 1, {body}));
  std::string error;
  auto host = THostedPlugin::Load(QVT_RECORDER_Replacing_PATH, error);
  ASSERT_TRUE(host) << error;
  EXPECT_THROW(TSongRenderer(*host, song, TRenderOptions{}), std::length_error);
  TRenderOptions shortLimit;
  shortLimit.LongestSeconds = 1.0;
  shortLimit.TailSeconds = 0.5;
  EXPECT_THROW(TSongRenderer(*host, NotesAtFrames({10}, 30000), shortLimit), std::length_error);
  EXPECT_NO_THROW(TSongRenderer(*host, NotesAtFrames({10}, 20000), shortLimit));
}

} // namespace
} // namespace qvt
