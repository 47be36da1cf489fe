// The filter family: IIR filters designed by the bilinear transform that all
// share one per-sample interface. Coefficients are recomputed in the setters;
// ProcessSample is a fixed cascade of 64-bit multiply-adds and never allocates.
//
// Fields are public so owners and tests can read the state; change them only
// through the setters, which keep the coefficients in step.
#pragma once

namespace qvt {
// Decibels to gain: 0 for x below -144, otherwise e^(0.115129254·x).
double FilterDbToGain(double x);
} // namespace qvt

// The interface and the shared fields; processing passes the input through.
class TFilter {
public:
  explicit TFilter(float SampleRate);
  virtual ~TFilter() = default;
  TFilter(const TFilter&) = default;
  TFilter& operator=(const TFilter&) = default;

  virtual void SetBandwidth(double Value);
  virtual void SetFrequency(double Value); // becomes Ready
  virtual void SetGain(double Value);
  virtual void SetOrder(int Value);
  virtual void SetSampleRate(float Value);
  virtual double ProcessSample(double Input);

  float SampleRate = 0.0f;
  double SampleRateInv = 0.0;
  double GainDB = 0.0;
  double GainFactor = 0.0;
  double Bandwidth = 0.0; // octaves
  double Alpha = 0.0;
  double Frequency = 0.0; // cutoff, Hz
  double SinW0 = 0.0;     // sine of the uncapped W0
  double W0 = 0.0;        // cutoff in radians per sample, capped at 3.1
  int Order = 0;
  bool Ready = false; // set once a cutoff has been given
};

// A single biquad in transposed direct form II plus the cutoff and bandwidth
// mathematics the whole family shares.
class TBaseFilter : public TFilter {
public:
  explicit TBaseFilter(float SampleRate);

  void SetBandwidth(double Value) override;
  void SetFrequency(double Value) override;
  void SetGain(double Value) override;
  void SetSampleRate(float Value) override;
  double ProcessSample(double Input) override;

  double State[2] = {0.0, 0.0}; // s1, s2
  double A[2] = {0.0, 0.0};     // a1, a2
  double B[3] = {0.0, 0.0, 0.0};

protected:
  virtual void CalcW0();
  virtual void CalcCoefficients() {}
  virtual void CalcAlpha();
};

class TBiquadLP : public TBaseFilter {
public:
  explicit TBiquadLP(float SampleRate) : TBaseFilter(SampleRate) {}

protected:
  void CalcCoefficients() override;
};

class TBiquadHP : public TBaseFilter {
public:
  explicit TBiquadHP(float SampleRate) : TBaseFilter(SampleRate) {}

protected:
  void CalcCoefficients() override;
};

// Number of second-order sections a cascade reserves room for.
inline constexpr int kMaxFilterSections = 32;

// Section k with coefficients c0…c3 and state s0, s1 computes, for input x:
// y = c0·x + s0; s0 = c2·y + s1 + c1·x; s1 = c3·y + c0·x.
// Numerator c0 + c1·z⁻¹ + c0·z⁻², denominator 1 − c2·z⁻¹ − c3·z⁻².

// A cascade of biquad sections of order 1…64; an odd order ends with a
// first-order section.
class TButterworthFilter : public TBaseFilter {
public:
  explicit TButterworthFilter(float SampleRate);

  void SetGain(double Value) override;
  void SetOrder(int Value) override;

  double SectionCoefs[kMaxFilterSections][4] = {};
  double SectionState[kMaxFilterSections][2] = {};

  // Two cascades (left, right) over buffers in place, the same as their
  // ProcessSample on each sample; cascades of one order run side by side in
  // two vector lanes.
  static void ProcessStereo(TButterworthFilter& Left, TButterworthFilter& Right, bool Highpass,
                            double* SignalLeft, double* SignalRight, int Count);

protected:
  // Runs the cascade; Highpass selects the sign of the first-order section.
  double RunCascade(double Input, bool Highpass);
};

class TButterworthLP : public TButterworthFilter {
public:
  explicit TButterworthLP(float SampleRate);
  double ProcessSample(double Input) override;

protected:
  void CalcCoefficients() override;
};

class TButterworthHP : public TButterworthFilter {
public:
  explicit TButterworthHP(float SampleRate);
  double ProcessSample(double Input) override;

protected:
  void CalcCoefficients() override;
};

// A cascade of biquad sections with pass-band ripple; the order stays 10.
class TChebyshev1Filter : public TBaseFilter {
public:
  explicit TChebyshev1Filter(float SampleRate);

  void SetFrequency(double Value) override; // only on change
  double ProcessSample(double Input) override;
  // Ignores a value that is not a positive finite number (and the current one):
  // the design needs ε > 0, and anything else would leave NaN coefficients.
  virtual void SetRipple(double Value);

  double Ripple = 1.0; // ε of the design
  double SectionCoefs[kMaxFilterSections][4] = {};
  double SectionState[kMaxFilterSections][2] = {};
  double CoshSq = 0.0;
  double SinhV = 0.0;

protected:
  virtual void CalcRipple();
};

class TChebyshev1LP : public TChebyshev1Filter {
public:
  explicit TChebyshev1LP(float SampleRate);

protected:
  void CalcCoefficients() override;
};

class TChebyshev1HP : public TChebyshev1Filter {
public:
  explicit TChebyshev1HP(float SampleRate);

protected:
  void CalcCoefficients() override;
};
