// The guarded load of the shared skin images made when the library loads.
#include <cstdio>
#include <exception>

#include "controls/uBitmapEx.h"

namespace qvt {

namespace {
char GError[256] = "";
} // namespace

bool LoadSharedSkinImagesGuarded(void (*load)()) noexcept {
  GError[0] = '\0';
  try {
    load();
    return true;
  } catch (const std::exception& e) {
    std::snprintf(GError, sizeof GError, "%s", e.what());
  } catch (...) {
    std::snprintf(GError, sizeof GError, "unknown failure while loading the skin images");
  }
  FreeSharedSkinImages();
  return false;
}

const char* SharedSkinImagesError() { return GError; }

} // namespace qvt
