// A stand-in for the image decoders while they are built elsewhere: "GE" images stored raw
// (mode 0) and uncompressed 32-bit BMP files; everything else is refused.
#include <cstring>

#include "YEL/graphics/image_codecs.h"
#include "os/byte_order.h"

namespace yel {
namespace {

constexpr int32_t kMaxSide = 16384;
constexpr size_t kGeHeaderSize = 30;
constexpr size_t kBmpHeaderSize = 54;

bool SaneSize(int32_t width, int32_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

int32_t Le32(const uint8_t* bytes) {
  return static_cast<int32_t>(os::LoadLe32(bytes));
}

bool ReadGeHeader(const uint8_t* data, size_t size, ImageHeader& header) {
  if (size < kGeHeaderSize) return false;
  header.format = ImageFormat::kGe;
  header.x = Le32(data + 4);
  header.y = Le32(data + 8);
  header.width = Le32(data + 12);
  header.height = Le32(data + 16);
  header.cell_width = Le32(data + 20);
  header.cell_height = Le32(data + 24);
  return SaneSize(header.width, header.height);
}

bool ReadBmpHeader(const uint8_t* data, size_t size, ImageHeader& header) {
  if (size < kBmpHeaderSize) return false;
  header.format = ImageFormat::kBmp;
  header.width = Le32(data + 18);
  header.height = Le32(data + 22);
  header.cell_width = header.width;
  header.cell_height = header.height;
  return SaneSize(header.width, header.height);
}

bool DecodeGeRaw(const uint8_t* data, size_t size, const ImageHeader& h, uint32_t* out,
                 int32_t stride) {
  if (os::LoadLe16(data + 28) != 0) return false;
  const size_t start = size_t{os::LoadLe16(data + 2)} + 8;
  const size_t row_bytes = size_t{4} * static_cast<size_t>(h.width);
  if (start > size || (size - start) / row_bytes < static_cast<size_t>(h.height)) return false;
  for (int32_t row = 0; row < h.height; ++row) {
    std::memcpy(out + static_cast<size_t>(row) * stride, data + start + row * row_bytes, row_bytes);
  }
  return true;
}

bool DecodeBmp32(const uint8_t* data, size_t size, const ImageHeader& h, uint32_t* out,
                 int32_t stride) {
  if (os::LoadLe16(data + 28) != 32 || os::LoadLe32(data + 30) != 0) return false;
  const size_t start = os::LoadLe32(data + 10);
  const size_t row_bytes = size_t{4} * static_cast<size_t>(h.width);
  if (start > size || (size - start) / row_bytes < static_cast<size_t>(h.height)) return false;
  for (int32_t row = 0; row < h.height; ++row) {
    const uint8_t* source = data + start + (h.height - 1 - row) * row_bytes;
    std::memcpy(out + static_cast<size_t>(row) * stride, source, row_bytes);
  }
  return true;
}

}  // namespace

bool ImageReadHeader(const uint8_t* data, size_t size, ImageHeader& header) {
  header = ImageHeader{};
  if (!data || size < 2) return false;
  if (data[0] == 'G' && data[1] == 'E') return ReadGeHeader(data, size, header);
  if (data[0] == 'B' && data[1] == 'M') return ReadBmpHeader(data, size, header);
  return false;
}

bool ImageDecode(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride) {
  ImageHeader header;
  if (!destination || !ImageReadHeader(data, size, header) || stride < header.width) return false;
  if (header.format == ImageFormat::kGe)
    return DecodeGeRaw(data, size, header, destination, stride);
  return DecodeBmp32(data, size, header, destination, stride);
}

bool IsDeltaImage(const uint8_t* data, size_t size) {
  return data && size >= 4 &&
         (std::memcmp(data, "MKT2", 4) == 0 || std::memcmp(data, "MKT3", 4) == 0);
}

bool DeltaReadHeader(const uint8_t* data, size_t size, DeltaHeader& header) {
  if (!IsDeltaImage(data, size) || size < 56) return false;
  header.x = os::LoadLe16(data + 4);
  header.y = os::LoadLe16(data + 6);
  header.width = os::LoadLe16(data + 8);
  header.height = os::LoadLe16(data + 10);
  header.bits_per_pixel = os::LoadLe16(data + 12) == 24 ? 24 : 32;
  const char* name = reinterpret_cast<const char*>(data + 14);
  header.base_name.assign(name, strnlen(name, 34));
  return true;
}

bool DeltaApply(const uint8_t*, size_t, uint32_t*, int32_t, int32_t, int32_t) {
  return false;
}

}  // namespace yel
