// The GL back-end drawn headless (Mesa's software GL under the offscreen video driver) and read
// back: blend modes, the sprite transform, aspect rectangles, pairs, the raster wave, and one
// scene drawn by both back-ends. Where the machine gives no GL context the pixel tests skip; the
// fallback to the software back-end is a test of its own (tests/program).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "YEL/render/gl_api.h"
#include "YEL/render/gl_renderer.h"
#include "YEL/render/renderer.h"
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
Drawn MakeGl(yel::RendererParams params, yel::GlFilters filters = {}, bool pow2 = false) {
  Drawn drawn;
  // A build that draws in software only never opens a GL window.
  if (!yel::RendererHardwareBuilt()) return drawn;
  os::Window::Options options;
  options.width = params.window_width;
  options.height = params.window_height;
  options.visible = false;
  options.opengl = true;
  drawn.window = os::Window::Create(options);
  if (!drawn.window) return drawn;
  params.window = drawn.window.get();
  std::string error;
  drawn.renderer = yel::GlRenderer::Create(params, filters, pow2, &error);
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

#define REQUIRE_GL(drawn) \
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
  auto channel = [](uint32_t c, int shift) {
    return static_cast<float>((c >> shift) & 0xFF) / 255;
  };
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

// The bounding box of the pixels that differ from `background`.
YelRect Footprint(const std::vector<uint32_t>& frame, int w, int h, uint32_t background) {
  YelRect box{w, h, -1, -1};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (frame[y * w + x] == background) continue;
      box.left = std::min(box.left, x), box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1), box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box;
}

// A texture whose left half is red and right half blue, so a turn shows its direction.
YelTexture* HalvesTexture(YelCore& core, int w, int h) {
  YelTexture* texture = core.TextureCreate(w, h);
  int32_t tw = 0, th = 0;
  uint32_t* pixels = yel::TextureLockPixels(texture, &tw, &th);
  for (int y = 0; y < th; ++y) {
    for (int x = 0; x < tw; ++x) pixels[y * tw + x] = x < tw / 2 ? 0xFFFF0000 : 0xFF0000FF;
  }
  yel::TextureUnlockPixels(texture, true);
  return texture;
}

// A quarter turn at twice the size: the 20 x 10 sprite covers 20 x 40 pixels around its centre
// (50, 50), and its left (red) half ends up below, as the software back-end turns it.
TEST(GlRenderer, TurnedAndScaledSpriteCoversWhatTheSoftwareOneCovers) {
  Drawn drawn = MakeGl(Params(100, 100, 100, 100));
  REQUIRE_GL(drawn);
  auto soft = yel::SoftRenderer::Create(Params(100, 100, 100, 100));
  ASSERT_NE(soft, nullptr);
  for (YelCore* core :
       {static_cast<YelCore*>(drawn.renderer.get()), static_cast<YelCore*>(soft.get())}) {
    YelTexture* texture = HalvesTexture(*core, 20, 10);
    ASSERT_TRUE(core->BeginFrame(0xFF000000));
    yel::SpriteQuad quad = Quad(texture, 40, 45);
    quad.angle = 128;
    quad.scale_x = quad.scale_y = 2;
    core->DrawSprite(quad);
    std::vector<uint32_t> frame(100 * 100);
    if (core == soft.get()) {
      std::copy(soft->Frame(), soft->Frame() + frame.size(), frame.begin());
    } else {
      frame = Read(*drawn.renderer, 100, 100);
    }
    core->EndFrame();
    const YelRect box = Footprint(frame, 100, 100, 0xFF000000);
    const bool is_soft = core == soft.get();
    EXPECT_NEAR(box.left, 40, 1) << is_soft;
    EXPECT_NEAR(box.right, 60, 1) << is_soft;
    EXPECT_NEAR(box.top, 30, 1) << is_soft;
    EXPECT_NEAR(box.bottom, 70, 1) << is_soft;
    // The software blend keeps 252 of 255.
    EXPECT_LE(ChannelDistance(frame[62 * 100 + 50], 0xFFFF0000u), 3) << is_soft;
    EXPECT_LE(ChannelDistance(frame[38 * 100 + 50], 0xFF0000FFu), 3) << is_soft;
    core->TextureRelease(texture);
  }
}

