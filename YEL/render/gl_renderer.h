// The hardware back-end on OpenGL 3.3 core. The game is drawn at the game size into a square
// render-target texture (side max(game width, game height), powers of two after YelSetPow), and
// each frame ends by drawing that texture onto the window's aspect rectangle. Textures are the
// same CPU slots the software back-end draws from; each is uploaded when its pixels changed.
//
// Threads: the context is made on the thread that creates the back-end and handed to the thread
// that draws frames (the main thread), which alone calls GL after. Texture creation and release
// and the window changes (resize, aspect, restore) may come from other threads: they touch only
// the slot table and state under `state_lock_`, and the drawing thread applies them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "YEL/render/backend.h"
#include "YEL/render/texture.h"

namespace os {
class GlContext;
}

namespace yel {

// The render target and the two effect targets: a texture with its framebuffer.
struct GlTarget {
  uint32_t texture = 0;
  uint32_t framebuffer = 0;
};

// A slot's pixels as the GL back-end last uploaded them.
struct GlSlotTexture {
  uint32_t name = 0;
  const SoftImage* image = nullptr;
  uint32_t generation = 0;
  int32_t width = 0, height = 0;  // allocated (powers of two after YelSetPow)
};

// One vertex as every quad is drawn: clip-space position, 0xAARRGGBB colour, texture coordinate.
struct GlVertex {
  float x, y, z, w;
  uint32_t colour;
  float u, v;
};

// Filter values of the start-up record: 0 none, 1 point, 2 linear, 3 bicubic (final only).
struct GlFilters {
  int32_t final_filter = 0;
  int32_t second_filter = 0;
};

// The programs written in GLSL: the quad program all sprites use, the pair's two-texture
// program, the present copy, and the effect module (bicubic copy and the FX techniques).
struct GlPrograms {
  uint32_t sprite = 0;
  uint32_t sprite_blend = 0;  // without the alpha test, for modes 1 and 2
  uint32_t pair = 0;
  uint32_t present = 0;
  uint32_t bicubic = 0;
  uint32_t draw = 0;         // "DrawPrimitiveUP_2D"
  uint32_t radial_blur = 0;  // "DrawRadialBlur"
  uint32_t fx_loaded = 0;    // 1 DRAW, 2 RASTER, 4 RADIAL_BLUR
};

// The raster wave's grid: (columns + 1) x (rows + 1) vertices over the whole target.
struct GlRasterGrid {
  int32_t columns = 0, rows = 0;
  std::vector<GlVertex> vertices;
  uint32_t index_buffer = 0;
  int32_t index_count = 0;
};

class GlRenderer final : public YelCore {
 public:
  // Null when no GL context can be had on the window (`error` says why), the game size is not
  // positive, or the render target cannot be made.
  static std::unique_ptr<GlRenderer> Create(const RendererParams& params, const GlFilters& filters,
                                            bool power_of_two, std::string* error);
  ~GlRenderer() override;

  YelTexture* TextureFromImage(const char* name, const uint8_t* bytes, size_t size) override;
  YelTexture* TextureCreate(int32_t width, int32_t height) override;
  // The device's largest texture side, within the image limit of the texture slots.
  YelTextureCaps TextureCaps() const override;
  bool TextureRelease(YelTexture* texture) override;

  bool BeginFrame(uint32_t clear_colour) override;
  void DrawSprite(const SpriteQuad& quad) override;
  bool DrawSpritePair(const SpriteQuad& incoming, const SpriteQuad& outgoing,
                      float factor) override;
  void EndFrame() override;
  // Drawing into the render target without showing it (the target draw): on the thread that
  // draws the frames only, else false.
  bool BeginTarget(uint32_t clear_colour);
  void EndTarget();
  bool DrawScreenFx(const FxEffect& effect) override;
  bool CaptureFrame(YelTexture* texture) override;

  bool Resize(int32_t width, int32_t height) override;
  os::Rect SetAspect(int32_t aspect_mode, bool full_screen, const os::Rect& monitor) override;
  int Restore() override;

