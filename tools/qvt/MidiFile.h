// Standard MIDI files (formats 0 and 1) read into one time-ordered list of channel
// messages with a tempo map that turns ticks into seconds.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvt {

// A file that cannot be read; the message names the problem (and where it lies).
class TMidiError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

struct TMidiMessage {
  std::uint64_t Tick = 0;
  double Seconds = 0.0;
  std::uint8_t Bytes[3] = {};
  std::uint8_t Size = 0; // 2 or 3
};

class TMidiSong {
public:
  // Parses a whole file image; throws TMidiError for anything malformed.
  static TMidiSong Parse(std::span<const std::uint8_t> bytes);
  // Reads and parses a file; the error message starts with the path.
  static TMidiSong Load(const std::string& path);

  int Format = 0;
  int TrackCount = 0;
  int TicksPerQuarter = 0; // 0 for time-code division
  // Channel messages of all tracks, by time; equal ticks keep track order, then file order.
  std::vector<TMidiMessage> Messages;

  double SecondsAt(std::uint64_t tick) const;
  // Beats per minute in force at a time (120 before the first tempo event).
  double TempoAt(double seconds) const;
  // Quarter notes elapsed at a time, by the tempo map.
  double QuartersAt(double seconds) const;
  // Time of the last event of any track, end-of-track markers included.
  double LengthSeconds() const { return SecondsAt(LastTick); }

private:
  struct TTempoSegment {
    std::uint64_t Tick;
    double Seconds;
    double SecondsPerTick;
    double Bpm;
    double Quarters; // quarter notes elapsed at the segment's start
  };
  std::vector<TTempoSegment> Tempo; // never empty after parsing; first segment at tick 0
  double TimecodeSecondsPerTick = 0.0;
  std::uint64_t LastTick = 0;

  void BuildTempoMap(std::vector<std::pair<std::uint64_t, std::uint32_t>> changes);
};

} // namespace qvt
