// Parameter names, labels and display texts as the host reads them.
#include <array>
#include <cmath>
#include <limits>

#include "tests/abi/AbiFixture.h"

namespace {

struct TExpected {
  const char* Name;
  const char* Label;
  std::array<const char*, 3> Display; // for every stored value at 0, 0.5 and 1
};

const char* const kXy0 = "Reductor 0 %; Shaper -100 %";
const char* const kXyHalf = "Reductor 50 %; Shaper 0 %";
const char* const kXy1 = "Reductor 100 %; Shaper 100 %";

const TExpected kTable[81] = {
    {"Generation Scheme", "", {"0", "5", "10"}},
    {"Osc1 Level", "%", {"0", "50", "100"}},
    {"Osc2 Level", "%", {"0", "50", "100"}},
    {"Osc3 Level", "%", {"0", "50", "100"}},
    {"Osc1 Offset", "Hz", {"-999.99", "4500.00", "9999.99"}},
    {"Osc2 Offset", "Hz", {"-999.99", "4500.00", "9999.99"}},
    {"Osc3 Offset", "Hz", {"-999.99", "4500.00", "9999.99"}},
    {"Osc1 Ratio", "", {"0.0000", "32.0000", "64.0000"}},
    {"Osc2 Ratio", "", {"0.0000", "32.0000", "64.0000"}},
    {"Osc3 Ratio", "", {"0.0000", "32.0000", "64.0000"}},
    {"Osc1 Waveform", "", {"Sine", "Inv Saw", "Inv Saw"}},
    {"Osc2 Waveform", "", {"Sine", "Inv Saw", "Inv Saw"}},
    {"Osc3 Waveform", "", {"Sine", "Inv Saw", "Inv Saw"}},
    {"Osc1 Seq", "", {"off", "off", "on"}},
    {"Osc2 Seq", "", {"off", "off", "on"}},
    {"Osc3 Seq", "", {"off", "off", "on"}},
    {"Osc1 XY-pad", "", {kXy0, kXyHalf, kXy1}},
    {"Osc2 XY-pad", "", {kXy0, kXyHalf, kXy1}},
    {"Osc3 XY-pad", "", {kXy0, kXyHalf, kXy1}},
    {"Osc1 XY-pad", "", {kXy0, kXyHalf, kXy1}},
    {"Osc2 XY-pad", "", {kXy0, kXyHalf, kXy1}},
    {"Osc3 XY-pad", "", {kXy0, kXyHalf, kXy1}},
    {"Space 3D Depth", "%", {"0", "50", "100"}},
    {"Space Unison", "%", {"-100", "0", "100"}},
    {"Filter Lowpass Cuttoff", "Hz", {"320", "2530", "20000"}},
    {"Filter Highpass Cuttoff", "Hz", {"20", "245", "3000"}},
    {"Filter Lowpass Type", "", {"Filter Off", "Chebyshev", "Chebyshev"}},
    {"Filter Highpass Type", "", {"Filter Off", "Chebyshev", "Chebyshev"}},
    {"MainOsc Attack Time", "Ms", {"0", "6000", "12000"}},
    {"MainOsc Release Time", "Ms", {"0", "6000", "12000"}},
    {"Pipe Filter", "", {"off", "off", "on"}},
    {"Pipe Filter Feedback", "%", {"0", "50", "100"}},
    {"Pipe Feedback Invert", "", {"off", "off", "on"}},
    {"Pipe Mode", "", {"off", "off", "on"}},
    {"Pipe Offset", "Hz", {"-999.99", "4500.00", "9999.99"}},
    {"Pipe Ratio", "", {" ", " ", " "}},
    {"Pipe Space Unison", "%", {"-100", "0", "100"}},
    {"Flanger", "", {"off", "off", "on"}},
    {"Flanger LFO Waveform", "", {"Triangle", "Triangle", "Sine"}},
    {"Flanger LFO Rate", "Hz", {"0.2", "2.7", "10.0"}},
    {"Flanger LFO Depth", "%", {"0", "50", "100"}},
    {"Flanger Lowpass Cuttoff", "Hz", {"20", "632", "20000"}},
    {"Flanger Time", "Ms", {"5.0", "17.5", "30.0"}},
    {"Flanger Feedback", "%", {"0", "50", "100"}},
    {"Flanger Level", "%", {"0", "50", "100"}},
    {"Reverberator", "", {"off", "off", "on"}},
    {"Reverberator Time", "%", {"0", "50", "100"}},
    {"Reverberator Stereo Width", "%", {"0", "50", "100"}},
    {"Reverberator Dry Level", "%", {"0", "50", "100"}},
    {"Reverberator Wet Level", "%", {"0", "50", "100"}},
    {"Reverberator Highpass Cuttoff", "Hz", {"320", "2530", "20000"}},
    {"Reverberator Lowpass Cuttoff", "Hz", {"20", "245", "3000"}},
    {"Pattern Speed", "", {" ", " ", " "}},
    {"Pattern Portamento", "%", {"0", "50", "100"}},
    {"Pattern Step1", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step2", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step3", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step4", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step5", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step6", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step7", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step8", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step9", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step10", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step11", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step12", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step13", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step14", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step15", "", {"0.0200", "0.6325", "20.0000"}},
    {"Pattern Step16", "", {"0.0200", "0.6325", "20.0000"}},
    {"Use root note A4", "", {"off", "off", "on"}},
    {"Loop", "", {"off", "off", "on"}},
    {"Random parametrs", "", {"All", "All", "All"}},
    {"Random parametrs", "", {"Sequencer", "Sequencer", "Sequencer"}},
    {"Random parametrs", "", {"Frequency", "Frequency", "Frequency"}},
    {"Random parametrs", "", {"Waveform", "Waveform", "Waveform"}},
    {"Random parametrs", "", {"Filter", "Filter", "Filter"}},
    {"Random parametrs", "", {"Fx", "Fx", "Fx"}},
    {"Osc1 XY-pad", "", {kXy0, kXyHalf, kXy1}},
    {"Osc2 XY-pad", "", {kXy0, kXyHalf, kXy1}},
    {"Osc3 XY-pad", "", {kXy0, kXyHalf, kXy1}},
};

} // namespace

