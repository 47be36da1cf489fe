#include "dsp/uOsc.h"

float WaveTable[qvt::kWaveCount][qvt::kWaveLength];

namespace qvt {
bool WaveTableLoaded() { return false; }
const char* WaveTableError() { return "not implemented"; }
} // namespace qvt

void LoadWaveTable() {}
void LoadWaveTable(TResourceData) {}
float WaveLookup(std::uint8_t, double) { return 0.0f; }
float WaveLookupRaw(std::uint8_t, double) { return 0.0f; }
float WaveShape(double, float X) { return X; }
void ReductionCoefs(float, double& Steps, double& Inv) { Steps = Inv = 0.0; }

TOsc::TOsc(float SampleRate) : SampleRate(SampleRate) {}
void TOsc::SetFrequency(float Value) { Frequency = Value; }
float TOsc::Process(float, float) { return 0.0f; }
void TOsc::SetWaveForm(std::uint8_t Value) { WaveForm = Value; }
void TOsc::SetReduction(float Value) { Reduction = Value; }
