// Builds standard MIDI file images byte by byte for the tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace qvt::test {

using TBytes = std::vector<std::uint8_t>;

inline void Append(TBytes& to, const TBytes& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

inline TBytes BigEndian32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

inline TBytes Chunk(const char* type, const TBytes& body) {
  TBytes chunk(type, type + 4);
  Append(chunk, BigEndian32(static_cast<std::uint32_t>(body.size())));
  Append(chunk, body);
  return chunk;
}

inline TBytes Header(int format, int tracks, int division) {
  return Chunk("MThd", {0, static_cast<std::uint8_t>(format), 0, static_cast<std::uint8_t>(tracks),
                        static_cast<std::uint8_t>(division >> 8),
                        static_cast<std::uint8_t>(division & 0xFF)});
}

// A file from a header and track bodies (each wrapped as an MTrk chunk).
inline TBytes Smf(int format, int division, std::initializer_list<TBytes> tracks) {
  TBytes file = Header(format, static_cast<int>(tracks.size()), division);
  for (const TBytes& track : tracks) Append(file, Chunk("MTrk", track));
  return file;
}

inline TBytes VarLen(std::uint32_t value) {
  TBytes groups;
  do {
    groups.insert(groups.begin(),
                  static_cast<std::uint8_t>((value & 0x7F) | (groups.empty() ? 0 : 0x80)));
    value >>= 7;
  } while (value);
  return groups;
}

inline TBytes TempoEvent(std::uint32_t delta, std::uint32_t microsPerQuarter) {
  TBytes event = VarLen(delta);
  Append(event, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microsPerQuarter >> 16),
                 static_cast<std::uint8_t>(microsPerQuarter >> 8),
                 static_cast<std::uint8_t>(microsPerQuarter)});
  return event;
}

inline TBytes EndOfTrack(std::uint32_t delta = 0) {
  TBytes event = VarLen(delta);
  Append(event, {0xFF, 0x2F, 0x00});
  return event;
}

// Concatenates pieces of a track body.
inline TBytes Track(std::initializer_list<TBytes> pieces) {
  TBytes body;
  for (const TBytes& piece : pieces) Append(body, piece);
  return body;
}

} // namespace qvt::test
