// The plug-in as a careless host drives it through its effect record: any opcode, index, value
// and opt with a null pointer or a buffer of the kind the opcode implies, parameter changes and
// queries, renders of any frame count, event lists of any shape. Nothing may crash, leak or render
// a sample that is not finite; parameters stay within 0…1 and texts fit their buffers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/uSynth.h"
#include "fuzz/FuzzSupport.h"

using qvt::fuzz::Check;
using qvt::fuzz::TFuzzInput;

namespace {

constexpr std::size_t kBufferSize = 512; // larger than any text or record an opcode writes
constexpr int kMaxActions = 200;
constexpr VstInt32 kMaxFrames = 8192;
constexpr VstInt32 kSetSpeakerArrangement = 42; // `value` and `ptr` point to arrangements

// Opcodes that write text into `ptr`, and the longest text each may write.
std::size_t TextCapacity(VstInt32 opcode) {
  switch (opcode) {
  case effGetProgramName:
  case effGetProgramNameIndexed: return 24;
  case effGetParamLabel:
  case effGetParamDisplay:
  case effGetParamName: return 32;
  case effGetEffectName: return kVstMaxEffectNameLen;
  case effGetVendorString:
  case effGetProductString: return kVstMaxVendorStrLen;
  default: return 0;
  }
}

// An event list of any shape the binary interface allows: zero or negative
// counts, unknown types, odd sizes, any offsets and bytes.
class TEventList {
public:
  explicit TEventList(TFuzzInput& input) {
    const int kind = input.Byte() % 8;
    const int count = kind == 0 ? 0 : kind == 1 ? -input.InRange(1, 1000) : input.InRange(1, 12);
    const int stored = std::max(count, 0);
    Events.resize(static_cast<std::size_t>(stored));
    for (auto& event : Events) {
      std::memset(&event, 0, sizeof event);
      const std::uint8_t type = input.Byte();
      event.type = type < 192 ? kVstMidiType : type < 224 ? kVstSysExType : input.Int32();
      event.byteSize = input.Bool() ? static_cast<VstInt32>(sizeof(VstMidiEvent)) : input.Int32();
      event.deltaFrames = input.Bool() ? input.InRange(0, 1024) : input.Int32();
      event.flags = input.Int32();
      const std::uint8_t status[] = {0x80, 0x90, 0xB0, 0xE0, 0xF0};
      const std::uint8_t kind = status[input.Byte() % 5];
      const std::uint8_t channel = input.Byte() & 0x0F; // one read after the other
      event.midiData[0] = static_cast<char>(kind | channel);
      if (input.Bool()) event.midiData[0] = static_cast<char>(input.Byte());
      event.midiData[1] = static_cast<char>(input.Byte());
      event.midiData[2] = static_cast<char>(input.Byte());
      event.midiData[3] = static_cast<char>(input.Byte());
    }
    // A list with room for at least the two slots the record declares, in
    // pointer-sized words so that it is aligned like the record.
    const std::size_t bytes = offsetof(VstEvents, events) + sizeof(VstEvent*) * std::max(stored, 2);
    Storage.assign((bytes + sizeof(std::uintptr_t) - 1) / sizeof(std::uintptr_t), 0);
    auto* list = reinterpret_cast<VstEvents*>(Storage.data());
    list->numEvents = count;
    VstEvent** slots = list->events; // the list runs past the two slots the record declares
    for (int i = 0; i < stored; ++i)
      slots[i] = input.Byte() == 0 ? nullptr : reinterpret_cast<VstEvent*>(&Events[i]);
  }
  VstEvents* List() { return reinterpret_cast<VstEvents*>(Storage.data()); }

private:
  std::vector<VstMidiEvent> Events;
  std::vector<std::uintptr_t> Storage;
};

class TDriver {
public:
  explicit TDriver(TFuzzInput& input) : Input(input) {
    Effect = (new TSynth(qvt::fuzz::Host))->getAeffect();
  }
  ~TDriver() {
    if (Effect) Effect->dispatcher(Effect, effClose, 0, 0, nullptr, 0.0f);
  }

  void Run() {
    for (int action = 0; action < kMaxActions && !Input.Empty() && Effect; ++action) {
      switch (Input.Byte() % 8) {
      case 3: SetParameter(); break;
      case 4: GetParameter(); break;
      case 5: Render(); break;
      case 6: SendEvents(); break;
      case 7: RenderDouble(); break;
      default: Dispatch(); break; // 0 to 2
      }
    }
    // Whatever happened before, a plain note still renders finite samples.
    if (Effect)
      qvt::fuzz::PlayNote(Effect, 64, 1, "a note after any sequence renders finite samples");
  }

private:
  VstInt32 Opcode() {
    const std::uint8_t pick = Input.Byte();
    if (pick < 240) return pick % 80;
    return Input.Int32();
  }

  VstIntPtr Value() {
    switch (Input.Byte() % 4) {
    case 0: return Input.InRange(-2, 8192);
    case 1: return Input.Int32();
    case 2: {
      const std::uint64_t high = Input.Bits32(); // one read after the other
      return static_cast<VstIntPtr>(high << 32 | Input.Bits32());
    }
    default: return 0;
    }
  }

