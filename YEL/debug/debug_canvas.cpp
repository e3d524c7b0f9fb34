#include "YEL/debug/debug_canvas.h"

#include <algorithm>

#include "os/encoding.h"
#include "os/glyph_font.h"

namespace yel {

std::u32string DecodeUtf8(const std::string& utf8) {
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<uint8_t>(utf8[i]);
    const int length = lead < 0x80         ? 1
                       : (lead >> 5) == 6  ? 2
                       : (lead >> 4) == 14 ? 3
                       : (lead >> 3) == 30 ? 4
                                           : 0;
    if (length == 0 || i + static_cast<size_t>(length) > utf8.size()) {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k)
      code = (code << 6) | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
    out.push_back(code);
    i += static_cast<size_t>(length);
  }
  return out;
}

DebugCanvas::DebugCanvas() : font_(os::GlyphFont::Open(os::FaceKind::kGothic, 12, 6, false)) {}
DebugCanvas::~DebugCanvas() = default;

void DebugCanvas::Resize(int width, int height) {
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0xFFFFFFFF);
}

void DebugCanvas::Fill(int x, int y, int width, int height, uint32_t colour) {
  const int left = std::max(x, 0), top = std::max(y, 0);
  const int right = std::min(x + width, width_), bottom = std::min(y + height, height_);
  for (int row = top; row < bottom; ++row) {
    std::fill_n(pixels_.begin() + row * width_ + left, std::max(right - left, 0), colour);
  }
}

void DebugCanvas::Blend(int x, int y, uint8_t coverage, uint32_t colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage == 0) return;
  uint32_t& pixel =
      pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
  const uint32_t a = std::min<uint32_t>(coverage, 64) * 4;
  uint32_t result = 0xFF000000;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t under = (pixel >> shift) & 0xFF, over = (colour >> shift) & 0xFF;
    result |= ((over * a + under * (256 - a)) >> 8) << shift;
  }
  pixel = result;
}

int DebugCanvas::Text(int x, int y, const std::string& cp932, uint32_t colour, int right) {
  if (!font_) return x;
  const int baseline = y + 1 + font_->Ascent();
  os::GlyphImage glyph;
  for (const char32_t code : DecodeUtf8(os::Cp932ToUtf8(cp932))) {
    if (x >= right) break;
    if (!font_->Render(code, glyph)) continue;
    for (uint32_t row = 0; row < glyph.black_height; ++row) {
      for (uint32_t column = 0; column < glyph.black_width; ++column) {
        const int px = x + glyph.origin_x + static_cast<int>(column);
        if (px >= right) break;
        Blend(px, baseline - glyph.origin_y + static_cast<int>(row),
              glyph.coverage[row * glyph.Pitch() + column], colour);
      }
    }
    x += glyph.advance_x;
  }
  return x;
}

int DebugCanvas::TextWidth(const std::string& cp932) {
  if (!font_) return 0;
  int width = 0;
  os::GlyphImage glyph;
  for (const char32_t code : DecodeUtf8(os::Cp932ToUtf8(cp932))) {
    if (font_->Render(code, glyph)) width += glyph.advance_x;
  }
  return width;
}

}  // namespace yel
