// Counted allocation and the shared scratch pool.
#include <cstdlib>
#include <cstring>

#include "YEL/core/block_count.h"
#include "YEL/core/system.h"
#include "os/debug_output.h"

extern "C" {

YEL_API void* YelMemoryAlloc(uint32_t size, uint32_t flags) {
  void* block = std::malloc(size != 0 ? size : 1);
  if (!block) {
    os::DebugOutput("MemoryAllocFail...\n");
    return nullptr;
  }
  if (flags & 1) std::memset(block, 0, size);
  yel::CountBlocks(1);
  return block;
}

YEL_API void YelMemoryFree(void* block) {
  if (!block) return;
  yel::CountBlocks(-1);
  std::free(block);
}

YEL_API void* GetMemoryPool(uint32_t* out_size) {
  if (out_size) {
    yel::YelSystem* system = yel::System();
    *out_size = system ? system->pool_size : 0;
  }
  return yel::Process().pool.load();
}

YEL_API void* YelGetlpPool(void) { return yel::Process().pool.load(); }

YEL_API int32_t YelGetAllocCount(void) { return yel::LiveBlocks(); }

}  // extern "C"
