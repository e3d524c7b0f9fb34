// Text drawing and measuring: the Shift-JIS text is read character by character (escapes,
// spaces, icons, tags and line breaks), glyphs are composited into 32-bit pixels with their
// effect, and the last drawn cell is kept for the text layout.
#include <algorithm>

#include "YEL/graphics/font_state.h"

namespace yel {
namespace {

enum class TokenKind { kEnd, kGlyph, kSpace, kWideSpace, kIcon, kBreak, kTag };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  uint16_t code = 0;
  int32_t icon = 0;
};

bool IsLeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Reads the text one character (or escape, icon or tag) at a time.
class TextReader {
 public:
  explicit TextReader(const char* text) : at_(reinterpret_cast<const uint8_t*>(text)) {}

  Token Next() {
    if (*at_ == 0) return {};
    if (*at_ == '\\') {
      ++at_;
      Token literal = ReadCode();
      if (literal.kind != TokenKind::kEnd) literal.kind = TokenKind::kGlyph;
      return literal;
    }
    if (*at_ == '%') return ReadIcon();
    if (*at_ == '<') return ReadTag();
    if (*at_ == '\n' || *at_ == '\r') {
      ++at_;
      return {TokenKind::kBreak};
    }
    Token token = ReadCode();
    if (token.code == ' ') token.kind = TokenKind::kSpace;
    if (token.code == 0x8140) token.kind = TokenKind::kWideSpace;
    return token;
  }

 private:
  // One or two bytes; a lead byte at the end of the text ends it.
  Token ReadCode() {
    if (*at_ == 0) return {};
    uint16_t code = *at_++;
    if (IsLeadByte(static_cast<uint8_t>(code))) {
      if (*at_ == 0) return {};
      code = static_cast<uint16_t>(code << 8 | *at_++);
    }
    return {TokenKind::kGlyph, code};
  }
  Token ReadIcon() {
    ++at_;
    int32_t n = 0;
    while (*at_ >= '0' && *at_ <= '9') {
      n = std::min(n * 10 + (*at_++ - '0'), 0xFFFFF);
    }
    return {TokenKind::kIcon, 0, n};
  }
  Token ReadTag() {
    const uint8_t* start = ++at_;
    while (*at_ != 0 && *at_ != '>') ++at_;
    const bool is_break = at_ - start == 2 && ((start[0] == 'b' && start[1] == 'r') ||
                                               (start[0] == 'B' && start[1] == 'R'));
    if (*at_ == '>') ++at_;
    return {is_break ? TokenKind::kBreak : TokenKind::kTag};
  }

  const uint8_t* at_;
};

// The buffer text is drawn into; pixels outside it are never touched.
struct Canvas {
  uint32_t* pixels;
  int32_t width, height;
  uint32_t* At(int64_t x, int64_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return nullptr;
    return pixels + static_cast<size_t>(y) * width + x;
  }
};

uint32_t BlendBody(uint32_t target, uint32_t colour, uint32_t a) {
  if (a == 255 || (target >> 24) == 0) return colour | a << 24;
  uint32_t out = ((a * 255 + (target >> 24) * (255 - a)) >> 8) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t t = target >> shift & 0xFF, c = colour >> shift & 0xFF;
    out |= ((t * (255 - a) + c * a) >> 8) << shift;
  }
  return out;
}

enum class Layer { kBody, kShadow, kOutline1, kOutline2 };