  TextureSlotTable& Slots() { return slots_; }
  // The render target's side in pixels. Drawing thread.
  int32_t TargetSize() const { return target_size_; }
  // The effects that built (1 DRAW, 2 RASTER, 4 RADIAL_BLUR). Drawing thread.
  uint32_t FxLoaded() const { return programs_.fx_loaded; }
  // The largest texture side the device takes.
  int32_t MaxTextureSize() const { return max_texture_size_; }
  void SetPowerOfTwo(bool on) { power_of_two_ = on; }
  // The window is about to go: the GL objects and the context go first; frames then draw
  // nothing. Called once no thread draws any more.
  void DetachWindow();
  // The calling thread draws no more frames: it lets go of the context if it has it.
  void ThreadDone();
  // Reads the game area of the frame drawn so far, top-down, 0xAARRGGBB with alpha 255, rows
  // `stride` pixels apart; false when the buffer is smaller than the game, or on a thread that
  // does not draw the frames (only that thread calls GL).
  bool ReadFrame(uint32_t* pixels, int32_t width, int32_t height, int32_t stride);

 private:
  GlRenderer(const RendererParams& params, const GlFilters& filters, bool power_of_two);
  // gl_renderer.cpp
  bool Initialise(std::string* error);
  bool Current();
  void SelectWindowFilter(int32_t width, int32_t height);
  bool CreateTargets();
  void ReleaseTargets();
  void BindTarget(const GlTarget& target, uint32_t clear_colour, bool clear);
  void Present();
  // gl_textures.cpp
  bool BindSlotTexture(TextureSlot* slot, int32_t unit, int32_t* width, int32_t* height);
  void DropReleasedTextures();
  void ReleaseAllTextures();
  // gl_sprite.cpp
  void DrawQuad(uint32_t program, const GlVertex* vertices, int32_t count);
  void SetRenderMode(int32_t mode);
  bool BuildSpriteVertices(const SpriteQuad& quad, int32_t tex_w, int32_t tex_h, bool pair,
                           GlVertex out[4]) const;
  void SetSampling(const SpriteQuad& quad);
  void GameAreaQuad(uint32_t colour, GlVertex out[4]) const;
  // gl_pair.cpp
  bool DrawPairSide(const SpriteQuad& record, const SpriteQuad& shape, const GlTarget& target);
  // gl_programs.cpp
  bool BuildPrograms(std::string* error);
  void LoadFxEffects();
  void ReleasePrograms();
  // gl_fx.cpp
  bool DrawWithEffect(int32_t tex_w, int32_t tex_h, const FxEffect& effect, const GlVertex* quad);
  void DrawRasterGrid(uint32_t texture, const float params[3]);
  void BuildRasterGrid();
  void DisplaceRasterGrid(const float params[3], std::vector<GlVertex>& out) const;

  RendererParams params_;
  GlFilters filters_;
  // YelSetPow's switch: rounds texture sizes up to powers of two, and the render target from
  // the next reset. Any thread.
  std::atomic<bool> power_of_two_;
  TextureSlotTable slots_;
  std::unique_ptr<os::GlContext> context_;
  int32_t max_texture_size_ = 0;

  // Drawing thread only.
  int32_t target_size_ = 0;
  GlTarget render_target_;
  GlTarget effect_targets_[2];
  GlPrograms programs_;
  GlRasterGrid grid_;
  uint32_t vertex_array_ = 0;
  uint32_t vertex_buffer_ = 0;
  intptr_t stream_offset_ = INT32_MAX;  // where the next quad goes in the vertex buffer
  int32_t render_mode_ = 1;  // the blending set last  // magnification filter of the windowed copy
  std::unordered_map<const TextureSlot*, GlSlotTexture> uploaded_;
  bool in_frame_ = false;
  // The thread the context is current on; read by any thread that asks to read the frame.
  std::atomic<std::thread::id> drawing_thread_{};

  // Guards the members below: written by the window's thread, read when a frame is drawn.
  std::mutex state_lock_;
  os::Rect view_;  // the client area's part that shows the game
  bool full_screen_ = false;
  int32_t window_filter_ = 0;  // magnification filter of the windowed copy
  bool reset_needed_ = false;  // targets and effects are made anew before the next frame
  std::vector<const TextureSlot*> released_;  // slots whose GL texture goes
};

}  // namespace yel
