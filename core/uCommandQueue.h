// A bounded lock-free queue that carries changes from any thread to the audio
// thread in the order they were made (a multi-producer ring with per-cell
// sequence numbers). Pushing and popping never allocate or block.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace qvt {

template <class T, std::size_t Capacity> class TCommandQueue {
  static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "capacity is a power of two");

public:
  TCommandQueue() {
    for (std::size_t i = 0; i < Capacity; ++i)
      Cells[i].Sequence.store(i, std::memory_order_relaxed);
  }
  TCommandQueue(const TCommandQueue&) = delete;
  TCommandQueue& operator=(const TCommandQueue&) = delete;

  // Any thread. Answers false when the queue is full.
  bool TryPush(const T& item) {
    std::size_t position = EnqueuePos.load(std::memory_order_relaxed);
    for (;;) {
      Cell& cell = Cells[position & kMask];
      const std::size_t sequence = cell.Sequence.load(std::memory_order_acquire);
      const auto difference =
          static_cast<std::intptr_t>(sequence) - static_cast<std::intptr_t>(position);
      if (difference == 0) {
        if (EnqueuePos.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
          cell.Item = item;
          cell.Sequence.store(position + 1, std::memory_order_release);
          return true;
        }
      } else if (difference < 0) {
        return false;
      } else {
        position = EnqueuePos.load(std::memory_order_relaxed);
      }
    }
  }

  // The consuming thread. Answers false when nothing (more) is ready.
  bool TryPop(T& item) {
    std::size_t position = DequeuePos.load(std::memory_order_relaxed);
    for (;;) {
      Cell& cell = Cells[position & kMask];
      const std::size_t sequence = cell.Sequence.load(std::memory_order_acquire);
      const auto difference =
          static_cast<std::intptr_t>(sequence) - static_cast<std::intptr_t>(position + 1);
      if (difference == 0) {
        if (DequeuePos.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
          item = cell.Item;
          cell.Sequence.store(position + Capacity, std::memory_order_release);
          return true;
        }
      } else if (difference < 0) {
        return false;
      } else {
        position = DequeuePos.load(std::memory_order_relaxed);
      }
    }
  }

private:
  static constexpr std::size_t kMask = Capacity - 1;
  struct Cell {
    std::atomic<std::size_t> Sequence;
    T Item;
  };
  std::array<Cell, Capacity> Cells;
  alignas(64) std::atomic<std::size_t> EnqueuePos{0};
  alignas(64) std::atomic<std::size_t> DequeuePos{0};
};

} // namespace qvt
