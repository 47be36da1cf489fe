// Whole-file reading and atomic replacement of files the user owns.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvt {

// A file-system failure. Its message is 8-bit text, ready for a message box:
// "Cannot open file «name». No such file or directory".
class EFileError : public std::runtime_error {
public:
  EFileError(const std::string& message, int errorCode)
      : std::runtime_error(message), ErrorCode(errorCode) {}
  int ErrorCode; // errno
};

// The system's text for an errno value ("No such file or directory").
std::string SystemErrorText(int errorCode);

// Reads a whole file, or its first `limit` bytes. Throws EFileError when it
// cannot be opened or read.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path,
                                        std::size_t limit = static_cast<std::size_t>(-1));

// Replaces `path` with `bytes` atomically: the data goes to a new file in the
// same folder, is flushed to disk and then renamed over the target, so the
// target is either the old file or the complete new one. An existing file
// keeps its permissions; a symbolic link is followed (a dangling one too) and
// its target replaced or created. An existing file the user may not write is
// refused, as a direct write would be. When only the folder refuses new files,
// a writable existing file is rewritten in place. Throws EFileError on
// failure; the temporary file is removed then, and temporary files that a
// killed save left behind are removed by the next save in the folder.
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// POSIX builds only.
// The path a chain of symbolic links finally names, whether or not that file
// exists; the path itself when it is no link.
std::string ResolveLinks(const std::string& path);
// Reads a regular file of at most `maxBytes` bytes without ever waiting on a
// FIFO or a device. Throws EFileError: EINVAL for a file that is not regular,
// EFBIG for a larger one, the system's error otherwise.
std::vector<std::uint8_t> ReadRegularFile(const std::string& path, std::size_t maxBytes);

} // namespace qvt
