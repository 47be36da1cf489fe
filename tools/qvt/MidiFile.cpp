#include "tools/qvt/MidiFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace qvt {

namespace {

constexpr std::uint32_t kDefaultMicrosPerQuarter = 500000; // 120 beats per minute
constexpr long kLargestFile = 64L << 20;

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof(text), "0x%02X", value);
  return text;
}

// Bounds-checked reading of one region (the header or one track chunk) of the file.
class TByteReader {
public:
  TByteReader(std::span<const std::uint8_t> bytes, std::size_t begin, std::size_t end,
              std::string where)
      : Bytes(bytes), Pos(begin), End(end), Where(std::move(where)) {}

  bool AtEnd() const { return Pos >= End; }
  std::size_t Offset() const { return Pos; }
  std::size_t Left() const { return End - Pos; }

  [[noreturn]] void Fail(const std::string& problem, std::size_t offset) const {
    throw TMidiError(Where + problem + " at offset " + std::to_string(offset));
  }

  std::uint8_t Peek() const {
    if (Pos >= End) Fail("event runs past the end of the chunk", Pos);
    return Bytes[Pos];
  }
  std::uint8_t Byte() {
    const std::uint8_t value = Peek();
    ++Pos;
    return value;
  }

  // A data byte of a channel message: below 0x80.
  std::uint8_t DataByte() {
    const std::size_t at = Pos;
    const std::uint8_t value = Byte();
    if (value >= 0x80) Fail("status byte " + Hex(value) + " where a data byte belongs", at);
    return value;
  }

  // Variable-length quantity: 7 bits per byte, at most 4 bytes.
  std::uint32_t VarLen() {
    const std::size_t at = Pos;
    std::uint32_t value = 0;
    for (int count = 0; count < 4; ++count) {
      const std::uint8_t byte = Byte();
      value = (value << 7) | (byte & 0x7F);
      if (!(byte & 0x80)) return value;
    }
    Fail("variable-length quantity longer than 4 bytes", at);
  }

  void Skip(std::uint32_t length) {
    if (length > Left())
      Fail("length " + std::to_string(length) + " runs past the end of the chunk", Pos);
    Pos += length;
  }

  const std::uint8_t* Here() const { return Bytes.data() + Pos; }

private:
  std::span<const std::uint8_t> Bytes;
  std::size_t Pos;
  std::size_t End;
  std::string Where;
};

std::uint32_t BigEndian(const std::uint8_t* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
  return value;
}

struct TTrackEvents {
  std::vector<TMidiMessage> Messages;
  std::vector<std::pair<std::uint64_t, std::uint32_t>> TempoChanges;
  std::uint64_t LastTick = 0;
};

int ChannelDataBytes(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

// Reads the events of one MTrk chunk. Meta events and system-exclusive messages are skipped
// (tempo and end of track are the metas that count); both cancel running status.
void ReadTrack(TByteReader& reader, TTrackEvents& track) {
  std::uint64_t tick = 0;
  std::uint8_t runningStatus = 0;
  while (!reader.AtEnd()) {
    tick += reader.VarLen();
    track.LastTick = std::max(track.LastTick, tick);
    const std::size_t at = reader.Offset();
    std::uint8_t status = reader.Peek();
    if (status < 0x80) { // running status: the byte is the first data byte
      if (!runningStatus) reader.Fail("data byte without a preceding status", at);
      status = runningStatus;
    } else {
      reader.Byte();
    }
    if (status < 0xF0) {
      runningStatus = status;
      TMidiMessage message;
      message.Tick = tick;
      message.Bytes[0] = status;
      message.Size = static_cast<std::uint8_t>(1 + ChannelDataBytes(status));
      for (int i = 1; i < message.Size; ++i) message.Bytes[i] = reader.DataByte();
      track.Messages.push_back(message);
      continue;
    }
    runningStatus = 0;
    if (status == 0xF0 || status == 0xF7) {
      reader.Skip(reader.VarLen());
      continue;
    }
    if (status != 0xFF) reader.Fail("unexpected status byte " + Hex(status), at);
    const std::uint8_t type = reader.Byte();
    const std::uint32_t length = reader.VarLen();
    const std::uint8_t* data = reader.Here();
    reader.Skip(length);
    if (type == 0x2F) return; // end of track: anything after it is ignored
    if (type == 0x51) {
      if (length != 3)
        reader.Fail("tempo event with " + std::to_string(length) + " data bytes (3 expected)", at);
      const std::uint32_t micros = BigEndian(data, 3);
      if (micros == 0) reader.Fail("tempo of 0 microseconds per quarter note", at);
      track.TempoChanges.emplace_back(tick, micros);
    }
  }
}

} // namespace

