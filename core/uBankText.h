// The readable source form of a bank, kept in version control and packed into
// bank files by `qvt bank build` and the build's packer.
//
//   # A comment runs from '#' to the end of the line.
//   [Warm Glass]                  a program: its name (at most 22 characters)
//   Generation Scheme = 0.5       a parameter by name, its stored value 0…1
//   Osc2 Ratio = 3x               … or in units (below)
//   Osc1 XY-pad#2 = 0.5           the second parameter of that name
//
// Names are the parameter names; a name that two parameters share (the XY
// pads: "Osc1 XY-pad" is the reduction, "Osc1 XY-pad#2" the shaper) takes
// "#2" for the second one. A parameter may also be written "@19" by index.
// A '#' at the start of a line or after a blank starts a comment.
// Parameters a program leaves out take the values of DefaultProgram().
// Numbers use a point as decimal separator, whatever the locale.
//
// Units, converted by the same rules as the parameter display:
//   x    ratio: Osc1…3 Ratio, Pipe Ratio (ratio/64), Pattern Step1…16 (step ratio)
//   st   semitones: Pattern Step1…16 (ratio 2^(st/12))
//   Hz   Osc/Pipe Offset, both filter cutoffs, Flanger LFO Rate and
//        Lowpass Cuttoff, Reverberator Highpass/Lowpass Cuttoff
//   ms   MainOsc Attack/Release Time (ms/12000), Flanger Time (5…30 ms)
//   %    as displayed: levels and amounts 0…100, Space Unison, Pipe Space
//        Unison and the shaper axis −100…100
//   words  on/off for switches, "Sine" "Triangle" "Sawtooth" "Inv Saw" for
//        waveforms, "Filter Off" "Biquad" "Butterworth" "Chebyshev" for filter
//        types, "Sine"/"Triangle" for the flanger LFO; "scheme N" for the
//        generation scheme and "N steps" for the pattern speed
// A value that is not a finite number in the file's binary form is written as
// "bits:XXXXXXXX" (its IEEE pattern in hex) so that every bank survives a round trip.
//
// The text is UTF-8; program names are converted to and from 8-bit text. In a
// name '\' is written \\ and control bytes (line breaks among them) \xHH;
// every byte of the name field up to its last non-zero one is written, so a
// name survives the round trip byte for byte.
#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/uProgram.h"

namespace qvt {

class EBankTextError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error; // "line N: what is wrong"
};

// The neutral program "Init": one sine carrier at the note's pitch, filters
// open, effects off, a flat pattern.
TProgramRecord DefaultProgram();

// The source name of a stored parameter ("Osc1 XY-pad#2" for index 19).
std::string SourceName(int index);
// The index of a source name, or -1.
int IndexOfSourceName(std::string_view name);

std::vector<TProgramRecord> ParseBankText(std::string_view text);
// Every value that differs from DefaultProgram() in its stored form, each
// followed by its display text as a comment.
std::string FormatBankText(std::span<const TProgramRecord> programs);

} // namespace qvt
