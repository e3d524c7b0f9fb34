// Blend kernels, clipping and the rotate-and-scale inverse map of the software back-end.
#include "YEL/render/soft_blit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace yel {
namespace {

constexpr int32_t kMaxCanvasSide = 4096;

struct Colour {
  uint32_t b, g, r, a;
};

Colour Split(uint32_t colour) {
  return Colour{colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF, colour >> 24};
}

uint32_t Channel(uint32_t pixel, int shift) {
  return (pixel >> shift) & 0xFF;
}

// Alpha: m = (Sa x Ka) >> 8; T = (((S x Kc) >> 8) x m + T x (256 - m)) >> 8; alpha 255. Pixels
// of alpha 0 leave the target as it was. Written without branches so the loop vectorises.
void BlendAlpha(uint32_t* t, const uint32_t* s, int32_t n, Colour k) {
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t src = s[i], dst = t[i];
    const uint32_t m = ((src >> 24) * k.a) >> 8, keep = 256 - m;
    const uint32_t b = ((((src & 0xFF) * k.b) >> 8) * m + (dst & 0xFF) * keep) >> 8;
    const uint32_t g = (((Channel(src, 8) * k.g) >> 8) * m + Channel(dst, 8) * keep) >> 8;
    const uint32_t r = (((Channel(src, 16) * k.r) >> 8) * m + Channel(dst, 16) * keep) >> 8;
    const uint32_t out = 0xFF000000u | r << 16 | g << 8 | b;
    t[i] = (src >> 24) != 0 ? out : dst;
  }
}

// Add: T = min(255, T + ((S x Sa) / 256 x Ka) >> 8); alpha 255.
void BlendAdd(uint32_t* t, const uint32_t* s, int32_t n, Colour k) {
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t src = s[i], dst = t[i], sa = src >> 24;
    auto add = [&](int shift) {
      const uint32_t v = Channel(dst, shift) + ((((Channel(src, shift) * sa) >> 8) * k.a) >> 8);
      return std::min<uint32_t>(255, v) << shift;
    };
    const uint32_t out = 0xFF000000u | add(16) | add(8) | add(0);
    t[i] = sa != 0 ? out : dst;
  }
}

// Multiply: T = (T x (((S x Sa) / 256 x Ka) >> 8)) >> 8; alpha 255.
void BlendMultiply(uint32_t* t, const uint32_t* s, int32_t n, Colour k) {
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t src = s[i], dst = t[i], sa = src >> 24;
    auto mul = [&](int shift) {
      const uint32_t f = (((Channel(src, shift) * sa) >> 8) * k.a) >> 8;
      return ((Channel(dst, shift) * f) >> 8) << shift;
    };
    const uint32_t out = 0xFF000000u | mul(16) | mul(8) | mul(0);
    t[i] = sa != 0 ? out : dst;
  }
}

// sin(2 pi k / 512) scaled by 256 and truncated, the fixed-point steps of the inverse map.
const std::array<int32_t, 512>& SineTable() {
  static const std::array<int32_t, 512> table = [] {
    std::array<int32_t, 512> t{};
    for (int k = 0; k < 512; ++k) {
      const float value = static_cast<float>(std::sin(2.0 * M_PI * k / 512.0));
      t[k] = static_cast<int32_t>(value * 256.0f);
    }
    return t;
  }();
  return table;
}

// The source rectangle cut to the image.
YelRect ClipToImage(const YelRect& rect, const SoftImage& image) {
  YelRect r = rect;
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, image.width);
  r.bottom = std::min(r.bottom, image.height);
  return r;
}

void BlitUnrotated(const SoftTarget& target, const SoftImage& source, const SoftBlitParams& p,
                   BlendMode mode) {
  // In 64 bits: a rectangle or position from a script may lie anywhere in 32 bits, and the moves
  // below must not wrap.
  const YelRect inside = ClipToImage(p.rect, source);
  // The part of the rectangle outside the image is not drawn, nor does it move the rest.
  int64_t x = int64_t{p.x} + inside.left - p.rect.left;
  int64_t y = int64_t{p.y} + inside.top - p.rect.top;
  int64_t left = inside.left, top = inside.top;
  if (x < 0) left -= x, x = 0;
  if (y < 0) top -= y, y = 0;
  const int64_t width = std::min<int64_t>(inside.right - left, target.width - x);
  const int64_t height = std::min<int64_t>(inside.bottom - top, target.height - y);
  if (width <= 0 || height <= 0) return;
  const YelRect r{static_cast<int32_t>(left), static_cast<int32_t>(top), inside.right,
                  inside.bottom};
  for (int32_t row = 0; row < height; ++row) {
    const uint32_t* src = source.pixels + static_cast<size_t>(r.top + row) * source.width + r.left;
    uint32_t* dst = target.pixels + static_cast<size_t>(y + row) * target.width + x;
    SoftBlendRow(dst, src, static_cast<int32_t>(width), p.colour, mode);
  }
}

