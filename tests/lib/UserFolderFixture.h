// A fresh temporary folder per test, with $XDG_CONFIG_HOME and $XDG_DATA_HOME
// pointed into it for the test's duration.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

// Runs `body` in a child process and answers its exit code, or -signal when a
// signal ended it: for changes that must not touch the test process.
inline int RunInChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(body());
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// The same, as the user "nobody" when the tests run as root (whose permission
// checks always pass); `folder` and all in it are handed to that user first.
inline int RunAsNobodyInChild(const std::filesystem::path& folder,
                              const std::function<int()>& body) {
  constexpr uid_t kNobody = 65534;
  const bool root = ::geteuid() == 0;
  if (root) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
      (void)::lchown(entry.path().c_str(), kNobody, kNobody);
    (void)::chown(folder.c_str(), kNobody, kNobody);
  }
  return RunInChild([&] {
    if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) return 125;
    return body();
  });
}

class UserFolders : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvt-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Root = pattern;
    Keep("XDG_CONFIG_HOME", (Root / "config").string());
    Keep("XDG_DATA_HOME", (Root / "data").string());
  }
  void TearDown() override {
    for (auto& [name, value] : Saved) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(Root, ignored);
  }
  // Sets an environment variable until the test ends.
  void Keep(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    Saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  static std::string Contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Put(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }

  std::filesystem::path Root;
  std::vector<std::pair<std::string, std::optional<std::string>>> Saved;
};
