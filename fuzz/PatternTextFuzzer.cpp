// Pattern text from the clipboard, pasted as the editor's paste command does:
// PastePattern, then every pattern parameter (52 to 69) announced with the
// value the edit buffer holds. Whatever the text, exactly its leading plain
// decimal numbers are taken, copying the pattern back reproduces it, and a note
// played with the pattern driving every oscillator and the pipe stays finite.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/uPatternText.h"
#include "core/uSynth.h"
#include "fuzz/FuzzSupport.h"
#include "platform/core/uClipboard.h"

using qvt::fuzz::Check;

namespace {

constexpr int kFirst = 52; // speed, portamento, then the 16 steps
constexpr int kCount = qvt::kPatternValueCount;
constexpr float kUntouched = 0.125f;

// What a paste must take from the text, worked out independently of the parser.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

bool IsHeader(std::string_view line) {
  constexpr std::string_view kHeader = "[qvt seqpattern]";
  if (line.size() != kHeader.size()) return false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kHeader[i]) return false;
  }
  return true;
}

// Sign, digits, at most one point, at least one digit; nothing else.
bool IsPlainDecimal(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  bool digit = false, point = false;
  for (char c : text) {
    if (c >= '0' && c <= '9')
      digit = true;
    else if (c == '.' && !point)
      point = true;
    else
      return false;
  }
  return digit;
}

std::vector<double> ExpectedValues(std::string_view text) {
  std::vector<double> values;
  const std::vector<std::string_view> lines = SplitLines(text);
  if (lines.size() < static_cast<std::size_t>(kCount) || !IsHeader(Trim(lines[0]))) return values;
  for (std::size_t i = 1; i < lines.size() && values.size() < kCount; ++i) {
    const std::string_view line = Trim(lines[i]);
    if (!IsPlainDecimal(line)) break;
    double value;
    if (!qvt::ParsePlainDecimal(line, value)) {
      // Only numbers that no 32-bit float holds may be refused.
      std::string digits(line.front() == '+' ? line.substr(1) : line);
      double magnitude = 0.0;
      std::from_chars(digits.data(), digits.data() + digits.size(), magnitude,
                      std::chars_format::fixed);
      Check(!std::isfinite(static_cast<float>(magnitude)) || std::fabs(magnitude) > 3.0e38,
            "a plain decimal number that fits a float is a number");
      break;
    }
    values.push_back(value);
  }
  return values;
}

void Play(TSynth& synth) {
  for (int index : {13, 14, 15, 30, 33, 37, 45}) synth.setParameter(index, 1.0f);
  qvt::fuzz::PlayNote(synth.getAeffect(), 57, 8, "a pasted pattern plays finite samples");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qvt::fuzz::SetUpProcess();
  qvt::fuzz::SetHostTempo(960.0); // a short render walks through many steps
  const std::string text(reinterpret_cast<const char*>(data), size);
  TSynth synth(qvt::fuzz::Host);
  for (int i = 0; i < kCount; ++i) synth.setParameter(kFirst + i, kUntouched);

  SetClipboardText(text);
  synth.PastePattern();
  const std::vector<double> expected = ExpectedValues(text);
  for (int i = 0; i < kCount; ++i) {
    const float value = synth.getParameter(kFirst + i);
    const float wanted =
        i < static_cast<int>(expected.size()) ? static_cast<float>(expected[i]) : kUntouched;
    Check(value == wanted, "the edit buffer holds the pasted values and keeps the rest");
  }
  for (int i = 0; i < kCount; ++i) (void)synth.getParameterDisplay(kFirst + i);

  // The paste command announces every pattern parameter; the store limits them.
  for (int i = 0; i < kCount; ++i)
    synth.setParameterAutomated(kFirst + i, synth.getParameter(kFirst + i));
  std::array<float, kCount> announced;
  for (int i = 0; i < kCount; ++i) {
    announced[i] = synth.getParameter(kFirst + i);
    Check(announced[i] >= 0.0f && announced[i] <= 1.0f, "announced values are stored limited");
  }

  // Copying and pasting back gives the same pattern, up to the 11 decimals written.
  synth.CopyPattern();
  Check(synth.ClipboardHasPattern(), "a copied pattern is recognised");
  synth.PastePattern();
  for (int i = 0; i < kCount; ++i)
    Check(std::fabs(synth.getParameter(kFirst + i) - announced[i]) <= 1.0e-7f,
          "copy and paste keep the pattern");

  Play(synth);
  synth.CommitSteps();
  Play(synth);
  return 0;
}
