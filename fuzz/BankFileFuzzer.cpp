// Bank files as the editor's load command and the plug-in's start meet them:
// any bytes, as a file through LoadBankFile and as a stream through ReadBank.
// A refused file changes nothing; a loaded bank holds the header's count of
// programs, saves back to the records it was read from, and every program it
// holds plays finite audio.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/uBankFormat.h"
#include "core/uSynth.h"
#include "fuzz/FuzzSupport.h"

using qvt::fuzz::Check;

namespace {

TSynth& Synth() {
  static TSynth synth(qvt::fuzz::Host);
  return synth;
}

// The bank every input starts from: two small programs, no file remembered.
const std::string& StartingBank() {
  static const std::string bytes = [] {
    TProgramRecord programs[2] = {};
    SetRecordName(programs[0], "Start one");
    SetRecordName(programs[1], "Start two");
    for (int i = 0; i < qvt::kNumStoredParams; ++i) {
      programs[0].Values[i] = 0.25f;
      programs[1].Values[i] = 0.75f;
    }
    const std::vector<std::uint8_t> file = qvt::EncodeBank(programs);
    return std::string(file.begin(), file.end());
  }();
  return bytes;
}

std::vector<std::uint8_t> BankBytes(const TSynth& synth) {
  std::vector<TProgramRecord> programs;
  for (int i = 0; i < synth.BankCount(); ++i) programs.push_back(synth.BankProgram(i));
  return qvt::EncodeBank(programs);
}

bool IsStartingBank(const TSynth& synth) {
  const std::vector<std::uint8_t> bytes = BankBytes(synth);
  return std::string(bytes.begin(), bytes.end()) == StartingBank();
}

void ResetBank(TSynth& synth) {
  std::istringstream stream(StartingBank());
  synth.ReadBank(stream);
}

// Selects the program and plays a short note with it.
void PlayProgram(TSynth& synth, int index) {
  synth.SelectProgram(index);
  qvt::fuzz::PlayNote(synth.getAeffect(), 60, 1, "a loaded program renders finite samples");
  for (int parameter = 0; parameter < qvt::kNumParams; ++parameter)
    (void)synth.getParameterDisplay(parameter);
  synth.suspend();
}

void CheckLoadedBank(TSynth& synth, const std::uint8_t* data, std::size_t size,
                     const qvt::TBankHeader& header) {
  Check(synth.BankCount() == header.Count, "the bank holds the header's count of programs");
  // A whole current-version file saves back byte for byte, but for the magic a stream ignores.
  const std::size_t wholeSize = qvt::kBankHeaderSize + header.Count * sizeof(TProgramRecord);
  if (header.Version == qvt::kBankFileVersion && size >= wholeSize) {
    const std::vector<std::uint8_t> saved = BankBytes(synth);
    Check(saved.size() == wholeSize && std::equal(saved.begin() + 4, saved.end(), data + 4),
          "a loaded bank saves back to the same records");
  }
  PlayProgram(synth, 0);
  PlayProgram(synth, synth.BankCount() - 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qvt::fuzz::SetUpProcess();
  TSynth& synth = Synth();
  const qvt::TBankHeader header = qvt::ReadBankHeader({data, size});
  const bool acceptable = qvt::CheckBankHeader(header) == qvt::TBankRefusal::None;

  // As a file.
  ResetBank(synth);
  const std::string path = qvt::fuzz::ScratchPath("input.qvt");
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Check(file.good(), "the input could be written to a scratch file");
  }
  const std::string rememberedBefore = synth.GetBankFilePath();
  bool loaded = false;
  try {
    loaded = synth.LoadBankFile(path);
  } catch (const std::exception&) {
    Check(false, "an existing, readable file raises no error");
  }
  Check(loaded == acceptable, "exactly the files with a valid header are loaded");
  if (loaded) {
    Check(synth.GetBankFilePath() == path, "a loaded file is remembered");
    CheckLoadedBank(synth, data, size, header);
  } else {
    Check(IsStartingBank(synth), "a refused file leaves the bank as it was");
    Check(synth.GetBankFilePath() == rememberedBefore, "a refused file is not remembered");
  }

  // As a stream.
  ResetBank(synth);
  std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
  bool read = false;
  try {
    synth.ReadBank(stream);
    read = true;
  } catch (const std::runtime_error&) {
    Check(IsStartingBank(synth), "a stream that is refused leaves the bank as it was");
  }
  // The stream is not checked for the magic, only for a version and programs.
  Check(read == (qvt::BankRecordSize(header.Version) != 0 && header.Count != 0),
        "a stream is read exactly when its version is known and it holds programs");
  if (read) CheckLoadedBank(synth, data, size, header);
  return 0;
}
