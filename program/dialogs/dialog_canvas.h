// Pixels the engine's own fields and dialogs draw into before they go to a sprite: boxes and
// text in a bold face of the installed fonts (the game's font set is for the story, not for
// these controls). Pixels are 0xAARRGGBB, rows top-down.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "os/glyph_font.h"

namespace adv {

struct CanvasRect {
  int32_t x = 0, y = 0, width = 0, height = 0;

  bool Contains(int32_t px, int32_t py) const {
    return px >= x && py >= y && px < x + width && py < y + height;
  }
};

class DialogCanvas {
 public:
  DialogCanvas(int32_t width, int32_t height)
      : width_(std::max(width, 1)),
        height_(std::max(height, 1)),
        pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0) {}

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  const uint32_t* pixels() const { return pixels_.data(); }

  // Fills the rectangle, cut to the canvas.
  void Fill(const CanvasRect& rect, uint32_t colour);
  // A one-pixel frame around the rectangle.
  void Frame(const CanvasRect& rect, uint32_t colour);
  // Blends glyph coverage (0 to 64) in at (x, y) in the colour, cut to `clip`.
  void Glyph(const os::GlyphImage& glyph, int32_t x, int32_t y, uint32_t colour,
             const CanvasRect& clip);

 private:
  int32_t width_;
  int32_t height_;
  std::vector<uint32_t> pixels_;
};

// Text in one face and size.
class DialogFont {
 public:
  // The gothic or mincho face, bold, `cell_height` pixels high; draws nothing when no face is
  // installed.
  DialogFont(bool mincho, int32_t cell_height);
  int32_t height() const { return height_; }
  // Draws UTF-8 text with its cell's top at y, cut to `clip`; the x after the text.
  int32_t Draw(DialogCanvas& canvas, std::string_view utf8, int32_t x, int32_t y, uint32_t colour,
               const CanvasRect& clip);
  // The width the text takes.
  int32_t Measure(std::string_view utf8);

 private:
  int32_t Walk(DialogCanvas* canvas, std::string_view utf8, int32_t x, int32_t y, uint32_t colour,
               const CanvasRect& clip);

  std::unique_ptr<os::GlyphFont> font_;
  int32_t height_;
};

class EditField;

// The pieces the dialogs are drawn from.
inline constexpr uint32_t kDialogFace = 0xFFF0F0F0;
inline constexpr uint32_t kDialogText = 0xFF000000;
inline constexpr uint32_t kDialogGrey = 0xFF909090;
inline constexpr uint32_t kDialogFocus = 0xFF0060C0;

// The dialogs' text height, which their layouts are measured in.
inline constexpr int32_t kDialogFontHeight = 16;

// The window of a dialog: its face, frame and caption bar; the caption's height.
inline int32_t DialogCaptionHeight(int32_t font_height) {
  return font_height + 6;
}
int32_t DrawDialogWindow(DialogCanvas& canvas, DialogFont& font, std::string_view caption_cp932);
void DrawDialogLabel(DialogCanvas& canvas, DialogFont& font, const CanvasRect& rect,
                     std::string_view text_cp932, uint32_t colour = kDialogText);
void DrawDialogButton(DialogCanvas& canvas, DialogFont& font, const CanvasRect& rect,
                      std::string_view label_cp932, bool focused, bool enabled);
// The OK and Cancel buttons along the bottom edge of a dialog of that size.
inline CanvasRect DialogOkButton(int32_t width, int32_t height) {
  return {width - 188, height - 30, 86, 24};
}
inline CanvasRect DialogCancelButton(int32_t width, int32_t height) {
  return {width - 96, height - 30, 86, 24};
}
// Both, OK greyed out unless it is enabled.
void DrawDialogOkCancel(DialogCanvas& canvas, DialogFont& font, int focus, int ok_focus,
                        int cancel_focus, bool ok_enabled);
// A field's text line by line (CR LF breaks), the composition underlined at the caret, and the
// caret while the field has the focus.
void DrawEditField(DialogCanvas& canvas, DialogFont& font, const CanvasRect& rect,
                   const EditField& field, bool focused);

}  // namespace adv
