// The count of live blocks from YelMemoryAlloc, kept per thread: the script interpreter allocates
// and frees a return record (and its list node) on every call and return, and a shared counter
// would cost two locked instructions each time. Each thread adds to a slot that only it writes;
// the count is the sum of the slots. Any thread.
#pragma once

#include <cstdint>

namespace yel {

void CountBlocks(int32_t delta);
// Live blocks since the last reset. While other threads allocate it is a passing value, as it
// always is; once they are done (joined, or synchronised with) it is exact.
int32_t LiveBlocks();
// Counts from 0 again (at start-up, before other threads allocate).
void ResetLiveBlocks();

}  // namespace yel
