#include "tools/qvt/BankCheck.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "tools/qvt/RenderSettings.h"
#include "tools/qvt/RenderSong.h"

namespace qvt {

namespace {

constexpr int kTicksPerQuarter = 480;
constexpr double kSampleRate = 44100.0;
constexpr int kBlockSize = 512;
constexpr double kTailSeconds = 1.0;

void PutVarLen(std::vector<std::uint8_t>& to, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value);
  while (count > 0) {
    --count;
    to.push_back(static_cast<std::uint8_t>(groups[count] | (count > 0 ? 0x80 : 0)));
  }
}

void PutBigEndian(std::vector<std::uint8_t>& to, std::uint32_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
    to.push_back(static_cast<std::uint8_t>(value >> shift));
}

// The frames from the first note-on to the last note-off; the whole render without notes.
std::pair<std::int64_t, std::int64_t> SoundingPart(const TMidiSong& song, std::int64_t total) {
  std::int64_t first = total, last = 0;
  for (const TScheduledEvent& event : ScheduleSong(song, kSampleRate)) {
    const int status = event.Bytes[0] & 0xF0;
    if (status == 0x90 && event.Bytes[2] > 0) first = std::min(first, event.Frame);
    if (status == 0x80 || (status == 0x90 && event.Bytes[2] == 0))
      last = std::max(last, event.Frame);
  }
  if (first >= last) return {0, total};
  return {first, last};
}

TPhraseLevels MeasurePhrase(const std::string& pluginPath, const TBankProgram& program,
                            const TMidiSong& song) {
  auto plugin = LoadPluginForRender(pluginPath);
  TRenderOptions options;
  options.SampleRate = kSampleRate;
  options.BlockSize = kBlockSize;
  options.TailSeconds = kTailSeconds;
  TSongRenderer renderer(*plugin, song, options);
  renderer.Prepare();
  ApplyParameters(*plugin, &program, {});

  const auto [from, to] = SoundingPart(song, renderer.TotalFrames());
  const int channels = std::min(renderer.OutputChannels(), 2);
  TPhraseLevels levels;
  double sums[2] = {}, squares = 0.0;
  std::int64_t frame = 0;
  renderer.Render([&](const float* const* outputs, int, int frames) {
    for (int i = 0; i < frames; ++i, ++frame) {
      const bool sounding = frame >= from && frame < to;
      for (int channel = 0; channel < channels; ++channel) {
        const double sample = outputs[channel][i];
        if (!std::isfinite(sample)) {
          ++levels.NonFinite;
          continue;
        }
        levels.Peak = std::max(levels.Peak, std::fabs(sample));
        if (!sounding) continue;
        sums[channel] += sample;
        squares += sample * sample;
      }
    }
  });
  const auto count = static_cast<double>(std::max<std::int64_t>(to - from, 1));
  for (int channel = 0; channel < channels; ++channel)
    levels.Dc = std::max(levels.Dc, std::fabs(sums[channel] / count));
  levels.Rms = std::sqrt(squares / (count * channels));
  return levels;
}

double Dbfs(double level) { return level > 0.0 ? 20.0 * std::log10(level) : -999.0; }

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

} // namespace

std::vector<std::uint8_t> PhraseFile(const std::vector<TPhraseNote>& notes, double bpm) {
  struct TEvent {
    std::uint32_t Tick;
    std::uint8_t Status, Key, Velocity;
  };
  std::vector<TEvent> events;
  const auto tick = [](double quarters) {
    return static_cast<std::uint32_t>(std::llround(std::max(quarters, 0.0) * kTicksPerQuarter));
  };
  for (const TPhraseNote& note : notes) {
    const auto key = static_cast<std::uint8_t>(std::clamp(note.Key, 0, 127));
    events.push_back({tick(note.Start), 0x90, key,
                      static_cast<std::uint8_t>(std::clamp(note.Velocity, 1, 127))});
    events.push_back({tick(note.Start + note.Length), 0x80, key, 0});
  }
  // By time; at equal times a note-off before a note-on, so repeated keys stay detached.
  std::stable_sort(events.begin(), events.end(), [](const TEvent& a, const TEvent& b) {
    return a.Tick != b.Tick ? a.Tick < b.Tick : a.Status < b.Status;
  });

  std::vector<std::uint8_t> track = {0x00, 0xFF, 0x51, 0x03};
  PutBigEndian(track, static_cast<std::uint32_t>(std::llround(60e6 / bpm)), 3);
  std::uint32_t now = 0;
  for (const TEvent& event : events) {
    PutVarLen(track, event.Tick - now);
    now = event.Tick;
    track.insert(track.end(), {event.Status, event.Key, event.Velocity});
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});

  std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
  PutBigEndian(file, kTicksPerQuarter, 2);
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  PutBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