// The centre offset is the pivot: alone it leaves the sprite where it is; with a half turn the
// sprite swings round the pivot.
TEST(GlRenderer, CentreOffsetMovesThePivotNotTheSprite) {
  Drawn drawn = MakeGl(Params(100, 100, 100, 100));
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  YelTexture* texture = FilledTexture(gl, 10, 10, 0xFFFFFFFF);
  struct Case {
    float angle;
    YelRect expected;
  };
  // The sprite at (40, 40); its centre (45, 45); the stored offset -10 puts the pivot at 55.
  for (const Case& c : {Case{0, {40, 40, 50, 50}}, Case{256, {60, 60, 70, 70}}}) {
    ASSERT_TRUE(gl.BeginFrame(0xFF000000));
    yel::SpriteQuad quad = Quad(texture, 40, 40);
    quad.centre_x = quad.centre_y = -10;
    quad.angle = c.angle;
    gl.DrawSprite(quad);
    const YelRect box = Footprint(Read(gl, 100, 100), 100, 100, 0xFF000000);
    gl.EndFrame();
    EXPECT_EQ(box.left, c.expected.left) << c.angle;
    EXPECT_EQ(box.top, c.expected.top) << c.angle;
    EXPECT_EQ(box.right, c.expected.right) << c.angle;
    EXPECT_EQ(box.bottom, c.expected.bottom) << c.angle;
  }
  gl.TextureRelease(texture);
}

// The window's pixel at (x, y) from the top, read from the drawn back buffer.
uint32_t WindowPixel(int x, int y, int height) {
  uint32_t pixel = 0;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadPixels(x, height - 1 - y, 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &pixel);
  return pixel | 0xFF000000u;
}

// A 1280 x 720 game full screen on 1920 x 1200: fit inside at top 60, one-to-one at (320, 240),
// cover at left -107 (the halving of -213 rounds down). Game columns 0 to 127 are red.
TEST(GlRenderer, FullScreenCopyLandsOnTheAspectRectangle) {
  yel::GlFilters point;
  point.final_filter = 1;
  Drawn drawn = MakeGl(Params(1280, 720, 1920, 1200), point);
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  YelTexture* red = FilledTexture(gl, 128, 720, 0xFFFF0000);
  const os::Rect monitor{0, 0, 1920, 1200};
  struct Case {
    int mode;
    os::Rect rect;
    int probe_x, probe_y;  // first game pixel past the red columns, on the window
  };
  const Case cases[] = {
      {1, {0, 60, 1920, 1140}, 192, 60},
      {2, {320, 240, 1600, 960}, 448, 240},
      {3, {-107, 0, 2026, 1200}, 107, 0},
  };
  for (const Case& c : cases) {
    const os::Rect rect = gl.SetAspect(c.mode, true, monitor);
    EXPECT_EQ(rect.left, c.rect.left) << c.mode;
    EXPECT_EQ(rect.top, c.rect.top) << c.mode;
    EXPECT_EQ(rect.right, c.rect.right) << c.mode;
    EXPECT_EQ(rect.bottom, c.rect.bottom) << c.mode;
    ASSERT_TRUE(gl.BeginFrame(0xFF00FF00));
    gl.DrawSprite(Quad(red, 0, 0));
    gl.EndFrame();
    EXPECT_EQ(WindowPixel(c.probe_x, c.probe_y, 1200), 0xFF00FF00u) << c.mode;
    EXPECT_EQ(WindowPixel(c.probe_x - 2, c.probe_y, 1200), 0xFFFF0000u) << c.mode;
    EXPECT_EQ(WindowPixel(c.probe_x, c.probe_y + 2, 1200), 0xFF00FF00u) << c.mode;
    if (c.rect.top > 0) {
      EXPECT_EQ(WindowPixel(c.probe_x, c.rect.top - 1, 1200), 0xFF000000u);
    }
    if (c.rect.left > 0) {
      EXPECT_EQ(WindowPixel(c.rect.left - 1, c.probe_y, 1200), 0xFF000000u);
    }
  }
  gl.TextureRelease(red);
}

