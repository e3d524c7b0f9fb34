// The LZ stream shared by "GE" images and delta images: flag bytes whose bits (lowest first) tell
// literal runs from back references into the output.
#pragma once

#include <cstddef>
#include <cstdint>

namespace yel {

// Expands `source` until exactly `size` bytes are in `destination`. False (the output then holds
// a partial result) for a stream that ends early, a token that would pass `size`, or a reference
// to bytes not yet written.
bool ImageLzDecompress(uint8_t* destination, size_t size, const uint8_t* source,
                       size_t source_size);

}  // namespace yel
