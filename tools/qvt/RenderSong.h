// Plays a MIDI song through a hosted VST 2.4 instrument, block by block, as a host does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "tools/qvt/MidiFile.h"
#include "tools/qvt/PluginHost.h"

namespace qvt {

// Loads a plug-in for rendering, with the logs of host requests and automation off (a long
// render would fill them). Throws std::runtime_error naming the problem when it cannot load.
std::unique_ptr<THostedPlugin> LoadPluginForRender(const std::string& path);

// A channel message at its sample frame.
struct TScheduledEvent {
  std::int64_t Frame = 0;
  std::uint8_t Bytes[3] = {};
};

// Every message of the song at its frame (seconds × rate, rounded to nearest), in song order.
std::vector<TScheduledEvent> ScheduleSong(const TMidiSong& song, double sampleRate);

// The VstEvents list of one block: the events whose frames fall into [start, start + length),
// with deltaFrames counted from the block's first frame.
class TBlockEvents {
public:
  explicit TBlockEvents(std::size_t capacity);
  // Collects from `events`, beginning at index `next`; answers the index after the last one taken.
  std::size_t Fill(std::span<const TScheduledEvent> events, std::size_t next, std::int64_t start,
                   int length);
  VstEvents* List() { return reinterpret_cast<VstEvents*>(Storage.data()); }
  int Count() const { return Count_; }
  const VstMidiEvent& At(int index) const { return Midi[static_cast<std::size_t>(index)]; }

private:
  std::vector<VstMidiEvent> Midi;
  std::vector<VstIntPtr> Storage; // VstEvents header followed by the event pointers
  int Count_ = 0;
};

// The most events any one block of `length` frames receives.
std::size_t BusiestBlock(std::span<const TScheduledEvent> events, int length);

struct TRenderOptions {
  double SampleRate = 44100.0;
  int BlockSize = 512;
  double TailSeconds = 2.0;
  double LongestSeconds = 3600.0; // longer songs are refused (std::length_error)
};

// Receives each rendered block: `channels` pointers of `frames` samples.
using TBlockSink = std::function<void(const float* const* channels, int channelCount, int frames)>;

class TSongRenderer {
public:
  TSongRenderer(THostedPlugin& plugin, const TMidiSong& song, const TRenderOptions& options);

  // Opens the plug-in and tells it the sample rate and block size.
  void Prepare();
  // Switches the plug-in on, plays the song and its tail, switches it off again.
  void Render(const TBlockSink& sink);

  std::int64_t TotalFrames() const { return TotalFrames_; }
  int OutputChannels() const { return OutputCount; }
  bool UsesReplacing() const;
  // Time spent inside the plug-in's calls: wall-clock time, and the render thread's CPU time
  // (which other processes on a busy machine do not inflate).
  double PluginSeconds() const { return PluginSeconds_; }
  double PluginCpuSeconds() const { return PluginCpuSeconds_; }

private:
  THostedPlugin& Plugin;
  const TMidiSong& Song;
  TRenderOptions Options;
  std::vector<TScheduledEvent> Events;
  std::int64_t TotalFrames_ = 0;
  std::int64_t BlockStart = 0;
  int OutputCount = 0;
  double PluginSeconds_ = 0.0;
  double PluginCpuSeconds_ = 0.0;
};

} // namespace qvt
