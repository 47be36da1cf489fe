#include "tools/qvt/RenderSong.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <stdexcept>

namespace qvt {

namespace {
double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
} // namespace

std::unique_ptr<THostedPlugin> LoadPluginForRender(const std::string& path) {
  std::string error;
  auto plugin = THostedPlugin::Load(path, error);
  if (!plugin) throw std::runtime_error(error);
  plugin->RecordRequests = false;
  plugin->RecordAutomation = false;
  return plugin;
}

std::vector<TScheduledEvent> ScheduleSong(const TMidiSong& song, double sampleRate) {
  std::vector<TScheduledEvent> events;
  events.reserve(song.Messages.size());
  for (const auto& message : song.Messages) {
    TScheduledEvent event;
    event.Frame = std::llrint(message.Seconds * sampleRate);
    std::copy(message.Bytes, message.Bytes + message.Size, event.Bytes);
    events.push_back(event);
  }
  return events;
}

TBlockEvents::TBlockEvents(std::size_t capacity)
    : Midi(std::max<std::size_t>(capacity, 1)), Storage(2 + std::max<std::size_t>(capacity, 2)) {
  static_assert(sizeof(VstEvents) == 2 * sizeof(VstIntPtr) + 2 * sizeof(VstEvent*));
  for (auto& event : Midi) {
    event = {};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
  }
}

std::size_t TBlockEvents::Fill(std::span<const TScheduledEvent> events, std::size_t next,
                               std::int64_t start, int length) {
  Count_ = 0;
  VstEvents* list = List();
  while (next < events.size() && events[next].Frame < start + length &&
         static_cast<std::size_t>(Count_) < Midi.size()) {
    const TScheduledEvent& source = events[next++];
    VstMidiEvent& event = Midi[static_cast<std::size_t>(Count_)];
    // Events before the block (none in a song played in order) go at its first frame.
    event.deltaFrames = static_cast<VstInt32>(std::max<std::int64_t>(source.Frame - start, 0));
    for (int i = 0; i < 3; ++i) event.midiData[i] = static_cast<char>(source.Bytes[i]);
    list->events[Count_++] = reinterpret_cast<VstEvent*>(&event);
  }
  list->numEvents = Count_;
  list->reserved = 0;
  return next;
}

std::size_t BusiestBlock(std::span<const TScheduledEvent> events, int length) {
  std::size_t busiest = 0;
  std::size_t first = 0;
  while (first < events.size()) {
    const std::int64_t block = events[first].Frame / length;
    std::size_t last = first;
    while (last < events.size() && events[last].Frame / length == block) ++last;
    busiest = std::max(busiest, last - first);
    first = last;
  }
  return busiest;
}

TSongRenderer::TSongRenderer(THostedPlugin& plugin, const TMidiSong& song,
                             const TRenderOptions& options)
    : Plugin(plugin), Song(song), Options(options) {
  if (!(options.SampleRate > 0.0) || !std::isfinite(options.SampleRate))
    throw std::invalid_argument("the sample rate must be a positive number");
  if (options.BlockSize < 1) throw std::invalid_argument("the block size must be at least 1");
  if (!(options.TailSeconds >= 0.0) || !std::isfinite(options.TailSeconds))
    throw std::invalid_argument("the tail must be 0 seconds or more");
  const double seconds = song.LengthSeconds() + options.TailSeconds;
  if (!(seconds <= options.LongestSeconds))
    throw std::length_error("the song and its tail last " + std::to_string(std::llround(seconds)) +
                            " s, longer than the " +
                            std::to_string(std::llround(options.LongestSeconds)) +
                            " s a render may take");
  Events = ScheduleSong(song, options.SampleRate);
  const std::int64_t songEnd =
      std::max<std::int64_t>(std::llrint(song.LengthSeconds() * options.SampleRate),
                             Events.empty() ? std::int64_t{0} : Events.back().Frame + 1);
  TotalFrames_ = songEnd + std::llrint(options.TailSeconds * options.SampleRate);
  OutputCount = plugin.Effect()->numOutputs;
  if (OutputCount < 1) throw std::runtime_error("the plug-in has no audio outputs");
}

bool TSongRenderer::UsesReplacing() const {
  const AEffect* fx = Plugin.Effect();
  return (fx->flags & effFlagsCanReplacing) && fx->processReplacing;
}

void TSongRenderer::Prepare() {
  Plugin.SampleRate = Options.SampleRate;
  Plugin.BlockSize = Options.BlockSize;
  Plugin.Dispatch(effOpen);
  Plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(Options.SampleRate));
  Plugin.Dispatch(effSetBlockSize, 0, Options.BlockSize);
}

