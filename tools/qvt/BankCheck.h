// Levels of every program of a bank, played through the plug-in: peak, DC offset and loudness,
// measured over phrases and held against the limits a mix-ready bank keeps.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/qvt/MidiFile.h"
#include "tools/qvt/RenderBank.h"

namespace qvt {

struct TCheckLimits {
  double PeakDbfs = -1.0;  // highest sample, either channel
  double Dc = 0.002;       // largest mean of one channel over a phrase's sounding part
  double LoudnessDb = 3.0; // largest distance of a program's loudness from the bank's median
};

// A note of a phrase, in quarter notes from the start.
struct TPhraseNote {
  double Start = 0.0;
  double Length = 1.0;
  int Key = 60;
  int Velocity = 100;
};

// A format-0 standard MIDI file playing the notes at a fixed tempo.
std::vector<std::uint8_t> PhraseFile(const std::vector<TPhraseNote>& notes, double bpm);

struct TPhrase {
  std::string Name;
  TMidiSong Song;
};

// The phrase whose loudness is compared across the bank: a melody around middle C with
// detached and legato notes, short and held ones.
TPhrase StandardPhrase();

struct TPhraseLevels {
  double Peak = 0.0; // largest magnitude, whole render (tail included)
  double Dc = 0.0;   // largest magnitude of a channel's mean over the sounding part
  double Rms = 0.0;  // both channels over the sounding part
  std::int64_t NonFinite = 0;
};

struct TProgramLevels {
  std::string Name;
  double Peak = 0.0;
  std::string PeakPhrase;
  double Dc = 0.0;
  std::string DcPhrase;
  double Loudness = 0.0; // RMS of the standard phrase (the first phrase), dBFS
  std::int64_t NonFinite = 0;
};

// Renders each program of the bank with every phrase, each render in a new instance of the
// plug-in, spread over `jobs` threads. Throws std::runtime_error when the plug-in cannot load.
// The first phrase sets the loudness.
std::vector<TProgramLevels> MeasureBank(const std::string& pluginPath,
                                        const std::vector<TBankProgram>& programs,
                                        const std::vector<TPhrase>& phrases, int jobs);

// Prints one line per program and the limits; answers the number of programs that fail.
int ReportBankLevels(std::FILE* out, const std::vector<TProgramLevels>& levels,
                     const TCheckLimits& limits);

} // namespace qvt
