// TLv2Plugin: one LV2 instance of the instrument. It hosts the same plug-in
// object as the VST 2 library, through the same entry points a VST host uses
// (dispatcher, setParameter, processEvents, processReplacing), and answers
// the host callbacks the engine asks: the tempo, automation from the editor.
//
// Threads, as LV2 defines them: instantiation, activation, state restore and
// cleanup on the host's non-realtime thread; run on its audio thread, where
// nothing allocates or locks; state save on any thread but the audio one.
// The UI (uLv2Ui.cpp) opens the plug-in's own editor through instance access.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "core/uProgram.h"
#include "editor/uParamSlots.h"
#include "host/vst2.h"
#include "lv2/uLv2Uris.h"

class TSynth;
class TPluginEditor;

namespace qvt::lv2 {

class TLv2Plugin {
public:
  // Null when the host lacks urid:map or the plug-in cannot be made.
  static TLv2Plugin* Create(double sampleRate, const LV2_Feature* const* features) noexcept;
  ~TLv2Plugin();
  TLv2Plugin(const TLv2Plugin&) = delete;
  TLv2Plugin& operator=(const TLv2Plugin&) = delete;

  void ConnectPort(std::uint32_t port, void* data);
  void Activate();
  void Deactivate();
  void Run(std::uint32_t frames); // audio

  LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle,
                        const LV2_Feature* const* features);
  LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                           const LV2_Feature* const* features);

  // ---- For the UI (the host's UI thread) ----
  AEffect* Effect() const { return Fx; }
  TPluginEditor* EditorBridge() const;
  // While a UI is attached, every change the editor makes (and every program
  // or state load) is kept for it to write to the host's ports. Each UI that
  // opens attaches once and detaches once.
  void AttachUi(bool attached);
  template <class Write> void DrainUiChanges(Write&& write) { UiChanges.Drain(write); }
  // A port value the host reports to the UI: shown by the open editor unless
  // it is an older value of a change the editor itself is still sending.
  void PortEvent(std::uint32_t port, float value);

private:
  TLv2Plugin() = default;
  static VstIntPtr VSTCALLBACK HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                            VstIntPtr value, void* ptr, float opt);
  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, float opt);
  void ApplyControls();
  void ReadEvents(std::uint32_t frames);
  void AddMidi(std::uint32_t frame, const std::uint8_t* data, std::uint32_t size);
  void ReadPosition(const LV2_Atom_Object* object);
  void RenderUntil(std::uint32_t frame);
  // Whether the editor sent a value for `index` that the host's port has not shown yet.
  bool EditorValuePending(int index) const;
  void RestoreNow(const std::string& bankFile, const float* values, const std::string& name);
  // The values of the host's ports that no block has taken yet, over `record`.
  void AddUntakenPortValues(TProgramRecord& record) const;

  AEffect* Fx = nullptr;
  TSynth* Synth = nullptr;
  double SampleRate = 44100.0;

  struct TUrids {
    LV2_URID AtomFloat, AtomVector, AtomString, AtomPath, AtomObject, AtomBlank, AtomInt, AtomLong,
        AtomDouble, MidiEvent, TimePosition, TimeBeatsPerMinute, ProgramValues, ProgramName,
        BankFile;
  } Urid{};

  // Ports.
  std::array<const float*, kControlPorts> Controls{};
  const LV2_Atom_Sequence* Events = nullptr;
  std::array<float*, 2> Outputs{};
  // The last value taken from each control port (at first, the plug-in's own).
  // Written by run, read by save (on another thread).
  std::array<std::atomic<float>, kControlPorts> LastSeen{};

  // The block being rendered: MIDI events wait here until the next cut.
  static constexpr int kMaxBlockEvents = 512;
  std::array<VstMidiEvent, kMaxBlockEvents> Midi{};
  struct TEventList {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[kMaxBlockEvents];
  } EventList{};
  std::uint32_t RenderedFrame = 0;
  std::atomic<double> Tempo{120.0};

  // Editor changes on their way to the host's ports.
  TParamSlots UiChanges;
  std::atomic<int> UiAttached{0}; // UIs open on this instance
  std::atomic<std::int64_t> FramesRun{0};
  std::array<std::atomic<float>, kControlPorts> UiSent{};
  std::array<std::atomic<std::int64_t>, kControlPorts> UiSentUntil{};
};

} // namespace qvt::lv2
