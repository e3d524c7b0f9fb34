// Font sets and icon sheets written byte by byte for the font tests, and a fixture that gives
// each test a base folder, a drawing set-up and a font state as the library starts with it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/yel/file_test_support.h"
#include "tests/yel/sprite_test_support.h"

namespace fonttest {

struct TestGlyph {
  uint32_t width, height;
  int32_t origin_x, origin_y;
  int16_t advance;
  std::vector<uint8_t> coverage;  // height rows of (width + 3) & ~3 bytes
};

inline void Put(std::string& out, uint32_t value, int bytes) {
  spritetest::PutLe(out, value, bytes);
}

// A set of `height` (ascent `ascent`) with the glyphs of single-byte codes, behind a table of
// 256 entries.
inline std::string FontSetBytes(int32_t height, int32_t ascent,
                                const std::map<uint8_t, TestGlyph>& glyphs) {
  std::string out(256 * 4, '\0');
  for (const auto& [code, g] : glyphs) {
    const uint32_t offset = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[code * 4 + i] = static_cast<char>(offset >> (8 * i));
    for (uint32_t v : {g.width, g.height, static_cast<uint32_t>(g.origin_x),
                       static_cast<uint32_t>(g.origin_y)}) {
      Put(out, v, 4);
    }
    Put(out, static_cast<uint16_t>(g.advance), 2);
    Put(out, 0, 2);
    Put(out, static_cast<uint32_t>(g.coverage.size()), 4);
    out.append(g.coverage.begin(), g.coverage.end());
  }
  std::string metrics(56, '\0');
  for (int i = 0; i < 4; ++i) {
    metrics[i] = static_cast<char>(height >> (8 * i));
    metrics[4 + i] = static_cast<char>(ascent >> (8 * i));
  }
  return out + metrics;
}

// An icon sheet: width x height 8-bit values given top row first, stored bottom row first.
inline std::string IconSheetBytes(int32_t width, int32_t height, const std::vector<uint8_t>& top) {
  std::string out(18, '\0');
  out[2] = 3;
  out[12] = static_cast<char>(width), out[13] = static_cast<char>(width >> 8);
  out[14] = static_cast<char>(height), out[15] = static_cast<char>(height >> 8);
  out[16] = 8;
  for (int32_t y = height - 1; y >= 0; --y) {
    out.append(top.begin() + y * width, top.begin() + (y + 1) * width);
  }
  return out + std::string(26, '\0');
}

class FontFixture : public spritetest::DrawingFixture {
 protected:
  void SetUp() override {
    DrawingFixture::SetUp();
    folder_.Start("yel_fonts_");
    Reset();
  }
  void TearDown() override {
    Reset();
    folder_.End();
    DrawingFixture::TearDown();
  }
  static void Reset() {
    YelFontEnd();
    YelFontUnload();
    YelExFontUnload();
    YelFontSetType(0);
    YelFontSetEffect(0);
    YelFontSetFontSize(16);
    YelFontSetColor(0xFFFFFFFF, 0xFF0000FF);
  }
  void Write(const std::string& name, const std::string& bytes) {
    filetest::WriteFile(folder_.path() / name, bytes);
  }

  filetest::TempBaseFolder folder_;
};

}  // namespace fonttest
