// qvt bank list|dump|build|check: bank files, their text sources and their levels.
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "core/uBankFormat.h"
#include "core/uBankText.h"
#include "lib/uCodePage.h"
#include "lib/uFileIo.h"
#include "tools/qvt/BankCheck.h"
#include "tools/qvt/Commands.h"
#include "tools/qvt/RenderArguments.h"

namespace qvt {

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: qvt bank list FILE.qvt\n"
               "       qvt bank dump FILE.qvt\n"
               "       qvt bank build SOURCE -o FILE.qvt\n"
               "       qvt bank check FILE.qvt [SONG.mid ...] [--plugin PLUGIN.so] [--jobs N]\n"
               "           every program through the plug-in: peak, DC offset and loudness\n"
               "           over a standard phrase and the songs; exits 1 when one fails\n");
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

// qvt bank check: exit 0 when every program keeps the limits, 1 when one does not.
int Check(const std::vector<std::string>& args) {
  std::string bankPath, pluginPath = DefaultPluginPath();
  std::vector<std::string> songs;
  int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if ((arg == "--plugin" || arg == "--jobs") && i + 1 < args.size()) {
      const std::string& value = args[++i];
      if (arg == "--plugin") {
        pluginPath = value;
        continue;
      }
      try {
        std::size_t used = 0;
        jobs = std::stoi(value, &used);
        if (used != value.size() || jobs < 1) throw std::invalid_argument(value);
      } catch (const std::exception&) {
        std::fprintf(stderr, "qvt bank: --jobs: '%s' is not a positive number\n", value.c_str());
        return 2;
      }
    } else if (arg.starts_with("-")) {
      return Usage();
    } else if (bankPath.empty()) {
      bankPath = arg;
    } else {
      songs.push_back(arg);
    }
  }
  if (bankPath.empty()) return Usage();
  try {
    const auto programs = LoadBankPrograms(bankPath);
    std::vector<TPhrase> phrases{StandardPhrase()};
    for (const std::string& song : songs)
      phrases.push_back({std::filesystem::path(song).filename().string(), TMidiSong::Load(song)});
    const auto levels = MeasureBank(pluginPath, programs, phrases, jobs);
    std::printf("bank %s, %zu programs; phrases:", bankPath.c_str(), programs.size());
    for (const TPhrase& phrase : phrases) std::printf(" %s", phrase.Name.c_str());
    std::printf("\n");
    return ReportBankLevels(stdout, levels, TCheckLimits{}) > 0 ? 1 : 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "qvt bank: %s\n", error.what());
    return 1;
  }
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

  if (action == "check") return Check(args);

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
