// The renderer back-end: one implementation chosen at start (GL or software), reached by
// the sprites and the frame through this interface. YelCore, the record that draw callbacks and
// YelGetCore hand out, is the interface itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "YEL/render/texture.h"
#include "YEL/yel.h"
#include "os/window.h"

namespace yel {

// What start-up hands the back-end.
struct RendererParams {
  os::Window* window = nullptr;  // null: frames are composed but shown nowhere
  int32_t window_width = 0;
  int32_t window_height = 0;
  int32_t game_width = 0;
  int32_t game_height = 0;
  uint32_t option_bits = 0;  // 1 smooth scaling, 2 vertical sync, 4 FX effects
  int32_t aspect_mode = 1;
  int32_t texture_slot_count = 256;
};

// An effect a sprite or the whole frame is drawn through: 0 plain draw, 1 raster wave (offset,
// amplitude x, amplitude y), 2 radial blur (centre x, centre y, level).
struct FxEffect {
  int32_t type = 0;
  float params[3] = {0, 0, 0};
};

// Everything a sprite draw hands the back-end. The hardware back-end reads all of it; the
// software one draws without z, the two axis rotations, the centre offset, the UV mode, skew and
// perspective, and with the position and the angle truncated to integers.
struct SpriteQuad {
  YelTexture* texture = nullptr;
  float x = 0, y = 0, z = 0;           // the sprite's position
  int32_t offset_x = 0, offset_y = 0;  // added to x and y
  float rotation_x = 0, rotation_y = 0, angle = 0;
  float scale_x = 1, scale_y = 1;
  YelRect rect{};
  uint32_t colour = 0xFFFFFFFF;
  int32_t render_mode = 1;
  int32_t centre_x = 0, centre_y = 0;
  int32_t address_mode = 0;
  float skew_x = 0, skew_y = 0;
  int32_t perspective = 0;
  const FxEffect* fx = nullptr;  // null: drawn plainly
};

}  // namespace yel

struct YelCore {
  virtual ~YelCore() = default;

  // Textures: from an image file in memory (named after it), or empty of a size. Null when the
  // image cannot be decoded, no slot is free or memory runs out.
  virtual YelTexture* TextureFromImage(const char* name, const uint8_t* bytes, size_t size) = 0;
  virtual YelTexture* TextureCreate(int32_t width, int32_t height) = 0;
  // Gives the texture's slot back and frees the record; false when the slot is not this
  // back-end's (the record is freed all the same).
  virtual bool TextureRelease(YelTexture* texture) = 0;

  // One frame, on the main thread under the render lock: begin (false: nothing can be drawn
  // now), the draws of the render list, end (shows the frame).
  virtual bool BeginFrame(uint32_t clear_colour) = 0;
  virtual void DrawSprite(const yel::SpriteQuad& quad) = 0;
  // A transition between two images of equal height: `factor` (0 to 1) weighs the incoming
  // image against the outgoing one; a pair with one image draws that image. False (nothing
  // drawn) for images of different heights.
  virtual bool DrawSpritePair(const yel::SpriteQuad& incoming, const yel::SpriteQuad& outgoing,
                              float factor) = 0;
  virtual void EndFrame() = 0;
  // Passes the frame drawn so far through an effect; false when the back-end has none.
  virtual bool DrawScreenFx(const yel::FxEffect& /*effect*/) { return false; }

  // Copies the last composed frame (game size) into a texture; false when it does not fit.
  virtual bool CaptureFrame(YelTexture* texture) = 0;

  // The window's client size changed.
  virtual bool Resize(int32_t width, int32_t height) = 0;
  // Applies an aspect mode; returns the rectangle of the client area that shows the game.
  virtual os::Rect SetAspect(int32_t aspect_mode, bool full_screen, const os::Rect& monitor) = 0;
  // 0 when drawing can go on (or nothing was lost), 1 while the output is still away.
  virtual int Restore() = 0;

  // What textures may be: a back-end without limits of its own keeps the image limit of the
  // texture slots, takes any size and knows no free texture memory.
  virtual YelTextureCaps TextureCaps() const {
    return YelTextureCaps{yel::kMaxImageSide, yel::kMaxImageSide, 0, 0};
  }
};

namespace yel {

// A float truncated toward zero into 32 bits; NaN gives 0 and values beyond the range saturate.
inline int32_t TruncateFloat(float value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// The rectangle of a `monitor`-sized full-screen area that shows a game of game_width x
// game_height in aspect mode 0 (stretched), 1 (fit inside), 2 (centred at game size) or 3
// (cover); relative to the monitor's corner. False for another mode.
bool FullScreenAspectRect(int32_t aspect_mode, int32_t monitor_width, int32_t monitor_height,
                          int32_t game_width, int32_t game_height, os::Rect& out);

}  // namespace yel
