#include "lib/uPaths.h"

#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace qvt {

namespace {

constexpr const char* kAppFolder = "Quivertone/";

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home == '/') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir == '/')
    return found->pw_dir;
  return {};
}

// $variable when it holds an absolute path, else the home folder + fallback.
std::string XdgFolder(const char* variable, const char* fallback) {
  if (const char* value = std::getenv(variable); value && *value == '/')
    return WithSlash(value) + kAppFolder;
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : WithSlash(home) + fallback + kAppFolder;
}

// Both sub-folders made (when missing) under `base` and writable there.
bool UsableBase(const std::string& base) {
  if (base.empty()) return false;
  for (const char* name : {"Banks/", "Patterns/"})
    if (!ForceDirectories(base + name) || !FolderIsWritable(base + name)) return false;
  return true;
}

} // namespace

std::string ModuleFileName() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&ModuleFileName), &info) == 0 || !info.dli_fname)
    return {};
  // The real file, not a link to it: the folders beside it are the library's.
  std::string name = info.dli_fname;
  char resolved[PATH_MAX];
  if (!name.empty() && ::realpath(name.c_str(), resolved)) name = resolved;
  return name;
}

std::string FolderOfFile(const std::string& fileName) {
  const auto slash = fileName.find_last_of('/');
  return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

std::string UserConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config/"); }
std::string UserDataFolder() { return XdgFolder("XDG_DATA_HOME", ".local/share/"); }

bool ForceDirectories(const std::string& folder) {
  if (folder.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error);
}

bool FolderIsWritable(const std::string& folder) {
  return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TPluginFolders PluginFolders(const std::string& moduleFolder, const std::string& userDataFolder) {
  // A library folder that is unknown or not absolute is not used: the folders
  // and the help file would depend on the host's current folder.
  const std::string folder =
      !moduleFolder.empty() && moduleFolder.front() == '/' ? WithSlash(moduleFolder) : "";
  std::string base = folder;
  if (!UsableBase(base)) {
    base = WithSlash(userDataFolder);
    UsableBase(base); // failing to create the folders is not reported
  }
  const std::string helpBase = folder.empty() ? base : folder;
  if (helpBase.empty()) return {};
  return {base + "Banks/", base + "Patterns/", helpBase + "Help.html"};
}

} // namespace qvt
