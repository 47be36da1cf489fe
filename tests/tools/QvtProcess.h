// Runs the built qvt program for the tests of its commands, in a folder of their own.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/lib/UserFolderFixture.h"

namespace qvt::test {

// Runs qvt with the arguments (shell syntax); answers its standard output and error (it writes
// errors only) and sets the exit status (-1 when it did not run to an end).
inline std::string Qvt(const std::string& arguments, int& status) {
  std::string output;
  status = -1;
  const std::string command = std::string(QVT_TOOL_PATH) + " " + arguments + " 2>&1";
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      output.append(buffer, n);
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  return output;
}

// A test with a fresh temporary folder, Dir (ending in '/'), that also holds the user folders.
class TTempFolderTest : public UserFolders {
protected:
  void SetUp() override {
    UserFolders::SetUp();
    Dir = Root.string() + "/";
  }
  std::string Dir;
};

} // namespace qvt::test
