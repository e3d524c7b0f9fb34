#include "program/dialogs/dialog_canvas.h"

#include <algorithm>

#include "os/encoding.h"
#include "program/dialogs/edit_field.h"

namespace adv {
namespace {

CanvasRect Intersect(const CanvasRect& a, const CanvasRect& b) {
  const int32_t left = std::max(a.x, b.x);
  const int32_t top = std::max(a.y, b.y);
  const int32_t right = std::min(a.x + a.width, b.x + b.width);
  const int32_t bottom = std::min(a.y + a.height, b.y + b.height);
  return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

uint32_t Blend(uint32_t under, uint32_t colour, uint32_t alpha) {
  auto channel = [&](int shift) {
    const uint32_t a = (under >> shift) & 0xFF;
    const uint32_t b = (colour >> shift) & 0xFF;
    return ((a * (255 - alpha) + b * alpha) / 255) << shift;
  };
  const uint32_t under_alpha = under >> 24;
  const uint32_t out_alpha = alpha + under_alpha * (255 - alpha) / 255;
  return (out_alpha << 24) | channel(16) | channel(8) | channel(0);
}

// The next character of UTF-8 text as a code point (a stray byte stands for itself).
char32_t NextCodePoint(std::string_view text, size_t& at) {
  const uint8_t first = static_cast<uint8_t>(text[at++]);
  int extra = first >= 0xF0 ? 3 : first >= 0xE0 ? 2 : first >= 0xC0 ? 1 : 0;
  char32_t code = extra == 3 ? first & 0x07 : extra == 2 ? first & 0x0F : first & 0x1F;
  if (extra == 0) return first;
  while (extra-- > 0 && at < text.size()) code = code << 6 | (text[at++] & 0x3F);
  return code;
}

}  // namespace

void DialogCanvas::Fill(const CanvasRect& rect, uint32_t colour) {
  const CanvasRect r = Intersect(rect, {0, 0, width_, height_});
  for (int32_t y = r.y; y < r.y + r.height; ++y) {
    std::fill_n(pixels_.begin() + static_cast<ptrdiff_t>(y) * width_ + r.x, r.width, colour);
  }
}

void DialogCanvas::Frame(const CanvasRect& rect, uint32_t colour) {
  Fill({rect.x, rect.y, rect.width, 1}, colour);
  Fill({rect.x, rect.y + rect.height - 1, rect.width, 1}, colour);
  Fill({rect.x, rect.y, 1, rect.height}, colour);
  Fill({rect.x + rect.width - 1, rect.y, 1, rect.height}, colour);
}

void DialogCanvas::Glyph(const os::GlyphImage& glyph, int32_t x, int32_t y, uint32_t colour,
                         const CanvasRect& clip) {
  const CanvasRect area = Intersect(clip, {0, 0, width_, height_});
  for (uint32_t row = 0; row < glyph.black_height; ++row) {
    const int32_t py = y + static_cast<int32_t>(row);
    if (py < area.y || py >= area.y + area.height) continue;
    for (uint32_t column = 0; column < glyph.black_width; ++column) {
      const int32_t px = x + static_cast<int32_t>(column);
      if (px < area.x || px >= area.x + area.width) continue;
      const uint32_t coverage = glyph.coverage[row * glyph.Pitch() + column];
      if (coverage == 0) continue;
      uint32_t& pixel = pixels_[static_cast<size_t>(py) * width_ + px];
      pixel = Blend(pixel, colour, std::min<uint32_t>(coverage * 4, 255));
    }
  }
}

DialogFont::DialogFont(bool mincho, int32_t cell_height)
    : font_(os::GlyphFont::Open(mincho ? os::FaceKind::kMincho : os::FaceKind::kGothic,
                                std::max(cell_height, 1), std::max(cell_height, 1) / 2, true)),
      height_(std::max(cell_height, 1)) {}

int32_t DialogFont::Draw(DialogCanvas& canvas, std::string_view utf8, int32_t x, int32_t y,
                         uint32_t colour, const CanvasRect& clip) {
  return Walk(&canvas, utf8, x, y, colour, clip);
}

int32_t DialogFont::Measure(std::string_view utf8) {
  return Walk(nullptr, utf8, 0, 0, 0, {});
}

int32_t DialogFont::Walk(DialogCanvas* canvas, std::string_view utf8, int32_t x, int32_t y,
                         uint32_t colour, const CanvasRect& clip) {
  if (!font_) return x;
  os::GlyphImage glyph;
  for (size_t at = 0; at < utf8.size();) {
    const char32_t code = NextCodePoint(utf8, at);
    if (!font_->Render(code, glyph)) continue;
    if (canvas) {
      canvas->Glyph(glyph, x + glyph.origin_x, y + font_->Ascent() - glyph.origin_y, colour, clip);
    }
    x += glyph.advance_x;
  }
  return x;
}

}  // namespace adv

// ---- Dialog pieces ------------------------------------------------------------------------

namespace adv {

int32_t DrawDialogWindow(DialogCanvas& canvas, DialogFont& font, std::string_view caption) {
  const CanvasRect all{0, 0, canvas.width(), canvas.height()};
  const int32_t bar = DialogCaptionHeight(font.height());
  canvas.Fill(all, kDialogFace);
  canvas.Fill({0, 0, canvas.width(), bar}, kDialogFocus);
  canvas.Frame(all, kDialogText);
  font.Draw(canvas, os::Cp932ToUtf8(caption), 6, 3, 0xFFFFFFFF, {0, 0, canvas.width(), bar});
  return bar;
}

void DrawDialogLabel(DialogCanvas& canvas, DialogFont& font, const CanvasRect& rect,
                     std::string_view text, uint32_t colour) {
  font.Draw(canvas, os::Cp932ToUtf8(text), rect.x, rect.y, colour, rect);
}

void DrawDialogButton(DialogCanvas& canvas, DialogFont& font, const CanvasRect& rect,
                      std::string_view label, bool focused, bool enabled) {
  canvas.Fill(rect, 0xFFE0E0E0);
  canvas.Frame(rect, focused ? kDialogFocus : kDialogGrey);
  if (focused)
    canvas.Frame({rect.x + 1, rect.y + 1, rect.width - 2, rect.height - 2}, kDialogFocus);
  const std::string utf8 = os::Cp932ToUtf8(label);
  const int32_t x = rect.x + std::max((rect.width - font.Measure(utf8)) / 2, 2);
  const int32_t y = rect.y + std::max((rect.height - font.height()) / 2, 0);
  font.Draw(canvas, utf8, x, y, enabled ? kDialogText : kDialogGrey, rect);
}

void DrawDialogOkCancel(DialogCanvas& canvas, DialogFont& font, int focus, int ok_focus,
                        int cancel_focus, bool ok_enabled) {
  const int32_t w = canvas.width();
  const int32_t h = canvas.height();
  DrawDialogButton(canvas, font, DialogOkButton(w, h), "OK", focus == ok_focus, ok_enabled);
  DrawDialogButton(canvas, font, DialogCancelButton(w, h), os::Sjis("キャンセル"),
                   focus == cancel_focus, true);
}

void DrawEditField(DialogCanvas& canvas, DialogFont& font, const CanvasRect& rect,
                   const EditField& field, bool focused) {
  canvas.Fill(rect, 0xFFFFFFFF);
  canvas.Frame(rect, focused ? kDialogFocus : kDialogGrey);
  const CanvasRect inside{rect.x + 2, rect.y + 2, rect.width - 4, rect.height - 4};
  const std::string& text = field.text();
  int32_t y = inside.y;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    int32_t x = inside.x;
    if (field.caret() >= start && field.caret() <= end) {
      x = font.Draw(canvas, os::Cp932ToUtf8(text.substr(start, field.caret() - start)), x, y,
                    kDialogText, inside);
      const int32_t composed = x;
      x = font.Draw(canvas, field.composition(), x, y, kDialogFocus, inside);
      if (x > composed)
        canvas.Fill({composed, y + font.height() - 1, x - composed, 1}, kDialogFocus);
      if (focused) canvas.Fill({x, y, 1, font.height()}, kDialogText);
      font.Draw(canvas, os::Cp932ToUtf8(text.substr(field.caret(), end - field.caret())), x + 1, y,
                kDialogText, inside);
    } else {
      font.Draw(canvas, os::Cp932ToUtf8(text.substr(start, end - start)), x, y, kDialogText,
                inside);
    }
    y += font.height();
    if (end >= text.size()) break;
    start = end + 2;
  }
}

}  // namespace adv
