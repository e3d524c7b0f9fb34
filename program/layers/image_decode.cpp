#include "program/layers/image_decode.h"

#include <utility>

#include "program/layers/sprite_loader.h"
#include "program/script/engine_log.h"

namespace adv {
namespace {

constexpr size_t kBmpFileHeader = 14;
constexpr size_t kBmpInfoHeader = 40;
constexpr size_t kBmpPalette = kBmpFileHeader + kBmpInfoHeader;
constexpr size_t kTgaHeader = 18;
constexpr uint32_t kBmpRgb = 0;
constexpr uint32_t kBmpBitFields = 3;
constexpr uint8_t kTgaTrueColour = 2;
constexpr uint8_t kTgaGrey = 3;
constexpr uint32_t kOpaque = 0xFF000000;

uint16_t U16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return kOpaque | static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 | blue;
}

// Where the rows lie in the file and how they are read.
struct Layout {
  uint32_t width = 0, height = 0, bits = 0;
  size_t offset = 0;     // first byte of the bottom row
  size_t row_bytes = 0;  // file bytes from one row to the next
  bool bmp = false;
};

void RefuseDepth() {
  AdvDebugPrint(kLogError, "err : load memory / bloken?");
}

// The image must be no larger than the platform keeps an image, and its rows must lie inside
// the file.
bool Fits(const Layout& layout, size_t size) {
  if (layout.width == 0 || layout.height == 0) return false;
  if (layout.width > kTextureSideMax || layout.height > kTextureSideMax ||
      uint64_t{layout.width} * layout.height > kTexturePixelsMax) {
    return false;
  }
  if (layout.offset > size) return false;
  return uint64_t{layout.row_bytes} * layout.height <= size - layout.offset;
}

bool BmpLayout(const uint8_t* bytes, size_t size, Layout& layout) {
  if (size < kBmpPalette) return false;
  const int32_t width = static_cast<int32_t>(U32(bytes + 18));
  const int32_t height = static_cast<int32_t>(U32(bytes + 22));
  const uint32_t compression = U32(bytes + 30);
  // Rows stored top first (a negative height) and compressed rows are not read.
  if (width <= 0 || height <= 0) return false;
  if (compression != kBmpRgb && compression != kBmpBitFields) return false;
  layout.bmp = true;
  layout.width = static_cast<uint32_t>(width);
  layout.height = static_cast<uint32_t>(height);
  layout.bits = U16(bytes + 28);
  layout.offset = U32(bytes + 10);
  if (layout.bits != 8 && layout.bits != 24 && layout.bits != 32) {
    RefuseDepth();
    return false;
  }
  layout.row_bytes = (uint64_t{layout.width} * layout.bits / 8 + 3) & ~uint64_t{3};
  return true;
}

bool TgaLayout(const uint8_t* bytes, size_t size, Layout& layout) {
  if (size < kTgaHeader) return false;
  if (bytes[1] == 1) {
    AdvDebugPrint(kLogError, "err : match / tga index color");
    return false;
  }
  // Run-length rows (types 9 to 11) and files without an image are not read.
  if (bytes[2] != kTgaTrueColour && bytes[2] != kTgaGrey) return false;
  layout.width = U16(bytes + 12);
  layout.height = U16(bytes + 14);
  layout.bits = bytes[16];
  layout.offset = kTgaHeader + bytes[0];  // after the identification field
  if (layout.bits != 8 && layout.bits != 24 && layout.bits != 32) {
    RefuseDepth();
    return false;
  }
  layout.row_bytes = size_t{layout.width} * (layout.bits / 8);
  return true;
}

// One file row into one output row; false when an 8-bit BMP index lies past the file's end.
bool ReadRow(const Layout& layout, const uint8_t* bytes, size_t size, const uint8_t* in,
             uint32_t* out) {
  for (uint32_t x = 0; x < layout.width; ++x) {
    if (layout.bits == 32) {
      out[x] = U32(in + size_t{4} * x);
    } else if (layout.bits == 24) {
      const uint8_t* p = in + size_t{3} * x;
      out[x] = Rgb(p[2], p[1], p[0]);
    } else if (!layout.bmp) {
      out[x] = Rgb(in[x], in[x], in[x]);
    } else {
      const size_t entry = kBmpPalette + size_t{4} * in[x];
      if (entry + 3 > size) return false;
      out[x] = Rgb(bytes[entry + 2], bytes[entry + 1], bytes[entry]);
    }
  }
  return true;
}

}  // namespace

int AdvDecodeTgaBmp(DecodedImage* image, const uint8_t* bytes, size_t size) {
  *image = DecodedImage{};
  if (!bytes) return 0;
  Layout layout;
  const bool bmp = size >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
  if (!(bmp ? BmpLayout(bytes, size, layout) : TgaLayout(bytes, size, layout))) return 0;
  if (!Fits(layout, size)) return 0;
  std::vector<uint32_t> pixels(size_t{layout.width} * layout.height, 0);
  // The bottom row comes first in both formats.
  for (uint32_t i = 0; i < layout.height; ++i) {
    const uint8_t* in = bytes + layout.offset + layout.row_bytes * i;
    uint32_t* out = pixels.data() + size_t{layout.width} * (layout.height - 1 - i);
    if (!ReadRow(layout, bytes, size, in, out)) return 0;
  }
  image->width = layout.width;
  image->height = layout.height;
  image->pixels = std::move(pixels);
  return 1;
}

}  // namespace adv
