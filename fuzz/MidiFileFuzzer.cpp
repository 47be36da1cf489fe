// MIDI files as the pattern editor's import meets them: any bytes. The reader
// either reads the file (at most 16 steps, each a finite positive ratio of a
// note 0 … 119, the rest 1.0) or refuses it with a format error; it never
// reads outside the bytes, loops without end or throws anything else.
#include <cmath>
#include <cstdint>
#include <span>

#include "editor/uMidiReader.h"
#include "fuzz/FuzzSupport.h"

using qvt::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMidiReader reader;
  try {
    Check(reader.Parse(std::span<const std::uint8_t>(data, size)), "a parse that ends answers true");
  } catch (const EMidiFormatError&) {
    return 0;
  }
  Check(reader.NoteCount <= 16, "at most 16 notes");
  const double lowest = TMidiReader::NoteToFrequency(0) / 440.0;
  const double highest = TMidiReader::NoteToFrequency(119) / 440.0;
  for (std::uint32_t i = 0; i < 16; ++i) {
    const double step = reader.Steps[i];
    if (i < reader.NoteCount)
      Check(std::isfinite(step) && step >= lowest * 0.999 && step <= highest * 1.001,
            "a collected step is the ratio of a note 0 to 119");
    else
      Check(step == 1.0, "steps after the notes stay 1.0");
  }
  return 0;
}
