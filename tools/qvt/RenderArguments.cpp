#include "tools/qvt/RenderArguments.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <stdexcept>

namespace qvt {

const char* const kRenderUsage =
    "usage: qvt render [PLUGIN.so] SONG.mid -o OUT.wav [options]\n"
    "  PLUGIN.so             VST 2.4 instrument (default: Quivertone.so beside qvt)\n"
    "  -o, --output FILE     WAV file to write\n"
    "  --rate HZ             sample rate (44100)\n"
    "  --block FRAMES        block size (512)\n"
    "  --tail SECONDS        time rendered after the song's end (2)\n"
    "  --bits 16|24|32       16- or 24-bit integer or 32-bit float samples (32)\n"
    "  --set INDEX=VALUE     set a parameter before rendering (repeatable)\n"
    "  --set \"NAME=VALUE\"    the same by name; NAME#N picks the Nth of equal names\n"
    "  --bank FILE.qvt       preset bank file whose program --program applies\n"
    "  --program N           program number in the bank, from 0\n"
    "  --plot FILE.png       waveform and spectrogram picture\n";

namespace {

template <typename T> T ParseNumber(const std::string& option, const std::string& text) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    throw std::invalid_argument(option + ": '" + text + "' is not a valid number");
  return value;
}

template <typename T> std::string Format(T value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof(text), value);
  return std::string(text, result.ptr);
}

template <typename T>
T ParseInRange(const std::string& option, const std::string& text, T low, T high) {
  const T value = ParseNumber<T>(option, text);
  if (!(value >= low && value <= high))
    throw std::invalid_argument(option + " must lie between " + Format(low) + " and " +
                                Format(high));
  return value;
}

} // namespace

TRenderArguments ParseRenderArguments(const std::vector<std::string>& args) {
  TRenderArguments parsed;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string option = args[i];
    std::string value;
    bool hasValue = false;
    if (option.rfind("--", 0) == 0 && option.find('=') != std::string::npos &&
        option.rfind("--set", 0) != 0) { // --rate=48000; --set keeps NAME=VALUE whole
      value = option.substr(option.find('=') + 1);
      option = option.substr(0, option.find('='));
      hasValue = true;
    }
    if (option.empty() || option[0] != '-' || option == "-") {
      positional.push_back(option);
      continue;
    }
    if (option.rfind("--set=", 0) == 0) {
      value = option.substr(6);
      option = "--set";
      hasValue = true;
    }
    static const char* const kOptions[] = {"-o",     "--output", "--rate", "--block",   "--tail",
                                           "--bits", "--set",    "--bank", "--program", "--plot"};
    if (std::find(std::begin(kOptions), std::end(kOptions), option) == std::end(kOptions))
      throw std::invalid_argument("unknown option " + option);
    if (!hasValue) {
      if (i + 1 >= args.size()) throw std::invalid_argument(option + " needs a value");
      value = args[++i];
    }
    if (option == "-o" || option == "--output")
      parsed.OutputPath = value;
    else if (option == "--rate")
      parsed.SampleRate = ParseInRange<int>(option, value, 1000, 768000);
    else if (option == "--block")
      parsed.BlockSize = ParseInRange<int>(option, value, 1, 65536);
    else if (option == "--tail")
      parsed.TailSeconds = ParseInRange<double>(option, value, 0.0, 600.0);
    else if (option == "--bits") {
      if (!WavSamplesFromBits(ParseNumber<int>(option, value), parsed.Samples))
        throw std::invalid_argument("--bits must be 16, 24 or 32");
    } else if (option == "--set")
      parsed.Settings.push_back(ParseSetting(value));
    else if (option == "--bank")
      parsed.BankPath = value;
    else if (option == "--program")
      parsed.Program = ParseInRange<int>(option, value, 0, 65534);
    else // --plot
      parsed.PlotPath = value;
  }
  if (positional.size() == 1) {
    parsed.SongPath = positional[0];
  } else if (positional.size() == 2) {
    parsed.PluginPath = positional[0];
    parsed.SongPath = positional[1];
  } else {
    throw std::invalid_argument(positional.empty() ? "no MIDI file given" : "too many file names");
  }
  if (parsed.OutputPath.empty()) throw std::invalid_argument("no output file given (-o OUT.wav)");
  if (parsed.BankPath.empty() != (parsed.Program < 0))
    throw std::invalid_argument("--bank and --program go together");
  return parsed;
}

std::string DefaultPluginPath() {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "Quivertone.so";
  return (program.parent_path() / "Quivertone.so").string();
}

} // namespace qvt
