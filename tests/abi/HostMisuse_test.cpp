// Hosts that break the rules: the plug-in answers quietly and keeps working.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "core/uBankText.h"
#include "tests/abi/AbiFixture.h"
#include "tests/abi/ProcessMemory.h"
#include "tests/dsp/uDspClassesTestSignals.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr VstInt32 kIntMin = std::numeric_limits<VstInt32>::min();
constexpr VstInt32 kIntMax = std::numeric_limits<VstInt32>::max();

using qvt::test::ResidentBytes;

// The plug-in switched on at 48 kHz, playing the neutral program: a bare sine at the note's pitch.
class HostMisuse : public PluginAbi {
protected:
  void SetUp() override {
    PluginAbi::SetUp();
    Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(effSetBlockSize, 0, 512);
    Dispatch(effMainsChanged, 0, 1);
    const TProgramRecord neutral = qvt::DefaultProgram();
    for (VstInt32 index = 0; index < 72; ++index) Set(index, neutral.Values[index]);
  }
  // The plug-in takes every event list.
  void Note(int status, int note, int velocity) {
    EXPECT_EQ(SendMidi(*Plugin, status, note, velocity), 1);
  }
  // The left channel of `frames` rendered in blocks of 512.
  std::vector<float> Render(std::size_t frames) {
    std::vector<float> left(frames), right(frames);
    for (std::size_t done = 0; done < frames; done += 512) {
      float* outputs[2] = {left.data() + done, right.data() + done};
      Fx->processReplacing(Fx, nullptr, outputs,
                           static_cast<VstInt32>(std::min<std::size_t>(512, frames - done)));
    }
    return left;
  }
  // A3 (220 Hz) measured against the rate the plug-in should be using tells
  // which rate it really uses.
  double MeasuredPitch(double rate) {
    Dispatch(effMainsChanged, 0, 0);
    Dispatch(effMainsChanged, 0, 1);
    Note(0x90, 57, 100);
    const auto frames = static_cast<std::size_t>(rate * 0.25);
    const std::vector<float> sound = Render(frames);
    Note(0x80, 57, 0);
    return qvt::test::MeasureFrequency({sound.begin() + frames / 5, sound.end()}, rate);
  }

  std::vector<float> AllParameters() {
    std::vector<float> values;
    for (VstInt32 index = 0; index < 81; ++index) values.push_back(Get(index));
    return values;
  }
};

} // namespace

TEST_F(HostMisuse, NullPointersOnEveryOpcodeAreAnsweredWithoutATouch) {
  const std::string name = Text(effGetProgramName);
  for (VstInt32 opcode = 0; opcode <= 80; ++opcode) {
    if (opcode == effClose) continue;
    Dispatch(opcode, 0, 0, nullptr, 0.0f);
  }
  // Every opcode that would write through the pointer answers 0; a null
  // request "cannot", and a null event list is taken as no events.
  for (VstInt32 opcode :
       {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName, effEditGetRect,
        effEditOpen, effGetChunk, effSetChunk, effGetProgramNameIndexed, effGetInputProperties,
        effGetOutputProperties, effGetEffectName, effGetVendorString, effGetProductString,
        effGetSpeakerArrangement, effString2Parameter}) {
    EXPECT_EQ(Dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
  }
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, nullptr), -1);
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, nullptr), 1);
  EXPECT_EQ(Dispatch(effSetProgramName, 0, 0, nullptr), 0);
  EXPECT_EQ(Text(effGetProgramName), name) << "a null name renames nothing";
  EXPECT_NEAR(MeasuredPitch(48000.0), 220.0, 0.1);
}

TEST_F(HostMisuse, NegativeAndHugeIndicesAreAnsweredQuietly) {
  const std::vector<float> before = AllParameters();
  for (VstInt32 index : {-1, -81, kIntMin, kIntMax, 81, 1000, 65536}) {
    SCOPED_TRACE(index);
    Set(index, 0.5f);
    EXPECT_EQ(Get(index), 0.0f);
    EXPECT_EQ(Text(effGetParamName, index), "unknown");
    EXPECT_EQ(Text(effGetParamDisplay, index), " ");
    EXPECT_EQ(Text(effGetParamLabel, index), "");
    char untouched[64] = "untouched";
    EXPECT_EQ(Dispatch(effGetProgramNameIndexed, index, 0, untouched), index == 0 ? 1 : 0);
    EXPECT_STREQ(untouched, "untouched");
    VstPinProperties pin{};
    EXPECT_EQ(Dispatch(effGetOutputProperties, index, 0, &pin), 0);
    EXPECT_EQ(Dispatch(effGetInputProperties, index, 0, &pin), 0);
    Dispatch(effEditKeyDown, index, index, nullptr, kNaN);
    Dispatch(effEditKeyUp, index, index, nullptr, kNaN);
    Dispatch(effCanBeAutomated, index);
  }
  for (VstIntPtr program :
       {VstIntPtr{-1}, VstIntPtr{1}, VstIntPtr{kIntMax}, VstIntPtr{kIntMin},
        std::numeric_limits<VstIntPtr>::max(), std::numeric_limits<VstIntPtr>::min()}) {
    Dispatch(effSetProgram, 0, program);
    EXPECT_EQ(Dispatch(effGetProgram), 0);
  }
  EXPECT_EQ(AllParameters(), before) << "no stored value changed";
}

