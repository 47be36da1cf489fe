// The Windows clipboard as 8-bit text (CF_TEXT). The text is Windows-1252
// whatever the user's code page: a CF_LOCALE of US English says so to the
// system, which converts it for programs that read Unicode text.
#include "platform/core/uSystemClipboard.h"

#include <windows.h>

#include <cstring>

namespace qvt {

namespace {

constexpr LCID kWindows1252Locale =
    MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

// The clipboard is shared by every program: another one may hold it for a moment.
class TOpenClipboard {
public:
  TOpenClipboard() {
    for (int attempt = 0; attempt < 20 && !Open; ++attempt) {
      Open = OpenClipboard(nullptr) != 0;
      if (!Open) Sleep(5);
    }
  }
  ~TOpenClipboard() {
    if (Open) CloseClipboard();
  }
  TOpenClipboard(const TOpenClipboard&) = delete;
  TOpenClipboard& operator=(const TOpenClipboard&) = delete;
  bool Open = false;
};

// A movable global memory block holding `bytes`; null on failure.
HGLOBAL GlobalCopy(const void* bytes, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory);
  return memory;
}

} // namespace

void SetSystemClipboardText(std::string_view text) {
  TOpenClipboard clipboard;
  if (!clipboard.Open || !EmptyClipboard()) return;
  std::string zeroEnded(text.substr(0, text.find('\0')));
  if (HGLOBAL memory = GlobalCopy(zeroEnded.c_str(), zeroEnded.size() + 1))
    if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
  const LCID locale = kWindows1252Locale;
  if (HGLOBAL memory = GlobalCopy(&locale, sizeof locale))
    if (!SetClipboardData(CF_LOCALE, memory)) GlobalFree(memory);
}

std::optional<std::string> SystemClipboardText() {
  if (!IsClipboardFormatAvailable(CF_TEXT)) return {};
  TOpenClipboard clipboard;
  if (!clipboard.Open) return {};
  HANDLE memory = GetClipboardData(CF_TEXT);
  if (!memory) return {};
  const auto* text = static_cast<const char*>(GlobalLock(memory));
  if (!text) return {};
  std::string result(text, strnlen(text, GlobalSize(memory)));
  GlobalUnlock(memory);
  return result;
}

} // namespace qvt
