// Uncompressed BMP (8-bit palette, 24 and 32 bits) and TGA (grey, 24 and 32 bits), both stored
// bottom-up. Compressed, colour-mapped and top-down variants are refused rather than misread.
#include <cstring>

#include "YEL/graphics/image_decoders.h"
#include "os/byte_order.h"
#include "os/debug_output.h"

namespace yel {
namespace {

constexpr size_t kBmpHeaderBytes = 54;  // file header and the 40-byte information header
constexpr uint32_t kBmpInfoBytes = 40;
constexpr size_t kTgaHeaderBytes = 18;
enum : uint8_t { kTgaTrueColour = 2, kTgaGrey = 3 };

// Where the stored rows are, bottom row first.
struct StoredRows {
  const uint8_t* bottom;
  size_t row_bytes;
  int32_t bits_per_pixel;
  const uint8_t* palette;  // 8-bit BMP only: entries B, G, R, unused
  size_t palette_entries;
};

bool KnownDepth(int32_t bits) {
  return bits == 8 || bits == 24 || bits == 32;
}

bool StoredRowsFit(size_t offset, size_t row_bytes, int32_t height, size_t size) {
  return offset <= size && (size - offset) / row_bytes >= static_cast<size_t>(height);
}

bool RowToArgb(const uint8_t* in, const StoredRows& rows, int32_t width, uint32_t* out) {
  for (int32_t x = 0; x < width; ++x) {
    switch (rows.bits_per_pixel) {
      case 8: {
        const uint8_t value = in[x];
        if (!rows.palette) {
          out[x] = 0xFF000000u | value * 0x010101u;
          break;
        }
        if (value >= rows.palette_entries) return false;
        const uint8_t* entry = rows.palette + value * 4;
        out[x] = 0xFF000000u | entry[2] << 16 | entry[1] << 8 | entry[0];
        break;
      }
      case 24: {
        const uint8_t* p = in + x * 3;
        out[x] = 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0];
        break;
      }
      default:
        out[x] = os::LoadLe32(in + x * 4);
    }
  }
  return true;
}

bool RowsToArgb(const StoredRows& rows, int32_t width, int32_t height, uint32_t* destination,
                int32_t stride) {
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* out = destination + static_cast<size_t>(height - 1 - y) * stride;
    if (!RowToArgb(rows.bottom + y * rows.row_bytes, rows, width, out)) return false;
  }
  return true;
}

bool BmpRows(const uint8_t* data, size_t size, const ImageHeader& header, StoredRows& rows) {
  const int32_t bits = os::LoadLe16(data + 28);
  if (os::LoadLe32(data + 30) != 0 || !KnownDepth(bits)) {
    os::DebugOutput("err : load memory / bloken?");
    return false;
  }
  const size_t row_bytes = ((static_cast<size_t>(header.width) * bits + 31) / 32) * 4;
  const size_t offset = os::LoadLe32(data + 10);
  if (!StoredRowsFit(offset, row_bytes, header.height, size)) return false;
  rows = {data + offset, row_bytes, bits, nullptr, 0};
  if (bits == 8) {
    // The palette follows a 40-byte information header; other headers would move it.
    if (os::LoadLe32(data + 14) != kBmpInfoBytes || offset < kBmpHeaderBytes) return false;
    rows.palette = data + kBmpHeaderBytes;
    rows.palette_entries = (offset - kBmpHeaderBytes) / 4;
  }
  return true;
}

bool TgaRows(const uint8_t* data, size_t size, const ImageHeader& header, StoredRows& rows) {
  const int32_t bits = data[16];
  if (!KnownDepth(bits)) {
    os::DebugOutput("err : load memory / bloken?");
    return false;
  }
  const size_t row_bytes = static_cast<size_t>(header.width) * (bits / 8);
  const size_t offset = kTgaHeaderBytes + data[0];  // past the image-ID field
  if (!StoredRowsFit(offset, row_bytes, header.height, size)) return false;
  rows = {data + offset, row_bytes, bits, nullptr, 0};
  return true;
}

}  // namespace

bool BmpReadHeader(const uint8_t* data, size_t size, ImageHeader& header) {
  if (size < kBmpHeaderBytes || data[0] != 'B' || data[1] != 'M') return false;
  const int32_t width = static_cast<int32_t>(os::LoadLe32(data + 18));
  const int32_t height = static_cast<int32_t>(os::LoadLe32(data + 22));
  if (!ImageSizeAllowed(width, height)) return false;
  header = ImageHeader{ImageFormat::kBmp, width, height};
  return true;
}

bool TgaReadHeader(const uint8_t* data, size_t size, ImageHeader& header) {
  if (size < kTgaHeaderBytes) return false;
  if (data[1] != 0) {
    os::DebugOutput("err : match / tga index color");
    return false;
  }
  if (data[2] != kTgaTrueColour && data[2] != kTgaGrey) return false;  // run-length or mapped
  const int32_t width = os::LoadLe16(data + 12);
  const int32_t height = os::LoadLe16(data + 14);
  if (!ImageSizeAllowed(width, height)) return false;
  header = ImageHeader{ImageFormat::kTga, width, height};
  return true;
}

bool ImageTgaBmpDecode(const ImageHeader& header, const uint8_t* data, size_t size,
                       uint32_t* destination, int32_t stride) {
  StoredRows rows{};
  const bool found = header.format == ImageFormat::kBmp ? BmpRows(data, size, header, rows)
                                                        : TgaRows(data, size, header, rows);
  return found && RowsToArgb(rows, header.width, header.height, destination, stride);
}

}  // namespace yel