TEST_F(HostMisuse, RendersWithoutOutputsOrWithNegativeFramesWriteNothingAndHarmNothing) {
  Note(0x90, 57, 100);
  std::vector<float> left(512, 7.0f), right(512, 7.0f);
  float* outputs[2] = {left.data(), right.data()};
  float* onlyLeft[2] = {left.data(), nullptr};
  float* onlyRight[2] = {nullptr, right.data()};
  for (auto render : {Fx->processReplacing, Fx->process}) {
    render(Fx, nullptr, nullptr, 512);
    render(Fx, nullptr, onlyLeft, 512);
    render(Fx, nullptr, onlyRight, 512);
    render(Fx, nullptr, outputs, -1);
    render(Fx, nullptr, outputs, kIntMin);
    render(Fx, nullptr, outputs, 0);
  }
  for (std::size_t i = 0; i < 512; ++i) {
    ASSERT_EQ(left[i], 7.0f);
    ASSERT_EQ(right[i], 7.0f);
  }
  double* doubles[2] = {nullptr, nullptr};
  Fx->processDoubleReplacing(Fx, nullptr, nullptr, 512);
  Fx->processDoubleReplacing(Fx, nullptr, doubles, -1);
  double someDoubles[16];
  double* doubleOutputs[2] = {someDoubles, someDoubles};
  Fx->processDoubleReplacing(Fx, nullptr, doubleOutputs, 16);
  VstEvents negative{};
  negative.numEvents = -3;
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &negative), 1);
  // The note given before still plays, finite.
  const std::vector<float> sound = Render(9600);
  float peak = 0.0f;
  for (float s : sound) peak = std::max(peak, std::fabs(s));
  EXPECT_GT(peak, 0.01f);
  EXPECT_TRUE(std::isfinite(peak));
}

TEST_F(HostMisuse, SampleRatesThatAreNoRatesAreIgnored) {
  for (float rate : {0.0f, -0.0f, -1.0f, -48000.0f, kNaN, kInfinity, -kInfinity}) {
    Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    Dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, rate);
  }
  EXPECT_NEAR(MeasuredPitch(48000.0), 220.0, 0.1);
}

TEST_F(HostMisuse, TenMegahertzWorksWithinBoundedMemory) {
  const std::size_t before = ResidentBytes();
  Dispatch(effSetSampleRate, 0, 0, nullptr, 10.0e6f);
  EXPECT_NEAR(MeasuredPitch(10.0e6), 220.0, 0.5);
  EXPECT_LT(ResidentBytes(), before + (96u << 20))
      << "module lines grow with the rate, within reason";
}

TEST_F(HostMisuse, RatesBeyondTenMegahertzAreRefusedWithoutGrowingMemory) {
  const std::size_t before = ResidentBytes();
  for (float rate : {10.5e6f, 1.0e9f, 1.0e30f, std::numeric_limits<float>::max()}) {
    Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    Dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, rate);
  }
  EXPECT_LT(ResidentBytes(), before + (16u << 20));
  // Attack and release are worked out from the rate; set them again to prove it.
  Set(piAttackTime, Get(piAttackTime));
  Set(piReleaseTime, Get(piReleaseTime));
  EXPECT_NEAR(MeasuredPitch(48000.0), 220.0, 0.1);
}

TEST_F(HostMisuse, BlockSizesThatAreNoSizesAreOnlyStored) {
  for (VstIntPtr size : {VstIntPtr{0}, VstIntPtr{-1}, VstIntPtr{kIntMax}, VstIntPtr{kIntMin},
                         std::numeric_limits<VstIntPtr>::max()}) {
    Dispatch(effSetBlockSize, 0, size);
    EXPECT_EQ(Dispatch(effSetBlockSizeAndSampleRate, 0, size, nullptr, 48000.0f), 1);
  }
  EXPECT_NEAR(MeasuredPitch(48000.0), 220.0, 0.1);
}

TEST(HostMisuseLifecycle, ClosingOnceAfterARenderThreadStoppedReleasesEverything) {
  std::string error;
  auto plugin = qvt::THostedPlugin::Load(QVT_PLUGIN_PATH, error);
  ASSERT_TRUE(plugin) << error;
  plugin->RecordAutomation = false;
  plugin->RecordRequests = false;
  AEffect* fx = plugin->Effect();
  fx->dispatcher(fx, effMainsChanged, 0, 1, nullptr, 0.0f);

  std::atomic<bool> finite{true};
  std::thread audio([fx, host = plugin.get(), &finite] {
    std::vector<float> left(256), right(256);
    for (int block = 0; block < 400; ++block) {
      SendMidi(*host, block % 3 ? 0x90 : 0x80, 40 + block % 40, 100);
      float* outputs[2] = {left.data(), right.data()};
      fx->processReplacing(fx, nullptr, outputs, 256);
      for (float s : left)
        if (!std::isfinite(s)) finite = false;
    }
  });
  // The user-interface thread automates and changes the rate meanwhile.
  for (int round = 0; round < 200; ++round) {
    fx->setParameter(fx, round % 81, (round % 10) / 9.0f);
    if (round % 50 == 0)
      fx->dispatcher(fx, effSetSampleRate, 0, 0, nullptr, round % 100 ? 48000.0f : 44100.0f);
  }
  audio.join();
  EXPECT_TRUE(finite);
  // The sanitizer build checks that closing freed every module set, retired ones included.
  EXPECT_EQ(plugin->Close(), 1);
}
