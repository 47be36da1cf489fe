// Per-user settings with the registry's shape: keys named by backslash paths
// under a root, holding text (REG_SZ) and 32-bit number (REG_DWORD) values.
// On Linux the store is one text file, $XDG_CONFIG_HOME/Quivertone/settings.reg.
//
// A missing, unreadable or corrupt store reads as empty. A write reads the
// store, changes one value and replaces the file atomically; a corrupt store
// (no header, or larger than 1 MiB) is first kept aside as settings.reg.broken
// (or .broken-2, -3, …) so that no data is lost, and an unreadable one (or one
// that is no regular file: a FIFO, a device) is left alone and the write
// refused. A store that is a symbolic link is read and written through it.
// Writes hold settings.lock (shared with other processes); when it cannot be
// opened or stays held by another process for a second, the write is refused
// and said so on the standard error stream.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvt {

enum class TRegistryRoot { CurrentUser }; // HKEY_CURRENT_USER

// Each routine takes a root and a path split at its last backslash into the
// key path and the value name; a path without a backslash fails.
bool RegWriteText(TRegistryRoot root, std::string_view path, std::string_view text);
bool RegWriteNumber(TRegistryRoot root, std::string_view path, std::uint32_t value);
// Empty unless the value exists and holds text.
std::string RegReadText(TRegistryRoot root, std::string_view path);
// 0 unless the value exists and holds a number.
std::uint32_t RegReadNumber(TRegistryRoot root, std::string_view path);

// The store file the routines use.
std::string RegistryStoreFile();

// ---- the store's text form ----------------------------------------------------------

struct TRegistryValue {
  std::string Name;
  bool IsNumber = false;
  std::string Text;         // REG_SZ, without the terminating zero
  std::uint32_t Number = 0; // REG_DWORD
};

struct TRegistryKey {
  std::string Path; // "HKEY_CURRENT_USER\SOFTWARE\…"; compared ignoring ASCII case
  std::vector<TRegistryValue> Values;
  // Lines this version does not understand, kept as they were. An opaque key
  // is one whose own line was not understood (or the lines before any key):
  // all its lines are in OtherLines and no path finds it.
  std::vector<std::string> OtherLines;
  bool Opaque = false;
};

struct TRegistryStore {
  std::vector<TRegistryKey> Keys;

  const TRegistryValue* Find(std::string_view keyPath, std::string_view name) const;
  void Set(std::string_view keyPath, TRegistryValue value);
};

// The file's text:
//   Quivertone settings 1
//   [HKEY_CURRENT_USER\SOFTWARE\Fernhollow\VST\Quivertone\2\Vendor\Product\3]
//   "BankPath"="/home/me/Banks/mine.qvt"
//   "NotesQuantization"=dword:00000001
// Lines starting with ';' and blank lines are ignored; other lines that are not
// understood are kept and written back. In quoted texts '\' and '"' are
// written \\ and \", control bytes \xHH; in key lines control bytes and '%'
// are written %HH. Other bytes stand as they are.
std::string FormatRegistryStore(const TRegistryStore& store);
// Empty when the text does not start with the header. Linear in the text's size.
std::optional<TRegistryStore> ParseRegistryStore(std::string_view text);

} // namespace qvt
