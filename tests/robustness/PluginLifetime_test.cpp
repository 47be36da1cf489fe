// The plug-in object's end: its parts go while it is still whole.
#include <gtest/gtest.h>

#include <memory>

#include "core/uSynth.h"

namespace {

VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

// Records whether the plug-in was still a whole TPlugin when the editor went.
class TProbeEditor : public AEffEditor {
public:
  TProbeEditor(AudioEffect* effect, bool& pluginWhole) : AEffEditor(effect), Whole(pluginWhole) {}
  ~TProbeEditor() override { Whole = dynamic_cast<TPlugin*>(effect) != nullptr; }

private:
  bool& Whole;
};

} // namespace

// Found by the dispatcher fuzzer (the undefined-behaviour sanitizer's type check):
// the editor bridge was freed by the base class, after the plug-in had ceased to be one.
TEST(PluginLifetime, AnEditorIsDestroyedWhileItsPluginIsStillWhole) {
  bool pluginWhole = false;
  auto* synth = new TSynth(Host);
  synth->setEditor(std::make_unique<TProbeEditor>(synth, pluginWhole));
  delete synth;
  EXPECT_TRUE(pluginWhole) << "the editor outlived the plug-in it reports to";
}
