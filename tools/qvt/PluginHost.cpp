#include "tools/qvt/PluginHost.h"

#include <mutex>

#include <cstring>

namespace qvt {

namespace {
using EntryPoint = AEffect*(VSTCALLBACK*)(audioMasterCallback);
// The host whose plug-in is being constructed: the entry point calls back before
// the record exists, so the callback cannot find its host through the record yet.
thread_local THostedPlugin* LoadingHost = nullptr;

// Host opcodes and time-info flags of the SDK that the shared ABI header does not list.
constexpr VstInt32 audioMasterGetSampleRate = 16;
constexpr VstInt32 audioMasterGetBlockSize = 17;
constexpr VstInt32 kVstTransportPlaying = 1 << 1;
constexpr VstInt32 kVstPpqPosValid = 1 << 9;

void CopyText(void* ptr, const char* text) {
  if (ptr) std::strcpy(static_cast<char*>(ptr), text);
}
} // namespace

std::unique_ptr<THostedPlugin> THostedPlugin::Load(const std::string& path, std::string& error) {
  std::unique_ptr<THostedPlugin> host(new THostedPlugin());
  host->Library = TSharedLibrary::Open(path, error);
  if (!host->Library) return nullptr;
  auto entry = reinterpret_cast<EntryPoint>(host->Library->Symbol("VSTPluginMain"));
  if (!entry) entry = reinterpret_cast<EntryPoint>(host->Library->Symbol("main"));
  if (!entry) {
    error = path + " has no VST 2.4 entry point (VSTPluginMain or main)";
    return nullptr;
  }
  LoadingHost = host.get();
  AEffect* effect = entry(&THostedPlugin::Callback);
  LoadingHost = nullptr;
  if (!effect || effect->magic != kEffectMagic) {
    error = path + ": the entry point returned no VST 2.4 effect";
    return nullptr;
  }
  effect->resvd1 = reinterpret_cast<VstIntPtr>(host.get());
  host->Effect_ = effect;
  return host;
}

THostedPlugin::~THostedPlugin() {
  Close(); // the library is unloaded after this
}

std::vector<THostedPlugin::TAutomation> THostedPlugin::AutomationsSoFar() {
  std::lock_guard lock(FAutomationLock);
  return Automations;
}

VstIntPtr THostedPlugin::Close() {
  VstIntPtr answer = 0;
  if (Effect_) answer = Effect_->dispatcher(Effect_, effClose, 0, 0, nullptr, 0.0f);
  Effect_ = nullptr;
  return answer;
}

VstIntPtr THostedPlugin::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
  return Effect_ ? Effect_->dispatcher(Effect_, opcode, index, value, ptr, opt) : 0;
}

std::string THostedPlugin::Text(VstInt32 opcode, VstInt32 index, VstIntPtr value) {
  char buffer[256] = {};
  Dispatch(opcode, index, value, buffer);
  buffer[sizeof(buffer) - 1] = '\0';
  return buffer;
}

VstIntPtr VSTCALLBACK THostedPlugin::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt) {
  THostedPlugin* host =
      effect && effect->resvd1 ? reinterpret_cast<THostedPlugin*>(effect->resvd1) : LoadingHost;
  if (!host) return opcode == audioMasterVersion ? kVstVersion : 0;
  return host->Answer(opcode, index, value, ptr, opt);
}

VstIntPtr THostedPlugin::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
  if (RecordRequests) Requests.push_back(opcode);
  switch (opcode) {
  case audioMasterVersion: return kVstVersion;
  case audioMasterAutomate:
    if (RecordAutomation) {
      // An editor reports from its own thread.
      std::lock_guard lock(FAutomationLock);
      Automations.push_back({index, opt});
    }
    return 0;
  case audioMasterWantMidi: return 1;
  case audioMasterTempoAt:
    return static_cast<VstIntPtr>(TempoAt(static_cast<VstInt32>(value)) * 10000.0 + 0.5);
  case audioMasterGetTime:
    TimeInfo = {};
    TimeInfo.samplePos = SamplePosition;
    TimeInfo.sampleRate = SampleRate;
    TimeInfo.tempo = TempoAt(0);
    TimeInfo.timeSigNumerator = 4;
    TimeInfo.timeSigDenominator = 4;
    TimeInfo.flags = 1 << 10; // tempo valid
    if (QuarterPosition >= 0.0) {
      TimeInfo.ppqPos = QuarterPosition;
      TimeInfo.flags |= kVstPpqPosValid | kVstTransportPlaying;
    }
    return reinterpret_cast<VstIntPtr>(&TimeInfo);
  case audioMasterGetSampleRate: return static_cast<VstIntPtr>(SampleRate);
  case audioMasterGetBlockSize: return BlockSize;
  case audioMasterGetVendorString: CopyText(ptr, "Fernhollow Tools"); return 1;
  case audioMasterGetProductString: CopyText(ptr, "qvt"); return 1;
  case audioMasterGetVendorVersion: return 1;
  default: return 0;
  }
}

} // namespace qvt
