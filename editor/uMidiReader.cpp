#include "editor/uMidiReader.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "lib/uCodePage.h"
#include "lib/uFileIo.h"
#include "platform/core/uMessageBox.h"

namespace {

constexpr std::size_t kRiffOffset = 20;

// A reading position in the file's bytes. Bytes past the end read as 0; the
// event loop ends at the last byte, so a truncated file ends the parse.
class TCursor {
public:
  explicit TCursor(std::span<const std::uint8_t> bytes) : FBytes(bytes) {}
  std::size_t Position() const { return FPosition; }
  void Seek(std::size_t position) { FPosition = position; }
  void Back() { FPosition = FPosition > 0 ? FPosition - 1 : 0; }
  bool AtLastByte() const { return FPosition + 1 >= FBytes.size(); }
  std::uint8_t Byte() { return FPosition < FBytes.size() ? FBytes[FPosition++] : (++FPosition, 0); }
  std::uint32_t Big(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | Byte();
    return value;
  }
  bool Matches(const char (&tag)[5]) {
    bool same = true;
    for (int i = 0; i < 4; ++i) same &= Byte() == static_cast<std::uint8_t>(tag[i]);
    return same;
  }
  // Up to five 7-bit groups, most significant first; stops at the last byte of the file.
  std::uint32_t VarLen() {
    std::uint32_t value = 0;
    for (int i = 0; i < 5; ++i) {
      if (AtLastByte()) break;
      const std::uint8_t b = Byte();
      value = value << 7 | (b & 0x7F);
      if (!(b & 0x80)) break;
    }
    return value;
  }
  // Skips `length` bytes (never past the end) and answers the last of them, if any.
  std::optional<std::uint8_t> Skip(std::uint32_t length, std::vector<std::uint8_t>* keep = nullptr) {
    std::optional<std::uint8_t> last;
    const std::size_t available = FPosition < FBytes.size() ? FBytes.size() - FPosition : 0;
    const std::size_t count = std::min<std::size_t>(length, available);
    for (std::size_t i = 0; i < count; ++i) {
      last = FBytes[FPosition + i];
      if (keep) keep->push_back(*last);
    }
    FPosition += length; // a length beyond the file moves to its end
    return last;
  }

private:
  std::span<const std::uint8_t> FBytes;
  std::size_t FPosition = 0;
};

std::string AtPosition(const char* format, std::size_t position) {
  char text[96];
  std::snprintf(text, sizeof text, format, static_cast<int>(position));
  return text;
}

} // namespace

double TMidiReader::NoteToFrequency(int note) {
  if (note < 0 || note > 119) return -1.0;
  return 440.0 * std::pow(2.0, (note - 57) / 12.0);
}

bool TMidiReader::Load(const std::string& fileName) {
  FileName = qvt::Utf8ToWin1252(fileName);
  const std::vector<std::uint8_t> bytes = qvt::ReadWholeFile(fileName);
  return Parse(bytes);
}

bool TMidiReader::Parse(std::span<const std::uint8_t> bytes) {
  TCursor in(bytes);
  const std::string quoted = "File \xAB" + FileName + "\xBB";
  bool header = in.Matches("MThd");
  if (!header) {
    in.Seek(0);
    if (in.Matches("RIFF")) {
      in.Seek(kRiffOffset);
      header = in.Matches("MThd");
    }
  }
  if (!header) throw EMidiFormatError(quoted + " has invalid MIDI Header ID.");
  if (in.Big(4) != 6) throw EMidiFormatError(quoted + " has invalid MIDI Header length.");
  Format = static_cast<std::uint16_t>(in.Big(2));
  TrackCount = static_cast<std::uint16_t>(in.Big(2));
  const std::uint8_t high = in.Byte(), low = in.Byte();
  if (high & 0x80) {
    Smpte = 1;
    Division = static_cast<std::uint16_t>((128 - (high & 0x7F)) * low);
  } else {
    Division = static_cast<std::uint16_t>(high * 256 + low);
  }
  if (!in.Matches("MTrk")) throw EMidiFormatError(quoted + " has invalid MIDI Track ID.");
  TrackLength = in.Big(4);

  std::uint8_t running = 0;
  bool continuation = false, endOfTrack = false;
  std::uint32_t time = 0;
  while (!endOfTrack && !in.AtLastByte()) {
    const std::uint32_t delta = in.VarLen();
    std::uint8_t status = in.Byte();
    if (continuation && status != 0xF7)
      throw EMidiFormatError(AtPosition(
          "Expected to find a system exclusive continue byte at, %d", in.Position()));
    if (status & 0x80) {
      if (status >= 0x80 && status <= 0xEF) running = status;
      else if (status <= 0xF7) running = 0;
    } else {
      if (running == 0)
        throw EMidiFormatError(
            AtPosition("Status byte required for running status at, %d", in.Position()));
      in.Back();
      status = running;
    }
    time += delta;
    TEvent event{status, 0, 0, time};
    if (status <= 0xEF) {
      event.Data1 = in.Byte();
      if (status < 0xC0 || status > 0xDF) event.Data2 = in.Byte();
    } else if (status == 0xFF) {
      const std::uint8_t type = in.Byte();
      std::vector<std::uint8_t> data;
      in.Skip(in.VarLen(), &data);
      if (type == 0x2F) {
        endOfTrack = true;
        time -= delta;
      } else if (type == 0x51 && data.size() >= 3) {
        Tempo = data[0] * 65536u + data[1] * 256u + data[2];
      }
    } else if (status == 0xF1 || status == 0xF3) {
      event.Data1 = in.Byte();
    } else if (status == 0xF2) {
      event.Data1 = in.Byte();
      event.Data2 = in.Byte();
    } else if (status == 0xF0 || status == 0xF7) {
      const std::uint32_t length = in.VarLen();
      if (length != 0) {
        const auto last = in.Skip(length);
        if (status == 0xF0 && last != 0xF7) continuation = true;
        if (status == 0xF7 && last == 0xF7) continuation = false;
      }
    }
    Collect(event);
  }
  return true;
}

void TMidiReader::Collect(const TEvent& event) {
  if (event.Status != 0x90 || NoteCount >= kSteps) return;
  const double frequency = NoteToFrequency(event.Data1);
  if (frequency > 0.01) Steps[NoteCount++] = static_cast<float>(frequency / 440.0);
}

bool ImportMidiPattern(const std::string& fileName,
                       std::array<float, TMidiReader::kSteps>& steps) {
  TMidiReader reader;
  try {
    if (!reader.Load(fileName)) return false;
  } catch (const EMidiFormatError& e) {
    qvt::ShowMessageBox(e.what(), "Import Midi", qvt::mbOk | qvt::mbIconWarning);
    return false;
  }
  steps = reader.Steps;
  return true;
}
