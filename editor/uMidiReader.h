// TMidiReader: reads the first track of a standard MIDI file (also inside a
// RIFF "RMID" wrapper) and keeps what a pattern needs: the first 16 note-ons
// of channel 1 as step ratios relative to note 57 (A3 = 1.0).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

// The file is not a MIDI file of the kind read here; the message says why.
class EMidiFormatError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TMidiReader {
public:
  static constexpr int kSteps = 16;

  // Reads the file (UTF-8 path). Answers true when the parse ran to its end.
  // Throws qvt::EFileError when the file cannot be read and EMidiFormatError
  // for a malformed file.
  bool Load(const std::string& fileName);
  // The same for a file's bytes; FileName names it in messages.
  bool Parse(std::span<const std::uint8_t> bytes);

  // 440 · 2^((note − 57) / 12) for notes 0 … 119, −1 for any other.
  static double NoteToFrequency(int note);

  std::string FileName; // Windows-1252, as messages show it
  std::uint16_t Format = 0;
  std::uint16_t TrackCount = 0;
  std::uint16_t Smpte = 0;
  std::uint16_t Division = 0;
  std::uint32_t TrackLength = 0;
  std::uint32_t Tempo = 0;
  std::uint32_t NoteCount = 0;
  std::array<float, kSteps> Steps{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

private:
  struct TEvent {
    std::uint8_t Status = 0, Data1 = 0, Data2 = 0;
    std::uint32_t Time = 0;
  };
  void Collect(const TEvent& event);
};

// The pattern editor's import: the file's steps (the collected ratios, 1.0 for
// the rest) into `steps`. A malformed file shows a warning box captioned
// "Import Midi" and changes nothing; a file that cannot be read raises
// qvt::EFileError, whose message the framework shows.
bool ImportMidiPattern(const std::string& fileName, std::array<float, TMidiReader::kSteps>& steps);
