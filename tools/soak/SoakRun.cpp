#include "tools/soak/SoakRun.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <random>

#include "core/uSynth.h"

namespace qvt::soak {

namespace {

std::atomic<int> gTempoTenThousandths{120 * 10000};

VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  switch (opcode) {
  case audioMasterVersion: return 2400;
  case audioMasterTempoAt: return gTempoTenThousandths.load();
  default: return 0;
  }
}

constexpr float kSampleRates[] = {44100.0f, 48000.0f, 22050.0f, 88200.0f, 96000.0f, 192000.0f};
constexpr int kMaxBlock = 2048;
constexpr int kMaxExtraPrograms = 48;

class TSoak {
public:
  TSoak(const TSoakOptions& options, const std::function<void(const TSoakResult&)>& progress)
      : Options(options), Progress(progress), Random(options.Seed), Synth(Host), Left(kMaxBlock),
        Right(kMaxBlock) {
    BankSizeAtStart = Synth.BankCount();
  }

  TSoakResult Run() {
    const auto start = std::chrono::steady_clock::now();
    Synth.setSampleRate(Rate);
    Synth.resume();
    SampleMemory();
    double nextMemorySample = Options.MemoryEverySeconds;
    while (Result.AudioSeconds < Options.AudioSeconds) {
      Block();
      if (Result.AudioSeconds >= nextMemorySample) {
        SampleMemory();
        nextMemorySample += Options.MemoryEverySeconds;
      }
    }
    SampleMemory();
    Result.WallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return Result;
  }

private:
  double Uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(Random); }
  int Integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(Random); }
  bool Chance(double probability) { return Uniform() < probability; }

  // Mostly in range; now and then a value a careless host might send.
  float AutomationValue() {
    if (!Chance(Options.OddValueChance)) return static_cast<float>(Uniform());
    constexpr float kOdd[] = {-1.0f,
                              2.0f,
                              1.0e9f,
                              -1.0e9f,
                              1.0e-30f,
                              std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN()};
    return kOdd[Integer(0, static_cast<int>(std::size(kOdd)) - 1)];
  }

  void Block() {
    const int frames = Chance(0.05) ? Integer(1, 16) : Integer(32, kMaxBlock);
    for (int index = 0; index < qvt::kNumParams; ++index)
      Synth.setParameter(index, AutomationValue());
    if (Chance(0.02)) ProgramOperation();
    if (Chance(0.05)) PatternOperation();
    if (Chance(0.002)) ChangeSampleRate();
    if (Chance(0.002)) gTempoTenThousandths.store(Integer(20, 400) * 10000);
    if (Chance(0.001)) {
      Synth.suspend();
      Synth.resume();
    }
    SendEvents(frames);
    Render(frames);
  }

  void ProgramOperation() {
    ++Result.ProgramOperations;
    const int count = Synth.BankCount();
    switch (Integer(0, 5)) {
    case 0:
    case 1:
    case 2: Synth.SelectProgram(Integer(-1, count)); break;
    case 3:
      if (count < BankSizeAtStart + kMaxExtraPrograms) Synth.InsertProgramCopy();
      break;
    case 4: Synth.StoreProgram(); break;
    case 5:
      if (count > BankSizeAtStart) Synth.DeleteProgram(Integer(0, count - 1));
      break;
    }
  }

  void PatternOperation() {
    ++Result.PatternOperations;
    switch (Integer(0, 8)) {
    case 0: Synth.RandomiseSteps(Chance(0.5)); break;
    case 1: Synth.ShuffleSteps(); break;
    case 2: Synth.RotateStepsLeft(); break;
    case 3: Synth.RotateStepsRight(); break;
    case 4: Synth.ReverseSteps(); break;
    case 5: Synth.TransposeSteps(Integer(-24, 24)); break;
    case 6: Synth.CopyPattern(); break;
    case 7:
      // The editor's paste command: paste, then announce what the edit buffer holds.
      Synth.PastePattern();
      for (int index = 52; index <= 69; ++index)
        Synth.setParameterAutomated(index, Synth.getParameter(index));
      return;
    case 8: break;
    }
    Synth.CommitSteps();
  }

  void ChangeSampleRate() {
    ++Result.SampleRateChanges;
    Rate = kSampleRates[Integer(0, static_cast<int>(std::size(kSampleRates)) - 1)];
    Synth.setSampleRate(Rate);
  }

  void SendEvents(int frames) {
    VstMidiEvent events[4] = {};
    int count = 0;
    int offset = 0; // hosts send events in the order of their offsets
    auto add = [&](int status, int data1, int data2) {
      VstMidiEvent& event = events[count++];
      event.type = kVstMidiType;
      event.byteSize = sizeof(VstMidiEvent);
      event.deltaFrames = offset = Integer(offset, frames - 1);
      event.midiData[0] = static_cast<char>(status | Integer(0, 15));
      event.midiData[1] = static_cast<char>(data1);
      event.midiData[2] = static_cast<char>(data2);
    };
    if (Chance(0.25)) {
      add(0x90, Integer(0, 127), Integer(1, 127));
      ++Result.Notes;
    }
    if (Chance(0.2)) add(Chance(0.5) ? 0x80 : 0x90, Integer(0, 127), 0);
    if (Chance(0.005)) add(0xB0, 126, 0);
    if (Chance(0.005)) add(Integer(0, 255) & 0xF0, Integer(0, 255), Integer(0, 255));
    if (count == 0) return;
    struct {
      VstInt32 numEvents;
      VstIntPtr reserved;
      VstEvent* events[4];
    } list{count, 0, {}};
    for (int i = 0; i < count; ++i) list.events[i] = reinterpret_cast<VstEvent*>(&events[i]);
    Synth.processEvents(reinterpret_cast<VstEvents*>(&list));
  }

  void Render(int frames) {
    float* outputs[2] = {Left.data(), Right.data()};
    if (Chance(0.25)) {
      std::fill_n(Left.begin(), frames, 0.0f);
      std::fill_n(Right.begin(), frames, 0.0f);
      Synth.process(nullptr, outputs, frames);
    } else {
      Synth.processReplacing(nullptr, outputs, frames);
    }
    for (int i = 0; i < frames; ++i) {
      Inspect(Left[i], i);
      Inspect(Right[i], i);
    }
    ++Result.Blocks;
    Result.Frames += static_cast<std::uint64_t>(frames);
    Result.AudioSeconds += frames / static_cast<double>(Rate);
  }

  void Inspect(float sample, int frame) {
    const float magnitude = std::fabs(sample);
    if (!std::isfinite(sample)) {
      ++Result.NonFinite;
    } else {
      Result.Peak = std::max(Result.Peak, magnitude);
      if (magnitude <= Options.SampleBound) return;
      ++Result.OutOfBounds;
    }
    if (Result.FirstFault.empty()) {
      char text[160];
      std::snprintf(text, sizeof text, "sample %g at frame %d of block %llu, %.3f s of audio",
                    static_cast<double>(sample), frame,
                    static_cast<unsigned long long>(Result.Blocks), Result.AudioSeconds);
      Result.FirstFault = text;
    }
  }

  void SampleMemory() {
    Result.Memory.push_back({Result.AudioSeconds, ResidentBytes()});
    if (Progress) Progress(Result);
  }

  TSoakOptions Options;
  std::function<void(const TSoakResult&)> Progress;
  std::mt19937_64 Random;
  TSynth Synth;
  std::vector<float> Left, Right;
  float Rate = 44100.0f;
  int BankSizeAtStart = 0;
  TSoakResult Result;
};

} // namespace

long long TSoakResult::MemoryGrowthBytes() const {
  // The first sample is taken before anything ran; the growth is measured from
  // the first half onwards, once every buffer has reached its working size.
  if (Memory.size() < 3) return 0;
  const std::size_t middle = 1 + (Memory.size() - 1) / 2;
  std::size_t first = 0, second = 0;
  for (std::size_t i = 1; i < Memory.size(); ++i)
    (i < middle ? first : second) = std::max(i < middle ? first : second, Memory[i].ResidentBytes);
  return static_cast<long long>(second) - static_cast<long long>(first);
}

std::size_t ResidentBytes() {
  std::FILE* file = std::fopen("/proc/self/statm", "r");
  if (!file) return 0;
  unsigned long long size = 0, resident = 0;
  const int read = std::fscanf(file, "%llu %llu", &size, &resident);
  std::fclose(file);
  return read == 2
             ? static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE))
             : 0;
}

TSoakResult RunSoak(const TSoakOptions& options,
                    const std::function<void(const TSoakResult&)>& progress) {
  // The synthesizer is large (its event store, its inbox): keep it off the stack.
  auto soak = std::make_unique<TSoak>(options, progress);
  return soak->Run();
}

} // namespace qvt::soak
