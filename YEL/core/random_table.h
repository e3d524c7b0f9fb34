// The random table and the MSVC-compatible rand() sequence.
#pragma once

#include <cstdint>
#include <mutex>

namespace yel {

// rand() as the original C library computes it: state * 214013 + 2531011, bits 16 to 30.
// One process-wide state, seeded once at start.
void MsvcSrand(uint32_t seed);
int32_t MsvcRand();

// Drawn from, reset and reseeded by any thread. The block and the size are set at start and at
// release, when no other thread runs.
struct RandomTable {
  int32_t* entries = nullptr;  // a YelMemoryAlloc block
  uint32_t size = 0;
  std::mutex mutex;  // guards index and the entries' values
  uint32_t index = 0;
};

bool RandomTableInitialize(RandomTable& table, uint32_t size);
void RandomTableRelease(RandomTable& table);

}  // namespace yel
