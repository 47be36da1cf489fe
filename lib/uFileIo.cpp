#include "lib/uFileIo.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>

#include "lib/uCodePage.h"

namespace qvt {

namespace {

// Closes a descriptor when it goes out of scope.
class TFileDescriptor {
public:
  explicit TFileDescriptor(int fd) : Fd(fd) {}
  ~TFileDescriptor() {
    if (Fd >= 0) ::close(Fd);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Get() const { return Fd; }
  // Closes now and answers the close error (0 when fine).
  int Close() {
    const int result = ::close(Fd);
    Fd = -1;
    return result == 0 ? 0 : errno;
  }

private:
  int Fd;
};

[[noreturn]] void Fail(const std::string& what, const std::string& path, int errorCode) {
  throw EFileError(what + " \xAB" + Utf8ToWin1252(path) + "\xBB. " +
                       Utf8ToWin1252(SystemErrorText(errorCode)),
                   errorCode);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void WriteAll(int fd, std::span<const std::uint8_t> bytes, const std::string& path) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot write file", path, errno);
    }
    done += static_cast<std::size_t>(written);
  }
}

std::atomic<unsigned> gTemporaryCounter{0};

// Temporary files are named ".qvt-<process>-<counter>.tmp" in the target's
// folder: short, so a target name near the length limit still has room.
constexpr std::string_view kTemporaryPrefix = ".qvt-";
constexpr std::string_view kTemporarySuffix = ".tmp";

std::string TemporaryName(const std::string& folder) {
  return folder + "/" + std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" +
         std::to_string(gTemporaryCounter.fetch_add(1)) + std::string(kTemporarySuffix);
}

// Removes the temporary files of saves whose process has gone (killed during a
// save); a file of a running process, or one younger than a minute, stays.
void RemoveStaleTemporaries(const std::string& folder) {
  DIR* listing = ::opendir(folder.c_str());
  if (!listing) return;
  const int folderFd = ::dirfd(listing);
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name(entry->d_name);
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) continue;
    const std::string_view digits = name.substr(kTemporaryPrefix.size());
    long owner = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), owner);
    if (error != std::errc() || end == digits.data() + digits.size() || *end != '-') continue;
    if (owner <= 0 || owner == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH) continue;
    struct stat info {};
    if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode) || std::time(nullptr) - info.st_mtime < 60)
      continue;
    (void)::unlinkat(folderFd, entry->d_name, 0);
  }
  ::closedir(listing);
}

// Rewrites an existing file in place: used only when its folder takes no new files.
void WriteInPlace(const std::string& path, std::span<const std::uint8_t> bytes) {
  TFileDescriptor file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  if (file.Get() < 0) Fail("Cannot open file", path, errno);
  WriteAll(file.Get(), bytes, path);
  if (::ftruncate(file.Get(), static_cast<off_t>(bytes.size())) != 0)
    Fail("Cannot write file", path, errno);
  if (::fsync(file.Get()) != 0) Fail("Cannot write file", path, errno);
  if (const int error = file.Close()) Fail("Cannot write file", path, error);
}

} // namespace

std::string ResolveLinks(const std::string& requested) {
  std::string path = requested;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    if (length <= 0) return path;
    const std::string next(target, static_cast<std::size_t>(length));
    path = next.front() == '/' ? next : FolderOf(path) + "/" + next;
  }
  return path; // a loop: the open or the rename reports it
}

std::vector<std::uint8_t> ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  maxBytes = std::min(maxBytes, std::numeric_limits<std::size_t>::max() - 1);
  TFileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.Get() < 0) Fail("Cannot open file", path, errno);
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) Fail("Cannot read file", path, errno);
  if (!S_ISREG(info.st_mode)) Fail("Cannot read file", path, EINVAL);
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) Fail("Cannot read file", path, EFBIG);
  std::vector<std::uint8_t> bytes(maxBytes + 1 < 65536 ? maxBytes + 1 : 65536);
  std::size_t size = 0;
  for (;;) {
    if (size == bytes.size()) {
      if (size > maxBytes) break;
      bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
    }
    const ssize_t got = ::read(file.Get(), bytes.data() + size, bytes.size() - size);
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot read file", path, errno);
    }
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  if (size > maxBytes) Fail("Cannot read file", path, EFBIG); // it grew while read
  bytes.resize(size);
  return bytes;
}

std::string SystemErrorText(int errorCode) {
  char buffer[256] = {};
  // The GNU variant answers a pointer that may or may not be the buffer.
  const char* text = strerror_r(errorCode, buffer, sizeof buffer);
  return text ? std::string(text) : "Unknown error " + std::to_string(errorCode);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t limit) {
  TFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) Fail("Cannot open file", path, errno);
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  while (bytes.size() < limit) {
    const ssize_t got = ::read(file.Get(), chunk, std::min(sizeof chunk, limit - bytes.size()));
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot read file", path, errno);
    }
    if (got == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return bytes;
}

void WriteFileAtomically(const std::string& requestedPath, std::span<const std::uint8_t> bytes) {
  const std::string path = ResolveLinks(requestedPath);
  const std::string folder = FolderOf(path);
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) Fail("Cannot create file", path, EISDIR);
  // Replacing needs only the folder's permission; a direct write would need the
  // file's, and a write-protected file must stay as it is.
  if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    Fail("Cannot create file", path, errno);
  RemoveStaleTemporaries(folder);

  // A name of our own beside the target: same file system, so rename is atomic.
  // Private until complete; an existing target's mode is given afterwards, and a
  // new file gets the usual 0666 less the umask from the start.
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryName(folder);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
    if (fd >= 0 || errno == EEXIST) continue;
    if (exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(path, bytes);
    Fail("Cannot create file", path, errno);
  }
  if (fd < 0) Fail("Cannot create file", path, EEXIST);

  TFileDescriptor file(fd);
  try {
    WriteAll(fd, bytes, path);
    if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0)
      Fail("Cannot write file", path, errno);
    if (::fsync(fd) != 0) Fail("Cannot write file", path, errno);
    if (const int error = file.Close()) Fail("Cannot write file", path, error);
    if (::rename(temporary.c_str(), path.c_str()) != 0) Fail("Cannot create file", path, errno);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  // Make the rename itself durable; a failure here leaves a complete file either way.
  TFileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folderFd.Get() >= 0) (void)::fsync(folderFd.Get());
}

} // namespace qvt
