// A note through the binary interface: pitch, release and the two render calls.
#include <cmath>
#include <vector>

#include "tests/abi/AbiFixture.h"

namespace {

VstMidiEvent Midi(unsigned char status, unsigned char note, unsigned char velocity, int delta = 0) {
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = delta;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(note);
  event.midiData[2] = static_cast<char>(velocity);
  return event;
}

class PluginSound : public PluginAbi {
protected:
  void SetUp() override {
    PluginAbi::SetUp();
    Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(effSetBlockSize, 0, 256);
    Dispatch(effMainsChanged, 0, 1);
    PlainSine();
  }
  // Replaces the start program by one sine carrier at the note's pitch with a
  // 250 ms release, filters open and effects off.
  void PlainSine() {
    const float noOffset = 999.99f / 10999.98f, ratioOne = 1.0f / 64.0f;
    const std::pair<int, float> values[] = {{0, 0.2f},
                                            {1, 0.0f},
                                            {2, 0.0f},
                                            {3, 1.0f},
                                            {4, noOffset},
                                            {5, noOffset},
                                            {6, noOffset},
                                            {7, ratioOne},
                                            {8, ratioOne},
                                            {9, ratioOne},
                                            {10, 0.0f},
                                            {11, 0.0f},
                                            {12, 0.0f},
                                            {13, 0.0f},
                                            {14, 0.0f},
                                            {15, 0.0f},
                                            {16, 0.0f},
                                            {17, 0.0f},
                                            {18, 0.0f},
                                            {19, 0.5f},
                                            {20, 0.5f},
                                            {21, 0.5f},
                                            {22, 0.0f},
                                            {23, 0.5f},
                                            {24, 1.0f},
                                            {25, 0.0f},
                                            {26, 0.0f},
                                            {27, 0.0f},
                                            {28, 5.0f / 12000.0f},
                                            {29, 250.0f / 12000.0f},
                                            {30, 0.0f},
                                            {37, 0.0f},
                                            {45, 0.0f},
                                            {70, 0.0f},
                                            {71, 0.0f}};
    for (const auto& [index, value] : values) Set(index, value);
  }
  void Send(VstMidiEvent event) {
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    Dispatch(effProcessEvents, 0, 0, &events);
  }
  std::vector<float> Render(int frames, bool replacing = true) {
    std::vector<float> left(frames), right(frames);
    for (int done = 0; done < frames; done += 256) {
      float* outputs[2] = {left.data() + done, right.data() + done};
      (replacing ? Fx->processReplacing : Fx->process)(Fx, nullptr, outputs,
                                                       std::min(256, frames - done));
    }
    return left;
  }
};

} // namespace

TEST_F(PluginSound, ANoteSoundsAtItsPitchAndFallsSilentAfterItsRelease) {
  Send(Midi(0x90, 57, 100)); // A3, 220 Hz
  const std::vector<float> held = Render(48000);
  EXPECT_NEAR(ZeroCrossingFrequency(held, 4800, 48000.0), 220.0, 0.05);
  Send(Midi(0x80, 57, 0));
  // The start program releases in 250 ms.
  const std::vector<float> released = Render(48000);
  float tail = 0.0f;
  for (std::size_t i = 24000; i < released.size(); ++i)
    tail = std::max(tail, std::fabs(released[i]));
  EXPECT_LT(tail, 1e-6f);
}

TEST_F(PluginSound, ProcessAddsToTheBuffersWhileProcessReplacingOverwritesThem) {
  Send(Midi(0x90, 69, 100));
  std::vector<float> left(256, 0.25f), right(256, 0.25f);
  float* outputs[2] = {left.data(), right.data()};
  Fx->process(Fx, nullptr, outputs, 256);
  int changed = 0;
  for (float s : left) changed += s != 0.25f;
  EXPECT_GT(changed, 200);
  std::vector<float> second(256, 0.25f), secondRight(256, 0.25f);
  float* replaced[2] = {second.data(), secondRight.data()};
  Fx->processReplacing(Fx, nullptr, replaced, 256);
  float offset = 0.0f;
  for (float s : second) offset += s;
  EXPECT_LT(std::fabs(offset / 256.0f), 0.2f) << "no trace of the 0.25 that was there";
}

TEST_F(PluginSound, OddRenderCallsAreHarmless) {
  Send(Midi(0x90, 60, 100));
  float left[16], right[16];
  float* outputs[2] = {left, right};
  float* missing[2] = {left, nullptr};
  Fx->processReplacing(Fx, nullptr, outputs, 0);
  Fx->processReplacing(Fx, nullptr, outputs, -5);
  Fx->processReplacing(Fx, nullptr, nullptr, 16);
  Fx->processReplacing(Fx, nullptr, missing, 16);
  Fx->process(Fx, nullptr, nullptr, 16);
  double doubles[16];
  double* doubleOutputs[2] = {doubles, doubles};
  Fx->processDoubleReplacing(Fx, nullptr, doubleOutputs, 16);
  VstEvents empty{};
  empty.numEvents = -3;
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &empty), 1);
  Fx->processReplacing(Fx, nullptr, outputs, 16);
  for (float s : left) EXPECT_TRUE(std::isfinite(s));
}
