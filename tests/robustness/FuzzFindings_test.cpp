// Faults the fuzzers and the soak found, each kept as the behaviour that mends it.
#include <limits>
#include <string>

#include "dsp/uFastDelay.h"
#include "dsp/uOsc.h"
#include "platform/core/uClipboard.h"
#include "tests/core/EngineFixture.h"

using namespace engine_test;

namespace {

// The engine's neutral program: a bare sine on operator 3 at the note's pitch.
class FuzzFindings : public Engine {
protected:
  double PeakOf(int frames) {
    const TStereo out = Render(frames);
    return std::max(Peak(out.Left), Peak(out.Right));
  }
};

} // namespace

// Dispatcher fuzzer, bounds check: the event list was indexed through its two-slot declaration.
TEST_F(FuzzFindings, EventListsLongerThanTheTwoDeclaredSlotsAreReadToTheEnd) {
  VstMidiEvent ignored[3] = {};
  for (auto& event : ignored) event.type = kVstSysExType;
  TMidiList note(0x90, 69, 100);
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[4];
  } list{4, 0, {}};
  for (int i = 0; i < 3; ++i) list.events[i] = reinterpret_cast<VstEvent*>(&ignored[i]);
  list.events[3] = reinterpret_cast<VstEvent*>(&note.Event);
  Synth.processEvents(reinterpret_cast<VstEvents*>(&list));
  EXPECT_GT(PeakOf(4096), 0.1) << "the note in the fourth slot sounds";
}

// Soak: with random in-range automation the pipe's feedback ran away to the engine's ceiling.
TEST_F(FuzzFindings, APipeAboveHalfTheSampleRateStaysBoundedAtFullFeedback) {
  // Ratio 64 and offset 9999.9 Hz put the pipe near 26 kHz: a delay of 1.7 samples.
  Synth.setParameter(piPipe, 1.0f);
  Synth.setParameter(piPipeFeedback, 1.0f);
  Synth.setParameter(piPipeOffset, 1.0f);
  Synth.setParameter(piPipeRatio, 1.0f);
  Synth.setParameter(piPipeSpread, 0.5f);
  NoteOn(60);
  // A pipe at full feedback resonates up to about 330 times its input; it must not grow.
  EXPECT_LT(PeakOf(40 * 1024), 400.0);
}

// Pattern-text fuzzer seed: a number below a double's range ended the paste as "not a number".
TEST_F(FuzzFindings, ATinyPlainDecimalNumberPastesAsZero) {
  std::string text = "[QVT SeqPattern]\r\n0.04\r\n0.5\r\n0." + std::string(400, '0') + "1\r\n";
  for (int i = 0; i < 15; ++i) text += "0.25\r\n";
  SetClipboardText(text);
  Synth.PastePattern();
  EXPECT_EQ(Synth.getParameter(piStep1), 0.0f);
  EXPECT_EQ(Synth.getParameter(piStep16), 0.25f)
      << "the lines after the tiny number are pasted too";
}

// Dispatcher fuzzer, overflow check: a sample rate of 4e-31 Hz made phases infinite.
TEST_F(FuzzFindings, AnOscillatorPhaseThatIsNotFiniteReadsTheTableStart) {
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
TEST_F(FuzzFindings, ADelayLineShorterThanItsInitialDelayReadsInsideItself) {
  TFastDelay line(8.0f);
  ASSERT_EQ(line.Length, 1);
  EXPECT_LE(line.Delay, 1.0f);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(std::isfinite(line.Process(1.0f)));

  Synth.setSampleRate(8.0f);
  Synth.setParameter(piPipe, 1.0f);
  NoteOn(60);
  EXPECT_TRUE(std::isfinite(PeakOf(2048)));
}
