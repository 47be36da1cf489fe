#include "lib/uFileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

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

// The file a symbolic link finally names; the path itself when it is no link.
std::string FollowLinks(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
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

} // namespace

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
  const std::string path = FollowLinks(requestedPath);
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) Fail("Cannot create file", path, EISDIR);

  // A name of our own beside the target: same file system, so rename is atomic.
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = path + ".~" + std::to_string(::getpid()) + "-" +
                std::to_string(gTemporaryCounter.fetch_add(1)) + ".tmp";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) Fail("Cannot create file", path, errno);
  }
  if (fd < 0) Fail("Cannot create file", path, EEXIST);

  TFileDescriptor file(fd);
  try {
    if (exists) (void)::fchmod(fd, existing.st_mode & 07777);
    WriteAll(fd, bytes, path);
    if (::fsync(fd) != 0) Fail("Cannot write file", path, errno);
    if (const int error = file.Close()) Fail("Cannot write file", path, error);
    if (::rename(temporary.c_str(), path.c_str()) != 0) Fail("Cannot create file", path, errno);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  // Make the rename itself durable; a failure here leaves a complete file either way.
  TFileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() >= 0) (void)::fsync(folder.Get());
}

} // namespace qvt
