// A small LV2 host for the built bundle: the plug-in's ports on buffers of its own, blocks with
// MIDI and tempo events, state saved into and restored from a property store.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "tools/qvt/SharedLibrary.h"

namespace qvt::test {

class TUridMap {
public:
  LV2_URID Map(std::string_view uri); // allocates only for a new URI
  std::string Unmap(LV2_URID urid) const;
  LV2_URID_Map* Feature() { return &MapFeature; }

private:
  static LV2_URID MapCallback(LV2_URID_Map_Handle handle, const char* uri);
  std::vector<std::string> Uris;
  LV2_URID_Map MapFeature{this, &TUridMap::MapCallback};
};

// A saved state: each property's type and bytes, by property URI.
struct TSavedState {
  struct TValue {
    std::string Type;
    std::vector<std::uint8_t> Bytes;
  };
  std::map<std::string, TValue> Properties;
  // The 72 values of the saved edit buffer (empty when the state has none).
  std::vector<float> ProgramValues() const;
};

class TLv2Library {
public:
  static std::unique_ptr<TLv2Library> Open(const std::string& binary, std::string& error);
  const LV2_Descriptor* Plugin = nullptr;
  const LV2UI_Descriptor* Ui = nullptr;

private:
  std::unique_ptr<qvt::TSharedLibrary> Library;
};

class TLv2Instance {
public:
  static constexpr std::uint32_t kControls = 81;
  static constexpr std::uint32_t kEventsPort = 81;

  TLv2Instance(const TLv2Library& library, double rate, std::uint32_t maxBlock);
  ~TLv2Instance();
  explicit operator bool() const { return Handle != nullptr; }
  LV2_Handle Instance() const { return Handle; }

  float Controls[kControls] = {};
  // Sets the controls to the bundle description's defaults, in port order, as a host does on a
  // new instance; answers how many defaults the description lists.
  std::size_t SetDescriptionDefaults(const std::string& bundle);
  // Queues a MIDI message at a frame of the next block.
  void Midi(std::uint32_t frame, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
  // Queues a tempo (time:Position with beatsPerMinute) at a frame of the next block.
  void TempoChange(std::uint32_t frame, float bpm);
  // Runs one block with the queued events; the outputs land in Left and Right.
  void Run(std::uint32_t frames);
  std::vector<float> Left, Right;

  TSavedState Save();
  LV2_State_Status Restore(const TSavedState& state);
  TUridMap Urids;

private:
  void AppendEvent(std::uint32_t frame, LV2_URID type, const void* body, std::uint32_t size);
  const LV2_Descriptor* Descriptor;
  LV2_Handle Handle = nullptr;
  std::vector<std::uint64_t> EventBuffer; // an atom sequence, 8-byte aligned
  std::uint32_t EventBytes = 0;           // body bytes queued
  LV2_URID SequenceType = 0;
};

} // namespace qvt::test
