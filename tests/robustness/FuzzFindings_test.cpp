// Faults the fuzzers and the soak found, each kept as the behaviour that mends it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/uSynth.h"
#include "dsp/uFastDelay.h"
#include "dsp/uOsc.h"
#include "platform/core/uClipboard.h"

namespace {

VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  switch (opcode) {
  case audioMasterVersion: return 2400;
  case audioMasterTempoAt: return 120 * 10000;
  default: return 0;
  }
}

VstMidiEvent NoteOn(int note) {
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.midiData[0] = static_cast<char>(0x90);
  event.midiData[1] = static_cast<char>(note);
  event.midiData[2] = 100;
  return event;
}

void Play(TSynth& synth, int note) {
  VstMidiEvent event = NoteOn(note);
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&event);
  synth.processEvents(&events);
}

float Peak(TSynth& synth, int blocks) {
  float left[1024], right[1024];
  float* outputs[2] = {left, right};
  float peak = 0.0f;
  for (int block = 0; block < blocks; ++block) {
    synth.processReplacing(nullptr, outputs, 1024);
    for (int i = 0; i < 1024; ++i) peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
  }
  return peak;
}

// A bare sine on operator 3 at the note's pitch, nothing else.
void PlainSine(TSynth& synth) {
  for (int index = 0; index < qvt::kNumStoredParams; ++index) synth.setParameter(index, 0.0f);
  synth.setParameter(piGenerationScheme, 0.2f);
  synth.setParameter(piOsc3Level, 1.0f);
  synth.setParameter(piOsc3Offset, 999.99f / 10999.98f);
  synth.setParameter(piOsc3Ratio, 1.0f / 64.0f);
  synth.setParameter(piOsc3Shape, 0.5f);
  synth.setParameter(piDetune, 0.5f);
}

} // namespace

// Dispatcher fuzzer, bounds check: the event list was indexed through its two-slot declaration.
TEST(FuzzFindings, EventListsLongerThanTheTwoDeclaredSlotsAreReadToTheEnd) {
  auto synth = std::make_unique<TSynth>(Host);
  PlainSine(*synth);
  VstMidiEvent ignored[3] = {};
  for (auto& event : ignored) event.type = kVstSysExType;
  VstMidiEvent note = NoteOn(69);
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[4];
  } list{4, 0, {}};
  for (int i = 0; i < 3; ++i) list.events[i] = reinterpret_cast<VstEvent*>(&ignored[i]);
  list.events[3] = reinterpret_cast<VstEvent*>(&note);
  synth->processEvents(reinterpret_cast<VstEvents*>(&list));
  EXPECT_GT(Peak(*synth, 4), 0.1f) << "the note in the fourth slot sounds";
}

// Soak: with random in-range automation the pipe's feedback ran away to the engine's ceiling.
TEST(FuzzFindings, APipeAboveHalfTheSampleRateStaysBoundedAtFullFeedback) {
  // Ratio 64 and offset 9999.9 Hz put the pipe near 26 kHz: a delay of 1.7 samples.
  auto synth = std::make_unique<TSynth>(Host);
  PlainSine(*synth);
  synth->setParameter(piPipe, 1.0f);         // pipe on
  synth->setParameter(piPipeFeedback, 1.0f); // full feedback
  synth->setParameter(piPipeOffset, 1.0f);
  synth->setParameter(piPipeRatio, 1.0f);
  synth->setParameter(piPipeSpread, 0.5f);
  Play(*synth, 60);
  // A pipe at full feedback resonates up to about 330 times its input; it must not grow.
  EXPECT_LT(Peak(*synth, 40), 400.0f);
}

// Pattern-text fuzzer seed: a number below a double's range ended the paste as "not a number".
TEST(FuzzFindings, ATinyPlainDecimalNumberPastesAsZero) {
  auto synth = std::make_unique<TSynth>(Host);
  std::string text = "[QVT SeqPattern]\r\n0.04\r\n0.5\r\n0." + std::string(400, '0') + "1\r\n";
  for (int i = 0; i < 15; ++i) text += "0.25\r\n";
  SetClipboardText(text);
  synth->PastePattern();
  EXPECT_EQ(synth->getParameter(piStep1), 0.0f);
  EXPECT_EQ(synth->getParameter(piStep16), 0.25f)
      << "the lines after the tiny number are pasted too";
}

// Dispatcher fuzzer, overflow check: a sample rate of 4e-31 Hz made phases infinite.
TEST(FuzzFindings, AnOscillatorPhaseThatIsNotFiniteReadsTheTableStart) {
  const float start = WaveLookup(otSin, 0.0);
  for (double phase :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(), 1.0e300, -1.0e300}) {
    EXPECT_EQ(WaveLookup(otSin, phase), start) << phase;
    EXPECT_EQ(WaveLookup(otSaw, phase), WaveLookup(otSaw, 0.0)) << phase;
  }
}

// Host misuse, rates of 10^9 Hz or more building delay lines of 64 MB each: HostMisuse (ABI).

// Dispatcher fuzzer, pointer-overflow check: at 8 Hz the pipe's line is one sample
// long, shorter than its initial delay, and its first read fell before the buffer.
TEST(FuzzFindings, ADelayLineShorterThanItsInitialDelayReadsInsideItself) {
  TFastDelay line(8.0f);
  ASSERT_EQ(line.Length, 1);
  EXPECT_LE(line.Delay, 1.0f);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(std::isfinite(line.Process(1.0f)));

  auto synth = std::make_unique<TSynth>(Host);
  synth->setSampleRate(8.0f);
  synth->setParameter(piPipe, 1.0f);
  Play(*synth, 60);
  EXPECT_TRUE(std::isfinite(Peak(*synth, 2)));
}