  float Opt() {
    constexpr float kRates[] = {44100.0f, 48000.0f, 96000.0f, 192000.0f, 8000.0f, 1.0e7f, 1.0f};
    return Input.Bool() ? kRates[Input.Byte() % std::size(kRates)] : Input.Value();
  }

  void Dispatch() {
    const VstInt32 opcode = Opcode();
    const VstInt32 index = Input.Index();
    VstIntPtr value = Value();
    const float opt = Opt();
    const bool null = Input.Byte() < 64;

    alignas(16) char buffer[kBufferSize] = {};
    ERect* rect = nullptr;
    void* chunk = nullptr;
    void* arrangements[2] = {nullptr, nullptr};
    void* ptr = null ? nullptr : buffer;
    std::unique_ptr<TEventList> events;

    switch (opcode) {
    case effClose:
      // Closing ends the object's life: the last action of a run.
      Effect->dispatcher(Effect, effClose, index, value, null ? nullptr : buffer, opt);
      Effect = nullptr;
      return;
    case effEditOpen: ptr = nullptr; break; // a parent window, which a fuzzer cannot make
    case effSetProgramName:
    case effCanDo:
    case effString2Parameter: {
      const std::string text = Input.Text(kBufferSize - 1);
      std::memcpy(buffer, text.data(), text.size());
      break;
    }
    case effEditGetRect:
      if (!null) ptr = &rect;
      break;
    case effGetChunk:
      if (!null) ptr = &chunk;
      break;
    case effSetChunk: value = null ? 0 : std::clamp<VstIntPtr>(value, 0, kBufferSize); break;
    case effProcessEvents:
      if (!null) {
        events = std::make_unique<TEventList>(Input);
        ptr = events->List();
      }
      break;
    case effGetSpeakerArrangement:
    case kSetSpeakerArrangement:
      // `value` carries a pointer too.
      value = Input.Bool() ? reinterpret_cast<VstIntPtr>(&arrangements[0]) : 0;
      if (!null) ptr = &arrangements[1];
      break;
    default: break;
    }

    Effect->dispatcher(Effect, opcode, index, value, ptr, opt);

    if (const std::size_t capacity = TextCapacity(opcode); capacity && ptr)
      Check(strnlen(buffer, kBufferSize) < capacity, "a text fits the buffer it is written to");
    if (opcode == effEditGetRect && rect)
      Check(rect->right > rect->left && rect->bottom > rect->top, "the editor has a size");
    Check(chunk == nullptr, "no chunk is handed out");
  }

  void SetParameter() {
    const VstInt32 index = Input.Index();
    Effect->setParameter(Effect, index, Input.Value());
  }

  void GetParameter() {
    const VstInt32 index = Input.Index();
    const float value = Effect->getParameter(Effect, index);
    Check(value >= 0.0f && value <= 1.0f, "stored parameters stay within 0 to 1");
  }

  VstInt32 Frames() {
    switch (Input.Byte() % 6) {
    case 0: return 0;
    case 1: return -Input.InRange(1, 1 << 30);
    case 2: return Input.InRange(1, 16);
    case 3: return Input.InRange(1, kMaxFrames);
    default: return Input.InRange(1, 1024);
    }
  }

  void Render() {
    const VstInt32 frames = Frames();
    const std::size_t size = static_cast<std::size_t>(std::max(frames, 0));
    std::vector<float> left(size, 0.0f), right(size, 0.0f);
    float* outputs[2] = {left.data(), right.data()};
    float** passed = outputs;
    switch (Input.Byte() % 8) {
    case 0: passed = nullptr; break;
    case 1: outputs[0] = nullptr; break;
    case 2: outputs[1] = nullptr; break;
    default: break;
    }
    if (Input.Bool())
      Effect->processReplacing(Effect, nullptr, passed, frames);
    else
      Effect->process(Effect, nullptr, passed, frames);
    Check(qvt::fuzz::AllFinite(left.data(), size) && qvt::fuzz::AllFinite(right.data(), size),
          "rendered samples are finite");
  }

  void RenderDouble() {
    const VstInt32 frames = Frames();
    std::vector<double> left(static_cast<std::size_t>(std::max(frames, 0))), right(left);
    double* outputs[2] = {left.data(), right.data()};
    Effect->processDoubleReplacing(Effect, nullptr, Input.Bool() ? outputs : nullptr, frames);
  }

  void SendEvents() {
    TEventList events(Input);
    Effect->dispatcher(Effect, effProcessEvents, 0, 0, events.List(), 0.0f);
  }

  TFuzzInput& Input;
  AEffect* Effect = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qvt::fuzz::SetUpProcess();
  TFuzzInput input(data, size);
  qvt::fuzz::SetHostTempo(input.Bool() ? 120.0 : input.InRange(0, 3000));
  TDriver driver(input);
  driver.Run();
  return 0;
}
