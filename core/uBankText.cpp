#include "core/uBankText.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "core/uParamTable.h"
#include "core/uParameters.h"
#include "dsp/uSynthFilter.h"
#include "lib/uCodePage.h"
#include "lib/uFunctions.h"
#include "lib/uGlobals.h"

namespace qvt {

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The line's text before a comment: '#' at the start or after a blank.
std::string_view WithoutComment(std::string_view line) {
  for (std::size_t at = 0; at < line.size(); ++at)
    if (line[at] == '#' && (at == 0 || line[at - 1] == ' ' || line[at - 1] == '\t'))
      return line.substr(0, at);
  return line;
}

std::optional<double> Number(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return {};
  return value;
}

// A value written with a word or a unit, as a double; empty when the form does
// not apply to the parameter.
std::optional<double> ValueOfWords(int index, std::string_view text) {
  switch (ParamInfo(index).Display) {
  case TParamDisplay::OnOff:
    if (SameWord(text, "on")) return 1.0;
    if (SameWord(text, "off")) return 0.0;
    break;
  case TParamDisplay::Waveform:
    for (int k = 0; k < kOscTypeCount; ++k)
      if (SameWord(text, kOscTypeText[k])) return 0.1 * k;
    break;
  case TParamDisplay::FilterType:
    for (int k = 0; k < kFilterKindCount; ++k)
      if (SameWord(text, kFilterKindText[k])) return Hundredths(k);
    break;
  case TParamDisplay::FlangerWave:
    if (SameWord(text, "Sine")) return 1.0;
    if (SameWord(text, "Triangle")) return 0.0;
    break;
  default: break;
  }
  const TParamCurve curve = ParamInfo(index).Curve;
  if (curve == TParamCurve::Scheme && text.size() > 7 && SameWord(text.substr(0, 7), "scheme ")) {
    const auto n = Number(Trimmed(text.substr(7)));
    if (n && *n >= 1 && *n <= 9 && *n == std::floor(*n)) return 0.1 * *n;
  }
  if (curve == TParamCurve::Steps && text.size() > 6 &&
      SameWord(text.substr(text.size() - 6), " steps")) {
    const auto n = Number(Trimmed(text.substr(0, text.size() - 6)));
    if (n && *n >= 0 && *n <= 16 && *n == std::floor(*n)) return Hundredths(static_cast<int>(*n));
  }
  return {};
}

// The value of "n unit" on the parameter's curve; empty when the unit is not its own.
std::optional<double> ValueOfUnit(int index, double n, std::string_view unit) {
  using enum TParamCurve;
  const TParamCurve curve = ParamInfo(index).Curve;
  if (unit == "x") {
    if (curve == Ratio) return ValueFromRatio(n);
    if (curve == StepRatio && n > 0) return ValueFromStepRatio(n);
  } else if (unit == "st") {
    if (curve == StepRatio) return ValueFromStepRatio(std::exp2(n / 12.0));
  } else if (unit == "Hz") {
    if (curve == OffsetHz) return ValueFromOffset(n);
    if (curve == FlangerRateHz)
      return n >= 0.25 ? std::optional<double>(ValueFromFlangerRate(n)) : std::nullopt;
    if (n <= 0) return {};
    if (curve == LowPassHz) return ValueFromLowPassHz(n);
    if (curve == HighPassHz) return ValueFromHighPassHz(n);
    if (curve == FlangerCutoffHz) return ValueFromFlangerCutoffHz(n);
  } else if (unit == "ms") {
    if (curve == EnvelopeMs) return n / 12000.0;
    if (curve == FlangerTimeMs) return ValueFromFlangerTime(n);
  } else if (unit == "%") {
    if (curve == Percent) return n / 100.0;
    if (curve == PlusMinus) return (n + 100.0) / 200.0;
  }
  return {};
}

[[noreturn]] void Fail(int line, const std::string& what) {
  std::string message = "line ";
  message.append(std::to_string(line)).append(": ").append(what);
  throw EBankTextError(message);
}

// A program name as written between the brackets: every byte of the field up
// to its last non-zero one, '\' as \\, control bytes as \xHH, the rest as UTF-8.
std::string EscapedName(const TProgramRecord& program) {
  std::size_t length = kProgramNameLength;
  while (length > 0 && program.Name[length - 1] == '\0') --length;
  std::string out;
  std::size_t plain = 0; // start of the bytes not yet written
  auto flush = [&](std::size_t end) {
    out += Win1252ToUtf8(std::string_view(program.Name + plain, end - plain));
  };
  for (std::size_t at = 0; at < length; ++at) {
    const auto byte = static_cast<unsigned char>(program.Name[at]);
    if (byte != '\\' && byte >= 0x20 && byte != 0x7F) continue;
    flush(at);
    plain = at + 1;
    if (byte == '\\') {
      out += "\\\\";
    } else {
      static constexpr char kHex[] = "0123456789abcdef";
      out.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 15]);
    }
  }
  flush(length);
  return out;
}