struct InverseMap {
  int64_t cos_step, sin_step;  // table values
  int64_t inv_x, inv_y;        // 256 / scale, truncated
  int32_t canvas_w, canvas_h;
  int32_t rect_w, rect_h;
};

// Fills one canvas row (canvas columns [from, to)) with the source pixels it maps to.
void MapRow(const InverseMap& m, const SoftImage& source, const YelRect& rect, int32_t canvas_y,
            int32_t from, int32_t to, uint32_t* out) {
  const int64_t dy = canvas_y - m.canvas_h / 2;
  for (int32_t cx = from; cx < to; ++cx) {
    const int64_t dx = cx - m.canvas_w / 2;
    const int64_t u = ((m.cos_step * dx + m.sin_step * dy) * m.inv_x) >> 16;
    const int64_t v = ((m.cos_step * dy - m.sin_step * dx) * m.inv_y) >> 16;
    const int64_t sx = m.rect_w / 2 + u, sy = m.rect_h / 2 + v;
    uint32_t pixel = 0;
    if (sx >= 0 && sx < m.rect_w && sy >= 0 && sy < m.rect_h) {
      const int64_t ix = rect.left + sx, iy = rect.top + sy;
      if (ix >= 0 && ix < source.width && iy >= 0 && iy < source.height) {
        pixel = source.pixels[iy * source.width + ix];
      }
    }
    out[cx - from] = pixel;
  }
}

void BlitRotated(const SoftTarget& target, const SoftImage& source, const SoftBlitParams& p,
                 BlendMode mode) {
  const int32_t w =
      static_cast<int32_t>(std::min<int64_t>(int64_t{p.rect.right} - p.rect.left, kMaxCanvasSide));
  const int32_t h =
      static_cast<int32_t>(std::min<int64_t>(int64_t{p.rect.bottom} - p.rect.top, kMaxCanvasSide));
  if (w <= 0 || h <= 0) return;
  const int32_t d =
      static_cast<int32_t>(std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h));
  if (!(p.scale_x > 0.0f) || !(p.scale_y > 0.0f)) return;  // also refuses NaN
  const float side = static_cast<float>(kMaxCanvasSide);
  const int32_t cw = static_cast<int32_t>(std::min(p.scale_x * static_cast<float>(d), side));
  const int32_t ch = static_cast<int32_t>(std::min(p.scale_y * static_cast<float>(d), side));
  if (cw <= 0 || ch <= 0) return;
  const int32_t theta = ((-p.rotation) % 512 + 512) % 512;
  const auto& table = SineTable();
  const InverseMap map{table[(theta + 128) & 511],
                       table[theta],
                       static_cast<int64_t>(256.0f / p.scale_x),
                       static_cast<int64_t>(256.0f / p.scale_y),
                       cw,
                       ch,
                       w,
                       h};
  const int64_t left = int64_t{p.x} - ((cw - w) >> 1), top = int64_t{p.y} - ((ch - h) >> 1);
  // Only the canvas pixels that land on the target are mapped.
  const int32_t from_x = static_cast<int32_t>(std::clamp<int64_t>(-left, 0, cw));
  const int32_t to_x = static_cast<int32_t>(std::clamp<int64_t>(target.width - left, 0, cw));
  const int32_t from_y = static_cast<int32_t>(std::clamp<int64_t>(-top, 0, ch));
  const int32_t to_y = static_cast<int32_t>(std::clamp<int64_t>(target.height - top, 0, ch));
  if (from_x >= to_x || from_y >= to_y) return;
  std::vector<uint32_t> row(static_cast<size_t>(to_x - from_x));
  // MapRow reads the rectangle's corner only; the rest lies in the map's rect_w and rect_h.
  const YelRect rect{p.rect.left, p.rect.top, p.rect.left, p.rect.top};
  for (int32_t cy = from_y; cy < to_y; ++cy) {
    MapRow(map, source, rect, cy, from_x, to_x, row.data());
    uint32_t* dst = target.pixels + static_cast<size_t>(top + cy) * target.width + left + from_x;
    SoftBlendRow(dst, row.data(), to_x - from_x, p.colour, mode);
  }
}

}  // namespace

void SoftBlendRow(uint32_t* target, const uint32_t* source, int32_t count, uint32_t colour,
                  BlendMode mode) {
  switch (mode) {
    case BlendMode::kCopy:
      std::copy(source, source + count, target);
      break;
    case BlendMode::kAlpha:
      BlendAlpha(target, source, count, Split(colour));
      break;
    case BlendMode::kAdd:
      BlendAdd(target, source, count, Split(colour));
      break;
    case BlendMode::kMultiply:
      BlendMultiply(target, source, count, Split(colour));
      break;
  }
}

void SoftBlit(const SoftTarget& target, const SoftImage& source, const SoftBlitParams& params,
              BlendMode mode) {
  if (!target.pixels || !source.pixels) return;
  if (params.rotation != 0 || params.scale_x != 1.0f || params.scale_y != 1.0f) {
    BlitRotated(target, source, params, mode);
  } else {
    BlitUnrotated(target, source, params, mode);
  }
}

}  // namespace yel
