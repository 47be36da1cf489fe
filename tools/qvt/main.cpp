// qvt: command-line companion of the plug-in.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lib/uVersion.h"
#include "tools/qvt/Commands.h"

namespace {

void PrintUsage() {
  std::fprintf(stderr,
               "usage: qvt COMMAND [ARGS]\n"
               "commands:\n"
               "  info PLUGIN.so    show the plug-in as a host sees it\n"
               "  bank list|dump FILE.qvt, bank build SOURCE -o FILE.qvt\n"
               "                    list a bank file, write it as text, or pack text\n"
               "  bank check FILE.qvt [SONG.mid ...]\n"
               "                    peak, DC offset and loudness of every program\n"
               "  render [PLUGIN.so] SONG.mid -o OUT.wav [options]\n"
               "                    play a MIDI file through the plug-in into a WAV file\n"
               "  snapshot --form main|patedit|about -o FILE.png, snapshot --demo -o FILE.png,\n"
               "  snapshot --controls -o FILE.png\n"
               "                    draw a form background, a demo of the skin or every control\n"
               "  --version         show the version of qvt and of the plug-in built with it\n");
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    PrintUsage();
    return argc < 2 ? 2 : 0;
  }
  if (!std::strcmp(argv[1], "--version")) {
    std::printf("qvt %s\n", qvt::ProductVersionText());
    return 0;
  }
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  try {
    if (command == "info") return qvt::RunInfo(args);
    if (command == "bank") return qvt::RunBank(args);
    if (command == "render") return qvt::RunRender(args);
    if (command == "snapshot") return qvt::RunSnapshot(args);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "qvt %s: %s\n", command.c_str(), error.what());
    return 1;
  }
  std::fprintf(stderr, "qvt: unknown command '%s'\n", command.c_str());
  PrintUsage();
  return 2;
}
