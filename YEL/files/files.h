// Whole-file reads for the library's loaders, over the file layer of yel.h (YelFileCreate and
// the other file exports). Names are looked up like every other game file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace yel {

// The largest file ReadWholeFile takes unless told otherwise.
inline constexpr size_t kWholeFileLimit = size_t{256} << 20;

// Reads the whole data of a file into `out`; false when the file is missing, larger than
// `limit` bytes (logged), or cannot be read whole.
bool ReadWholeFile(const char* name, std::vector<uint8_t>& out, size_t limit = kWholeFileLimit);

// Reads the whole data of a file into `buffer` of `capacity` bytes, with the size in `out_size`;
// false when the file is missing, larger than the buffer (logged), or cannot be read whole.
bool ReadFileInto(const char* name, void* buffer, uint32_t capacity, uint32_t* out_size);

// Reads the whole data of a file into the shared scratch pool and returns the pool, with the
// size in `out_size`; null when the file is missing, cannot be read whole, or is larger than the
// pool (logged). The pool is single: callers use it on one thread at a time.
void* ReadFileToPool(const char* name, uint32_t* out_size);

}  // namespace yel
