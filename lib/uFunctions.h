// Value conversions shared by the engine, the parameter texts and the editor.
#pragma once

namespace qvt {

// Normalised value v (0…1) to engineering units. The exponential forms are
// evaluated in extended precision and rounded once at the end. The engine runs
// the linear forms in double; the host texts run them in extended precision,
// whose rounding they have always shown (1750.01 Hz at v = 0.25).
double OffsetFromValue(double v);    // 10999.98·v − 999.99 Hz
long double OffsetFromValue(long double v);
double RatioFromValue(double v);     // 64·v
double StepRatioFromValue(double v); // 0.02·1000^v
double LowPassCurveHz(double v);     // 320·62.5^v
double HighPassCurveHz(double v);    // 20·150^v
double FlangerCutoffHz(double v);    // 20·1000^v
double FlangerRateHz(double v);      // 9.75·v² + 0.25
long double FlangerRateHz(long double v);
double FlangerTimeMs(double v);      // 25·v + 5
double EnvelopeTimeMs(double v);     // 11999·v + 1, the envelope's stage time (shown as 12000·v)
double GlideCoefficient(double v);   // 0.0001·100^(1 − v)

// Inverses used by the editor and the pattern operations.
double ValueFromOffset(double hz);
double ValueFromRatio(double ratio);
double ValueFromStepRatio(double ratio);
double ValueFromFlangerRate(double hz);
double ValueFromFlangerTime(double ms);
double ValueFromLowPassHz(double hz);       // inverse of LowPassCurveHz, hz > 0
double ValueFromHighPassHz(double hz);      // inverse of HighPassCurveHz, hz > 0
double ValueFromFlangerCutoffHz(double hz); // inverse of FlangerCutoffHz, hz > 0

// 0 below −144 dB, otherwise e^(0.115129254·x).
double DbToGain(double db);
// k hundredths: k × 0.01.
double Hundredths(int k);
// The largest float not above v (v ≥ 0): a draw below a bound stays below it
// when it is stored as a float.
float FloatNotAbove(double v);

} // namespace qvt
