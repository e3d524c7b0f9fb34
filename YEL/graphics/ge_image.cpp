// "GE" images: a 30-byte header, then raw pixels (mode 0) or an LZ stream that expands to four
// planes (mode 1), subsampled YCbCr (mode 2) or row-filtered pixels (mode 3).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "YEL/graphics/image_decoders.h"
#include "YEL/graphics/image_lz.h"
#include "YEL/graphics/row_filters.h"
#include "os/byte_order.h"

namespace yel {
namespace {

constexpr size_t kHeaderBytes = 30;
constexpr size_t kModeOffset = 28;
constexpr size_t kRowFilterSubHeader = 8;

struct GeLayout {
  int32_t width;
  int32_t height;
  size_t pixels;   // width x height
  size_t payload;  // header size: where the byte count (or mode 0's pixels) starts
};

void DecodeRaw(const uint8_t* pixels, const GeLayout& ge, uint32_t* destination, int32_t stride) {
  const size_t row_bytes = static_cast<size_t>(ge.width) * 4;
  for (int32_t y = 0; y < ge.height; ++y) {
    std::memcpy(destination + static_cast<size_t>(y) * stride, pixels + y * row_bytes, row_bytes);
  }
}

void PlanesToArgb(const uint8_t* planes, const GeLayout& ge, uint32_t* destination,
                  int32_t stride) {
  const uint8_t* alpha = planes;
  const uint8_t* red = alpha + ge.pixels;
  const uint8_t* green = red + ge.pixels;
  const uint8_t* blue = green + ge.pixels;
  for (int32_t y = 0; y < ge.height; ++y) {
    uint32_t* row = destination + static_cast<size_t>(y) * stride;
    const size_t start = static_cast<size_t>(y) * ge.width;
    for (int32_t x = 0; x < ge.width; ++x) {
      const size_t k = start + x;
      row[x] = static_cast<uint32_t>(alpha[k]) << 24 | static_cast<uint32_t>(red[k]) << 16 |
               static_cast<uint32_t>(green[k]) << 8 | blue[k];
    }
  }
}

uint32_t Clamp255(int32_t value) {
  return static_cast<uint32_t>(std::clamp(value, 0, 255));
}

uint32_t YccPixel(int32_t luma, int32_t red_offset, int32_t green_offset, int32_t blue_offset) {
  return 0xFF000000u | Clamp255(luma + red_offset) << 16 | Clamp255(luma + green_offset) << 8 |
         Clamp255(luma + blue_offset);
}

// One chroma sample per 2x2 block; an odd last column or row is left as it was.
void YccToArgb(const uint8_t* planes, const GeLayout& ge, uint32_t* destination, int32_t stride) {
  const size_t quarter = ge.pixels / 4;
  const uint8_t* cb_plane = planes;
  const uint8_t* cr_plane = planes + quarter;
  const uint8_t* luma = planes + 2 * quarter;
  const int32_t blocks_x = ge.width / 2;
  for (int32_t by = 0; by < ge.height / 2; ++by) {
    const size_t top = static_cast<size_t>(2 * by) * ge.width;
    const size_t bottom = top + ge.width;
    uint32_t* row0 = destination + static_cast<size_t>(2 * by) * stride;
    uint32_t* row1 = row0 + stride;
    for (int32_t bx = 0; bx < blocks_x; ++bx) {
      const size_t k = static_cast<size_t>(by) * blocks_x + bx;
      const int32_t cb = static_cast<int8_t>(cb_plane[k]);
      const int32_t cr = static_cast<int8_t>(cr_plane[k]);
      const int32_t r = (179 * cr) >> 7;  // arithmetic shifts: floor division by 128
      const int32_t g = (-43 * cb - 89 * cr) >> 7;
      const int32_t b = (226 * cb) >> 7;
      const int32_t x = 2 * bx;
      row0[x] = YccPixel(luma[top + x], r, g, b);
      row0[x + 1] = YccPixel(luma[top + x + 1], r, g, b);
      row1[x] = YccPixel(luma[bottom + x], r, g, b);
      row1[x + 1] = YccPixel(luma[bottom + x + 1], r, g, b);
    }
  }
}

int32_t RowFilterChannels(const uint8_t* data) {
  return os::LoadLe16(data + 2) == 24 ? 3 : 4;
}

bool RowFiltersToArgb(const uint8_t* data, const GeLayout& ge, uint32_t* destination,
                      int32_t stride) {
  if (os::LoadLe16(data + 4) != ge.width || os::LoadLe16(data + 6) != ge.height) return false;
  const int32_t channels = RowFilterChannels(data);
  const uint8_t* filters = data + kRowFilterSubHeader;
  const RowFilterTarget target{reinterpret_cast<uint8_t*>(destination),
                               static_cast<size_t>(stride) * 4, 4};
  if (!DecodeRowFilters(filters, filters + ge.height, ge.width, ge.height, channels, target)) {
    return false;
  }
  if (channels == 3) {
    for (int32_t y = 0; y < ge.height; ++y) {
      uint32_t* row = destination + static_cast<size_t>(y) * stride;
      for (int32_t x = 0; x < ge.width; ++x) row[x] |= 0xFF000000u;
    }
  }
  return true;
}

// What each mode reads from the expanded stream; mode 3 needs at least its 24-bit size until the
// sub-header says the depth. Unknown modes need more than any stream holds.
size_t NeededBytes(int mode, const GeLayout& ge, int32_t channels) {
  switch (mode) {
    case 1:
      return ge.pixels * 4;
    case 2:
      return 2 * (ge.pixels / 4) + ge.pixels;
    case 3:
      return kRowFilterSubHeader + static_cast<size_t>(ge.height) + ge.pixels * channels;
    default:
      return SIZE_MAX;
  }
}

// The expanded data of one image at a time, kept between decodes so that a run of images does not
// map fresh pages for each. Guarded by ImageDecodeLock, which the caller holds.
uint8_t* DecodeBuffer(size_t count) {
  static std::vector<uint8_t> buffer;
  if (buffer.size() < count) {
    try {
      buffer.resize(count);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  return buffer.data();
}

bool DecodeCompressed(int mode, const uint8_t* data, size_t size, const GeLayout& ge,
                      uint32_t* destination, int32_t stride) {
  if (ge.payload > size || size - ge.payload < 8) return false;
  const size_t count = os::LoadLe32(data + ge.payload);
  if (count > kMaxDecompressedBytes || count < NeededBytes(mode, ge, 3)) return false;
  uint8_t* expanded = DecodeBuffer(count);
  if (!expanded) return false;
  const size_t stream = ge.payload + 8;
  if (!ImageLzDecompress(expanded, count, data + stream, size - stream)) return false;
  switch (mode) {
    case 1:
      PlanesToArgb(expanded, ge, destination, stride);
      return true;
    case 2:
      YccToArgb(expanded, ge, destination, stride);
      return true;
    default:
      return count >= NeededBytes(3, ge, RowFilterChannels(expanded)) &&
             RowFiltersToArgb(expanded, ge, destination, stride);
  }
}

}  // namespace

bool GeReadHeader(const uint8_t* data, size_t size, ImageHeader& header) {
  if (size < kHeaderBytes || data[0] != 'G' || data[1] != 'E') return false;
  ImageHeader ge;
  ge.format = ImageFormat::kGe;
  ge.x = static_cast<int32_t>(os::LoadLe32(data + 4));
  ge.y = static_cast<int32_t>(os::LoadLe32(data + 8));
  ge.width = static_cast<int32_t>(os::LoadLe32(data + 12));
  ge.height = static_cast<int32_t>(os::LoadLe32(data + 16));
  ge.cell_width = static_cast<int32_t>(os::LoadLe32(data + 20));
  ge.cell_height = static_cast<int32_t>(os::LoadLe32(data + 24));
  if (!ImageSizeAllowed(ge.width, ge.height)) return false;
  header = ge;
  return true;
}

bool GeDecode(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride) {
  ImageHeader header;
  if (!GeReadHeader(data, size, header) || stride < header.width) return false;
  const GeLayout ge{header.width, header.height,
                    static_cast<size_t>(header.width) * static_cast<size_t>(header.height),
                    os::LoadLe16(data + 2)};
  const int mode = os::LoadLe16(data + kModeOffset);
  if (mode != 0) return DecodeCompressed(mode, data, size, ge, destination, stride);
  const size_t pixels = ge.payload + 8;
  if (pixels > size || (size - pixels) / 4 < ge.pixels) return false;
  DecodeRaw(data + pixels, ge, destination, stride);
  return true;
}

}  // namespace yel