// Every covered pixel of the glyph, at its alpha, into the canvas. A glyph whose box (with the
// outline's margin) lies inside the canvas, as nearly all do, is written without a test per pixel.
void Composite(const Canvas& canvas, const Glyph& glyph, int64_t left, int64_t top, Layer layer,
               uint32_t colour) {
  static constexpr int kRing1[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
  static constexpr int kRing2[12][2] = {{0, -1}, {0, 1}, {-1, 0},  {1, 0},  {0, -2}, {0, 2},
                                        {-2, 0}, {2, 0}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
  const uint32_t columns = std::min(glyph.black_width, glyph.pitch);
  const int64_t margin = layer == Layer::kOutline2 ? 2 : (layer == Layer::kOutline1 ? 1 : 0);
  const bool inside = left - margin >= 0 && top - margin >= 0 &&
                      left + columns + margin <= canvas.width &&
                      top + glyph.black_height + margin <= canvas.height;
  const auto at = [&](int64_t x, int64_t y) {
    return inside ? canvas.pixels + static_cast<size_t>(y) * canvas.width + x : canvas.At(x, y);
  };
  const bool two = layer == Layer::kOutline2;
  for (uint32_t j = 0; j < glyph.black_height; ++j) {
    const uint8_t* row = glyph.bits + size_t{j} * glyph.pitch;
    for (uint32_t i = 0; i < columns; ++i) {
      if (row[i] == 0) continue;
      const uint32_t a = std::min<uint32_t>(4u * row[i] - 1, 255);
      const int64_t x = left + i, y = top + j;
      if (layer == Layer::kBody) {
        if (uint32_t* t = at(x, y)) *t = BlendBody(*t, colour, a);
      } else if (layer == Layer::kShadow) {
        if (uint32_t* t = at(x, y)) *t = colour | a << 24;
      } else {
        for (int k = 0; k < (two ? 12 : 4); ++k) {
          const int* d = two ? kRing2[k] : kRing1[k];
          if (uint32_t* t = at(x + d[0], y + d[1])) *t |= colour | a << 24;
        }
      }
    }
  }
}

// The glyph with its effect, the body `offset` pixels right of and below (left, top).
void DrawWithEffect(const FontState& state, const Canvas& canvas, const Glyph& glyph, int64_t left,
                    int64_t top) {
  const uint32_t text = state.text_colour, effect = state.effect_colour;
  switch (state.effect) {
    case 0:
      Composite(canvas, glyph, left + 1, top + 1, Layer::kBody, text);
      break;
    case 1:
      Composite(canvas, glyph, left + 1, top + 1, Layer::kOutline1, effect);
      Composite(canvas, glyph, left + 1, top + 1, Layer::kBody, text);
      break;
    case 2:
      Composite(canvas, glyph, left + 2, top + 2, Layer::kShadow, effect);
      Composite(canvas, glyph, left + 1, top + 1, Layer::kBody, text);
      break;
    case 3:
      Composite(canvas, glyph, left + 2, top + 2, Layer::kOutline2, effect);
      Composite(canvas, glyph, left + 2, top + 2, Layer::kBody, text);
      break;
    default:
      break;
  }
}

void KeepCell(FontState& state, int64_t pen_x, int64_t line_y, int32_t advance, int32_t width) {
  const int64_t left = pen_x + (state.effect == 3 ? 2 : 1);
  state.last_cell.rect = YelRect{static_cast<int32_t>(left), static_cast<int32_t>(line_y),
                                 static_cast<int32_t>(left + advance),
                                 static_cast<int32_t>(line_y + state.metrics.height)};
  state.last_cell.width = width;
  state.last_cell.held = 1;
}

void DrawText(FontState& state, const Canvas& canvas, const char* text, int32_t x, int32_t y) {
  const int32_t height = state.metrics.height;
  int64_t pen_x = x, line_y = y;
  state.last_cell.held = 0;
  TextReader reader(text);
  for (Token token = reader.Next(); token.kind != TokenKind::kEnd; token = reader.Next()) {
    Glyph glyph;
    switch (token.kind) {
      case TokenKind::kGlyph: {
        if (!FetchGlyph(state, token.code, glyph)) break;
        DrawWithEffect(state, canvas, glyph, pen_x + glyph.origin_x,
                       line_y + state.metrics.ascent - glyph.origin_y);
        const int32_t used = glyph.advance_x > height / 2 + 1 ? height : glyph.advance_x;
        KeepCell(state, pen_x, line_y, used, static_cast<int32_t>(glyph.black_width));
        pen_x += glyph.advance_x;
        break;
      }
      case TokenKind::kSpace:
      case TokenKind::kWideSpace: {
        const int32_t advance = token.kind == TokenKind::kSpace ? height / 2 : height;
        KeepCell(state, pen_x, line_y, advance, advance);
        pen_x += advance;
        break;
      }
      case TokenKind::kIcon:
        if (FetchIcon(state, token.icon, glyph))
          DrawWithEffect(state, canvas, glyph, pen_x, line_y);
        KeepCell(state, pen_x, line_y, height, height);
        pen_x += height;
        break;
      case TokenKind::kBreak:
        pen_x = x;
        line_y += height;
        break;
      default:
        break;
    }
  }
}

// Width and height of the text laid out in lines.
void MeasureText(FontState& state, const char* text, int32_t& width, int32_t& height) {
  const int32_t line = state.metrics.height;
  int64_t widest = 0, sum = 0, total = line;
  TextReader reader(text);
  for (Token token = reader.Next(); token.kind != TokenKind::kEnd; token = reader.Next()) {
    Glyph glyph;
    switch (token.kind) {
      case TokenKind::kGlyph:
        if (FetchGlyph(state, token.code, glyph)) sum += glyph.advance_x;
        break;
      case TokenKind::kSpace:
        sum += line / 2;
        break;
      case TokenKind::kWideSpace:
        sum += line;
        break;
      case TokenKind::kIcon: {
        const float cell = static_cast<float>(state.icons.height);
        const float side = cell > 0 ? static_cast<float>(state.size) / cell * cell
                                    : static_cast<float>(state.size);
        sum += static_cast<int32_t>(side) + 2;
        break;
      }
      case TokenKind::kBreak:
        widest = std::max(widest, sum);
        total += line;
        sum = 0;
        break;
      default:
        break;
    }
  }
  width = static_cast<int32_t>(std::min<int64_t>(std::max(widest, sum) + 3, INT32_MAX));
  height = static_cast<int32_t>(std::min<int64_t>(total + 2, INT32_MAX));
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API int YelFontDrawText(uint32_t* pixels, const char* text, int32_t x, int32_t y, int32_t width,
                            int32_t height) {
  if (!pixels || !text || width <= 0 || height <= 0) return 0;
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  const bool began = yel::FontBeginIfNeeded(state);
  yel::DrawText(state, yel::Canvas{pixels, width, height}, text, x, y);
  if (began) yel::FontEnd(state);
  return 1;
}

YEL_API int YelFontGetSize(const char* text, int32_t* out_size) {
  if (!text || !out_size) return 0;
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  const bool began = yel::FontBeginIfNeeded(state);
  yel::MeasureText(state, text, out_size[0], out_size[1]);
  if (began) yel::FontEnd(state);
  return 1;
}

}  // extern "C"
