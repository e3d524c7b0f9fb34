// Sprites made from text (with the leading size and background tags) and scaled copies of a
// sprite's rectangle.
#include <cctype>
#include <cstring>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/graphics/font_state.h"
#include "YEL/graphics/pixel_routines.h"
#include "YEL/graphics/sprite_pixels.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

YelCore* ActiveCore() {
  YelSystem* system = System();
  return system ? system->core.load() : nullptr;
}

// What the leading tags of a text sprite ask for, and where the text proper starts.
struct LeadingTags {
  bool has_size = false;
  int32_t size = 0;
  uint32_t background = 0;
  const char* text = nullptr;
};

// Hexadecimal digits of either case; an "x" starts the number again, so a "0x" prefix is
// passed over.
uint32_t ParseHexTag(const char*& at) {
  uint32_t value = 0;
  for (;; ++at) {
    const char c = *at;
    if (c == 'x' || c == 'X') {
      value = 0;
    } else if (std::isxdigit(static_cast<unsigned char>(c))) {
      const int digit = std::isdigit(static_cast<unsigned char>(c))
                            ? c - '0'
                            : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
      value = value << 4 | static_cast<uint32_t>(digit);
    } else {
      return value;
    }
  }
}

int32_t ParseDecimalTag(const char*& at) {
  const bool negative = *at == '-';
  if (*at == '-' || *at == '+') ++at;
  int64_t value = 0;
  while (std::isdigit(static_cast<unsigned char>(*at))) {
    value = std::min<int64_t>(value * 10 + (*at++ - '0'), INT32_MAX);
  }
  return static_cast<int32_t>(negative ? -value : value);
}

LeadingTags ParseLeadingTags(const char* text) {
  LeadingTags tags;
  tags.text = text;
  if (*text != '<') return tags;
  const char* at = text + 1;
  while (*at != 0 && *at != '>') {
    if (std::strncmp(at, "bkcolor=", 8) == 0) {
      at += 8;
      tags.background = ParseHexTag(at);
    } else if (std::strncmp(at, "size=", 5) == 0) {
      at += 5;
      tags.has_size = true;
      tags.size = ParseDecimalTag(at);
    } else {
      ++at;
    }
  }
  tags.text = *at == '>' ? at + 1 : at;
  return tags;
}

// Sets the font size of a size tag for a scope and puts the old one back.
class FontSizeScope {
 public:
  explicit FontSizeScope(const LeadingTags& tags) : saved_(YelFontGetFontSize()) {
    if (tags.has_size) YelFontSetFontSize(tags.size);
  }
  ~FontSizeScope() { YelFontSetFontSize(saved_); }
  FontSizeScope(const FontSizeScope&) = delete;
  FontSizeScope& operator=(const FontSizeScope&) = delete;

 private:
  int32_t saved_;
};

void DrawIntoSprite(YelSprite* sprite, const char* text, int32_t x, int32_t y) {
  SpritePixels texture(sprite);
  if (texture) YelFontDrawText(texture.pixels(), text, x, y, texture.width(), texture.height());
}

