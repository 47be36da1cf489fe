#include "dsp/uOscLanes.h"

#include "dsp/uOsc.h"
#include "lib/uGlobals.h"

namespace qvt {

float OscOutput(const TOscVoice& Voice, double p) {
  float s = WaveLookup(Voice.WaveForm, ReducePhase(p));
  if (Voice.Shape != 0.0f) s = WaveShape(Voice.Shape, s);
  if (Voice.Reduction > 0.0f) s = ReduceBits(Voice.ReductionSteps, Voice.ReductionInv, s);
  return s;
}

void OscSegmentScalar(const TOscVoice& Voice, const TOscSegment& Segment) {
  for (int n = 0; n < Segment.Count; ++n) {
    double p = Segment.Phase[n];
    if (Segment.Scale) p = p * Segment.Scale[n];
    if (Segment.Offset) p = p + Segment.Offset[n];
    Segment.Out[n] = OscOutput(Voice, p);
  }
}

TInstructionSet BestInstructionSet() {
  // The lanes reduce phases in double precision; the reference build's
  // 80-bit reduction runs in the scalar kernel.
  if constexpr (sizeof(Extended) != sizeof(double)) return TInstructionSet::Scalar;
#if defined(__x86_64__) || defined(_M_X64)
  static const TInstructionSet best = [] {
    __builtin_cpu_init();
    if (kOscSegmentAvx2 && __builtin_cpu_supports("avx2")) return TInstructionSet::Avx2;
    return kOscSegmentSse2 ? TInstructionSet::Sse2 : TInstructionSet::Scalar;
  }();
  return best;
#else
  return TInstructionSet::Scalar;
#endif
}

TOscKernel OscKernel(TInstructionSet Set) {
  const TInstructionSet best = BestInstructionSet();
  if (best == TInstructionSet::Scalar) return OscSegmentScalar;
  if (Set == TInstructionSet::Avx2 && best == TInstructionSet::Avx2) return kOscSegmentAvx2;
  if (Set != TInstructionSet::Scalar && kOscSegmentSse2) return kOscSegmentSse2;
  return OscSegmentScalar;
}

TOscKernel OscKernel() {
  static const TOscKernel kernel = OscKernel(BestInstructionSet());
  return kernel;
}

const char* InstructionSetName(TInstructionSet Set) {
  switch (Set) {
  case TInstructionSet::Avx2: return "AVX2";
  case TInstructionSet::Sse2: return "SSE2";
  default: return "scalar";
  }
}

} // namespace qvt
