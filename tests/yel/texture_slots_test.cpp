// The texture slot table shared by the back-ends, with its slots taken and given back from
// several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "YEL/render/texture.h"

namespace {

// A reader that locks a slot's pixels while another thread gives the slot back sees either the
// whole image or none, and the slot becomes free for the next taker only once it is empty.
TEST(TextureSlots, AReleaseWhileAnotherThreadReadsThePixels) {
  yel::TextureSlotTable table(1);
  for (int round = 0; round < 50; ++round) {
    yel::TextureSlot* slot = table.Acquire("pic");
    ASSERT_NE(slot, nullptr);
    slot->image = yel::SoftImageAlloc(4, 4);
    YelTexture texture{4, 4, slot};
    std::atomic<bool> started{false};
    std::thread reader([&] {
      for (int i = 0; i < 200; ++i) {
        int32_t width = 0;
        int32_t height = 0;
        uint32_t* pixels = yel::TextureLockPixels(&texture, &width, &height);
        started.store(true);
        if (!pixels) break;
        pixels[width * height - 1] = 0xFFFFFFFF;
        yel::TextureUnlockPixels(&texture, true);
      }
    });
    while (!started.load()) std::this_thread::yield();
    EXPECT_TRUE(table.Release(slot));
    reader.join();
    EXPECT_EQ(slot->image, nullptr);
    EXPECT_EQ(table.InUse(), 0);
  }
}

}  // namespace