void TSongRenderer::Render(const TBlockSink& sink) {
  AEffect* fx = Plugin.Effect();
  const auto block = static_cast<std::size_t>(Options.BlockSize);
  const std::size_t inputCount = static_cast<std::size_t>(std::max(fx->numInputs, 0));
  std::vector<std::vector<float>> inputs(inputCount, std::vector<float>(block, 0.0f));
  std::vector<std::vector<float>> outputs(static_cast<std::size_t>(OutputCount),
                                          std::vector<float>(block, 0.0f));
  std::vector<float*> inputPointers, outputPointers;
  for (auto& channel : inputs) inputPointers.push_back(channel.data());
  for (auto& channel : outputs) outputPointers.push_back(channel.data());
  inputPointers.push_back(nullptr); // never an empty array, even without inputs
  TBlockEvents blockEvents(BusiestBlock(Events, Options.BlockSize));
  const bool replacing = UsesReplacing();

  // The plug-in asks the tempo at a position counted from the block being rendered.
  Plugin.TempoAt = [this](VstInt32 position) {
    const auto frame = BlockStart + std::max<VstInt32>(position, 0);
    return Song.TempoAt(static_cast<double>(frame) / Options.SampleRate);
  };
  Plugin.Dispatch(effMainsChanged, 0, 1);
  Plugin.Dispatch(effStartProcess);

  using TClock = std::chrono::steady_clock;
  TClock::duration inside{};
  double insideCpu = 0.0;
  std::size_t next = 0;
  for (BlockStart = 0; BlockStart < TotalFrames_; BlockStart += Options.BlockSize) {
    const int frames =
        static_cast<int>(std::min<std::int64_t>(Options.BlockSize, TotalFrames_ - BlockStart));
    next = blockEvents.Fill(Events, next, BlockStart, frames);
    Plugin.SamplePosition = static_cast<double>(BlockStart);
    Plugin.QuarterPosition = Song.QuartersAt(static_cast<double>(BlockStart) / Options.SampleRate);
    if (!replacing)
      for (auto& channel : outputs) std::fill_n(channel.begin(), frames, 0.0f);
    const double beginCpu = ThreadCpuSeconds();
    const auto begin = TClock::now();
    if (blockEvents.Count() > 0) Plugin.Dispatch(effProcessEvents, 0, 0, blockEvents.List());
    if (replacing)
      fx->processReplacing(fx, inputPointers.data(), outputPointers.data(), frames);
    else
      fx->process(fx, inputPointers.data(), outputPointers.data(), frames);
    inside += TClock::now() - begin;
    insideCpu += ThreadCpuSeconds() - beginCpu;
    sink(outputPointers.data(), OutputCount, frames);
  }

  Plugin.Dispatch(effStopProcess);
  Plugin.Dispatch(effMainsChanged, 0, 0);
  PluginSeconds_ = std::chrono::duration<double>(inside).count();
  PluginCpuSeconds_ = insideCpu;
  Plugin.TempoAt = [](VstInt32) { return 120.0; }; // this renderer's song may not outlive it
  Plugin.QuarterPosition = -1.0;
}

} // namespace qvt