// The name's 8-bit bytes from its written form: \\ and \xHH are escapes; a
// backslash before anything else stands for itself.
std::string UnescapedName(std::string_view text) {
  std::string out;
  std::size_t plain = 0;
  auto flush = [&](std::size_t end) { out += Utf8ToWin1252(text.substr(plain, end - plain)); };
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\\' || at + 1 >= text.size()) continue;
    if (text[at + 1] == '\\') {
      flush(at);
      out += '\\';
      plain = ++at + 1;
    } else if (text[at + 1] == 'x' && at + 3 < text.size() &&
               std::isxdigit(static_cast<unsigned char>(text[at + 2])) &&
               std::isxdigit(static_cast<unsigned char>(text[at + 3]))) {
      flush(at);
      unsigned value = 0;
      std::from_chars(text.data() + at + 2, text.data() + at + 4, value, 16);
      out += static_cast<char>(value);
      at += 3;
      plain = at + 1;
    }
  }
  flush(text.size());
  return out;
}

float ParseValue(int index, std::string_view text, int line) {
  if (text.starts_with("bits:")) {
    std::uint32_t bits = 0;
    const auto hex = text.substr(5);
    const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), bits, 16);
    if (hex.size() != 8 || error != std::errc() || end != hex.data() + hex.size())
      Fail(line, "\"bits:\" takes eight hexadecimal digits");
    return std::bit_cast<float>(bits);
  }
  float plain = 0;
  if (const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), plain);
      error == std::errc() && end == text.data() + text.size()) {
    if (!std::isfinite(plain)) Fail(line, "the value is not a finite number");
    return plain;
  }
  std::optional<double> value = ValueOfWords(index, text);
  if (!value) {
    double n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error == std::errc())
      value = ValueOfUnit(index, n, Trimmed(text.substr(end - text.data())));
  }
  const std::string quoted = std::string("\"").append(text).append("\"");
  if (!value) Fail(line, quoted + " is no value for " + SourceName(index));
  if (!(*value >= -1e-9 && *value <= 1 + 1e-9))
    Fail(line, quoted + " lies outside the range of " + SourceName(index));
  return static_cast<float>(std::clamp(*value, 0.0, 1.0));
}

std::string Shortest(float value) {
  if (!std::isfinite(value)) {
    char hex[16];
    const auto end =
        std::to_chars(hex, hex + sizeof hex, std::bit_cast<std::uint32_t>(value), 16).ptr;
    std::string digits(hex, end);
    std::string text = "bits:";
    return text.append(8 - digits.size(), '0').append(digits);
  }
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

} // namespace

TProgramRecord DefaultProgram() {
  TProgramRecord record{};
  SetRecordName(record, "Init");
  auto set = [&record](int index, double value) {
    record.Values[index] = static_cast<float>(value);
  };
  set(piGenerationScheme, 0.2); // scheme 2: operators 1 and 2 modulate operator 3
  set(piOsc3Level, 1.0);        // operator 3 alone sounds; 1 and 2 are silent
  for (int k = 0; k < 3; ++k) {
    set(piOsc1Offset + k, ValueFromOffset(0.0));
    set(piOsc1Ratio + k, ValueFromRatio(1.0));
    set(piOsc1Shape + k, 0.5); // shaper off
  }
  set(piDetune, 0.5);                       // no unison detune
  set(piFilterLowpassCutoff, 1.0);          // low-pass cutoff at the top
  set(piAttackTime, 5.0 / 12000.0);         // 5 ms attack
  set(piReleaseTime, 250.0 / 12000.0);      // 250 ms release
  set(piPipeFeedback, 0.5);                 // pipe feedback
  set(piPipeOffset, ValueFromOffset(0.0));  // pipe offset 0 Hz
  set(piPipeRatio, ValueFromRatio(1.0));    // pipe at the note's pitch
  set(piPipeSpread, 0.5);                   // no pipe spread
  set(piFlangerLfoRate, ValueFromFlangerRate(0.5));
  set(piFlangerLfoDepth, 0.5);
  set(piFlangerHighpassCutoff, 0.2); // flanger input high-pass about 80 Hz
  set(piFlangerTime, 0.5);           // 17.5 ms
  set(piFlangerLevel, 0.5);
  set(piReverbTime, 0.5);
  set(piReverbWidth, 1.0);
  set(piReverbDryLevel, 1.0);
  set(piReverbWetLevel, 0.25);
  set(piReverbLowpassCutoff, 1.0); // reverb tone low-pass at the top
  set(piPatternSpeed, 0.04);       // four steps per beat
  for (int step = piStep1; step <= piStep16; ++step) set(step, ValueFromStepRatio(1.0));
  return record;
}

