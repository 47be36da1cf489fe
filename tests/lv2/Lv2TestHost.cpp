#include "tests/lv2/Lv2TestHost.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

namespace qvt::test {

LV2_URID TUridMap::Map(std::string_view uri) {
  for (std::size_t i = 0; i < Uris.size(); ++i)
    if (Uris[i] == uri) return static_cast<LV2_URID>(i + 1);
  Uris.emplace_back(uri);
  return static_cast<LV2_URID>(Uris.size());
}

std::string TUridMap::Unmap(LV2_URID urid) const {
  return urid >= 1 && urid <= Uris.size() ? Uris[urid - 1] : std::string();
}

LV2_URID TUridMap::MapCallback(LV2_URID_Map_Handle handle, const char* uri) {
  return static_cast<TUridMap*>(handle)->Map(uri);
}

std::unique_ptr<TLv2Library> TLv2Library::Open(const std::string& binary, std::string& error) {
  auto library = std::unique_ptr<TLv2Library>(new TLv2Library);
  library->Library = qvt::TSharedLibrary::Open(binary, error);
  if (!library->Library) return nullptr;
  using TPluginEntry = const LV2_Descriptor* (*)(std::uint32_t);
  using TUiEntry = const LV2UI_Descriptor* (*)(std::uint32_t);
  auto plugin = reinterpret_cast<TPluginEntry>(library->Library->Symbol("lv2_descriptor"));
  auto ui = reinterpret_cast<TUiEntry>(library->Library->Symbol("lv2ui_descriptor"));
  library->Plugin = plugin ? plugin(0) : nullptr;
  library->Ui = ui ? ui(0) : nullptr;
  if (!library->Plugin || !library->Ui) {
    error = "no plug-in or UI at index 0 of " + binary;
    return nullptr;
  }
  return library;
}

TLv2Instance::TLv2Instance(const TLv2Library& library, double rate, std::uint32_t maxBlock)
    : Left(maxBlock), Right(maxBlock), Descriptor(library.Plugin) {
  LV2_Feature map{LV2_URID__map, Urids.Feature()};
  const LV2_Feature* features[] = {&map, nullptr};
  Handle = Descriptor->instantiate(Descriptor, rate, "", features);
  if (!Handle) return;
  SequenceType = Urids.Map(LV2_ATOM__Sequence);
  EventBuffer.assign(8192, 0);
  for (std::uint32_t port = 0; port < kControls; ++port)
    Descriptor->connect_port(Handle, port, &Controls[port]);
  Descriptor->connect_port(Handle, kEventsPort, EventBuffer.data());
  Descriptor->connect_port(Handle, kEventsPort + 1, Left.data());
  Descriptor->connect_port(Handle, kEventsPort + 2, Right.data());
  Descriptor->activate(Handle);
}

std::size_t TLv2Instance::SetDescriptionDefaults(const std::string& bundle) {
  std::ifstream description(bundle + "/quivertone.ttl");
  std::vector<float> defaults;
  for (std::string word; description >> word;)
    if (word == "lv2:default" && description >> word) defaults.push_back(std::stof(word));
  std::copy_n(defaults.begin(), std::min<std::size_t>(defaults.size(), kControls), Controls);
  return defaults.size();
}

TLv2Instance::~TLv2Instance() {
  if (!Handle) return;
  Descriptor->deactivate(Handle);
  Descriptor->cleanup(Handle);
}

void TLv2Instance::AppendEvent(std::uint32_t frame, LV2_URID type, const void* body,
                               std::uint32_t size) {
  auto* bytes = reinterpret_cast<std::uint8_t*>(EventBuffer.data());
  auto* event = reinterpret_cast<LV2_Atom_Event*>(bytes + sizeof(LV2_Atom_Sequence) + EventBytes);
  event->time.frames = frame;
  event->body.type = type;
  event->body.size = size;
  std::memcpy(event + 1, body, size);
  EventBytes += static_cast<std::uint32_t>(lv2_atom_pad_size(sizeof(LV2_Atom_Event) + size));
}

void TLv2Instance::Midi(std::uint32_t frame, std::uint8_t status, std::uint8_t data1,
                        std::uint8_t data2) {
  const std::uint8_t message[3] = {status, data1, data2};
  AppendEvent(frame, Urids.Map(LV2_MIDI__MidiEvent), message, sizeof message);
}

void TLv2Instance::TempoChange(std::uint32_t frame, float bpm) {
  struct {
    LV2_Atom_Object_Body Object;
    LV2_Atom_Property_Body Property;
    float Value;
    std::uint32_t Pad;
  } body{{0, Urids.Map(LV2_TIME__Position)},
         {Urids.Map(LV2_TIME__beatsPerMinute), 0, {sizeof(float), Urids.Map(LV2_ATOM__Float)}},
         bpm,
         0};
  AppendEvent(frame, Urids.Map(LV2_ATOM__Object), &body, sizeof body);
}

void TLv2Instance::Run(std::uint32_t frames) {
  auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(EventBuffer.data());
  sequence->atom.type = SequenceType;
  sequence->atom.size = sizeof(LV2_Atom_Sequence_Body) + EventBytes;
  sequence->body = {0, 0}; // frames as time stamps
  Descriptor->run(Handle, frames);
  EventBytes = 0;
}

namespace {

struct TStateContext {
  TUridMap* Urids;
  TSavedState* State;
};

LV2_State_Status Store(LV2_State_Handle handle, std::uint32_t key, const void* value,
                       std::size_t size, std::uint32_t type, std::uint32_t) {
  auto* context = static_cast<TStateContext*>(handle);
  const auto* bytes = static_cast<const std::uint8_t*>(value);
  context->State->Properties[context->Urids->Unmap(key)] = {context->Urids->Unmap(type),
                                                            {bytes, bytes + size}};
  return LV2_STATE_SUCCESS;
}

const void* Retrieve(LV2_State_Handle handle, std::uint32_t key, std::size_t* size,
                     std::uint32_t* type, std::uint32_t* flags) {
  auto* context = static_cast<TStateContext*>(handle);
  const auto found = context->State->Properties.find(context->Urids->Unmap(key));
  if (found == context->State->Properties.end()) return nullptr;
  *size = found->second.Bytes.size();
  *type = context->Urids->Map(found->second.Type);
  *flags = LV2_STATE_IS_POD;
  return found->second.Bytes.data();
}

const LV2_State_Interface* StateInterface(const LV2_Descriptor* descriptor) {
  return static_cast<const LV2_State_Interface*>(descriptor->extension_data(LV2_STATE__interface));
}

} // namespace

std::vector<float> TSavedState::ProgramValues() const {
  const auto found = Properties.find("https://quivertone.org/lv2/quivertone#programValues");
  if (found == Properties.end() || found->second.Bytes.size() < 8) return {};
  std::vector<float> values((found->second.Bytes.size() - 8) / sizeof(float));
  std::memcpy(values.data(), found->second.Bytes.data() + 8, values.size() * sizeof(float));
  return values;
}

TSavedState TLv2Instance::Save() {
  TSavedState state;
  TStateContext context{&Urids, &state};
  const LV2_Feature* features[] = {nullptr};
  if (const auto* interface = StateInterface(Descriptor))
    interface->save(Handle, Store, &context, LV2_STATE_IS_POD, features);
  return state;
}

LV2_State_Status TLv2Instance::Restore(const TSavedState& state) {
  TSavedState copy = state;
  TStateContext context{&Urids, &copy};
  const LV2_Feature* features[] = {nullptr};
  const auto* interface = StateInterface(Descriptor);
  if (!interface) return LV2_STATE_ERR_NO_FEATURE;
  return interface->restore(Handle, Retrieve, &context, LV2_STATE_IS_POD, features);
}

} // namespace qvt::test
