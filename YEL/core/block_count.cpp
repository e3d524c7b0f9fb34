// Per-thread slots of the live-block count.
#include "YEL/core/block_count.h"

#include <atomic>

namespace yel {
namespace {

// Threads beyond the slots share one word with locked additions.
constexpr int32_t kSlotCount = 64;

struct alignas(64) Slot {
  std::atomic<int32_t> value{0};
};

Slot g_slots[kSlotCount];
Slot g_shared;
std::atomic<int32_t> g_claimed{0};
std::atomic<int32_t> g_base{0};  // the sum at the last reset

// Read at a fixed offset from the thread pointer (the library is loaded at start, where static
// TLS space is reserved). A thread keeps its slot after it ends: what it counted still counts.
thread_local Slot* t_slot __attribute__((tls_model("initial-exec"))) = nullptr;

Slot* ClaimSlot() {
  const int32_t index = g_claimed.fetch_add(1, std::memory_order_relaxed);
  return index < kSlotCount ? &g_slots[index] : &g_shared;
}

}  // namespace

void CountBlocks(int32_t delta) {
  Slot* slot = t_slot;
  if (!slot) slot = t_slot = ClaimSlot();
  if (slot == &g_shared) {
    g_shared.value.fetch_add(delta, std::memory_order_acq_rel);
    return;
  }
  // Only this thread writes its slot: a load and a store, no locked instruction.
  slot->value.store(slot->value.load(std::memory_order_relaxed) + delta, std::memory_order_release);
}

int32_t LiveBlocks() {
  int32_t sum = g_shared.value.load(std::memory_order_acquire);
  for (const Slot& slot : g_slots) sum += slot.value.load(std::memory_order_acquire);
  return sum - g_base.load(std::memory_order_relaxed);
}

void ResetLiveBlocks() {
  g_base.store(0, std::memory_order_relaxed);
  g_base.store(LiveBlocks(), std::memory_order_relaxed);
}

}  // namespace yel
