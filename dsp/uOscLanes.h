// Oscillator outputs for a whole segment, computed in vector lanes. The stored
// phase of an oscillator advances by its increment whatever the others output,
// so its phases for a segment are known in advance and each sample's lookup
// (range reduction, table reads, interpolation, shaper, reducer) runs side by
// side with its neighbours', with exactly the arithmetic of TOsc::Process.
#pragma once

#include <cstdint>

namespace qvt {

// An oscillator's settings, read once per segment.
struct TOscVoice {
  std::uint8_t WaveForm = 0;
  const float* Table = nullptr; // the wave's 2048 samples
  float Shape = 0.0f;           // 0 = off
  double ShapeFactor = 0.0;     // WaveShapeFactor(Shape)
  float Reduction = 0.0f;       // > 0 = on
  double ReductionSteps = 0.0;
  double ReductionInv = 0.0;
};

// One oscillator over Count samples: Out[n] is what TOsc::Process(Offset[n],
// Scale[n]) returns while the stored phase is Phase[n]. A null Offset means 0,
// a null Scale 1.
struct TOscSegment {
  const double* Phase = nullptr;
  const float* Offset = nullptr;
  const float* Scale = nullptr;
  float* Out = nullptr;
  int Count = 0;
};

enum class TInstructionSet { Scalar, Sse2, Avx2 };

using TOscKernel = void (*)(const TOscVoice& Voice, const TOscSegment& Segment);

// The kernel for an instruction set; Scalar when this build or processor lacks it.
TOscKernel OscKernel(TInstructionSet Set);
// The best kernel this processor runs (chosen once, at the first call).
TOscKernel OscKernel();
TInstructionSet BestInstructionSet();
const char* InstructionSetName(TInstructionSet Set);

// Kernels compiled for each instruction set (null where not built).
void OscSegmentScalar(const TOscVoice& Voice, const TOscSegment& Segment);
extern const TOscKernel kOscSegmentSse2;
extern const TOscKernel kOscSegmentAvx2;

// The kernels' shared per-sample path: the oscillator's output for the lookup
// phase p (before range reduction).
float OscOutput(const TOscVoice& Voice, double p);

} // namespace qvt
