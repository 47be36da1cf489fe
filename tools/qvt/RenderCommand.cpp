// qvt render [PLUGIN.so] SONG.mid -o OUT.wav: a MIDI file played through a plug-in into a WAV file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "tools/qvt/Commands.h"
#include "tools/qvt/PlotPicture.h"
#include "tools/qvt/RenderArguments.h"
#include "tools/qvt/RenderBank.h"
#include "tools/qvt/RenderMeter.h"
#include "tools/qvt/RenderSong.h"
#include "tools/qvt/WavWriter.h"

namespace qvt {

namespace {

std::string Decibels(double level) {
  if (!(level > 0.0)) return "-inf dBFS";
  char text[32];
  std::snprintf(text, sizeof(text), "%.2f dBFS", 20.0 * std::log10(level));
  return text;
}

int Render(const TRenderArguments& arguments) {
  const TMidiSong song = TMidiSong::Load(arguments.SongPath);
  TBankProgram program;
  if (!arguments.BankPath.empty()) program = LoadBankProgram(arguments.BankPath, arguments.Program);

  const std::string pluginPath =
      arguments.PluginPath.empty() ? DefaultPluginPath() : arguments.PluginPath;
  auto plugin = LoadPluginForRender(pluginPath);

  TRenderOptions options;
  options.SampleRate = arguments.SampleRate;
  options.BlockSize = arguments.BlockSize;
  options.TailSeconds = arguments.TailSeconds;
  std::unique_ptr<TSongRenderer> made;
  try {
    made = std::make_unique<TSongRenderer>(*plugin, song, options);
  } catch (const std::length_error& error) {
    throw std::runtime_error(arguments.SongPath + ": " + error.what());
  }
  TSongRenderer& renderer = *made;
  const double seconds = static_cast<double>(renderer.TotalFrames()) / options.SampleRate;
  renderer.Prepare();
  ApplyParameters(*plugin, arguments.BankPath.empty() ? nullptr : &program, arguments.Settings);

  const int channels = std::min(renderer.OutputChannels(), 2);
  TWavWriter wav(arguments.OutputPath, arguments.SampleRate, channels, arguments.Samples);
  TLevelMeter meter;
  std::vector<float> interleaved;
  std::vector<float> mono;
  const bool plot = !arguments.PlotPath.empty();
  if (plot) mono.reserve(static_cast<std::size_t>(renderer.TotalFrames()));
  renderer.Render([&](const float* const* outputs, int, int frames) {
    interleaved.resize(static_cast<std::size_t>(frames * channels));
    for (int frame = 0; frame < frames; ++frame) {
      float sum = 0.0f;
      for (int channel = 0; channel < channels; ++channel) {
        const float sample = outputs[channel][frame];
        interleaved[static_cast<std::size_t>(frame * channels + channel)] = sample;
        sum += sample;
      }
      if (plot) mono.push_back(sum / static_cast<float>(channels));
    }
    meter.Add(interleaved);
    wav.Write(interleaved.data(), frames);
  });
  wav.Close();
  if (plot) DrawPlot(mono, options.SampleRate).WritePng(arguments.PlotPath);

  std::printf("plug-in      %s (%s)\n", pluginPath.c_str(),
              renderer.UsesReplacing() ? "processReplacing" : "process");
  std::printf("song         %s: format %d, %d track%s, %zu events\n", arguments.SongPath.c_str(),
              song.Format, song.TrackCount, song.TrackCount == 1 ? "" : "s", song.Messages.size());
  if (!arguments.BankPath.empty())
    std::printf("program      %d \"%s\" of %s\n", arguments.Program, program.Name.c_str(),
                arguments.BankPath.c_str());
  std::printf("output       %s: %d Hz, %s, %d channel%s, block %d\n", arguments.OutputPath.c_str(),
              arguments.SampleRate, WavSamplesName(arguments.Samples), channels,
              channels == 1 ? "" : "s", arguments.BlockSize);
  if (plot) std::printf("plot         %s\n", arguments.PlotPath.c_str());
  std::printf("duration     %.3f s (%lld frames, %.1f s tail)\n", seconds,
              static_cast<long long>(renderer.TotalFrames()), arguments.TailSeconds);
  std::printf("peak         %s\n", Decibels(meter.Peak()).c_str());
  std::printf("rms          %s\n", Decibels(meter.Rms()).c_str());
  if (meter.NonFinite() > 0)
    std::printf("non-finite   %lld samples (NaN or infinity)\n",
                static_cast<long long>(meter.NonFinite()));
  const double inside = renderer.PluginSeconds(), cpu = renderer.PluginCpuSeconds();
  if (inside > 0.0 && cpu > 0.0)
    std::printf("real time    %.1fx (%.3f s in the plug-in; by CPU time %.1fx, %.3f s)\n",
                seconds / inside, inside, seconds / cpu, cpu);
  return meter.NonFinite() > 0 ? 1 : 0;
}

} // namespace

int RunRender(const std::vector<std::string>& args) {
  TRenderArguments arguments;
  try {
    arguments = ParseRenderArguments(args);
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "qvt render: %s\n%s", error.what(), kRenderUsage);
    return 2;
  }
  try {
    return Render(arguments);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "qvt render: %s\n", error.what());
    return 1;
  }
}

} // namespace qvt
