#include "lv2/uLv2Plugin.h"

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>

#include <lv2/atom/util.h>
#include <lv2/core/lv2_util.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include "core/uSynth.h"
#include "dsp/uOsc.h"
#include "editor/uPluginEditor.h"
#include "lib/uCodePage.h"
#include "platform/core/uUiRuntime.h"

namespace qvt::lv2 {

namespace {

constexpr VstInt32 kHostVstVersion = 2400;
constexpr VstInt32 kAudioMasterGetSampleRate = 16;
// What the plug-in's per-host settings are kept under.
constexpr const char* kHostName = "LV2";
// How long a value the editor sent may take to come back through the host's port.
constexpr double kEditorEchoSeconds = 0.5;

// The instance whose plug-in object is being constructed on this thread: the
// engine calls the host before the record can lead back to us.
thread_local TLv2Plugin* tConstructing = nullptr;

void CopyHostString(void* ptr, const char* text) {
  if (ptr) qvt::CopyCut(static_cast<char*>(ptr), 64, text);
}

// Runs `work` where the editor's commands run while the editor is open (they
// change the bank too), else here.
void WithEditorQuiet(TPluginEditor* bridge, const std::function<void()>& work) {
  if (bridge && bridge->OpenCount() > 0) {
    const auto runtime = qvt::AcquireUiRuntime();
    if (runtime && !runtime->OnUiThread() && runtime->Call(work, TPluginEditor::kUiTimeoutMs))
      return;
  }
  work();
}

} // namespace

TLv2Plugin* TLv2Plugin::Create(double sampleRate, const LV2_Feature* const* features) noexcept {
  try {
    const auto* map = static_cast<const LV2_URID_Map*>(lv2_features_data(features, LV2_URID__map));
    if (!map || !qvt::WaveTableLoaded() || !(sampleRate > 0.0)) return nullptr;
    std::unique_ptr<TLv2Plugin> self(new TLv2Plugin);
    self->SampleRate = sampleRate;
    const auto urid = [map](const char* uri) { return map->map(map->handle, uri); };
    self->Urid = {
        urid(LV2_ATOM__Float),     urid(LV2_ATOM__Vector),   urid(LV2_ATOM__String),
        urid(LV2_ATOM__Path),      urid(LV2_ATOM__Object),   urid(LV2_ATOM__Blank),
        urid(LV2_ATOM__Int),       urid(LV2_ATOM__Long),     urid(LV2_ATOM__Double),
        urid(LV2_MIDI__MidiEvent), urid(LV2_TIME__Position), urid(LV2_TIME__beatsPerMinute),
        urid(kStateProgramValues), urid(kStateProgramName),  urid(kStateBankFile)};
    for (int i = 0; i < kMaxBlockEvents; ++i) {
      self->Midi[i].type = kVstMidiType;
      self->Midi[i].byteSize = sizeof(VstMidiEvent);
      self->EventList.events[i] = reinterpret_cast<VstEvent*>(&self->Midi[i]);
    }

    tConstructing = self.get();
    TSynth* synth = nullptr;
    try {
      synth = new TSynth(&HostCallback);
    } catch (...) {
      tConstructing = nullptr;
      return nullptr;
    }
    tConstructing = nullptr;
    self->Synth = synth;
    self->Fx = synth->getAeffect();
    self->Fx->resvd1 = reinterpret_cast<VstIntPtr>(self.get());
    AEffect* fx = self->Fx;
    fx->dispatcher(fx, effOpen, 0, 0, nullptr, 0.0f);
    fx->dispatcher(fx, effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    // Ports that show the start-up program change nothing; a state restored
    // before the first block stays unless the host's ports say otherwise.
    for (std::uint32_t index = 0; index < kControlPorts; ++index)
      self->LastSeen[index].store(fx->getParameter(fx, static_cast<VstInt32>(index)));
    return self.release();
  } catch (...) {
    return nullptr;
  }
}

TLv2Plugin::~TLv2Plugin() {
  if (Fx) Fx->dispatcher(Fx, effClose, 0, 0, nullptr, 0.0f); // frees the plug-in object
}

TPluginEditor* TLv2Plugin::EditorBridge() const {
  return Synth ? static_cast<TPluginEditor*>(Synth->getEditor()) : nullptr;
}

void TLv2Plugin::ConnectPort(std::uint32_t port, void* data) {
  if (port < kControlPorts)
    Controls[port] = static_cast<const float*>(data);
  else if (port == kEventsPort)
    Events = static_cast<const LV2_Atom_Sequence*>(data);
  else if (port == kLeftOutPort || port == kRightOutPort)
    Outputs[port - kLeftOutPort] = static_cast<float*>(data);
}

void TLv2Plugin::Activate() { Fx->dispatcher(Fx, effMainsChanged, 0, 1, nullptr, 0.0f); }

void TLv2Plugin::Deactivate() { Fx->dispatcher(Fx, effMainsChanged, 0, 0, nullptr, 0.0f); }

// ---- The audio thread ----------------------------------------------------------------

void TLv2Plugin::Run(std::uint32_t frames) {
  if (!Outputs[0] || !Outputs[1]) return;
  ApplyControls();
  ReadEvents(frames);
  FramesRun.fetch_add(frames, std::memory_order_relaxed);
}

bool TLv2Plugin::EditorValuePending(int index) const {
  return UiSentUntil[index].load(std::memory_order_acquire) >
         FramesRun.load(std::memory_order_relaxed);
}

// A control port that changed since the last block goes to the engine as the
// host's setParameter would, before the block. A port still showing an older
// value of a change the editor is sending is passed over: the editor's value
// is in the engine already, and the host's port follows soon.
void TLv2Plugin::ApplyControls() {
  for (std::uint32_t index = 0; index < kControlPorts; ++index) {
    const float* port = Controls[index];
    if (!port) continue;
    const float value = *port;
    if (std::bit_cast<std::uint32_t>(value) ==
        std::bit_cast<std::uint32_t>(LastSeen[index].load(std::memory_order_relaxed)))
      continue;
    LastSeen[index].store(value, std::memory_order_relaxed);
    const int parameter = static_cast<int>(index);
    if (EditorValuePending(parameter)) {
      if (value == UiSent[index].load(std::memory_order_relaxed))
        UiSentUntil[index].store(0, std::memory_order_release);
      continue;
    }
    Fx->setParameter(Fx, parameter, value);
  }
}

// MIDI events reach the engine with their frame in the block, as processEvents
// takes them from a VST host; the block is cut where the tempo changes (the
// engine reads it at each note-on) and where the event list is full.
void TLv2Plugin::ReadEvents(std::uint32_t frames) {
  RenderedFrame = 0;
  EventList.numEvents = 0;
  if (Events) {
    LV2_ATOM_SEQUENCE_FOREACH(Events, event) {
      const std::int64_t time = event->time.frames;
      const auto frame = static_cast<std::uint32_t>(
          std::clamp<std::int64_t>(time, RenderedFrame, static_cast<std::int64_t>(frames)));
      if (event->body.type == Urid.MidiEvent) {
        AddMidi(frame, static_cast<const std::uint8_t*>(LV2_ATOM_BODY_CONST(&event->body)),
                event->body.size);
      } else if (event->body.type == Urid.AtomObject || event->body.type == Urid.AtomBlank) {
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
        if (object->body.otype == Urid.TimePosition) {
          RenderUntil(frame);
          ReadPosition(object);
        }
      }
    }
  }
  RenderUntil(frames);
}

void TLv2Plugin::AddMidi(std::uint32_t frame, const std::uint8_t* data, std::uint32_t size) {
  if (size == 0 || size > 3 || !(data[0] & 0x80)) return; // channel messages only
  if (EventList.numEvents == kMaxBlockEvents) RenderUntil(frame);
  VstMidiEvent& midi = Midi[static_cast<std::size_t>(EventList.numEvents++)];
  midi.deltaFrames = static_cast<VstInt32>(frame - RenderedFrame);
  std::memset(midi.midiData, 0, sizeof midi.midiData);
  std::memcpy(midi.midiData, data, size);
}

void TLv2Plugin::ReadPosition(const LV2_Atom_Object* object) {
  const LV2_Atom* bpm = nullptr;
  lv2_atom_object_get(object, Urid.TimeBeatsPerMinute, &bpm, 0);
  if (!bpm) return;
  double tempo = 0.0;
  if (bpm->type == Urid.AtomFloat)
    tempo = reinterpret_cast<const LV2_Atom_Float*>(bpm)->body;
  else if (bpm->type == Urid.AtomDouble)
    tempo = reinterpret_cast<const LV2_Atom_Double*>(bpm)->body;
  else if (bpm->type == Urid.AtomInt)
    tempo = reinterpret_cast<const LV2_Atom_Int*>(bpm)->body;
  else if (bpm->type == Urid.AtomLong)
    tempo = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(bpm)->body);
  if (std::isfinite(tempo) && tempo > 0.0) Tempo.store(tempo, std::memory_order_relaxed);
}

// Hands the waiting events over and renders up to `frame`.
void TLv2Plugin::RenderUntil(std::uint32_t frame) {
  if (EventList.numEvents > 0) {
    Fx->dispatcher(Fx, effProcessEvents, 0, 0, &EventList, 0.0f);
    EventList.numEvents = 0;
  }
  if (frame <= RenderedFrame) return;
  float* outputs[2] = {Outputs[0] + RenderedFrame, Outputs[1] + RenderedFrame};
  Fx->processReplacing(Fx, nullptr, outputs, static_cast<VstInt32>(frame - RenderedFrame));
  RenderedFrame = frame;
}

// ---- Host callbacks ------------------------------------------------------------------

VstIntPtr VSTCALLBACK TLv2Plugin::HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                               VstIntPtr, void* ptr, float opt) {
  TLv2Plugin* self =
      effect && effect->resvd1 ? reinterpret_cast<TLv2Plugin*>(effect->resvd1) : tConstructing;
  switch (opcode) {
  case audioMasterGetVendorString:
  case audioMasterGetProductString: CopyHostString(ptr, kHostName); return 1;
  default: break;
  }
  if (!self) return opcode == audioMasterVersion ? kHostVstVersion : 0;
  return self->Answer(opcode, index, opt);
}

