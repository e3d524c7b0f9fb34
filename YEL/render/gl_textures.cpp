// Textures of the GL back-end: the CPU slots every back-end shares, each uploaded into a GL
// texture by the drawing thread when its pixels changed; released slots lose their GL texture at
// the next frame.
#include "YEL/graphics/image_codecs.h"
#include "YEL/render/gl_api.h"
#include "YEL/render/gl_renderer.h"
#include "os/debug_output.h"

namespace yel {
namespace {

int32_t RoundUpToPowerOfTwo(int32_t value) {
  int32_t p = 1;
  while (p < value && p < (1 << 30)) p <<= 1;
  return p;
}

}  // namespace

YelTexture* GlRenderer::TextureFromImage(const char* name, const uint8_t* bytes, size_t size) {
  TextureSlot* slot = YelImageDecode(slots_, name, bytes, size);
  if (slot && (slot->width > max_texture_size_ || slot->height > max_texture_size_)) {
    slots_.Release(slot);
    slot = nullptr;
  }
  YelTexture* texture = slot ? NewTextureRecord(slot) : nullptr;
  if (!texture) {
    if (slot) slots_.Release(slot);
    os::DebugOutputf("error OlgLoad : LoadMemory [%s]\n", name ? name : "");
  }
  return texture;
}

YelTexture* GlRenderer::TextureCreate(int32_t width, int32_t height) {
  if (width > max_texture_size_ || height > max_texture_size_) return nullptr;
  return NewEmptyTexture(slots_, "&Texture", width, height);
}

YelTextureCaps GlRenderer::TextureCaps() const {
  const int32_t side = max_texture_size_ > 0 && max_texture_size_ < kMaxImageSide
                           ? max_texture_size_
                           : kMaxImageSide;
  return YelTextureCaps{side, side, 0, 0};
}

bool GlRenderer::TextureRelease(YelTexture* texture) {
  if (!texture) return false;
  TextureSlot* slot = texture->slot;
  // A slot taken again before the next frame must not show the old upload.
  if (slot) slot->generation.fetch_add(1);
  const bool ours = slots_.Release(slot);
  if (ours) {
    std::lock_guard guard(state_lock_);
    released_.push_back(slot);
  }
  YelMemoryFree(texture);
  return ours;
}

// Binds the slot's texture to `unit`, uploading the pixels first when they changed and no
// writer holds them; `width` and `height` get the allocated size. False when nothing was ever
// uploaded for the slot.
bool GlRenderer::BindSlotTexture(TextureSlot* slot, int32_t unit, int32_t* width, int32_t* height) {
  GlSlotTexture& gl = uploaded_[slot];
  glActiveTexture(GL_TEXTURE0 + unit);
  std::unique_lock pixels(slot->pixels_lock, std::try_to_lock);
  const SoftImage* image = pixels.owns_lock() ? slot->image : nullptr;
  const uint32_t generation = slot->generation.load();
  if (image && image->pixels &&
      (gl.name == 0 || gl.image != image || gl.generation != generation)) {
    const bool pow2 = power_of_two_.load();
    const int32_t w = pow2 ? RoundUpToPowerOfTwo(image->width) : image->width;
    const int32_t h = pow2 ? RoundUpToPowerOfTwo(image->height) : image->height;
    if (!gl.name) glGenTextures(1, &gl.name);
    glBindTexture(GL_TEXTURE_2D, gl.name);
    if (gl.width != w || gl.height != h) {
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                   nullptr);
      gl.width = w;
      gl.height = h;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, image->width);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, image->width, image->height, GL_BGRA,
                    GL_UNSIGNED_INT_8_8_8_8_REV, image->pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl.image = image;
    gl.generation = generation;
  }
  if (!gl.name) return false;
  glBindTexture(GL_TEXTURE_2D, gl.name);
  *width = gl.width;
  *height = gl.height;
  return true;
}

void GlRenderer::DropReleasedTextures() {
  std::vector<const TextureSlot*> released;
  {
    std::lock_guard guard(state_lock_);
    released.swap(released_);
  }
  for (const TextureSlot* slot : released) {
    auto it = uploaded_.find(slot);
    if (it == uploaded_.end()) continue;
    if (it->second.name) glDeleteTextures(1, &it->second.name);
    uploaded_.erase(it);
  }
}

void GlRenderer::ReleaseAllTextures() {
  for (auto& [slot, gl] : uploaded_) {
    if (gl.name) glDeleteTextures(1, &gl.name);
  }
  uploaded_.clear();
}

}  // namespace yel
