// The GL back-end's life and frame: creation on the window, the render and effect targets, one
// frame (clear, draws, the copy onto the aspect rectangle, swap), reading the frame back, and the
// window changes that reach it.
#include "YEL/render/gl_renderer.h"

#include <algorithm>
#include <cstring>

#include "YEL/render/gl_api.h"
#include "YEL/render/renderer.h"
#include "os/debug_output.h"
#include "os/gl_context.h"

namespace yel {
namespace {

int32_t NextPowerOfTwo(int32_t value) {
  int32_t p = 1;
  while (p < value && p < (1 << 30)) p <<= 1;
  return p;
}

void ClearTo(uint32_t colour) {
  glClearColor(static_cast<float>((colour >> 16) & 0xFF) / 255.0f,
               static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
               static_cast<float>(colour & 0xFF) / 255.0f,
               static_cast<float>(colour >> 24) / 255.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

bool MakeTarget(GlTarget& target, int32_t side) {
  glGenTextures(1, &target.texture);
  glBindTexture(GL_TEXTURE_2D, target.texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, side, side, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glGenFramebuffers(1, &target.framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.texture, 0);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  return complete && glGetError() == GL_NO_ERROR;
}

void DropTarget(GlTarget& target) {
  if (target.framebuffer) glDeleteFramebuffers(1, &target.framebuffer);
  if (target.texture) glDeleteTextures(1, &target.texture);
  target = GlTarget{};
}

}  // namespace

std::unique_ptr<GlRenderer> GlRenderer::Create(const RendererParams& params,
                                               const GlFilters& filters, bool power_of_two,
                                               std::string* error) {
  if (!RendererHardwareBuilt()) {
    if (error) *error = "this build draws in software only";
    return nullptr;
  }
  if (params.game_width <= 0 || params.game_height <= 0 || params.game_width > 16384 ||
      params.game_height > 16384 || !params.window) {
    if (error) *error = "no window or no game size";
    return nullptr;
  }
  std::unique_ptr<GlRenderer> renderer(new GlRenderer(params, filters, power_of_two));
  renderer->context_ = os::GlContext::Create(*params.window, error);
  if (!renderer->context_) return nullptr;
  renderer->drawing_thread_ = std::this_thread::get_id();
  if (!renderer->Initialise(error)) return nullptr;
  os::DebugOutputf("OpenGL renderer : %s\n",
                   reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  // The thread that draws frames takes the context at its first frame.
  renderer->context_->Release();
  renderer->drawing_thread_ = std::thread::id();
  return renderer;
}

GlRenderer::GlRenderer(const RendererParams& params, const GlFilters& filters, bool power_of_two)
    : params_(params),
      filters_(filters),
      power_of_two_(power_of_two),
      slots_(params.texture_slot_count),
      view_{0, 0, params.window_width, params.window_height} {
  // No GL filter stands for "none": those copies and draws sample the nearest texel.
  if (filters_.final_filter < 0 || filters_.final_filter > 3) filters_.final_filter = 0;
  SelectWindowFilter(params.window_width, params.window_height);
}

GlRenderer::~GlRenderer() {
  DetachWindow();
}

void GlRenderer::DetachWindow() {
  if (!context_) return;
  // The objects go with the context; they are deleted one by one only where it can be current.
  if (Current()) {
    ReleaseAllTextures();
    ReleaseTargets();
    ReleasePrograms();
    if (vertex_buffer_) glDeleteBuffers(1, &vertex_buffer_);
    if (vertex_array_) glDeleteVertexArrays(1, &vertex_array_);
    vertex_buffer_ = vertex_array_ = 0;
  } else {
    os::DebugOutput("release error\n");
  }
  context_.reset();
  in_frame_ = false;
}

void GlRenderer::ThreadDone() {
  if (!context_ || drawing_thread_ != std::this_thread::get_id()) return;
  context_->Release();
  drawing_thread_ = std::thread::id();
}

bool GlRenderer::Initialise(std::string* error) {
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture_size_);
  glGenVertexArrays(1, &vertex_array_);
  glBindVertexArray(vertex_array_);
  glGenBuffers(1, &vertex_buffer_);
  glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(GlVertex), nullptr);
  // 0xAARRGGBB in memory is B, G, R, A: the BGRA size reads it in that order.
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(GlVertex),
                        reinterpret_cast<void*>(offsetof(GlVertex, colour)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(GlVertex),
                        reinterpret_cast<void*>(offsetof(GlVertex, u)));
  if (!BuildPrograms(error)) return false;
  if (!CreateTargets()) {
    if (error) *error = "CreateRenderTarget";
    return false;
  }
  LoadFxEffects();
  BuildRasterGrid();
  glEnable(GL_BLEND);
  SetRenderMode(1);
  context_->SetSwapInterval((params_.option_bits & 2) ? 1 : 0);
  return glGetError() == GL_NO_ERROR;
}

// Makes the context current on the calling thread when no thread has it; false while another
// thread has it (that thread draws until ThreadDone).
bool GlRenderer::Current() {
  if (!context_) return false;
  const std::thread::id self = std::this_thread::get_id();
  const std::thread::id owner = drawing_thread_.load();
  if (owner == self) return true;
  if (owner != std::thread::id() || !context_->MakeCurrent()) return false;
  drawing_thread_ = self;
  context_->SetSwapInterval((params_.option_bits & 2) ? 1 : 0);
  return true;
}

// In a window the copy samples the nearest texel when the window has the game size, else
// smoothly when the final filter asks for linear or better.
void GlRenderer::SelectWindowFilter(int32_t width, int32_t height) {
  if (width == params_.game_width && height == params_.game_height) {
    window_filter_ = 1;
  } else if (filters_.final_filter >= 2) {
    window_filter_ = 2;
  }
}

// The square target of side max(width, height) (each rounded up to a power of two first when
// asked), and the two effect targets of the same size.
bool GlRenderer::CreateTargets() {
  int32_t w = params_.game_width, h = params_.game_height;
  if (power_of_two_.load()) w = NextPowerOfTwo(w), h = NextPowerOfTwo(h);
  target_size_ = std::max(w, h);
  if (target_size_ > max_texture_size_) {
    os::DebugOutput("CreateRenderTarget : too large\n");
    return false;
  }
  if (!MakeTarget(render_target_, target_size_)) {
    os::DebugOutput("CreateRenderTarget : framebuffer\n");
    return false;
  }
  // The frame has no alpha of its own: whatever samples it sees it opaque.
  glBindTexture(GL_TEXTURE_2D, render_target_.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, 0);
  for (GlTarget& target : effect_targets_) {
    if (!MakeTarget(target, target_size_)) {
      os::DebugOutput("CreateEffectTarget : framebuffer\n");
      break;
    }
  }
  BindTarget(render_target_, 0xFF000000, true);
  return true;
}

void GlRenderer::ReleaseTargets() {
  DropTarget(render_target_);
  for (GlTarget& target : effect_targets_) DropTarget(target);
}

void GlRenderer::BindTarget(const GlTarget& target, uint32_t clear_colour, bool clear) {
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  glViewport(0, 0, target_size_, target_size_);
  if (clear) ClearTo(clear_colour);
}

bool GlRenderer::BeginFrame(uint32_t clear_colour) {
  if (!Current()) return false;
  bool reset = false;
  {
    std::lock_guard guard(state_lock_);
    std::swap(reset, reset_needed_);
  }
  // A window-mode change or YelSetPow makes the targets anew; textures keep their uploads.
  if (reset) {
    ReleaseTargets();
    if (!CreateTargets()) return false;
    BuildRasterGrid();
  }
  DropReleasedTextures();
  BindTarget(render_target_, clear_colour, true);
  SetRenderMode(1);
  in_frame_ = true;
  return true;
}

void GlRenderer::EndFrame() {
  if (!in_frame_) return;
  in_frame_ = false;
  Present();
  context_->Swap();
  const GLenum error = glGetError();
  if (error != GL_NO_ERROR) os::DebugOutput("Present : Error\n");
}

bool GlRenderer::BeginTarget(uint32_t clear_colour) {
  // Only the thread that draws the frames may call GL; elsewhere nothing is drawn.
  if (drawing_thread_.load() != std::this_thread::get_id()) return false;
  return BeginFrame(clear_colour);
}

void GlRenderer::EndTarget() {
  in_frame_ = false;
}

// The render target's game area drawn onto the aspect rectangle of the window.
void GlRenderer::Present() {
  int width = 0, height = 0;
  context_->DrawableSize(&width, &height);
  os::Rect rect{0, 0, width, height};
  bool full_screen = false;
  int32_t window_filter = 0;
  {
    std::lock_guard guard(state_lock_);
    full_screen = full_screen_;
    window_filter = window_filter_;
    if (full_screen) rect = view_;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (width <= 0 || height <= 0) return;  // a minimised window shows nothing
  glViewport(0, 0, width, height);
  glDisable(GL_BLEND);
  ClearTo(0xFF000000);
  const int32_t filter = full_screen ? filters_.final_filter : window_filter;
  const bool bicubic = filter == 3 && programs_.bicubic;
  const float ts = static_cast<float>(target_size_);
  const int32_t mx = (target_size_ - params_.game_width) / 2;
  const int32_t my = (target_size_ - params_.game_height) / 2;
  const float u0 = static_cast<float>(mx) / ts;
  const float u1 = static_cast<float>(mx + params_.game_width) / ts;
  // Target rows count from the bottom: the game's top row is the higher one.
  const float v0 = static_cast<float>(target_size_ - my) / ts;
  const float v1 = static_cast<float>(target_size_ - my - params_.game_height) / ts;
  auto nx = [&](int x) { return 2.0f * static_cast<float>(x) / static_cast<float>(width) - 1.0f; };
  auto ny = [&](int y) { return 1.0f - 2.0f * static_cast<float>(y) / static_cast<float>(height); };
  const GlVertex quad[4] = {
      {nx(rect.left), ny(rect.top), 0, 1, 0xFFFFFFFF, u0, v0},
      {nx(rect.right), ny(rect.top), 0, 1, 0xFFFFFFFF, u1, v0},
      {nx(rect.left), ny(rect.bottom), 0, 1, 0xFFFFFFFF, u0, v1},
      {nx(rect.right), ny(rect.bottom), 0, 1, 0xFFFFFFFF, u1, v1},
  };
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, render_target_.texture);
  const GLint gl_filter = (filter == 2) ? GL_LINEAR : GL_NEAREST;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, gl_filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, gl_filter);
  if (bicubic) {
    glUseProgram(programs_.bicubic);
    glUniform4f(glGetUniformLocation(programs_.bicubic, "TexSize"), ts, ts, 0, 0);
    glUniform4f(glGetUniformLocation(programs_.bicubic, "TexDiffU"), 2.0f / ts, 0, 0, 0);
  }
  DrawQuad(bicubic ? programs_.bicubic : programs_.present, quad, 4);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
  glEnable(GL_BLEND);
}

bool GlRenderer::ReadFrame(uint32_t* pixels, int32_t width, int32_t height, int32_t stride) {
  const int32_t gw = params_.game_width, gh = params_.game_height;
  if (!pixels || width < gw || height < gh || stride < gw) return false;
  if (!context_ || drawing_thread_.load() != std::this_thread::get_id()) return false;
  const int32_t mx = (target_size_ - gw) / 2, my = (target_size_ - gh) / 2;
  std::vector<uint32_t> rows(static_cast<size_t>(gw) * gh);
  // After a swap some drivers hand back the target as it was a frame or more ago unless the
  // queued drawing has finished first.
  glFinish();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, render_target_.framebuffer);
  // Some drivers hand back the previous frame's pixels after a swap unless the queue is drained.
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(mx, target_size_ - my - gh, gw, gh, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               rows.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  // GL hands the rows bottom-up; callers get them top-down with an opaque alpha.
  for (int32_t row = 0; row < gh; ++row) {
    const uint32_t* from = rows.data() + static_cast<size_t>(gh - 1 - row) * gw;
    uint32_t* to = pixels + static_cast<size_t>(row) * stride;
    for (int32_t x = 0; x < gw; ++x) to[x] = from[x] | 0xFF000000u;
  }
  if (in_frame_) glBindFramebuffer(GL_FRAMEBUFFER, render_target_.framebuffer);
  return true;
}

bool GlRenderer::CaptureFrame(YelTexture* texture) {
  int32_t width = 0, height = 0;
  uint32_t* pixels = TextureLockPixels(texture, &width, &height);
  if (!pixels) return false;
  const bool read = ReadFrame(pixels, width, height, width);
  TextureUnlockPixels(texture, read);
  return read;
}

bool GlRenderer::Resize(int32_t width, int32_t height) {
  // A size the window cannot have leaves the old one in place.
  if (width <= 0 || height <= 0) return false;
  std::lock_guard guard(state_lock_);
  params_.window_width = width;
  params_.window_height = height;
  SelectWindowFilter(width, height);
  if (!full_screen_) view_ = os::Rect{0, 0, width, height};
  return true;
}

os::Rect GlRenderer::SetAspect(int32_t aspect_mode, bool full_screen, const os::Rect& monitor) {
  std::lock_guard guard(state_lock_);
  // Entering or leaving full screen makes the targets anew before the next frame.
  if (full_screen != full_screen_) reset_needed_ = true;
  full_screen_ = full_screen;
  if (!full_screen) {
    view_ = os::Rect{0, 0, params_.window_width, params_.window_height};
    return view_;
  }
  os::Rect rect;
  if (FullScreenAspectRect(aspect_mode, monitor.Width(), monitor.Height(), params_.game_width,
                           params_.game_height, rect)) {
    params_.aspect_mode = aspect_mode;
    view_ = rect;
  } else {
    os::DebugOutput("SetAspectRect : Invalid Prameter\n");
  }
  return view_;
}

// The context survives window changes; a restore only asks for fresh targets.
int GlRenderer::Restore() {
  std::lock_guard guard(state_lock_);
  reset_needed_ = true;
  return 0;
}

}  // namespace yel
