// qvt bank list|dump|build: bank files and their text sources.
#include <cstdio>
#include <string>

#include "core/uBankFormat.h"
#include "core/uBankText.h"
#include "lib/uCodePage.h"
#include "lib/uFileIo.h"
#include "tools/qvt/Commands.h"

namespace qvt {

namespace {

int Usage() {
  std::fprintf(stderr, "usage: qvt bank list FILE.qvt\n"
                       "       qvt bank dump FILE.qvt\n"
                       "       qvt bank build SOURCE -o FILE.qvt\n");
  return 2;
}

// The programs of a bank file, converted to the current version; empty with a
// message when the file is refused.
bool ReadBankFile(const std::string& path, std::vector<TProgramRecord>& programs) {
  const auto bytes = ReadWholeFile(path, kMaxBankFileSize);
  const char* problem = nullptr;
  switch (CheckBankHeader(ReadBankHeader(bytes))) {
  case TBankRefusal::NotABank: problem = "is not a Quivertone preset bank"; break;
  case TBankRefusal::Empty: problem = "is an empty Quivertone preset bank"; break;
  case TBankRefusal::WrongVersion: problem = "is of an unknown bank version"; break;
  case TBankRefusal::None: break;
  }
  if (problem) {
    std::fprintf(stderr, "qvt bank: %s %s\n", path.c_str(), problem);
    return false;
  }
  programs = DecodeBank(bytes);
  return true;
}

} // namespace

int RunBank(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  const std::string& action = args[0];
  std::vector<TProgramRecord> programs;

  if ((action == "list" || action == "dump") && args.size() == 2) {
    if (!ReadBankFile(args[1], programs)) return 1;
    if (action == "dump") {
      std::fputs(FormatBankText(programs).c_str(), stdout);
      return 0;
    }
    for (std::size_t i = 0; i < programs.size(); ++i)
      std::printf("%5zu  %s\n", i, Win1252ToUtf8(RecordName(programs[i])).c_str());
    return 0;
  }

  if (action == "build" && args.size() == 4 && args[2] == "-o") {
    const auto source = ReadWholeFile(args[1]);
    try {
      programs = ParseBankText(std::string(source.begin(), source.end()));
    } catch (const EBankTextError& error) {
      std::fprintf(stderr, "qvt bank: %s: %s\n", args[1].c_str(), error.what());
      return 1;
    }
    if (programs.empty()) {
      std::fprintf(stderr, "qvt bank: %s holds no programs\n", args[1].c_str());
      return 1;
    }
    WriteFileAtomically(args[3], EncodeBank(programs));
    return 0;
  }
  return Usage();
}

} // namespace qvt
