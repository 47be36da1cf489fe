// Whole-file reading and atomic replacement with the Win32 file API. Error
// codes are the system's (GetLastError), and so are their texts.
#include "lib/uFileIo.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "lib/uCodePage.h"
#include "lib/win32/uWideText.h"

namespace qvt {

namespace {

class THandle {
public:
  explicit THandle(HANDLE handle) : Handle(handle) {}
  ~THandle() {
    if (Valid()) CloseHandle(Handle);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  bool Valid() const { return Handle != INVALID_HANDLE_VALUE && Handle != nullptr; }
  HANDLE Get() const { return Handle; }
  // Closes now and answers the close error (0 when fine).
  DWORD Close() {
    const BOOL closed = CloseHandle(Handle);
    Handle = INVALID_HANDLE_VALUE;
    return closed ? 0 : GetLastError();
  }

private:
  HANDLE Handle;
};

[[noreturn]] void Fail(const std::string& what, const std::string& path, DWORD errorCode) {
  throw EFileError(what + " \xAB" + Utf8ToWin1252(path) + "\xBB. " +
                       Utf8ToWin1252(SystemErrorText(static_cast<int>(errorCode))),
                   static_cast<int>(errorCode));
}

void WriteAll(HANDLE file, std::span<const std::uint8_t> bytes, const std::string& path) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 24));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr))
      Fail("Cannot write file", path, GetLastError());
    done += written;
  }
}

std::atomic<unsigned> gTemporaryCounter{0};

} // namespace

std::string SystemErrorText(int errorCode) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(errorCode), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || !buffer) return "Unknown error " + std::to_string(errorCode);
  std::string text = Narrow(std::wstring_view(buffer, length));
  LocalFree(buffer);
  // The system ends its texts with a full stop and a line break; callers add their own.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t limit) {
  THandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) Fail("Cannot open file", path, GetLastError());
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  while (bytes.size() < limit) {
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(sizeof chunk, limit - bytes.size()));
    if (!ReadFile(file.Get(), chunk, wanted, &got, nullptr))
      Fail("Cannot read file", path, GetLastError());
    if (got == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return bytes;
}

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::wstring target = Widen(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    Fail("Cannot create file", path, ERROR_DIRECTORY);

  // A name of our own beside the target: same volume, so the move replaces it whole.
  std::wstring temporary;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = target + L".~" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(gTemporaryCounter.fetch_add(1)) + L".tmp";
    created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
      Fail("Cannot create file", path, GetLastError());
  }
  if (created == INVALID_HANDLE_VALUE) Fail("Cannot create file", path, ERROR_FILE_EXISTS);

  THandle file(created);
  try {
    WriteAll(file.Get(), bytes, path);
    if (!FlushFileBuffers(file.Get())) Fail("Cannot write file", path, GetLastError());
    if (const DWORD error = file.Close()) Fail("Cannot write file", path, error);
    if (!MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      Fail("Cannot create file", path, GetLastError());
  } catch (...) {
    DeleteFileW(temporary.c_str());
    throw;
  }
}

} // namespace qvt