// A transition pair: the outgoing image (second record) drawn over the incoming one by its own
// alpha; an outgoing colour of alpha 0 shows the incoming image alone.
TEST(GlRenderer, SpritePairLaysTheOutgoingImageOverTheIncomingOne) {
  Drawn drawn = MakeGl(Params(64, 32, 64, 32));
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  YelTexture* red = FilledTexture(gl, 16, 16, 0xFFFF0000);
  YelTexture* half_blue = FilledTexture(gl, 16, 16, 0x800000FF);
  struct Case {
    const char* what;
    float out_x;
    uint32_t out_colour;
    uint32_t at_in, at_out;  // pixels at (12, 12) and at (out_x + 4, 12)
  };
  const Case cases[] = {
      // Alone, the outgoing alpha counts twice: in the pass and in the blend onto the frame.
      {"apart", 40, 0xFFFFFFFF, 0xFFFF0000, 0xFF000040},
      {"over", 8, 0xFFFFFFFF, 0xFF7F0080, 0xFF7F0080},
      {"outgoing invisible", 40, 0x00FFFFFF, 0xFFFF0000, 0xFF000000},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(gl.BeginFrame(0xFF000000));
    yel::SpriteQuad incoming = Quad(red, 8, 8);
    yel::SpriteQuad outgoing = Quad(half_blue, c.out_x, 8);
    outgoing.colour = c.out_colour;
    EXPECT_TRUE(gl.DrawSpritePair(incoming, outgoing, 0.5f));
    const std::vector<uint32_t> frame = Read(gl, 64, 32);
    gl.EndFrame();
    EXPECT_LE(ChannelDistance(frame[12 * 64 + 12], c.at_in), 1)
        << c.what << std::hex << " " << frame[12 * 64 + 12];
    const int out = 12 * 64 + static_cast<int>(c.out_x) + 4;
    EXPECT_LE(ChannelDistance(frame[out], c.at_out), 1) << c.what << std::hex << " " << frame[out];
    EXPECT_EQ(frame[30 * 64 + 2], 0xFF000000u) << c.what;  // outside both, untouched
  }
  // Without an outgoing texture the incoming one is drawn as a plain sprite.
  ASSERT_TRUE(gl.BeginFrame(0xFF000000));
  gl.DrawSpritePair(Quad(red, 8, 8), yel::SpriteQuad{}, 1.0f);
  EXPECT_EQ(Read(gl, 64, 32)[12 * 64 + 12], 0xFFFF0000u);
  gl.EndFrame();
  gl.TextureRelease(red);
  gl.TextureRelease(half_blue);
}

// Draws one sprite, with or without an effect, and returns the frame.
std::vector<uint32_t> DrawWith(yel::GlRenderer& gl, YelTexture* texture, const yel::FxEffect* fx,
                               int side) {
  EXPECT_TRUE(gl.BeginFrame(0xFF000000));
  yel::SpriteQuad quad = Quad(texture, 32, 16);
  quad.fx = fx;
  gl.DrawSprite(quad);
  std::vector<uint32_t> frame = Read(gl, side, side);
  gl.EndFrame();
  return frame;
}

