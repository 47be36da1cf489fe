// Points the per-user settings and data folders ($XDG_CONFIG_HOME,
// $XDG_DATA_HOME; %APPDATA% on Windows) of a test program at a fresh temporary
// folder before any test runs, so that no test reads or writes the real ones;
// the folder is removed when the program ends. Include it from exactly one
// file per test program. (The Windows registry is not redirected: tests run
// under wine with a prefix of their own.)
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <process.h>
#endif

namespace qvt::test {

class TIsolatedUserFolders {
public:
#if defined(_WIN32)
  TIsolatedUserFolders() {
    std::error_code error;
    Root =
        std::filesystem::temp_directory_path(error) / ("qvt-user-" + std::to_string(::_getpid()));
    std::filesystem::create_directories(Root / "appdata", error);
    ::_putenv_s("APPDATA", (Root / "appdata").string().c_str());
  }
#else
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
#endif
  ~TIsolatedUserFolders() {
    std::error_code ignored;
    std::filesystem::remove_all(Root, ignored);
  }
  std::filesystem::path Root;
};

inline TIsolatedUserFolders gIsolatedUserFolders;

} // namespace qvt::test
