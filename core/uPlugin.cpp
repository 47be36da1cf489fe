#include "core/uPlugin.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/uParamTable.h"
#include "core/uParameters.h"
#include "editor/uPluginEditor.h"
#include "lib/uFunctions.h"
#include "lib/uGlobals.h"

namespace {

bool IsStored(VstInt32 index) { return index >= 0 && index < qvt::kNumStoredParams; }

float Limited(float value) {
  if (!(value >= 0.0f)) return 0.0f; // below 0 and not-a-number
  return value > 1.0f ? 1.0f : value;
}

} // namespace

TPlugin::TPlugin(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, qvt::kNumPrograms, qvt::kNumParams) {
  for (auto& step : Steps) step.store(1.0f, std::memory_order_relaxed);
  // Each step below reports its own failures and never throws.
  SetUpFolders();
  BuildHostKey();
  ReadSettings();
  LoadStartupBank();
}

TPlugin::~TPlugin() {
  WriteSettings();
  ClearBank();
  // Last the editor bridge, while the plug-in it reports to still exists (the
  // base class would free it only after this object is gone).
  EditorBridge = nullptr;
  setEditor(nullptr);
}

// ---- host-facing parameter and program queries ---------------------------------------

float TPlugin::getParameter(VstInt32 index) {
  return IsStored(index) ? EditBuffer.Value(index) : 0.0f;
}

void TPlugin::setParameter(VstInt32 index, float value) {
  if (IsStored(index)) EditBuffer.SetValue(index, Limited(value));
}

std::string TPlugin::getParameterName(VstInt32 index) { return qvt::ParameterName(index); }

std::string TPlugin::getParameterLabel(VstInt32 index) { return qvt::ParameterLabel(index); }

std::string TPlugin::getParameterDisplay(VstInt32 index) {
  return qvt::ParameterDisplay(index, getParameter(index),
                               [this](int other) { return getParameter(other); });
}

std::string TPlugin::getProgramName() { return EditBuffer.Name(); }

void TPlugin::setProgramName(const char* name) {
  if (!name) return;
  EditBuffer.SetName(std::string_view(name, strnlen(name, 4096)));
  if (!EditorClosed.load()) {
    FindEditBufferInBank();
    if (editor) editor->update();
  }
}

float TPlugin::getVu() { return LevelMeter.exchange(0.0f); }

void TPlugin::resume() { wantEvents(1); }

std::string TPlugin::getEffectName() { return qvt::kEffectName; }
std::string TPlugin::getVendorString() { return qvt::kVendorName; }
std::string TPlugin::getProductString() { return qvt::kProductName; }
VstInt32 TPlugin::getVendorVersion() { return qvt::kVendorVersion; }

VstInt32 TPlugin::canDo(const char* text) {
  const std::string_view request(text, strnlen(text, 256));
  return request == "receiveVstEvents" || request == "receiveVstMidiEvent" ? 1 : -1;
}

// ---- rendering -------------------------------------------------------------------------

void TPlugin::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
  (void)inputs;
  if (!outputs || !outputs[0] || !outputs[1] || sampleFrames <= 0) return;
  RenderBlock(outputs, sampleFrames, true);
}

void TPlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
  (void)inputs;
  if (!outputs || !outputs[0] || !outputs[1] || sampleFrames <= 0) return;
  RenderBlock(outputs, sampleFrames, false);
}

void TPlugin::RenderBlock(float** outputs, VstInt32 sampleFrames, bool accumulate) {
  BeginBlock();
  for (VstInt32 frame = 0; frame < sampleFrames; ++frame) {
    float left, right;
    RenderSample(left, right);
    outputs[0][frame] = accumulate ? outputs[0][frame] + left : left;
    outputs[1][frame] = accumulate ? outputs[1][frame] + right : right;
  }
}

// ---- late initialisation ---------------------------------------------------------------

void TPlugin::Initialize() {
  LoadFirstProgram();
  auto bridge = std::make_unique<TPluginEditor>(this);
  EditorBridge = bridge.get();
  setEditor(std::move(bridge));
  suspend();
  hasVu(false);
  setNumInputs(0);
  setNumOutputs(2);
  canMono(true);
  // Declared although the original record cleared it: hosts refuse instruments
  // without processReplacing, and the replacing render is complete.
  canProcessReplacing(true);
  isSynth(true);
  setUniqueID(FourCharCode("FHQV"));
  curProgram.store(0);
}

// ---- bank operations -------------------------------------------------------------------

void TPlugin::AddProgram(const TProgramRecord& record) {
  if (BankCount() >= qvt::kMaxBankPrograms) return;
  Bank.push_back(record);
}

void TPlugin::InsertProgramCopy() {
  if (BankCount() >= qvt::kMaxBankPrograms) return;
  KeepVoiceFlag = true;
  // Compared before adding 1: the selection may be any int.
  const int position = Selected < 0 ? 0 : Selected >= BankCount() ? BankCount() : Selected + 1;
  Bank.insert(Bank.begin() + position, EditBuffer.Record());
}

void TPlugin::StoreProgram() {
  if (Selected >= 0 && Selected < BankCount()) Bank[Selected] = EditBuffer.Record();
}

void TPlugin::DeleteProgram(int index) {
  if (index >= 0 && index < BankCount()) Bank.erase(Bank.begin() + index);
}

void TPlugin::SelectProgram(int index) {
  if (index != Selected && !KeepVoiceFlag) KillVoice();
  Selected = index;
  LoadSelectedProgram();
  KeepVoiceFlag = false;
}

void TPlugin::LoadSelectedProgram() {
  if (Selected < 0 || Selected >= BankCount()) return;
  EditBuffer.Assign(Bank[Selected]);
  PushParameters();
}

void TPlugin::LoadFirstProgram() {
  if (Bank.empty()) return; // nothing to load: the edit buffer keeps its values
  EditBuffer.Assign(Bank.front());
  PushParameters();
}

void TPlugin::PushParameters() {
  for (int index = 0; index < qvt::kNumStoredParams; ++index)
    setParameterAutomated(index, EditBuffer.Value(index));
}

void TPlugin::FindEditBufferInBank() {
  const TProgramRecord current = EditBuffer.Record();
  const auto match = std::find(Bank.begin(), Bank.end(), current);
  if (match != Bank.end()) Selected = static_cast<int>(match - Bank.begin());
}

void TPlugin::ClearBank() {
  while (!Bank.empty()) Bank.pop_back();
}

void TPlugin::RandomiseParameter(int index) {
  if (!IsStored(index)) return;
  float value = 0.0f;
  switch (qvt::ParamInfo(index).Random) {
  case TRandomRule::LowRatio:
    value = qvt::FloatNotAbove(0.3 * ((Random.Real() + Random.Real() + Random.Real()) / 3.0));
    break;
  case TRandomRule::Waveform: value = static_cast<float>(0.1 * Random.Integer(4)); break;
  case TRandomRule::FilterType: value = static_cast<float>(qvt::Hundredths(Random.Integer(4))); break;
  case TRandomRule::Speed: value = static_cast<float>(qvt::Hundredths(Random.Integer(8))); break;
  // Rounded down: a draw below 1 must stay below 1 as a float.
  case TRandomRule::Uniform: value = qvt::FloatNotAbove(Random.Real()); break;
  }
  EditBuffer.SetValue(index, value);
}