VstIntPtr TLv2Plugin::Answer(VstInt32 opcode, VstInt32 index, float opt) {
  switch (opcode) {
  case audioMasterVersion: return kHostVstVersion;
  case audioMasterAutomate:
    // From the editor (its UI thread) or a program or state load: on to the host's ports.
    if (UiAttached.load() > 0 && index >= 0 && index < static_cast<VstInt32>(kControlPorts)) {
      const auto until = FramesRun.load(std::memory_order_relaxed) +
                         static_cast<std::int64_t>(SampleRate * kEditorEchoSeconds);
      UiSent[static_cast<std::size_t>(index)].store(opt, std::memory_order_relaxed);
      UiSentUntil[static_cast<std::size_t>(index)].store(until, std::memory_order_release);
      UiChanges.Store(index, opt);
    }
    return 0;
  case audioMasterWantMidi: return 1;
  case audioMasterTempoAt:
    return static_cast<VstIntPtr>(std::lround(Tempo.load(std::memory_order_relaxed) * 10000.0));
  case kAudioMasterGetSampleRate: return static_cast<VstIntPtr>(SampleRate);
  case audioMasterGetVendorVersion: return 1;
  default: return 0;
  }
}

// ---- The UI's side -------------------------------------------------------------------

void TLv2Plugin::AttachUi(bool attached) {
  if (attached) {
    if (UiAttached.fetch_add(1) == 0) UiChanges.Drain([](int, float) {}); // nothing from before
  } else if (UiAttached.fetch_sub(1) == 1) {
    for (auto& until : UiSentUntil) until.store(0);
  }
}