// The raster wave moves rows sideways by the grid's displacement; with no amplitude it draws
// the image unmoved. It needs no effect program, so it works without the effects too.
TEST(GlRenderer, RasterWaveMovesPixels) {
  for (uint32_t options : {0u, 4u}) {
    Drawn drawn = MakeGl(Params(128, 128, 128, 128, options));
    REQUIRE_GL(drawn);
    yel::GlRenderer& gl = *drawn.renderer;
    YelTexture* stripe = FilledTexture(gl, 16, 96, 0xFFFFFFFF);
    const std::vector<uint32_t> plain = DrawWith(gl, stripe, nullptr, 128);
    const yel::FxEffect still{1, {0.3f, 0, 0}};
    EXPECT_EQ(DrawWith(gl, stripe, &still, 128), plain) << options;
    const yel::FxEffect wave{1, {0.0f, 1.0f, 0}};
    const std::vector<uint32_t> waved = DrawWith(gl, stripe, &wave, 128);
    int moved_rows = 0;
    for (int y = 16; y < 112; ++y) {
      const YelRect row =
          Footprint(std::vector<uint32_t>(waved.begin() + y * 128, waved.begin() + (y + 1) * 128),
                    128, 1, 0xFF000000);
      if (row.left != 32) ++moved_rows;
      // A displacement of at most 0.1 clip units: 6.4 pixels of the 128-pixel target.
      EXPECT_LE(std::abs(row.left - 32), 7) << y;
    }
    EXPECT_GT(moved_rows, 48) << options;
    // The whole frame through the wave: unmoved without amplitude, moved with it.
    for (const yel::FxEffect* fx : {&still, &wave}) {
      ASSERT_TRUE(gl.BeginFrame(0xFF000000));
      gl.DrawSprite(Quad(stripe, 32, 16));
      EXPECT_TRUE(gl.DrawScreenFx(*fx));
      const std::vector<uint32_t> screen = Read(gl, 128, 128);
      gl.EndFrame();
      EXPECT_EQ(screen == plain, fx == &still) << options;
    }
    gl.TextureRelease(stripe);
  }
}

// Without the effects a sprite drawn through effect 0 or 2 is not drawn and the whole frame
// through them stays as it was; with them, effect 0 draws like a plain sprite and a radial blur
// of level 0 too.
TEST(GlRenderer, EffectsThatAreNotLoadedDrawNothing) {
  for (uint32_t options : {0u, 4u}) {
    Drawn drawn = MakeGl(Params(96, 96, 96, 96, options));
    REQUIRE_GL(drawn);
    yel::GlRenderer& gl = *drawn.renderer;
    EXPECT_EQ(gl.FxLoaded(), options ? 7u : 0u);
    YelTexture* texture = HalvesTexture(gl, 20, 20);
    const std::vector<uint32_t> plain = DrawWith(gl, texture, nullptr, 96);
    const std::vector<uint32_t> empty(96 * 96, 0xFF000000);
    for (int type : {0, 2}) {
      const yel::FxEffect fx{type, {0, 0, 0}};
      EXPECT_EQ(DrawWith(gl, texture, &fx, 96), options ? plain : empty) << type;
      ASSERT_TRUE(gl.BeginFrame(0xFF000000));
      gl.DrawSprite(Quad(texture, 32, 16));
      EXPECT_EQ(gl.DrawScreenFx(fx), options != 0);
      EXPECT_EQ(Read(gl, 96, 96), plain) << type;
      gl.EndFrame();
    }
    gl.TextureRelease(texture);
  }
}

// A gradient, so that a texel picked one off by the two back-ends' different sampling of a
// turned sprite changes the colour by a little only.
YelTexture* GradientTexture(YelCore& core, int w, int h, uint32_t alpha_top,
                            uint32_t alpha_bottom) {
  YelTexture* texture = core.TextureCreate(w, h);
  int32_t tw = 0, th = 0;
  uint32_t* pixels = yel::TextureLockPixels(texture, &tw, &th);
  for (int y = 0; y < th; ++y) {
    const uint32_t a = alpha_top + (alpha_bottom - alpha_top) * y / (th - 1);
    for (int x = 0; x < tw; ++x) {
      pixels[y * tw + x] = a << 24 | (64 + 2 * x) << 16 | (200 - 2 * y) << 8 | (100 + x + y);
    }
  }
  yel::TextureUnlockPixels(texture, true);
  return texture;
}

