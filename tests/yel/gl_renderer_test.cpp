// The GL back-end drawn headless (Mesa's software GL under the offscreen video driver) and read
// back: blend modes, the sprite transform, aspect rectangles, pairs, the raster wave, and one
// scene drawn by both back-ends. Where the machine gives no GL context the pixel tests skip; the
// fallback to the software back-end is a test of its own (tests/program).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "YEL/render/gl_renderer.h"
#include "YEL/render/soft_renderer.h"
#include "os/window.h"

namespace {

struct Drawn {
  std::unique_ptr<os::Window> window;
  std::unique_ptr<yel::GlRenderer> renderer;
};

yel::RendererParams Params(int game_w, int game_h, int window_w, int window_h,
                           uint32_t option_bits = 0) {
  yel::RendererParams params;
  params.game_width = game_w;
  params.game_height = game_h;
  params.window_width = window_w;
  params.window_height = window_h;
  params.option_bits = option_bits;
  params.texture_slot_count = 16;
  return params;
}

// A GL back-end on a hidden window; no renderer when the machine gives no GL context.
Drawn MakeGl(yel::RendererParams params, yel::GlFilters filters = {}) {
  Drawn drawn;
  os::Window::Options options;
  options.width = params.window_width;
  options.height = params.window_height;
  options.visible = false;
  options.opengl = true;
  drawn.window = os::Window::Create(options);
  if (!drawn.window) return drawn;
  params.window = drawn.window.get();
  std::string error;
  drawn.renderer = yel::GlRenderer::Create(params, filters, false, &error);
  return drawn;
}

YelTexture* FilledTexture(YelCore& core, int w, int h, uint32_t colour) {
  YelTexture* texture = core.TextureCreate(w, h);
  int32_t tw = 0, th = 0;
  uint32_t* pixels = yel::TextureLockPixels(texture, &tw, &th);
  std::fill(pixels, pixels + tw * th, colour);
  yel::TextureUnlockPixels(texture, true);
  return texture;
}

yel::SpriteQuad Quad(YelTexture* texture, float x, float y) {
  yel::SpriteQuad quad;
  quad.texture = texture;
  quad.x = x;
  quad.y = y;
  quad.rect = YelRect{0, 0, texture->width, texture->height};
  return quad;
}

std::vector<uint32_t> Read(yel::GlRenderer& gl, int w, int h) {
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  EXPECT_TRUE(gl.ReadFrame(pixels.data(), w, h, w));
  return pixels;
}

int ChannelDistance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                     static_cast<int>((b >> shift) & 0xFF)));
  }
  return worst;
}

#define REQUIRE_GL(drawn)                                                   \
  if (!(drawn).renderer) GTEST_SKIP() << "no OpenGL 3.3 context on this machine"

TEST(GlRenderer, ClearsDrawsAndReadsBackTopDownWithOpaqueAlpha) {
  Drawn drawn = MakeGl(Params(40, 30, 40, 30));
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  EXPECT_EQ(gl.TargetSize(), 40);
  YelTexture* texture = gl.TextureCreate(4, 2);
  int32_t w = 0, h = 0;
  uint32_t* pixels = yel::TextureLockPixels(texture, &w, &h);
  for (int i = 0; i < 8; ++i) pixels[i] = i < 4 ? 0xFFFF0000 : 0xFF0000FF;  // red over blue
  yel::TextureUnlockPixels(texture, true);
  ASSERT_TRUE(gl.BeginFrame(0x00102030));
  gl.DrawSprite(Quad(texture, 5, 7));
  gl.EndFrame();
  const std::vector<uint32_t> frame = Read(gl, 40, 30);
  EXPECT_EQ(frame[0], 0xFF102030u);
  EXPECT_EQ(frame[7 * 40 + 5], 0xFFFF0000u);
  EXPECT_EQ(frame[7 * 40 + 8], 0xFFFF0000u);
  EXPECT_EQ(frame[8 * 40 + 5], 0xFF0000FFu);
  EXPECT_EQ(frame[9 * 40 + 5], 0xFF102030u);
  EXPECT_EQ(frame[7 * 40 + 9], 0xFF102030u);
  EXPECT_EQ(frame[7 * 40 + 4], 0xFF102030u);
  // Pixels written after the first upload are shown anew.
  pixels = yel::TextureLockPixels(texture, &w, &h);
  pixels[0] = 0xFF00FF00;
  yel::TextureUnlockPixels(texture, true);
  ASSERT_TRUE(gl.BeginFrame(0xFF000000));
  gl.DrawSprite(Quad(texture, 0, 0));
  EXPECT_EQ(Read(gl, 40, 30)[0], 0xFF00FF00u);
  gl.EndFrame();
  EXPECT_TRUE(gl.TextureRelease(texture));
  EXPECT_EQ(gl.Slots().InUse(), 0);
}