std::string SourceName(int index) {
  static const std::array<std::string, kNumStoredParams> kNames = [] {
    std::array<std::string, kNumStoredParams> names;
    for (int index = 0; index < kNumStoredParams; ++index) {
      const std::string name = ParameterName(index);
      int occurrence = 1;
      for (int other = 0; other < index; ++other)
        if (ParameterName(other) == name) ++occurrence;
      names[index] = occurrence == 1 ? name : name + "#" + std::to_string(occurrence);
    }
    return names;
  }();
  return index >= 0 && index < kNumStoredParams ? kNames[index] : std::string();
}

int IndexOfSourceName(std::string_view name) {
  if (name.size() > 1 && name.front() == '@') {
    const auto n = Number(name.substr(1));
    if (n && *n >= 0 && *n < kNumStoredParams && *n == std::floor(*n)) return static_cast<int>(*n);
    return -1;
  }
  for (int index = 0; index < kNumStoredParams; ++index)
    if (SourceName(index) == name) return index;
  return -1;
}

std::vector<TProgramRecord> ParseBankText(std::string_view text) {
  std::vector<TProgramRecord> programs;
  std::array<bool, kNumStoredParams> given{};
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const auto end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::string_view line = Trimmed(raw);
    if (line.empty() || line.front() == '#') continue;

    if (line.front() == '[') {
      const auto close = line.rfind(']');
      if (close == std::string_view::npos) Fail(lineNumber, "a program name needs a closing ']'");
      if (!Trimmed(WithoutComment(line.substr(close + 1))).empty())
        Fail(lineNumber, "unexpected text after the program name");
      const std::string name = UnescapedName(line.substr(1, close - 1));
      if (name.size() > static_cast<std::size_t>(kProgramNameLength))
        Fail(lineNumber, "the program name is longer than 22 characters");
      if (programs.size() == static_cast<std::size_t>(kMaxBankPrograms))
        Fail(lineNumber, "a bank holds at most 65535 programs");
      programs.push_back(DefaultProgram());
      SetRecordName(programs.back(), name);
      given.fill(false);
      continue;
    }

    const std::string_view statement = Trimmed(WithoutComment(line));
    const auto equals = statement.find('=');
    if (equals == std::string_view::npos) Fail(lineNumber, "expected \"name = value\"");
    if (programs.empty()) Fail(lineNumber, "a value before the first [program name]");
    const std::string_view name = Trimmed(statement.substr(0, equals));
    const int index = IndexOfSourceName(name);
    if (index < 0) Fail(lineNumber, std::string("unknown parameter \"").append(name).append("\""));
    if (given[index]) Fail(lineNumber, SourceName(index) + " is given twice");
    given[index] = true;
    programs.back().Values[index] =
        ParseValue(index, Trimmed(statement.substr(equals + 1)), lineNumber);
  }
  return programs;
}

std::string FormatBankText(std::span<const TProgramRecord> programs) {
  const TProgramRecord defaults = DefaultProgram();
  std::string out;
  for (const TProgramRecord& program : programs) {
    if (!out.empty()) out += '\n';
    out.append("[").append(EscapedName(program)).append("]\n");
    auto valueOf = [&program](int other) { return program.Values[other]; };
    for (int index = 0; index < kNumStoredParams; ++index) {
      const float value = program.Values[index];
      const float standard = defaults.Values[index]; // a copy: the record is packed
      if (std::bit_cast<std::uint32_t>(value) == std::bit_cast<std::uint32_t>(standard)) continue;
      std::string display = ParameterDisplay(index, value, valueOf);
      const std::string label = ParameterLabel(index);
      if (!label.empty()) display.append(" ").append(label);
      out += SourceName(index) + " = " + Shortest(value);
      if (Trimmed(display).size()) out += "  # " + Win1252ToUtf8(display);
      out += '\n';
    }
  }
  return out;
}

} // namespace qvt