// One scene drawn by both back-ends: alpha with a translucent colour, add, multiply, a turned
// and a scaled sprite. Edges of the turned and scaled sprites fall differently, so a few
// pixels may differ more; the rest agree within a few levels.
TEST(GlRenderer, SceneMatchesTheSoftwareRenderer) {
  const int w = 160, h = 120;
  Drawn drawn = MakeGl(Params(w, h, w, h));
  REQUIRE_GL(drawn);
  auto soft = yel::SoftRenderer::Create(Params(w, h, w, h));
  ASSERT_NE(soft, nullptr);
  std::vector<uint32_t> frames[2];
  int index = 0;
  for (YelCore* core :
       {static_cast<YelCore*>(drawn.renderer.get()), static_cast<YelCore*>(soft.get())}) {
    YelTexture* opaque = GradientTexture(*core, 48, 40, 255, 255);
    YelTexture* fading = GradientTexture(*core, 48, 40, 255, 40);
    ASSERT_TRUE(core->BeginFrame(0xFF303030));
    yel::SpriteQuad base = Quad(opaque, 4, 4);
    core->DrawSprite(base);
    yel::SpriteQuad alpha = Quad(fading, 30, 20);
    alpha.colour = 0xA0FFFFFF;
    core->DrawSprite(alpha);
    yel::SpriteQuad add = Quad(fading, 90, 6);
    add.render_mode = 2;
    core->DrawSprite(add);
    yel::SpriteQuad multiply = Quad(opaque, 100, 30);
    multiply.render_mode = 3;
    core->DrawSprite(multiply);
    yel::SpriteQuad turned = Quad(opaque, 20, 66);
    turned.angle = 64;
    core->DrawSprite(turned);
    yel::SpriteQuad scaled = Quad(fading, 96, 70);
    scaled.scale_x = 1.5f;
    scaled.scale_y = 0.75f;
    core->DrawSprite(scaled);
    if (index == 0) {
      frames[0] = Read(*drawn.renderer, w, h);
    } else {
      frames[1].assign(soft->Frame(), soft->Frame() + w * h);
    }
    core->EndFrame();
    core->TextureRelease(opaque);
    core->TextureRelease(fading);
    ++index;
  }
  int far_off = 0;
  for (int i = 0; i < w * h; ++i) {
    const int distance = ChannelDistance(frames[0][i], frames[1][i]);
    if (distance > 4) ++far_off;
  }
  EXPECT_LT(far_off, w * h / 100) << "pixels beyond the tolerance: " << far_off;
}

// Entering or leaving full screen makes the targets anew before the next frame, with YelSetPow's
// switch as it is then: 2048 for a 1280 x 720 game. Uploaded textures survive.
TEST(GlRenderer, ModeChangeMakesTheTargetsAnew) {
  Drawn drawn = MakeGl(Params(1280, 720, 640, 360));
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  EXPECT_EQ(gl.TargetSize(), 1280);
  YelTexture* red = FilledTexture(gl, 8, 8, 0xFFFF0000);
  ASSERT_TRUE(gl.BeginFrame(0xFF000000));
  gl.DrawSprite(Quad(red, 0, 0));
  gl.EndFrame();
  const os::Rect monitor{0, 0, 640, 360};
  struct Step {
    bool pow2, full_screen;
    int32_t side;
  };
  for (const Step& step :
       {Step{true, false, 1280}, Step{true, true, 2048}, Step{false, false, 1280}}) {
    gl.SetPowerOfTwo(step.pow2);
    gl.SetAspect(1, step.full_screen, monitor);
    ASSERT_TRUE(gl.BeginFrame(0xFF0000FF));
    EXPECT_EQ(gl.TargetSize(), step.side);
    gl.DrawSprite(Quad(red, 1272, 712));
    const std::vector<uint32_t> frame = Read(gl, 1280, 720);
    gl.EndFrame();
    EXPECT_EQ(frame[719 * 1280 + 1279], 0xFFFF0000u) << step.side;
    EXPECT_EQ(frame[0], 0xFF0000FFu) << step.side;
  }
  gl.TextureRelease(red);
}

