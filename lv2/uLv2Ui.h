// The X11 UI of the LV2 plug-in: the plug-in's own editor, embedded in the
// host's parent window (ui:parent) and reached through instance access.
#pragma once

#include <lv2/ui/ui.h>

namespace qvt::lv2 {

const LV2UI_Descriptor* UiDescriptor();

} // namespace qvt::lv2
