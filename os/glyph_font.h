// Glyphs of the installed outline fonts, rendered in the engine's coverage format: one byte per
// pixel from 0 to 64, rows padded to a multiple of 4 bytes. A font is asked for by the kind of
// face (gothic or mincho, fixed or proportional) and a cell height; its size follows the cell
// rule of the engine's fonts: the ascent and descent of the face fill the cell height, and the
// face's average character width is stretched to the given width.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace os {

enum class FaceKind { kGothic, kMincho, kProportionalGothic, kProportionalMincho };

// A rendered glyph with the metrics of its black box.
struct GlyphImage {
  uint32_t black_width = 1;   // columns of the coverage (at least 1)
  uint32_t black_height = 1;  // rows of the coverage (at least 1)
  int32_t origin_x = 0;       // left edge of the black box right of the pen
  int32_t origin_y = 0;       // top edge of the black box above the baseline
  int16_t advance_x = 0;      // pen advance, whole pixels
  int16_t advance_y = 0;
  std::vector<uint8_t> coverage;  // black_height rows of Pitch() bytes, values 0 to 64

  uint32_t Pitch() const { return (black_width + 3) & ~3u; }
};

class GlyphFont {
 public:
  // The installed face that stands for `kind` (through fontconfig, Japanese faces first), sized
  // to `cell_height` pixels with characters `width` wide on average, emboldened when asked for
  // and the face has no bold of its own. Null when no face is installed or the size is not
  // positive.
  static std::unique_ptr<GlyphFont> Open(FaceKind kind, int32_t cell_height, int32_t width,
                                         bool bold);
  virtual ~GlyphFont() = default;

  // Pixels of the cell above and below the baseline (they add up to the cell height).
  virtual int32_t Ascent() const = 0;
  virtual int32_t Descent() const = 0;
  // The family name of the main face (UTF-8).
  virtual std::string Family() const = 0;
  // Renders the Unicode character; a character the face lacks comes from another installed face
  // that has it. False when no installed face has it.
  virtual bool Render(char32_t code, GlyphImage& out) = 0;
  // True when the main face itself has the character.
  virtual bool HasGlyph(char32_t code) const = 0;
};

}  // namespace os
