// A minimal VST 2.4 host: loads a plug-in library through its entry point and
// answers the host callbacks a plug-in asks during loading and rendering.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/vst2.h"
#include "tools/qvt/SharedLibrary.h"

namespace qvt {

class THostedPlugin {
public:
  // Loads the library and calls its entry point ("VSTPluginMain", then "main").
  // Answers null and sets `error` when anything fails.
  static std::unique_ptr<THostedPlugin> Load(const std::string& path, std::string& error);
  ~THostedPlugin(); // closes the plug-in (effClose) and unloads the library
  THostedPlugin(const THostedPlugin&) = delete;
  THostedPlugin& operator=(const THostedPlugin&) = delete;

  AEffect* Effect() const { return Effect_; }
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
  // A text query into a zero-filled 256-byte buffer.
  std::string Text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0);

  // Host-side answers the plug-in may ask for.
  std::function<double(VstInt32 position)> TempoAt = [](VstInt32) { return 120.0; };
  double SampleRate = 44100.0;
  struct TAutomation {
    VstInt32 Index;
    float Value;
  };
  std::vector<TAutomation> Automations; // every audioMasterAutomate received
  // A copy, safe while an editor thread reports.
  std::vector<TAutomation> AutomationsSoFar();
  bool RecordAutomation = true;
  std::vector<VstInt32> Requests; // every host opcode the plug-in asked, in order
  bool RecordRequests = true;     // long renders switch the logs off
  double SamplePosition = 0.0;    // the transport position audioMasterGetTime reports
  double QuarterPosition = -1.0;  // the same in quarter notes; below 0 while stopped
  VstInt32 BlockSize = 0;         // answered to audioMasterGetBlockSize

  // Closes the plug-in now (answers effClose's result, 0 when already closed);
  // the destructor then only unloads the library.
  VstIntPtr Close();

private:
  THostedPlugin() = default;
  static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                        VstIntPtr value, void* ptr, float opt);
  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

  std::unique_ptr<TSharedLibrary> Library;
  std::mutex FAutomationLock;
  AEffect* Effect_ = nullptr;
  VstTimeInfo TimeInfo{};
};

} // namespace qvt
