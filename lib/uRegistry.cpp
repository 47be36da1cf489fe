// The settings store file: read on every query, rewritten atomically on every change.
#include "lib/uRegistry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

#include "lib/uFileIo.h"
#include "lib/uPaths.h"

namespace qvt {

namespace {

constexpr const char* kStoreName = "settings.reg";
constexpr const char* kLockName = "settings.lock";
constexpr int kMaxBrokenCopies = 100;
constexpr std::size_t kMaxStoreSize = 1 << 20; // far beyond any real store
constexpr auto kLockPatience = std::chrono::seconds(1);

std::mutex gStoreLock; // one writer at a time inside the process

struct TSplitPath {
  std::string Key;
  std::string Name;
};

std::optional<TSplitPath> Split(TRegistryRoot root, std::string_view path) {
  const auto slash = path.rfind('\\');
  if (slash == std::string_view::npos) return {};
  const char* rootName = "HKEY_CURRENT_USER";
  switch (root) {
  case TRegistryRoot::CurrentUser: rootName = "HKEY_CURRENT_USER"; break;
  }
  return TSplitPath{std::string(rootName) + "\\" + std::string(path.substr(0, slash)),
                    std::string(path.substr(slash + 1))};
}

enum class TStoreState { Read, Missing, Unreadable, Corrupt };

// `file` is the store with its links resolved.
TStoreState Load(const std::string& file, TRegistryStore& store) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadRegularFile(file, kMaxStoreSize);
  } catch (const EFileError& error) {
    switch (error.ErrorCode) {
    case ENOENT: return TStoreState::Missing;
    case EFBIG: return TStoreState::Corrupt;
    default: return TStoreState::Unreadable; // a folder, a FIFO, a device, no permission
    }
  }
  auto parsed = ParseRegistryStore(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!parsed) return TStoreState::Corrupt;
  store = std::move(*parsed);
  return TStoreState::Read;
}

// Renames a corrupt store out of the way under the first free ".broken" name.
bool KeepAside(const std::string& file) {
  for (int copy = 1; copy <= kMaxBrokenCopies; ++copy) {
    std::string aside = file + ".broken";
    if (copy > 1) aside.append("-").append(std::to_string(copy));
    struct stat info {};
    if (::lstat(aside.c_str(), &info) == 0) continue;
    return std::rename(file.c_str(), aside.c_str()) == 0;
  }
  return false;
}

void Complain(const std::string& what, const std::string& file, int errorCode) {
  std::fprintf(stderr, "Quivertone: settings not saved: %s \"%s\": %s\n", what.c_str(),
               file.c_str(), SystemErrorText(errorCode).c_str());
}

// An exclusive lock on the store's lock file, shared with other processes. A
// lock file this user may only read is locked through a read-only descriptor.
// Waits at most kLockPatience for another holder.
class TProcessLock {
public:
  explicit TProcessLock(const std::string& file) {
    Fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (Fd < 0) Fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) {
      Complain("cannot open", file, errno);
      return;
    }
    const auto giveUp = std::chrono::steady_clock::now() + kLockPatience;
    while (::flock(Fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      if (error == EINTR) continue;
      if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= giveUp) {
        Complain("cannot lock", file, error);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Held = true;
  }
  ~TProcessLock() {
    if (Fd >= 0) ::close(Fd); // closing releases the lock
  }
  TProcessLock(const TProcessLock&) = delete;
  TProcessLock& operator=(const TProcessLock&) = delete;
  bool IsHeld() const { return Held; }

private:
  int Fd = -1;
  bool Held = false;
};

bool Write(TRegistryRoot root, std::string_view path, TRegistryValue value) {
  const auto split = Split(root, path);
  const std::string folder = UserConfigFolder();
  if (!split || folder.empty() || !ForceDirectories(folder)) return false;
  value.Name = split->Name;
  try {
    std::lock_guard lock(gStoreLock);
    TProcessLock processLock(folder + kLockName);
    if (!processLock.IsHeld()) return false; // never written without the lock
    const std::string file = ResolveLinks(folder + kStoreName);
    TRegistryStore store;
    switch (Load(file, store)) {
    case TStoreState::Read:
    case TStoreState::Missing: break;
    case TStoreState::Unreadable: return false; // its contents are unknown: leave it be
    case TStoreState::Corrupt:
      if (!KeepAside(file)) return false;
      break;
    }
    store.Set(split->Key, std::move(value));
    const std::string text = FormatRegistryStore(store);
    WriteFileAtomically(file, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    return true;
  } catch (...) {
    return false;
  }
}

std::optional<TRegistryValue> Read(TRegistryRoot root, std::string_view path) {
  const auto split = Split(root, path);
  const std::string folder = UserConfigFolder();
  if (!split || folder.empty()) return {};
  try {
    TRegistryStore store;
    if (Load(ResolveLinks(folder + kStoreName), store) != TStoreState::Read) return {};
    if (const TRegistryValue* value = store.Find(split->Key, split->Name)) return *value;
  } catch (...) {
  }
  return {};
}

} // namespace

std::string RegistryStoreFile() {
  const std::string folder = UserConfigFolder();
  return folder.empty() ? std::string() : folder + kStoreName;
}

bool RegWriteText(TRegistryRoot root, std::string_view path, std::string_view text) {
  TRegistryValue value;
  value.Text = std::string(text);
  return Write(root, path, std::move(value));
}

bool RegWriteNumber(TRegistryRoot root, std::string_view path, std::uint32_t number) {
  TRegistryValue value;
  value.IsNumber = true;
  value.Number = number;
  return Write(root, path, std::move(value));
}

std::string RegReadText(TRegistryRoot root, std::string_view path) {
  const auto value = Read(root, path);
  return value && !value->IsNumber ? value->Text : std::string();
}

std::uint32_t RegReadNumber(TRegistryRoot root, std::string_view path) {
  const auto value = Read(root, path);
  return value && value->IsNumber ? value->Number : 0;
}

} // namespace qvt