TPhrase StandardPhrase() {
  // Two bars at 120 beats per minute: a rising figure, a legato turn, a run down, a held note.
  const std::vector<TPhraseNote> notes = {
      {0.0, 0.9, 60},  {1.0, 0.45, 64}, {1.5, 0.45, 67},  {2.0, 1.0, 72},  {3.0, 0.55, 71},
      {3.5, 0.55, 69}, {4.0, 0.25, 67}, {4.25, 0.25, 65}, {4.5, 0.25, 64}, {4.75, 0.25, 62},
      {5.0, 1.9, 60},  {7.0, 0.45, 55}, {7.5, 0.5, 48}};
  return {"standard", TMidiSong::Parse(PhraseFile(notes, 120.0))};
}

std::vector<TProgramLevels> MeasureBank(const std::string& pluginPath,
                                        const std::vector<TBankProgram>& programs,
                                        const std::vector<TPhrase>& phrases, int jobs) {
  // The library's first load runs its initialisation; done here, before the workers start, it
  // runs on one thread, and the workers' loads only count references to the loaded library.
  const auto first = LoadPluginForRender(pluginPath);
  const std::size_t perProgram = phrases.size();
  const std::size_t total = programs.size() * perProgram;
  std::vector<TPhraseLevels> measured(total);
  std::atomic<std::size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureLock;
  const auto work = [&] {
    for (std::size_t job; (job = next++) < total;) {
      try {
        measured[job] =
            MeasurePhrase(pluginPath, programs[job / perProgram], phrases[job % perProgram].Song);
      } catch (...) {
        const std::lock_guard lock(failureLock);
        if (!failure) failure = std::current_exception();
        next = total;
      }
    }
  };
  const std::size_t threads = std::min(static_cast<std::size_t>(std::max(jobs, 1)), total);
  std::vector<std::thread> workers;
  for (std::size_t i = 1; i < threads; ++i) workers.emplace_back(work);
  work();
  for (auto& worker : workers) worker.join();
  if (failure) std::rethrow_exception(failure);

  std::vector<TProgramLevels> result;
  for (std::size_t p = 0; p < programs.size(); ++p) {
    TProgramLevels levels;
    levels.Name = programs[p].Name;
    for (std::size_t s = 0; s < perProgram; ++s) {
      const TPhraseLevels& phrase = measured[p * perProgram + s];
      if (s == 0) levels.Loudness = Dbfs(phrase.Rms);
      if (s == 0 || phrase.Peak > levels.Peak) {
        levels.Peak = phrase.Peak;
        levels.PeakPhrase = phrases[s].Name;
      }
      if (s == 0 || phrase.Dc > levels.Dc) {
        levels.Dc = phrase.Dc;
        levels.DcPhrase = phrases[s].Name;
      }
      levels.NonFinite += phrase.NonFinite;
    }
    result.push_back(levels);
  }
  return result;
}

int ReportBankLevels(std::FILE* out, const std::vector<TProgramLevels>& levels,
                     const TCheckLimits& limits) {
  std::vector<double> loudness;
  for (const auto& program : levels) loudness.push_back(program.Loudness);
  const double median = Median(loudness);
  std::fprintf(out, "%4s  %-22s %9s %-14s %8s %-14s %9s %6s\n", "#", "program", "peak dBFS",
               "(phrase)", "DC", "(phrase)", "loud dBFS", "median");
  int failing = 0;
  for (std::size_t i = 0; i < levels.size(); ++i) {
    const TProgramLevels& program = levels[i];
    const double peak = Dbfs(program.Peak);
    const double distance = program.Loudness - median;
    std::string faults;
    if (peak > limits.PeakDbfs) faults += " peak";
    if (program.Dc > limits.Dc) faults += " DC";
    if (std::fabs(distance) > limits.LoudnessDb) faults += " loudness";
    if (program.NonFinite > 0) faults += " non-finite";
    if (!faults.empty()) ++failing;
    std::fprintf(out, "%4zu  %-22s %9.2f %-14s %8.5f %-14s %9.2f %+6.2f%s%s\n", i,
                 program.Name.c_str(), peak, program.PeakPhrase.c_str(), program.Dc,
                 program.DcPhrase.c_str(), program.Loudness, distance,
                 faults.empty() ? "" : "  FAILS:", faults.c_str());
  }
  std::fprintf(out,
               "limits: peak at most %.1f dBFS, DC at most %.4f, loudness within %.1f dB of the "
               "median (%.2f dBFS)\n",
               limits.PeakDbfs, limits.Dc, limits.LoudnessDb, median);
  std::fprintf(out, "%d of %zu programs fail\n", failing, levels.size());
  return failing;
}

} // namespace qvt
