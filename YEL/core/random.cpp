// The random table. In debug mode the game draws from a table filled at start, so that a run can
// be replayed from its seed table; outside it draws from rand() directly.
#include <algorithm>
#include <atomic>
#include <ctime>

#include "YEL/core/random_table.h"
#include "YEL/core/system.h"

namespace yel {
namespace {

std::atomic<uint32_t> g_rand_state{1};

int32_t NextEntry(RandomTable& table) {
  if (!table.entries || table.size == 0) return 0;
  std::lock_guard lock(table.mutex);
  if (table.index >= table.size) table.index = 0;
  const int32_t value = table.entries[table.index];
  table.index = table.index + 1 >= table.size ? 0 : table.index + 1;
  return value;
}

}  // namespace

void MsvcSrand(uint32_t seed) { g_rand_state.store(seed); }

int32_t MsvcRand() {
  uint32_t state = g_rand_state.load();
  uint32_t next;
  do {
    next = state * 214013u + 2531011u;
  } while (!g_rand_state.compare_exchange_weak(state, next));
  return static_cast<int32_t>((next >> 16) & 0x7FFF);
}

bool RandomTableInitialize(RandomTable& table, uint32_t size) {
  MsvcSrand(static_cast<uint32_t>(std::time(nullptr)));
  table.entries = static_cast<int32_t*>(YelMemoryAlloc(size * sizeof(int32_t), 0));
  if (!table.entries) return false;
  table.size = size;
  table.index = 0;
  for (uint32_t i = 0; i < size; ++i) table.entries[i] = MsvcRand();
  return true;
}

void RandomTableRelease(RandomTable& table) {
  YelMemoryFree(table.entries);
  table.entries = nullptr;
  table.size = 0;
  table.index = 0;
}

}  // namespace yel

extern "C" {

YEL_API int32_t YelRandom(void) {
  yel::YelSystem* system = yel::System();
  if (!system || !system->param.debug) return yel::MsvcRand();
  return yel::NextEntry(system->random);
}

YEL_API int32_t YelRandomEx(void) {
  yel::YelSystem* system = yel::System();
  return system ? yel::NextEntry(system->random) : 0;
}

YEL_API void YelRandomReset(void) {
  yel::YelSystem* system = yel::System();
  if (!system) return;
  yel::RandomTable& table = system->random;
  std::lock_guard lock(table.mutex);
  table.index = 0;
  for (uint32_t i = 0; i < table.size; ++i) table.entries[i] = yel::MsvcRand();
}

YEL_API int32_t YelRandomGetSeed(int32_t* destination, uint32_t n) {
  yel::YelSystem* system = yel::System();
  if (!system || !destination) return 0;
  std::lock_guard lock(system->random.mutex);
  const uint32_t count = std::min(n, system->random.size);
  std::copy_n(system->random.entries, count, destination);
  return static_cast<int32_t>(count);
}

YEL_API int32_t YelRandomSetSeed(const int32_t* source, uint32_t n) {
  yel::YelSystem* system = yel::System();
  if (!system || !source) return 0;
  std::lock_guard lock(system->random.mutex);
  system->random.index = 0;
  const uint32_t count = std::min(n, system->random.size);
  std::copy_n(source, count, system->random.entries);
  return static_cast<int32_t>(count) - 1;
}

}  // extern "C"
