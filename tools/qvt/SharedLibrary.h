// Loads a shared library and finds its exported symbols: dlopen on Linux,
// LoadLibrary on Windows. The same host code and tests serve both plug-ins.
#pragma once

#include <memory>
#include <string>

namespace qvt {

class TSharedLibrary {
public:
  // Null, with the system's reason in `error`, when the library cannot be loaded.
  static std::unique_ptr<TSharedLibrary> Open(const std::string& path, std::string& error);
  ~TSharedLibrary(); // unloads it
  TSharedLibrary(const TSharedLibrary&) = delete;
  TSharedLibrary& operator=(const TSharedLibrary&) = delete;

  // The address of an exported symbol; null when there is none.
  void* Symbol(const char* name) const;

private:
  explicit TSharedLibrary(void* handle) : Handle(handle) {}
  void* Handle;
};

} // namespace qvt
