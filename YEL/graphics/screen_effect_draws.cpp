// The draw functions of the screen transitions that work on the captured frame alone: fade,
// softening fade, shrinking box, white fade-in and mosaic; and the table that names them.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "YEL/graphics/pixel_routines.h"
#include "YEL/graphics/screen_effect_draws.h"
#include "YEL/render/texture.h"

namespace yel {
namespace {

YelRect WholeCapture(const ScreenEffectState& state) {
  return YelRect{0, 0, state.capture_width, state.capture_height};
}

uint32_t WhiteWithAlpha(float alpha) {
  return static_cast<uint32_t>(static_cast<int32_t>(alpha * 255.0f)) << 24 | 0x00FFFFFFu;
}

// The old frame fades out over the new scene.
bool EffectFadeDraw(ScreenEffectState& state) {
  const EffectTime time = EffectClock(state);
  state.colour = WhiteWithAlpha(1.0f - time.progress);
  DrawCapture(state, WholeCapture(state), 0, 0, state.colour);
  return time.last;
}

// The capture is softened in place every frame, so the blur grows while it fades.
bool EffectBlurFadeDraw(ScreenEffectState& state) {
  int32_t width = 0, height = 0;
  if (uint32_t* pixels = TextureLockPixels(state.capture, &width, &height)) {
    SoftenFilter(pixels, width, height, width);
    TextureUnlockPixels(state.capture, true);
  }
  return EffectFadeDraw(state);
}

// A centred box of the old frame shrinks to nothing; it keeps the frame's proportions.
bool EffectBoxDraw(ScreenEffectState& state) {
  const EffectTime time = EffectClock(state);
  const int32_t width = state.capture_width, height = state.capture_height;
  const int32_t box_width =
      static_cast<int32_t>((1.0f - time.progress) * static_cast<float>(width));
  const int32_t box_height =
      width > 0 ? static_cast<int32_t>(int64_t{box_width} * height / width) : 0;
  state.box_left = (width - box_width) >> 1;
  state.box_top = (height - box_height) >> 1;
  const YelRect rect{state.box_left, state.box_top, state.box_left + box_width,
                     state.box_top + box_height};
  if (box_width > 0 && box_height > 0) {
    DrawCapture(state, rect, state.box_left, state.box_top, state.colour);
  }
  return time.last;
}

// A white screen fades in over the new scene.
bool EffectWhiteDraw(ScreenEffectState& state) {
  const bool first = !state.started;
  const EffectTime time = EffectClock(state);
  if (first) {
    int32_t width = 0, height = 0;
    if (uint32_t* pixels = TextureLockPixels(state.capture, &width, &height)) {
      std::fill(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height),
                0xFFFFFFFFu);
      TextureUnlockPixels(state.capture, true);
    }
  }
  state.colour = WhiteWithAlpha(time.progress);
  DrawCapture(state, WholeCapture(state), 0, 0, state.colour);
  return time.last;
}

// Keeps the capture as it is now, to pixelate from in every frame.
void KeepCleanCapture(ScreenEffectState& state) {
  int32_t width = 0, height = 0;
  const uint32_t* pixels = TextureLockPixels(state.capture, &width, &height);
  if (!pixels) return;
  state.scratch->clean.assign(pixels,
                              pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
  TextureUnlockPixels(state.capture, false);
}

// The old frame breaks into growing blocks; past half time the new scene is captured and
// resolves from blocks that shrink again.
bool EffectMosaicDraw(ScreenEffectState& state) {
  const bool first = !state.started;
  const EffectTime time = EffectClock(state);
  if (first || !state.scratch) {
    state.scratch = std::make_unique<ScreenEffectScratch>();
    KeepCleanCapture(state);
  }
  // The last frame shows the new scene even when it is also the first.
  if (!state.scratch->recaptured && (time.elapsed > state.duration / 2 || time.last)) {
    CaptureScreen(state);
    KeepCleanCapture(state);
    state.scratch->recaptured = true;
  }
  int32_t width = 0, height = 0;
  uint32_t* pixels = TextureLockPixels(state.capture, &width, &height);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (pixels && state.scratch->clean.size() == count) {
    Pixelate(pixels, state.scratch->clean.data(), width, height, width,
             MosaicBlockSize(time.progress));
  }
  if (pixels) TextureUnlockPixels(state.capture, true);
  DrawCapture(state, WholeCapture(state), 0, 0, state.colour);
  if (time.last) state.scratch.reset();
  return time.last;
}

}  // namespace

int32_t MosaicBlockSize(float progress) {
  // sin(pi i / 256) for i = 0 to 256, in single precision so that both ends are exactly 0.
  static const std::array<float, 257> kCurve = [] {
    std::array<float, 257> curve{};
    for (int i = 0; i <= 256; ++i)
      curve[i] = std::sin(3.14159265f * static_cast<float>(i) / 256.0f);
    curve[0] = curve[256] = 0.0f;
    return curve;
  }();
  const int32_t index = std::clamp(static_cast<int32_t>(progress * 256.0f), 0, 256);
  const int32_t level = static_cast<int32_t>((1.0f - kCurve[index]) * 255.0f);
  return (256 - level) / 2 + 1;
}

void Pixelate(uint32_t* target, const uint32_t* clean, int32_t width, int32_t height, int32_t pitch,
              int32_t block) {
  block = std::max(block, 1);
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* source = clean + static_cast<size_t>(y - y % block) * pitch;
    uint32_t* row = target + static_cast<size_t>(y) * pitch;
    for (int32_t x = 0; x < width; ++x) row[x] = source[x - x % block];
  }
}

ScreenEffectDraw ScreenEffectTableEntry(int32_t number) {
  switch (number) {
    case 1:
      return EffectFadeDraw;
    case 2:
      return EffectBlurFadeDraw;
    case 3:
      return EffectBoxDraw;
    case 5:
      return EffectWhiteDraw;
    case 6:
      return EffectMosaicDraw;
    default:
      return number >= 10 && number <= 49 ? MaskTransitionDraw : nullptr;
  }
}

}  // namespace yel