TEST_F(PluginAbi, EveryParameterHasItsNameLabelAndDisplayAtZeroHalfAndOne) {
  const float values[3] = {0.0f, 0.5f, 1.0f};
  for (int column = 0; column < 3; ++column) {
    for (int index = 0; index < 81; ++index) Set(index, values[column]);
    for (int index = 0; index < 81; ++index) {
      SCOPED_TRACE("index " + std::to_string(index) + " value " + std::to_string(values[column]));
      EXPECT_EQ(Text(effGetParamName, index), kTable[index].Name);
      EXPECT_EQ(Text(effGetParamLabel, index), kTable[index].Label);
      EXPECT_EQ(Text(effGetParamDisplay, index), kTable[index].Display[column]);
    }
  }
}

// Values between the ends, and where rounding and thresholds fall.
TEST_F(PluginAbi, DisplayTextsFollowTheirCurvesBetweenTheEnds) {
  const struct {
    VstInt32 Index;
    float Value;
    const char* Display;
  } cases[] = {
      {10, 0.2f, "Sawtooth"},
      {10, 0.1f, "Triangle"},
      {26, 0.02f, "Butterworth"},
      {26, 0.05f, "Chebyshev"},
      {27, 0.01f, "Biquad"},
      {0, 0.25f, "2"}, // 2.5 rounds to the even 2
      {0, 0.35f, "3"},
      {23, 0.251f, "-49"},        // truncated towards zero: −49.8 shows −49
      {54, 0.5663233f, "1.0000"}, // ratio 1
      {4, 0.0909084f, "0.00"},    // just above 0 Hz
      {13, 0.5f, "off"},          // on/off switches are off at exactly half
      {13, 0.50001f, "on"},
  };
  for (const auto& c : cases) {
    Set(c.Index, c.Value);
    EXPECT_EQ(Text(effGetParamDisplay, c.Index), c.Display) << c.Index << " at " << c.Value;
  }
  // Shape and reduction of one operator, shown by all three of its pad entries.
  Set(piOsc1Reduction, 0.5f);
  Set(piOsc1Shape, 0.25f);
  for (VstInt32 pad : {16, 19, 78})
    EXPECT_EQ(Text(effGetParamDisplay, pad), "Reductor 50 %; Shaper -50 %") << pad;
}

// (Indices outside the table: HostMisuse.)
TEST_F(PluginAbi, StoredValuesAreLimitedAndEditorOnlyParametersStoreNothing) {
  const std::pair<float, float> cases[] = {{1.7f, 1.0f},
                                           {-0.2f, 0.0f},
                                           {std::numeric_limits<float>::quiet_NaN(), 0.0f},
                                           {std::numeric_limits<float>::infinity(), 1.0f}};
  for (const auto& [set, stored] : cases) {
    Set(piOsc3Level, set);
    EXPECT_EQ(Get(piOsc3Level), stored) << set;
  }
  Set(piRandomWaveform, 0.7f);
  EXPECT_EQ(Get(piRandomWaveform), 0.0f) << "an editor-only parameter stores nothing";
}