void TLv2Plugin::PortEvent(std::uint32_t port, float value) {
  if (port >= kControlPorts || EditorValuePending(static_cast<int>(port))) return;
  const auto index = static_cast<VstInt32>(port);
  if (index < qvt::kNumStoredParams && value == Fx->getParameter(Fx, index)) return;
  if (TPluginEditor* bridge = EditorBridge()) bridge->ParamChanged(index, value);
}

// ---- State ---------------------------------------------------------------------------

namespace {

struct TValuesAtom {
  LV2_Atom_Vector_Body Body;
  float Values[qvt::kNumStoredParams];
};

} // namespace

LV2_State_Status TLv2Plugin::Save(LV2_State_Store_Function store, LV2_State_Handle handle,
                                  const LV2_Feature* const* features) {
  try {
    TProgramRecord record{};
    std::string bankFile;
    WithEditorQuiet(EditorBridge(), [&] {
      record = Synth->EditBufferRecord();
      bankFile = Synth->GetBankFilePath();
    });
    AddUntakenPortValues(record);
    TValuesAtom values{{sizeof(float), Urid.AtomFloat}, {}};
    std::memcpy(values.Values, record.Values, sizeof values.Values);
    constexpr auto kPortable = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    LV2_State_Status status =
        store(handle, Urid.ProgramValues, &values, sizeof values, Urid.AtomVector, kPortable);
    if (status != LV2_STATE_SUCCESS) return status;
    const std::string name = qvt::Win1252ToUtf8(RecordName(record));
    status =
        store(handle, Urid.ProgramName, name.c_str(), name.size() + 1, Urid.AtomString, kPortable);
    if (status != LV2_STATE_SUCCESS || bankFile.empty()) return status;
    const auto* mapPath =
        static_cast<const LV2_State_Map_Path*>(lv2_features_data(features, LV2_STATE__mapPath));
    const auto* freePath =
        static_cast<const LV2_State_Free_Path*>(lv2_features_data(features, LV2_STATE__freePath));
    if (!mapPath)
      return store(handle, Urid.BankFile, bankFile.c_str(), bankFile.size() + 1, Urid.AtomPath,
                   LV2_STATE_IS_POD);
    char* abstract = mapPath->abstract_path(mapPath->handle, bankFile.c_str());
    if (!abstract) return LV2_STATE_ERR_UNKNOWN;
    status = store(handle, Urid.BankFile, abstract, std::strlen(abstract) + 1, Urid.AtomPath,
                   LV2_STATE_IS_POD);
    if (freePath)
      freePath->free_path(freePath->handle, abstract);
    else
      std::free(abstract);
    return status;
  } catch (...) {
    return LV2_STATE_ERR_UNKNOWN;
  }
}

