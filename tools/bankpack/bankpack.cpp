// bankpack SOURCE OUTPUT
//
// Packs a bank text source (see core/uBankText.h) into a bank file, the form
// the factory bank is built into the library in.
#include <cstdio>
#include <exception>
#include <string>

#include "core/uBankFormat.h"
#include "core/uBankText.h"
#include "lib/uFileIo.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bankpack SOURCE OUTPUT\n");
    return 2;
  }
  try {
    const auto source = qvt::ReadWholeFile(argv[1]);
    const auto programs = qvt::ParseBankText(std::string(source.begin(), source.end()));
    if (programs.empty()) throw std::runtime_error("the source holds no programs");
    qvt::WriteFileAtomically(argv[2], qvt::EncodeBank(programs));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bankpack: %s: %s\n", argv[1], error.what());
    return 1;
  }
  return 0;
}
