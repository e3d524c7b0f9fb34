// A CPU picture for the debug window: filled rectangles and lines of CP932 text in one small
// gothic face. Its pixels are 0xAARRGGBB, rows top-down.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace os {
class GlyphFont;
}

namespace yel {

class DebugCanvas {
 public:
  static constexpr int kLineHeight = 14;

  DebugCanvas();
  ~DebugCanvas();

  void Resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  const uint32_t* pixels() const { return pixels_.data(); }

  void Fill(int x, int y, int width, int height, uint32_t colour);
  // Draws the text with its cell's top-left corner at (x, y), cut at `right`; the pen's end.
  int Text(int x, int y, const std::string& cp932, uint32_t colour, int right);
  // The advance of the text.
  int TextWidth(const std::string& cp932);

 private:
  void Blend(int x, int y, uint8_t coverage, uint32_t colour);

  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
  std::unique_ptr<os::GlyphFont> font_;  // null when no face is installed: text is not drawn
};

// The Unicode characters of a UTF-8 text (a broken sequence gives U+FFFD).
std::u32string DecodeUtf8(const std::string& utf8);

}  // namespace yel
