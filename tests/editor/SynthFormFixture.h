// A real synthesizer whose host records its automation, and an editor form shown on it.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "core/uSynth.h"
#include "tests/platform/HeadlessFixture.h"

// What the host was told to automate: index and value, in order.
inline std::vector<std::pair<int, float>> gAutomated;

inline VstIntPtr VSTCALLBACK RecordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr,
                                           void*, float opt) {
  if (opcode == audioMasterVersion) return 2400;
  if (opcode == audioMasterAutomate) gAutomated.emplace_back(index, opt);
  return 0;
}

template <class TEditorForm> class SynthFormTest : public HeadlessTest {
protected:
  std::unique_ptr<TSynth> Synth;
  TEditorForm* Editor = nullptr;

  void SetUp() override {
    HeadlessTest::SetUp();
    Synth = std::make_unique<TSynth>(RecordingHost);
    BeforeTheForm();
    Editor = new TEditorForm(nullptr);
    Editor->SetPlugin(Synth.get());
    Editor->Show();
    Application->ProcessMessages();
    gAutomated.clear();
  }
  void TearDown() override {
    delete Editor;
    Synth.reset();
    HeadlessTest::TearDown();
  }
  virtual void BeforeTheForm() {}
  std::vector<int> AutomatedIndices() const {
    std::vector<int> out;
    for (const auto& [index, value] : gAutomated) out.push_back(index);
    return out;
  }
};
