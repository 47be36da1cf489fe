// Points the per-user settings and data folders ($XDG_CONFIG_HOME,
// $XDG_DATA_HOME) of a test program at a fresh temporary folder before any
// test runs, so that no test reads or writes the real ones; the folder is
// removed when the program ends. Include it from exactly one file per test program.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace qvt::test {

class TIsolatedUserFolders {
public:
  TIsolatedUserFolders() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qvt-user-XXXXXX";
    if (::mkdtemp(pattern.data()))
      Root = pattern;
    else
      Root = std::filesystem::temp_directory_path() / "qvt-user-fallback";
    ::setenv("XDG_CONFIG_HOME", (Root / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (Root / "data").c_str(), 1);
  }
  ~TIsolatedUserFolders() {
    std::error_code ignored;
    std::filesystem::remove_all(Root, ignored);
  }
  std::filesystem::path Root;
};

inline TIsolatedUserFolders gIsolatedUserFolders;

} // namespace qvt::test