// Sampling: a rectangle past the texture repeats it with wrap and stretches its edge with
// clamp; the second filter 2 samples a scaled sprite smoothly and an unscaled one exactly; a
// perspective sprite in the plane z = 0 lands where the orthographic one does.
TEST(GlRenderer, AddressModesFiltersAndPerspective) {
  yel::GlFilters smooth_sprites;
  smooth_sprites.second_filter = 2;
  Drawn drawn = MakeGl(Params(64, 64, 64, 64), smooth_sprites);
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  YelTexture* halves = HalvesTexture(gl, 4, 4);  // columns 0, 1 red; 2, 3 blue
  auto draw = [&](const yel::SpriteQuad& quad) {
    EXPECT_TRUE(gl.BeginFrame(0xFF000000));
    gl.DrawSprite(quad);
    std::vector<uint32_t> frame = Read(gl, 64, 64);
    gl.EndFrame();
    return frame;
  };
  yel::SpriteQuad wide = Quad(halves, 8, 8);
  wide.rect = YelRect{0, 0, 8, 4};
  wide.address_mode = 1;
  std::vector<uint32_t> frame = draw(wide);
  EXPECT_EQ(frame[9 * 64 + 12], 0xFFFF0000u);  // column 4 wraps to column 0
  EXPECT_EQ(frame[9 * 64 + 15], 0xFF0000FFu);
  wide.address_mode = 0;
  frame = draw(wide);
  EXPECT_EQ(frame[9 * 64 + 12], 0xFF0000FFu);  // column 4 clamps to column 3
  yel::SpriteQuad plain = Quad(halves, 8, 8);
  frame = draw(plain);
  EXPECT_EQ(frame[9 * 64 + 9], 0xFFFF0000u);
  EXPECT_EQ(frame[9 * 64 + 10], 0xFF0000FFu);
  yel::SpriteQuad scaled = plain;
  scaled.scale_x = scaled.scale_y = 4;  // 16 x 16 around the centre (10, 10): x from 2
  frame = draw(scaled);
  bool blended = false;
  for (int x = 2; x < 18; ++x) {
    const uint32_t p = frame[10 * 64 + x];
    blended |= ((p >> 16) & 0xFF) > 8 && (p & 0xFF) > 8;
  }
  EXPECT_TRUE(blended) << "a scaled sprite with the second filter 2 is sampled linearly";
  yel::SpriteQuad perspective = plain;
  perspective.perspective = 1;
  EXPECT_EQ(draw(perspective), draw(plain));
  gl.TextureRelease(halves);
}

// The bicubic copy (final filter 3) in full screen keeps a flat colour flat and softens an
// edge where a point copy would not.
TEST(GlRenderer, BicubicCopySoftensEdges) {
  yel::GlFilters bicubic;
  bicubic.final_filter = 3;
  Drawn drawn = MakeGl(Params(32, 32, 128, 128), bicubic);
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  YelTexture* red = FilledTexture(gl, 16, 32, 0xFFFF0000);
  gl.SetAspect(0, true, os::Rect{0, 0, 128, 128});
  ASSERT_TRUE(gl.BeginFrame(0xFF0000FF));
  gl.DrawSprite(Quad(red, 0, 0));
  gl.EndFrame();
  EXPECT_EQ(WindowPixel(10, 64, 128), 0xFFFF0000u);
  EXPECT_EQ(WindowPixel(118, 64, 128), 0xFF0000FFu);
  const uint32_t edge = WindowPixel(64, 64, 128);
  EXPECT_NE(edge, 0xFFFF0000u);
  EXPECT_NE(edge, 0xFF0000FFu);
  gl.TextureRelease(red);
}

// The other parts of the world transform: a half turn about Y mirrors the sprite, an eighth of
// a turn of horizontal skew leans its top to the right by its height.
TEST(GlRenderer, TurnAboutYMirrorsAndSkewLeans) {
  Drawn drawn = MakeGl(Params(64, 64, 64, 64));
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  YelTexture* halves = HalvesTexture(gl, 16, 16);
  auto draw = [&](const yel::SpriteQuad& quad) {
    EXPECT_TRUE(gl.BeginFrame(0xFF000000));
    gl.DrawSprite(quad);
    std::vector<uint32_t> frame = Read(gl, 64, 64);
    gl.EndFrame();
    return frame;
  };
  yel::SpriteQuad mirrored = Quad(halves, 24, 24);
  mirrored.rotation_y = 256;
  std::vector<uint32_t> frame = draw(mirrored);
  EXPECT_EQ(frame[32 * 64 + 26], 0xFF0000FFu);
  EXPECT_EQ(frame[32 * 64 + 37], 0xFFFF0000u);
  yel::SpriteQuad leaning = Quad(halves, 24, 24);
  leaning.skew_x = 64;
  frame = draw(leaning);
  auto row_left = [&](int y) {
    for (int x = 0; x < 64; ++x) {
      if (frame[y * 64 + x] != 0xFF000000u) return x;
    }
    return -1;
  };
  EXPECT_NEAR(row_left(24) - row_left(39), 15, 1);
  EXPECT_NEAR(row_left(32), 24, 1);  // the centre row stays
  gl.TextureRelease(halves);
}

