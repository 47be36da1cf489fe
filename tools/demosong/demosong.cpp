// qvt_demosong OUT.mid | --check FILE.mid
// Writes the demo song: a monophonic phrase of about half a minute in A minor that shows
// detached notes (the envelope and pattern restart), legato (overlapping notes retune without
// a new attack, so routed oscillators glide), held notes that let the 16-step pattern cycle at
// the song's tempo, and a tempo change the pattern follows. Effects ring out in the tail.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kTicksPerQuarter = 480;
constexpr int kChannel = 0;

struct TNote {
  int Start; // ticks
  int Length;
  int Key;
  int Velocity;
};

struct TEvent {
  int Tick;
  int Order; // note-offs (0) before note-ons (1) at the same tick
  std::uint8_t Bytes[3];
};

void PutVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t groups[4];
  int count = 0;
  do {
    groups[count++] = value & 0x7F;
    value >>= 7;
  } while (value && count < 4);
  while (count-- > 0) out.push_back(static_cast<std::uint8_t>(groups[count] | (count ? 0x80 : 0)));
}

void PutChunk(std::vector<std::uint8_t>& file, const char* type,
              const std::vector<std::uint8_t>& body) {
  file.insert(file.end(), type, type + 4);
  const auto size = static_cast<std::uint32_t>(body.size());
  for (int shift = 24; shift >= 0; shift -= 8)
    file.push_back(static_cast<std::uint8_t>(size >> shift));
  file.insert(file.end(), body.begin(), body.end());
}

void PutMeta(std::vector<std::uint8_t>& track, std::uint32_t delta, std::uint8_t type,
             const std::vector<std::uint8_t>& data) {
  PutVarLen(track, delta);
  track.push_back(0xFF);
  track.push_back(type);
  PutVarLen(track, static_cast<std::uint32_t>(data.size()));
  track.insert(track.end(), data.begin(), data.end());
}

std::vector<std::uint8_t> Text(const char* text) { return {text, text + std::strlen(text)}; }

std::vector<std::uint8_t> Tempo(int bpm) {
  const std::uint32_t micros = 60000000u / static_cast<std::uint32_t>(bpm);
  return {static_cast<std::uint8_t>(micros >> 16), static_cast<std::uint8_t>(micros >> 8),
          static_cast<std::uint8_t>(micros)};
}

// Appends notes one after another; `gap` < 0 overlaps the next note (legato).
class TPhrase {
public:
  explicit TPhrase(std::vector<TNote>& notes) : Notes(notes) {}
  // `beats` is the step to the next note; the note sounds for beats - gap (gap in beats).
  TPhrase& Play(int key, double beats, double gap, int velocity = 96) {
    const int step = static_cast<int>(beats * kTicksPerQuarter);
    const int length = static_cast<int>((beats - gap) * kTicksPerQuarter);
    Notes.push_back({Tick, length, key, velocity});
    Tick += step;
    return *this;
  }
  TPhrase& Rest(double beats) {
    Tick += static_cast<int>(beats * kTicksPerQuarter);
    return *this;
  }
  int Now() const { return Tick; }

private:
  std::vector<TNote>& Notes;
  int Tick = 0;
};

enum : int {
  A2 = 45,
  C3 = 48,
  D3 = 50,
  E3 = 52,
  F3 = 53,
  G3 = 55,
  A3 = 57,
  B3 = 59,
  C4 = 60,
  D4 = 62,
  E4 = 64,
  F4 = 65,
  G4 = 67,
  A4 = 69,
  C5 = 72
};

