// Runs the built qvt program for the tests of its commands, in a folder of their own.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace qvt::test {

// Runs qvt with the arguments (shell syntax); answers its standard output, with its standard
// error too when `withErrors`, and sets the exit status (-1 when it did not run to an end).
inline std::string RunQvt(const std::string& arguments, int& status, bool withErrors = false) {
  std::string output;
  status = -1;
  const std::string command =
      std::string(QVT_TOOL_PATH) + " " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null");
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      output.append(buffer, n);
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  return output;
}

// A test with a fresh temporary folder, Dir (ending in '/'), removed afterwards.
class TTempFolderTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvt-tools-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Dir = pattern + "/";
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }

  std::string Dir;
};

} // namespace qvt::test
