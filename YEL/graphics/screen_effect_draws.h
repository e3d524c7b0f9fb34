// The draw functions of the screen transitions and what they share: the effect's time, the
// capture drawn over the scene, the per-transition data. Present only, under the render lock.
#pragma once

#include <cstdint>
#include <vector>

#include "YEL/graphics/screen_effect_state.h"
#include "YEL/yel.h"

namespace yel {

// Per-transition data: the mosaic's clean capture and whether it was taken anew at half time;
// the mask of a wipe. Gives the mask texture back when it goes.
struct ScreenEffectScratch {
  bool recaptured = false;
  std::vector<uint32_t> clean;
  YelTexture* mask = nullptr;
  ~ScreenEffectScratch();
};

// Where an effect stands in this frame: elapsed ms (at most the duration), the share of the
// duration as 0 to 1, and whether this is the last frame.
struct EffectTime {
  uint32_t elapsed = 0;
  float progress = 0;
  bool last = false;
};

// Starts the clock at the first call; a pushed skip key of a skippable effect jumps to its end.
// A duration of 0 is over at once.
EffectTime EffectClock(ScreenEffectState& state);

// Draws the rectangle of the capture at (x, y) with the colour, alpha blending.
void DrawCapture(const ScreenEffectState& state, const YelRect& rect, int32_t x, int32_t y,
                 uint32_t colour);
// Copies the frame drawn so far into the capture texture, opaque; false when it cannot be read.
bool CaptureScreen(ScreenEffectState& state);

// The effect's draw function; null for numbers that draw nothing (0, 4, 7, 8, 9) and those
// outside 0..49.
ScreenEffectDraw ScreenEffectTableEntry(int32_t number);
// The mosaic's block size at a share of its time: 1 at both ends, 129 at half time.
int32_t MosaicBlockSize(float progress);
// Pixelates `width` x `height` pixels of `clean` (rows `pitch` apart) into `target` (same pitch):
// every block x block square takes the colour of its top-left pixel.
void Pixelate(uint32_t* target, const uint32_t* clean, int32_t width, int32_t height, int32_t pitch,
              int32_t block);

// The wipes through "Mask\Mask%02d" (number - 10).
bool MaskTransitionDraw(ScreenEffectState& state);
// The wipe's alpha over the overlap of the capture and the mask, each addressed with its own row
// length: 255 where the mask's blue byte is below the threshold, a 31-level soft edge above it,
// else 0. Colour bytes are kept; capture pixels outside the mask are left as they are.
void MaskThreshold(uint32_t* capture, int32_t capture_width, int32_t capture_height,
                   int32_t capture_pitch, const uint32_t* mask, int32_t mask_width,
                   int32_t mask_height, int32_t mask_pitch, uint8_t threshold);

}  // namespace yel