// The sprite's pixels of `rect` (cut to its texture; the rest 0) as width x height pixels.
std::vector<uint32_t> CopyOut(YelSprite* sprite, const YelRect& rect, int32_t width,
                              int32_t height) {
  std::vector<uint32_t> out(static_cast<size_t>(width) * height, 0);
  SpritePixels texture(sprite, false);
  if (!texture) return out;
  CopyRect cut{0, 0, rect.left, rect.top, width, height};
  if (!ClipCopyRect(cut, width, height, texture.width(), texture.height())) return out;
  for (int32_t j = 0; j < cut.height; ++j) {
    std::memcpy(out.data() + static_cast<size_t>(cut.y + j) * width + cut.x,
                texture.Row(cut.source_y + j) + cut.source_x, size_t{4} * cut.width);
  }
  return out;
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API YelSprite* YelSpriteCreateText(YelRender* render, const char* text, int32_t priority,
                                       uint32_t colour) {
  YelSprite* sprite = render && text ? yel::SpriteAllocate(priority) : nullptr;
  if (!sprite) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const yel::LeadingTags tags = yel::ParseLeadingTags(text);
  yel::FontSizeScope size(tags);
  YelCore* core = yel::ActiveCore();
  if (*tags.text == 0 || !core) {
    yel::SpriteFree(sprite);
    return nullptr;
  }
  sprite->colour = colour;
  YelFontBegin();
  int32_t measured[2] = {0, 0};
  YelFontGetSize(tags.text, measured);
  const int32_t type = YelFontGetType();
  if (type == 1 || type == 3 || type == 5) measured[0] += 1;
  if (YelFontGetEffect() == 3) measured[0] += 2, measured[1] += 2;
  sprite->texture = core->TextureCreate(measured[0], measured[1]);
  if (!sprite->texture) {
    YelFontEnd();
    yel::SpriteFree(sprite);
    return nullptr;
  }
  sprite->image_width = sprite->cell_width = sprite->texture->width;
  sprite->image_height = sprite->cell_height = sprite->texture->height;
  sprite->rect = YelRect{0, 0, sprite->texture->width, sprite->texture->height};
  if (tags.background != 0) YelSpritePaint(sprite, nullptr, tags.background);
  yel::DrawIntoSprite(sprite, tags.text, 0, 0);
  YelFontEnd();
  return yel::SpriteLink(render, sprite);
}

YEL_API int YelSpriteCreateTextEx(YelSprite* sprite, const char* text, int32_t x, int32_t y,
                                  uint32_t colour) {
  if (!yel::SpriteOrError(sprite) || !sprite->texture || !text) return 0;
  const yel::LeadingTags tags = yel::ParseLeadingTags(text);
  yel::FontSizeScope size(tags);
  if (*tags.text == 0) return 0;
  sprite->colour = colour;
  YelFontBegin();
  yel::DrawIntoSprite(sprite, tags.text, x, y);
  YelFontEnd();
  return 1;
}

YEL_API YelSprite* YelSpriteCopy(YelRender* render, YelSprite* source, const YelRect* source_rect,
                                 const YelRect* target_rect, int32_t priority) {
  YelCore* core = yel::ActiveCore();
  const int64_t sw = source_rect ? int64_t{source_rect->right} - source_rect->left : 0;
  const int64_t sh = source_rect ? int64_t{source_rect->bottom} - source_rect->top : 0;
  const int64_t tw = target_rect ? int64_t{target_rect->right} - target_rect->left : 0;
  const int64_t th = target_rect ? int64_t{target_rect->bottom} - target_rect->top : 0;
  // Empty or inverted rectangles have nothing to copy or scale by.
  const bool sizes = sw > 0 && sh > 0 && tw > 0 && th > 0 && sw <= 16384 && sh <= 16384;
  YelSprite* sprite = render && source && core && sizes ? yel::SpriteAllocate(priority) : nullptr;
  if (!sprite) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const float zx = static_cast<float>(tw) / static_cast<float>(sw);
  const float zy = static_cast<float>(th) / static_cast<float>(sh);
  sprite->x = source->x, sprite->y = source->y, sprite->z = source->z;
  sprite->cell_width = yel::TruncateFloat(static_cast<float>(source->cell_width) * zx);
  sprite->cell_height = yel::TruncateFloat(static_cast<float>(source->cell_height) * zy);
  sprite->rect = YelRect{0, 0, sprite->cell_width, sprite->cell_height};
  sprite->texture = core->TextureCreate(static_cast<int32_t>(tw), static_cast<int32_t>(th));
  if (!sprite->texture) {
    yel::SpriteFree(sprite);
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  sprite->image_width = sprite->texture->width;
  sprite->image_height = sprite->texture->height;
  const std::vector<uint32_t> pixels = yel::CopyOut(source, *source_rect, int32_t(sw), int32_t(sh));
  {
    yel::SpritePixels texture(sprite);
    if (texture && zx == 1.0f && zy == 1.0f) {
      yel::CopyPixels(texture.pixels(), pixels.data(), int32_t(sw), int32_t(sh));
    } else if (texture) {
      yel::ScaleBilinear32(texture.pixels(), texture.width(), texture.height(), pixels.data(),
                           int32_t(sw), int32_t(sh), zx, zy);
    }
  }
  return yel::SpriteLink(render, sprite);
}

}  // extern "C"
