// The bank text source: names, units, defaults, errors and exact round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>

#include "core/uBankFormat.h"
#include "core/uBankText.h"
#include "core/uParamTable.h"
#include "core/uParameters.h"
#include "lib/uFunctions.h"

namespace {

TProgramRecord One(const std::string& text) {
  const auto programs = qvt::ParseBankText(text);
  EXPECT_EQ(programs.size(), 1u);
  return programs.empty() ? TProgramRecord{} : programs[0];
}

std::string ErrorOf(const std::string& text) {
  try {
    qvt::ParseBankText(text);
  } catch (const qvt::EBankTextError& error) {
    return error.what();
  }
  return "no error";
}

} // namespace

TEST(BankText, SharedParameterNamesTakeAnOccurrenceNumber) {
  EXPECT_EQ(qvt::SourceName(16), "Osc1 XY-pad");
  EXPECT_EQ(qvt::SourceName(19), "Osc1 XY-pad#2");
  EXPECT_EQ(qvt::SourceName(21), "Osc3 XY-pad#2");
  EXPECT_EQ(qvt::SourceName(24), "Filter Lowpass Cuttoff");
  for (int index = 0; index < 72; ++index)
    EXPECT_EQ(qvt::IndexOfSourceName(qvt::SourceName(index)), index) << index;
  EXPECT_EQ(qvt::IndexOfSourceName("@19"), 19);
  EXPECT_EQ(qvt::IndexOfSourceName("@72"), -1);
  EXPECT_EQ(qvt::IndexOfSourceName("Osc1 XY-pad#3"), -1);
}

TEST(BankText, OmittedParametersTakeTheDefaultProgram) {
  const TProgramRecord program = One("[Plain]\n");
  TProgramRecord expected = qvt::DefaultProgram();
  SetRecordName(expected, "Plain");
  EXPECT_EQ(program, expected);
}

TEST(BankText, UnitsConvertAsTheDisplayShowsThem) {
  const TProgramRecord p = One(R"([Units]
Generation Scheme = scheme 7
Osc1 Level = 80%
Osc2 Offset = 1.5Hz
Osc2 Ratio = 3x
Osc1 Waveform = Sawtooth
Osc2 Waveform = inv saw
Osc1 Seq = on
Osc1 XY-pad = 25%
Osc1 XY-pad#2 = -50%
Space Unison = 10%
Filter Lowpass Cuttoff = 2000Hz
Filter Highpass Cuttoff = 20Hz
Filter Lowpass Type = Butterworth
MainOsc Attack Time = 120ms
Flanger LFO Waveform = Sine
Flanger LFO Rate = 0.25Hz
Flanger Time = 30ms
Pattern Speed = 8 steps
Pattern Step1 = 2x
Pattern Step2 = -12st
Pattern Step3 = 0.5   # a plain value
)");
  auto show = [&p](int index) {
    return qvt::ParameterDisplay(index, p.Values[index],
                                 [&p](int other) { return p.Values[other]; });
  };
  const std::pair<int, const char*> texts[] = {
      {0, "7"},         {1, "80"},       {5, "1.50"}, {8, "3.0000"},
      {10, "Sawtooth"}, {11, "Inv Saw"}, {13, "on"},  {16, "Reductor 25 %; Shaper -50 %"},
      {23, "10"},       {24, "2000"},    {25, "20"},  {26, "Butterworth"},
      {28, "120"},      {38, "Sine"},    {39, "0.2"}, {42, "30.0"},
      {54, "2.0000"},   {55, "0.5000"}};
  for (const auto& [index, text] : texts) EXPECT_EQ(show(index), text) << index;
  EXPECT_FLOAT_EQ(float(p.Values[piPatternSpeed]), 0.08f);
  EXPECT_EQ(float(p.Values[piStep1 + 2]), 0.5f);
}

TEST(BankText, MistakesAreReportedWithTheirLine) {
  EXPECT_EQ(ErrorOf("Osc1 Level = 1\n"), "line 1: a value before the first [program name]");
  EXPECT_EQ(ErrorOf("[A]\n\nOsc9 Level = 1\n"), "line 3: unknown parameter \"Osc9 Level\"");
  EXPECT_EQ(ErrorOf("[A]\nLoop = on\nLoop = off\n"), "line 3: Loop is given twice");
  EXPECT_EQ(ErrorOf("[12345678901234567890123]\n"),
            "line 1: the program name is longer than 22 characters");
  EXPECT_EQ(ErrorOf("[A]\nOsc1 Ratio = 65x\n"),
            "line 2: \"65x\" lies outside the range of Osc1 Ratio");
  EXPECT_EQ(ErrorOf("[A]\nOsc1 Level = nan\n"), "line 2: the value is not a finite number");
}

// Names are UTF-8 in the text and 8-bit in the bank.
TEST(BankText, EveryByteOfANameSurvivesTheTextForm) {
  EXPECT_EQ(RecordName(One("[Caf\xC3\xA9 \xC2\xAB"
                           "Bass\xC2\xBB] # comment\n")),
            "Caf\xE9 \xAB"
            "Bass\xBB");
  const std::string names[] = {
      std::string("Caf\xE9 \xAB"
                  "Bass\xBB"),
      std::string("a\nb\r\tc\\ ] # x "),
      std::string("\x81\x8D\x8F\x90\x9D unused"), // bytes Windows-1252 leaves unassigned
      std::string("ab\0cd\x7F", 7),               // a zero inside the field
      std::string("\\x41 \\\\ \x01"),
  };
  std::vector<TProgramRecord> bank;
  for (const std::string& name : names) {
    bank.push_back(qvt::DefaultProgram());
    SetRecordName(bank.back(), name);
  }
  const std::string text = qvt::FormatBankText(bank);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5 + 4) << text; // one line a program
  EXPECT_EQ(text.substr(0, 17), "[Caf\xC3\xA9 \xC2\xAB"
                                "Bass\xC2\xBB]\n");
  EXPECT_NE(text.find("[a\\x0ab\\x0d\\x09c\\\\ ] # x ]"), std::string::npos) << text;
  EXPECT_EQ(qvt::EncodeBank(qvt::ParseBankText(text)), qvt::EncodeBank(bank));
  // Older texts: a backslash before anything else is itself.
  EXPECT_EQ(RecordName(One("[a\\b\\xZ]\n")), "a\\b\\xZ");
}

TEST(BankText, AnyBankSurvivesTheTextForm) {
  std::mt19937 random(7);
  std::vector<TProgramRecord> bank;
  for (int p = 0; p < 20; ++p) {
    TProgramRecord record = qvt::DefaultProgram();
    SetRecordName(record, "Random " + std::to_string(p));
    for (int i = 0; i < 72; ++i)
      if (random() % 3 == 0)
        record.Values[i] = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    record.Values[piOsc2Offset] = std::numeric_limits<float>::quiet_NaN();
    record.Values[piOsc3Offset] = -std::numeric_limits<float>::infinity();
    bank.push_back(record);
  }
  const auto parsed = qvt::ParseBankText(qvt::FormatBankText(bank));
  EXPECT_EQ(qvt::EncodeBank(parsed), qvt::EncodeBank(bank));
}
