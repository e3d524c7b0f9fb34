// Images and a drawing set-up for the sprite and software-renderer tests: "GE" images stored raw
// (mode 0) built inline, and a system record with a scratch pool, a window-less software
// renderer and an active render object.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/render/render.h"
#include "YEL/render/soft_renderer.h"
#include "tests/yel/system_fixture.h"

namespace spritetest {

inline void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// A "GE" image in mode 0: a 30-byte header, the count words, then the pixels.
inline std::string GeRaw(int32_t width, int32_t height, const std::vector<uint32_t>& pixels,
                         int32_t x = 0, int32_t y = 0, int32_t cell_width = 0,
                         int32_t cell_height = 0) {
  std::string out = "GE";
  PutLe(out, 30, 2);
  for (int32_t v :
       {x, y, width, height, cell_width ? cell_width : width, cell_height ? cell_height : height}) {
    PutLe(out, static_cast<uint32_t>(v), 4);
  }
  PutLe(out, 0, 2);                                         // mode 0
  PutLe(out, static_cast<uint32_t>(pixels.size() * 4), 4);  // the byte count, unread in mode 0
  PutLe(out, 0, 4);
  for (uint32_t p : pixels) PutLe(out, p, 4);
  return out;
}

inline std::string GeFilled(int32_t width, int32_t height, uint32_t colour) {
  return GeRaw(width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, colour));
}

class DrawingFixture : public SystemFixture {
 protected:
  static constexpr int32_t kGameWidth = 64;
  static constexpr int32_t kGameHeight = 48;
  static constexpr uint32_t kPoolSize = 0x8000001;

  void SetUp() override {
    SystemFixture::SetUp();
    pool_ = std::malloc(kPoolSize);
    ASSERT_NE(pool_, nullptr);
    yel::Process().pool = pool_;
    system_.pool_size = kPoolSize;
    yel::RendererParams params;
    params.game_width = kGameWidth;
    params.game_height = kGameHeight;
    params.window_width = kGameWidth;
    params.window_height = kGameHeight;
    params.texture_slot_count = 16;
    renderer_ = yel::SoftRenderer::Create(params).release();
    ASSERT_NE(renderer_, nullptr);
    system_.core = renderer_;
    render_ = YelRenderInit();
    YelRenderSetActive(render_);
  }
  void TearDown() override {
    YelRenderUninit(render_);
    system_.core = nullptr;
    delete renderer_;
    yel::Process().pool = nullptr;
    std::free(pool_);
    SystemFixture::TearDown();
  }

  // Presents one frame and returns the pixel at a game point.
  uint32_t Present() { return yel::YelRenderPresent(); }
  uint32_t Pixel(int32_t x, int32_t y) const {
    return renderer_->Frame()[static_cast<size_t>(y) * kGameWidth + x];
  }
  // A visible sprite of one colour, made from memory, at a position.
  YelSprite* Square(int32_t size, uint32_t colour, int32_t priority, float x = 0, float y = 0) {
    const std::string image = GeFilled(size, size, colour);
    YelSprite* sprite = YelSpriteLoadMemory(render_, "square", image.data(),
                                            static_cast<uint32_t>(image.size()), priority);
    if (sprite) {
      YelSpriteSetPos(sprite, x, y, 0);
      YelSpriteViewCtrl(sprite, 1);
    }
    return sprite;
  }

  void* pool_ = nullptr;
  yel::SoftRenderer* renderer_ = nullptr;
  YelRender* render_ = nullptr;
};

}  // namespace spritetest
