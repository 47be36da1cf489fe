#include "tools/qvt/SharedLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace qvt {

#if defined(_WIN32)

namespace {
std::string LastErrorText() {
  const DWORD code = GetLastError();
  char text[512] = {};
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, sizeof text, nullptr) == 0)
    return "error " + std::to_string(code);
  return text;
}
} // namespace

std::unique_ptr<TSharedLibrary> TSharedLibrary::Open(const std::string& path, std::string& error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    error = "cannot load " + path + ": " + LastErrorText();
    return nullptr;
  }
  return std::unique_ptr<TSharedLibrary>(new TSharedLibrary(module));
}

TSharedLibrary::~TSharedLibrary() { FreeLibrary(static_cast<HMODULE>(Handle)); }

void* TSharedLibrary::Symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(Handle), name));
}

#else

std::unique_ptr<TSharedLibrary> TSharedLibrary::Open(const std::string& path, std::string& error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    error = "cannot load " + path + ": " + (reason ? reason : "unknown error");
    return nullptr;
  }
  return std::unique_ptr<TSharedLibrary>(new TSharedLibrary(handle));
}

TSharedLibrary::~TSharedLibrary() { dlclose(Handle); }

void* TSharedLibrary::Symbol(const char* name) const { return dlsym(Handle, name); }

#endif

} // namespace qvt