std::vector<std::uint8_t> DemoSong() {
  std::vector<TNote> notes;
  TPhrase phrase(notes);
  constexpr double kDetached = 0.25; // a sixteenth of silence between notes
  constexpr double kLegato = -0.125; // a thirty-second of overlap

  // Bars 1-4: detached notes; every note starts the envelope and the pattern afresh.
  for (int key : {A3, E4, A4, G4, E4, D4, C4, D4}) phrase.Play(key, 1.0, kDetached);
  phrase.Play(E4, 1.0, kDetached).Play(G4, 0.5, kDetached).Play(E4, 0.5, kDetached);
  phrase.Play(D4, 2.0, kDetached).Play(A3, 4.0, 0.5);
  // Bars 5-8: legato, each note held into the next.
  for (int key : {C4, D4, E4, G4, A4, G4, E4, D4, C4, E4, D4, C4}) phrase.Play(key, 1.0, kLegato);
  phrase.Play(B3, 2.0, kLegato).Play(A3, 2.0, 0.25);
  // Bars 9-12: long notes; at four steps per beat the pattern cycles every four beats.
  phrase.Play(A2, 8.0, kLegato).Play(C3, 4.0, kLegato).Play(E3, 4.0, 0.5);
  const int tempoChange = phrase.Now();
  // Bars 13-16 at the faster tempo: a legato run down and a last long note.
  for (int key : {C5, A4, G4, E4, F4, E4, D4, C4}) phrase.Play(key, 0.5, kLegato);
  phrase.Play(D4, 1.0, kLegato).Play(B3, 1.0, kLegato).Play(G3, 2.0, kDetached);
  phrase.Play(F3, 1.0, kLegato).Play(D3, 1.0, kLegato).Play(A2, 6.0, 1.0);
  const int end = phrase.Now();

  std::vector<TEvent> events;
  for (const TNote& note : notes) {
    const auto key = static_cast<std::uint8_t>(note.Key);
    events.push_back({note.Start,
                      1,
                      {static_cast<std::uint8_t>(0x90 | kChannel), key,
                       static_cast<std::uint8_t>(note.Velocity)}});
    // Note-offs as note-ons with velocity 0, so the whole track runs on one running status.
    events.push_back(
        {note.Start + note.Length, 0, {static_cast<std::uint8_t>(0x90 | kChannel), key, 0}});
  }
  std::stable_sort(events.begin(), events.end(), [](const TEvent& a, const TEvent& b) {
    return a.Tick != b.Tick ? a.Tick < b.Tick : a.Order < b.Order;
  });

  std::vector<std::uint8_t> conductor;
  PutMeta(conductor, 0, 0x03, Text("Quivertone demo"));
  PutMeta(conductor, 0, 0x58, {4, 2, 24, 8}); // 4/4
  PutMeta(conductor, 0, 0x51, Tempo(120));
  PutMeta(conductor, static_cast<std::uint32_t>(tempoChange), 0x51, Tempo(140));
  PutMeta(conductor, static_cast<std::uint32_t>(end - tempoChange), 0x2F, {});

  std::vector<std::uint8_t> lead;
  PutMeta(lead, 0, 0x03, Text("Lead"));
  int tick = 0;
  std::uint8_t status = 0;
  for (const TEvent& event : events) {
    PutVarLen(lead, static_cast<std::uint32_t>(event.Tick - tick));
    tick = event.Tick;
    if (event.Bytes[0] != status) lead.push_back(status = event.Bytes[0]);
    lead.push_back(event.Bytes[1]);
    lead.push_back(event.Bytes[2]);
  }
  PutMeta(lead, static_cast<std::uint32_t>(std::max(end - tick, 0)), 0x2F, {});

  std::vector<std::uint8_t> file;
  PutChunk(file, "MThd", {0, 1, 0, 2, kTicksPerQuarter >> 8, kTicksPerQuarter & 0xFF});
  PutChunk(file, "MTrk", conductor);
  PutChunk(file, "MTrk", lead);
  return file;
}

std::vector<std::uint8_t> ReadFile(const char* path, bool& ok) {
  std::vector<std::uint8_t> bytes;
  std::FILE* file = std::fopen(path, "rb");
  ok = file != nullptr;
  if (!file) return bytes;
  int c;
  while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
  std::fclose(file);
  return bytes;
}

} // namespace

int main(int argc, char** argv) {
  const std::vector<std::uint8_t> song = DemoSong();
  if (argc == 3 && std::string(argv[1]) == "--check") {
    bool ok = false;
    const auto committed = ReadFile(argv[2], ok);
    if (ok && committed == song) return 0;
    std::fprintf(stderr,
                 "%s differs from the generated demo song; regenerate it with qvt_demosong\n",
                 argv[2]);
    return 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: qvt_demosong OUT.mid | --check FILE.mid\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "wb");
  if (!file || std::fwrite(song.data(), 1, song.size(), file) != song.size() || std::fclose(file)) {
    std::fprintf(stderr, "qvt_demosong: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