TEST(GlRenderer, CaptureNeedsAGameSizedTexture) {
  Drawn drawn = MakeGl(Params(16, 8, 16, 8));
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  ASSERT_TRUE(gl.BeginFrame(0xFF336699));
  gl.EndFrame();
  YelTexture* small = gl.TextureCreate(15, 8);
  YelTexture* fitting = gl.TextureCreate(20, 10);
  EXPECT_FALSE(gl.CaptureFrame(small));
  ASSERT_TRUE(gl.CaptureFrame(fitting));
  int32_t w = 0, h = 0;
  uint32_t* pixels = yel::TextureLockPixels(fitting, &w, &h);
  EXPECT_EQ(pixels[7 * w + 15], 0xFF336699u);
  EXPECT_EQ(pixels[7 * w + 16], 0u);  // beyond the game area the texture keeps its pixels
  yel::TextureUnlockPixels(fitting, false);
  gl.TextureRelease(small);
  gl.TextureRelease(fitting);
}

// Each render mode over a known background: the GL blend equations give source S (texture x
// colour, alpha Sa) onto destination D.
TEST(GlRenderer, BlendModesFollowTheirEquations) {
  Drawn drawn = MakeGl(Params(8, 8, 8, 8));
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  const uint32_t background = 0xFF4080C0, source = 0x80FF6020;
  YelTexture* texture = FilledTexture(gl, 4, 4, source);
  auto channel = [](uint32_t c, int shift) { return static_cast<float>((c >> shift) & 0xFF) / 255; };
  using Blend = float (*)(float s, float sa, float d);
  const Blend modes[11] = {
      [](float s, float sa, float d) { return s * sa + d * (1 - sa); },  // 0 blends like 1
      [](float s, float sa, float d) { return s * sa + d * (1 - sa); },
      [](float s, float sa, float d) { return s * sa + d; },
      [](float s, float, float d) { return d * s; },
      [](float, float, float d) { return d * d; },
      [](float s, float, float d) { return d * s; },
      [](float s, float, float d) { return s * (1 - d) + d; },
      [](float s, float, float d) { return std::min(s, d); },
      [](float s, float, float d) { return std::max(s, d); },
      [](float s, float, float d) { return s + d; },
      [](float s, float, float d) { return d - s; },
  };
  for (int mode = 0; mode <= 11; ++mode) {
    ASSERT_TRUE(gl.BeginFrame(background));
    yel::SpriteQuad quad = Quad(texture, 2, 2);
    quad.render_mode = mode;
    gl.DrawSprite(quad);
    const uint32_t got = Read(gl, 8, 8)[3 * 8 + 3];
    gl.EndFrame();
    uint32_t expected = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
      const float v = modes[mode <= 10 ? mode : 1](channel(source, shift), channel(source, 24),
                                                  channel(background, shift));
      expected |= static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)) << shift;
    }
    EXPECT_LE(ChannelDistance(got, expected), 1)
        << "mode " << mode << std::hex << " got " << got << " expected " << expected;
  }
  gl.TextureRelease(texture);
}

}  // namespace