LV2_State_Status TLv2Plugin::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                                     const LV2_Feature* const* features) {
  try {
    std::size_t size = 0;
    std::uint32_t type = 0, flags = 0;
    const void* data = retrieve(handle, Urid.ProgramValues, &size, &type, &flags);
    const auto* values = static_cast<const TValuesAtom*>(data);
    if (!data || type != Urid.AtomVector || size != sizeof(TValuesAtom) ||
        values->Body.child_type != Urid.AtomFloat || values->Body.child_size != sizeof(float))
      return LV2_STATE_ERR_NO_PROPERTY;
    std::string name;
    data = retrieve(handle, Urid.ProgramName, &size, &type, &flags);
    if (data && type == Urid.AtomString)
      name = qvt::Utf8ToWin1252(std::string_view(static_cast<const char*>(data),
                                                 strnlen(static_cast<const char*>(data), size)));
    std::string bankFile;
    data = retrieve(handle, Urid.BankFile, &size, &type, &flags);
    if (data && type == Urid.AtomPath) {
      const std::string stored(static_cast<const char*>(data),
                               strnlen(static_cast<const char*>(data), size));
      const auto* mapPath =
          static_cast<const LV2_State_Map_Path*>(lv2_features_data(features, LV2_STATE__mapPath));
      const auto* freePath =
          static_cast<const LV2_State_Free_Path*>(lv2_features_data(features, LV2_STATE__freePath));
      if (mapPath) {
        if (char* absolute = mapPath->absolute_path(mapPath->handle, stored.c_str())) {
          bankFile = absolute;
          if (freePath)
            freePath->free_path(freePath->handle, absolute);
          else
            std::free(absolute);
        }
      } else {
        bankFile = stored;
      }
    }
    float loaded[qvt::kNumStoredParams];
    std::memcpy(loaded, values->Values, sizeof loaded);
    WithEditorQuiet(EditorBridge(), [&] { RestoreNow(bankFile, loaded, name); });
    return LV2_STATE_SUCCESS;
  } catch (...) {
    return LV2_STATE_ERR_UNKNOWN;
  }
}

// A host may change ports and save before running a block (a session built
// and saved without processing): the state then holds what the next block
// would take, as the parameter path stores it (limited to 0…1). Values the
// editor is still sending are newer than the ports.
void TLv2Plugin::AddUntakenPortValues(TProgramRecord& record) const {
  for (int index = 0; index < qvt::kNumStoredParams; ++index) {
    const float* port = Controls[static_cast<std::size_t>(index)];
    if (!port || EditorValuePending(index)) continue;
    const float value = *port;
    if (std::bit_cast<std::uint32_t>(value) ==
        std::bit_cast<std::uint32_t>(LastSeen[static_cast<std::size_t>(index)].load()))
      continue;
    record.Values[index] = value >= 0.0f ? std::min(value, 1.0f) : 0.0f; // not-a-number: 0
  }
}

// The bank file first (a missing or damaged one leaves the bank as it is), then
// the edit buffer through the parameter path, as loading a program does.
void TLv2Plugin::RestoreNow(const std::string& bankFile, const float* values,
                            const std::string& name) {
  if (!bankFile.empty() && bankFile != Synth->GetBankFilePath()) {
    std::error_code error;
    if (std::filesystem::is_regular_file(bankFile, error)) {
      try {
        Synth->LoadBankFile(bankFile);
      } catch (...) {
        // The bank stays as it was; the program below is restored all the same.
      }
    }
  }
  for (int index = 0; index < qvt::kNumStoredParams; ++index)
    Synth->setParameterAutomated(index, values[index]);
  Synth->setProgramName(name.c_str());
  if (AEffEditor* editor = Synth->getEditor()) editor->update();
}

} // namespace qvt::lv2