// The vertical wave moves each grid column as a whole, so a band keeps its thickness in every
// pixel column while its position changes across the target.
TEST(GlRenderer, VerticalWaveMovesWholeColumns) {
  Drawn drawn = MakeGl(Params(128, 128, 128, 128));
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  YelTexture* band = FilledTexture(gl, 128, 16, 0xFFFFFFFF);
  const yel::FxEffect wave{1, {0.0f, 0, 1.0f}};
  ASSERT_TRUE(gl.BeginFrame(0xFF000000));
  yel::SpriteQuad quad = Quad(band, 0, 56);
  quad.fx = &wave;
  gl.DrawSprite(quad);
  const std::vector<uint32_t> frame = Read(gl, 128, 128);
  gl.EndFrame();
  std::vector<int> tops;
  for (int x = 0; x < 128; ++x) {
    int top = -1, thickness = 0;
    for (int y = 0; y < 128; ++y) {
      if (frame[y * 128 + x] == 0xFF000000u) continue;
      if (top < 0) top = y;
      ++thickness;
    }
    EXPECT_NEAR(thickness, 16, 1) << "column " << x;
    tops.push_back(top);
  }
  EXPECT_GT(
      *std::max_element(tops.begin(), tops.end()) - *std::min_element(tops.begin(), tops.end()), 3);
  gl.TextureRelease(band);
}

// With YelSetPow's switch on from the start, the target and the textures get power-of-two sizes
// and a sprite still covers exactly its rectangle. Textures beyond the device's size are refused.
TEST(GlRenderer, PowerOfTwoSizesKeepTheSpriteExact) {
  Drawn drawn = MakeGl(Params(40, 30, 40, 30), {}, true);
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  EXPECT_EQ(gl.TargetSize(), 64);
  EXPECT_EQ(gl.TextureCreate(gl.MaxTextureSize() + 1, 1), nullptr);
  YelTexture* texture = FilledTexture(gl, 6, 3, 0xFF00FF00);
  ASSERT_TRUE(gl.BeginFrame(0xFF000000));
  gl.DrawSprite(Quad(texture, 10, 20));
  const YelRect box = Footprint(Read(gl, 40, 30), 40, 30, 0xFF000000);
  gl.EndFrame();
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 20);
  EXPECT_EQ(box.right, 16);
  EXPECT_EQ(box.bottom, 23);
  gl.TextureRelease(texture);
}

// Once a thread draws the frames, no other thread takes the context, reads the frame or draws
// into the target; the drawing thread goes on undisturbed.
TEST(GlRenderer, OnlyTheDrawingThreadCallsGl) {
  Drawn drawn = MakeGl(Params(16, 16, 16, 16));
  REQUIRE_GL(drawn);
  yel::GlRenderer& gl = *drawn.renderer;
  ASSERT_TRUE(gl.BeginFrame(0xFF112233));
  gl.EndFrame();
  std::vector<uint32_t> pixels(16 * 16);
  bool read = true, target = true, frame = true;
  std::thread other([&] {
    read = gl.ReadFrame(pixels.data(), 16, 16, 16);
    target = gl.BeginTarget(0);
    frame = gl.BeginFrame(0);
  });
  other.join();
  EXPECT_FALSE(read);
  EXPECT_FALSE(target);
  EXPECT_FALSE(frame);
  ASSERT_TRUE(gl.BeginFrame(0xFF445566));
  EXPECT_EQ(Read(gl, 16, 16)[0], 0xFF445566u);
  gl.EndFrame();
}

}  // namespace
