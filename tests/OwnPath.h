// While it lives, PATH is a temporary folder of its own that holds only the
// scripts written into it: the desktop's opener and dialog programs are what a
// test makes them.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace qvt::test {

class TOwnPath {
public:
  TOwnPath() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvt-path-XXXXXX").string();
    Folder = ::mkdtemp(pattern.data()) ? pattern : "/nonexistent";
    const char* path = std::getenv("PATH");
    Saved = path ? path : "";
    ::setenv("PATH", Folder.c_str(), 1);
  }
  ~TOwnPath() {
    ::setenv("PATH", Saved.c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }
  TOwnPath(const TOwnPath&) = delete;
  TOwnPath& operator=(const TOwnPath&) = delete;

  // A shell script `name` in the folder, with the body given.
  void Script(const std::string& name, const std::string& body) const {
    const std::string path = Folder + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
  }

  std::string Folder;

private:
  std::string Saved;
};

} // namespace qvt::test
