// The lane kernel behind OscKernel, written once over a lane type and
// compiled per instruction set (uOscLanesSse2.cpp, uOscLanesAvx2.cpp). Every
// operation is the IEEE operation of the scalar path in the same order, so all
// kernels give the same bits; groups with a phase beyond the lanes' integer
// range (or not finite) take the scalar path.
#pragma once

#include "dsp/uOsc.h"
#include "dsp/uOscLanes.h"

#include <immintrin.h>

namespace qvt::lanes {

// Phases below this many radians keep trunc(p / 2π) below 2^29, where the
// 32-bit conversions are exact and the products with the parts of 2π too.
inline constexpr double kLaneLimit = 0x1p29 * 6.0;
inline constexpr int kIndexMask = kWaveLength - 1;

// The four samples around index m (0 … 2047) of each lane: m − 1 … m + 2
// modulo the wave length. Away from the wave's ends each lane's four samples
// are one unaligned load; near them the indices wrap and are read one by one.
template <class L>
inline void Taps(const float* t, typename L::I m, typename L::D& ym1, typename L::D& y0,
                 typename L::D& y1, typename L::D& y2) {
  if (!L::NearEnds(m, kIndexMask)) {
    L::Contiguous(t, m, ym1, y0, y1, y2);
    return;
  }
  ym1 = L::Gather(t, L::IndexAnd(L::IndexAdd(m, -1), kIndexMask));
  y0 = L::Gather(t, m);
  y1 = L::Gather(t, L::IndexAnd(L::IndexAdd(m, 1), kIndexMask));
  y2 = L::Gather(t, L::IndexAnd(L::IndexAdd(m, 2), kIndexMask));
}

template <class L> void OscSegment(const TOscVoice& v, const TOscSegment& s) {
  using D = typename L::D;
  using I = typename L::I;
  constexpr int W = L::W;
  const D twoPi = L::Set(static_cast<double>(kTwoPiX));
  const D hi = L::Set(kTwoPiHi), mid = L::Set(kTwoPiMid), lo = L::Set(kTwoPiLo);
  const D below = L::Set(kTwoPiBelow), limit = L::Set(kLaneLimit), zero = L::Set(0.0);
  const D toIndex = L::Set(kPhaseToIndex), half = L::Set(0.5);
  const D shapeK = L::Set(v.ShapeFactor), shapeK1 = L::Set(1.0 + v.ShapeFactor);
  const D one = L::Set(1.0);
  const D steps = L::Set(v.ReductionSteps), inv = L::Set(v.ReductionInv);
  const bool shaped = v.Shape != 0.0f, reduced = v.Reduction > 0.0f;
  const float* t = v.Table;

  // G groups side by side (eight samples), so that one group's table reads
  // and conversions overlap with the others' arithmetic.
  constexpr int G = L::Groups;
  int n = 0;
  for (; n + G * W <= s.Count; n += G * W) {
    D p[G], a[G];
    bool fallback = false;
    for (int g = 0; g < G; ++g) {
      p[g] = L::Load(s.Phase + n + g * W);
      if (s.Scale) p[g] = L::Mul(p[g], L::LoadF(s.Scale + n + g * W));
      if (s.Offset) p[g] = L::Add(p[g], L::LoadF(s.Offset + n + g * W));
      a[g] = L::Abs(p[g]);
      fallback = fallback || L::Any(L::NotLess(a[g], limit));
    }
    if (fallback) {
      for (int k = 0; k < G * W; ++k) {
        double pk = s.Phase[n + k];
        if (s.Scale) pk = pk * s.Scale[n + k];
        if (s.Offset) pk = pk + s.Offset[n + k];
        s.Out[n + k] = OscOutput(v, pk);
      }
      continue;
    }
    D r[G], frac[G], ym1[G], y0[G], y1[G], y2[G], y[G];
    I i[G];
    for (int g = 0; g < G; ++g) {
      // Range reduction: p − trunc(p / 2π)·2π with 2π in parts, + 2π below 0.
      const D tr = L::FromInt(L::Trunc(L::Div(p[g], twoPi)));
      r[g] = L::Sub(L::Sub(L::Sub(p[g], L::Mul(tr, hi)), L::Mul(tr, mid)), L::Mul(tr, lo));
      r[g] = L::Select(L::Greater(a[g], below), r[g], p[g]);
      const D wrapped = L::Add(L::Add(L::Add(r[g], hi), mid), lo);
      r[g] = L::Select(L::Less(r[g], zero), wrapped, r[g]);
      // WaveLookup: four-point Hermite at r.
      const D pos = L::Mul(r[g], toIndex);
      i[g] = L::Round(L::Sub(pos, half));
      frac[g] = L::ThroughFloat(L::Sub(pos, L::FromInt(i[g])));
    }
    for (int g = 0; g < G; ++g)
      Taps<L>(t, L::IndexAnd(i[g], kIndexMask), ym1[g], y0[g], y1[g], y2[g]);
    for (int g = 0; g < G; ++g) {
      const D c = L::Mul(half, L::Sub(y1[g], ym1[g]));
      const D vv = L::Sub(y0[g], y1[g]);
      const D w = L::Add(c, vv);
      const D aa = L::Add(L::Add(w, vv), L::Mul(half, L::Sub(y2[g], y0[g])));
      const D b = L::Add(w, aa);
      y[g] = L::ThroughFloat(L::Add(
          L::Mul(L::Add(L::Mul(L::Sub(L::Mul(aa, frac[g]), b), frac[g]), c), frac[g]), y0[g]));
      if (shaped) // (1 + k)·x / (|x|·k + 1)
        y[g] = L::ThroughFloat(
            L::Div(L::Mul(shapeK1, y[g]), L::Add(L::Mul(L::Abs(y[g]), shapeK), one)));
      if (reduced) // nearest (ties to even) of steps·x, times 1/steps
        y[g] = L::ThroughFloat(L::Mul(L::NearestEven(L::Mul(steps, y[g])), inv));
      L::StoreF(s.Out + n + g * W, y[g]);
    }
  }
  for (; n < s.Count; ++n) {
    double p = s.Phase[n];
    if (s.Scale) p = p * s.Scale[n];
    if (s.Offset) p = p + s.Offset[n];
    s.Out[n] = OscOutput(v, p);
  }
}

} // namespace qvt::lanes
