// The picture of every skinned control class in its typical states, drawn
// headless for `qvt snapshot --controls`.
#pragma once

#include <memory>

class TForm;

namespace qvt {
// A form holding the gallery; the shared skin images must be loaded.
std::unique_ptr<TForm> MakeControlsGallery();
} // namespace qvt