TMidiSong TMidiSong::Parse(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 8 || std::memcmp(bytes.data(), "MThd", 4) != 0)
    throw TMidiError("not a standard MIDI file (no MThd header)");
  const std::uint32_t headerLength = BigEndian(bytes.data() + 4, 4);
  if (headerLength < 6 || headerLength > bytes.size() - 8)
    throw TMidiError("header chunk of " + std::to_string(headerLength) +
                     " bytes does not fit (6 or more needed, " + std::to_string(bytes.size() - 8) +
                     " left in the file)");
  TMidiSong song;
  song.Format = static_cast<int>(BigEndian(bytes.data() + 8, 2));
  song.TrackCount = static_cast<int>(BigEndian(bytes.data() + 10, 2));
  const std::uint32_t division = BigEndian(bytes.data() + 12, 2);
  if (song.Format > 1)
    throw TMidiError("format " + std::to_string(song.Format) +
                     " is not supported (formats 0 and 1 are)");
  if (song.TrackCount == 0) throw TMidiError("header announces no tracks");
  if (song.Format == 0 && song.TrackCount != 1)
    throw TMidiError("format 0 file announces " + std::to_string(song.TrackCount) +
                     " tracks (1 expected)");
  if (division & 0x8000) {
    const int framesPerSecond = -static_cast<std::int8_t>(division >> 8);
    const int ticksPerFrame = static_cast<int>(division & 0xFF);
    if (framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 &&
        framesPerSecond != 30)
      throw TMidiError("time-code division with " + std::to_string(framesPerSecond) +
                       " frames per second");
    if (ticksPerFrame == 0) throw TMidiError("time-code division with 0 ticks per frame");
    const double rate = framesPerSecond == 29 ? 30000.0 / 1001.0 : framesPerSecond;
    song.TimecodeSecondsPerTick = 1.0 / (rate * ticksPerFrame);
  } else {
    if (division == 0) throw TMidiError("time division of 0 ticks per quarter note");
    song.TicksPerQuarter = static_cast<int>(division);
  }

  std::vector<TTrackEvents> tracks;
  std::size_t pos = 8 + headerLength;
  while (static_cast<int>(tracks.size()) < song.TrackCount && bytes.size() - pos >= 8) {
    const std::uint8_t* chunk = bytes.data() + pos;
    const std::uint32_t length = BigEndian(chunk + 4, 4);
    const std::size_t left = bytes.size() - pos - 8;
    const bool isTrack = std::memcmp(chunk, "MTrk", 4) == 0;
    const std::string name = isTrack ? "track " + std::to_string(tracks.size() + 1)
                                     : "chunk at offset " + std::to_string(pos);
    if (length > left)
      throw TMidiError(name + " is truncated: its length " + std::to_string(length) +
                       " exceeds the " + std::to_string(left) + " bytes left in the file");
    if (isTrack) { // other chunk types are skipped, as the format allows
      TByteReader reader(bytes, pos + 8, pos + 8 + length, name + ": ");
      ReadTrack(reader, tracks.emplace_back());
    }
    pos += 8 + length;
  }
  if (static_cast<int>(tracks.size()) < song.TrackCount)
    throw TMidiError("file holds " + std::to_string(tracks.size()) + " of the " +
                     std::to_string(song.TrackCount) + " tracks its header announces");

  std::vector<std::pair<std::uint64_t, std::uint32_t>> tempoChanges;
  for (const auto& track : tracks) {
    song.Messages.insert(song.Messages.end(), track.Messages.begin(), track.Messages.end());
    tempoChanges.insert(tempoChanges.end(), track.TempoChanges.begin(), track.TempoChanges.end());
    song.LastTick = std::max(song.LastTick, track.LastTick);
  }
  std::stable_sort(song.Messages.begin(), song.Messages.end(),
                   [](const TMidiMessage& a, const TMidiMessage& b) { return a.Tick < b.Tick; });
  song.BuildTempoMap(std::move(tempoChanges));
  for (auto& message : song.Messages) message.Seconds = song.SecondsAt(message.Tick);
  return song;
}

void TMidiSong::BuildTempoMap(std::vector<std::pair<std::uint64_t, std::uint32_t>> changes) {
  std::stable_sort(changes.begin(), changes.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  const auto secondsPerTick = [this](std::uint32_t micros) {
    return TimecodeSecondsPerTick > 0.0 ? TimecodeSecondsPerTick : micros * 1e-6 / TicksPerQuarter;
  };
  Tempo.assign(1, {0, 0.0, secondsPerTick(kDefaultMicrosPerQuarter), 120.0, 0.0});
  for (const auto& [tick, micros] : changes) {
    const TTempoSegment& last = Tempo.back();
    const double seconds = last.Seconds + (tick - last.Tick) * last.SecondsPerTick;
    const TTempoSegment segment{tick, seconds, secondsPerTick(micros), 60e6 / micros,
                                last.Quarters + (seconds - last.Seconds) * last.Bpm / 60.0};
    if (tick == last.Tick)
      Tempo.back() = segment; // the later of two changes at one tick wins
    else
      Tempo.push_back(segment);
  }
}

double TMidiSong::SecondsAt(std::uint64_t tick) const {
  auto segment =
      std::upper_bound(Tempo.begin(), Tempo.end(), tick,
                       [](std::uint64_t t, const TTempoSegment& s) { return t < s.Tick; });
  --segment; // the first segment starts at tick 0
  return segment->Seconds + (tick - segment->Tick) * segment->SecondsPerTick;
}

double TMidiSong::TempoAt(double seconds) const {
  auto segment =
      std::upper_bound(Tempo.begin(), Tempo.end(), seconds,
                       [](double s, const TTempoSegment& segment) { return s < segment.Seconds; });
  if (segment != Tempo.begin()) --segment;
  return segment->Bpm;
}

double TMidiSong::QuartersAt(double seconds) const {
  auto segment =
      std::upper_bound(Tempo.begin(), Tempo.end(), seconds,
                       [](double s, const TTempoSegment& segment) { return s < segment.Seconds; });
  if (segment != Tempo.begin()) --segment;
  return segment->Quarters + (seconds - segment->Seconds) * segment->Bpm / 60.0;
}

TMidiSong TMidiSong::Load(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) throw TMidiError(path + ": " + std::strerror(errno));
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0) {
    if (bytes.size() + count > static_cast<std::size_t>(kLargestFile))
      throw TMidiError(path + ": larger than " + std::to_string(kLargestFile >> 20) +
                       " MB, not a song");
    bytes.insert(bytes.end(), buffer, buffer + count);
  }
  if (std::ferror(file.get())) throw TMidiError(path + ": " + std::strerror(errno));
  try {
    return Parse(bytes);
  } catch (const TMidiError& error) {
    throw TMidiError(path + ": " + error.what());
  }
}

} // namespace qvt
