// Changes for the engine made on any thread, applied by the audio thread at the
// start of its next block in the order they were made.
#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <cstdint>

#include "core/uCommandQueue.h"

namespace qvt {

struct TEngineCommand {
  // ckAdoptModules: take the module set a sample-rate change has published.
  enum TKind : std::uint8_t { ckParameter, ckKillVoice, ckSuspend, ckAdoptModules };
  TKind Kind = ckParameter;
  std::int16_t Index = 0;
  float Value = 0.0f;
};

class TEngineInbox {
public:
  static constexpr int kSlots = 70; // parameters the engine applies

  // Any thread. Never blocks or allocates. When the queue is full (only when a
  // very large number of changes arrives without a block being rendered), a
  // parameter keeps its latest value in a slot and commands are counted; those
  // are applied after the queued ones, a module hand-over first.
  void Post(const TEngineCommand& command) {
    if (command.Kind == TEngineCommand::ckParameter) {
      if (command.Index < 0 || command.Index >= kSlots) return;
      auto& dirty = SlotDirty[command.Index];
      if (!dirty.load(std::memory_order_acquire) && Queue.TryPush(command)) return;
      SlotBits[command.Index].store(std::bit_cast<std::uint32_t>(command.Value),
                                    std::memory_order_relaxed);
      dirty.store(true, std::memory_order_release);
    } else if (command.Kind == TEngineCommand::ckAdoptModules) {
      if (Queue.TryPush(command)) return;
      OverflowAdopt.store(true, std::memory_order_release);
    } else {
      if (Queue.TryPush(command)) return;
      auto& counter =
          command.Kind == TEngineCommand::ckKillVoice ? OverflowKills : OverflowSuspends;
      counter.fetch_add(1, std::memory_order_relaxed);
    }
    Overflowed.store(true, std::memory_order_release);
  }

  // The audio thread: applies everything posted so far.
  template <class TApply> void Drain(TApply&& apply) {
    TEngineCommand command;
    while (Queue.TryPop(command)) apply(command);
    if (!Overflowed.exchange(false, std::memory_order_acq_rel)) return;
    if (OverflowAdopt.exchange(false, std::memory_order_acq_rel))
      apply({TEngineCommand::ckAdoptModules, 0, 0.0f});
    for (int n = OverflowSuspends.exchange(0); n > 0; --n)
      apply({TEngineCommand::ckSuspend, 0, 0.0f});
    for (int n = OverflowKills.exchange(0); n > 0; --n)
      apply({TEngineCommand::ckKillVoice, 0, 0.0f});
    for (int index = 0; index < kSlots; ++index) {
      if (!SlotDirty[index].exchange(false, std::memory_order_acq_rel)) continue;
      const float value = std::bit_cast<float>(SlotBits[index].load(std::memory_order_relaxed));
      apply({TEngineCommand::ckParameter, static_cast<std::int16_t>(index), value});
    }
  }

private:
  TCommandQueue<TEngineCommand, 8192> Queue;
  std::array<std::atomic<std::uint32_t>, kSlots> SlotBits{};
  std::array<std::atomic<bool>, kSlots> SlotDirty{};
  std::atomic<int> OverflowKills{0};
  std::atomic<int> OverflowSuspends{0};
  std::atomic<bool> OverflowAdopt{false};
  std::atomic<bool> Overflowed{false};
};

} // namespace qvt
