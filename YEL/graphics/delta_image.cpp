// Delta images ("MKT2"/"MKT3"): a rectangle of row-filtered differences, LZ-compressed, that is
// XORed onto the base image the header names.
#include <algorithm>
#include <cstring>
#include <memory>

#include "YEL/graphics/image_codecs.h"
#include "YEL/graphics/image_lz.h"
#include "YEL/graphics/row_filters.h"
#include "os/byte_order.h"

namespace yel {
namespace {

constexpr size_t kHeaderBytes = 56;
constexpr size_t kNameOffset = 14;
constexpr size_t kNameBytes = 34;
constexpr size_t kCountOffset = 48;

// The region decoded into packed pixels of `channels` bytes.
struct DeltaPixels {
  std::unique_ptr<uint8_t[]> bytes;
  int32_t channels;
};

bool ExpandDelta(const uint8_t* data, size_t size, const DeltaHeader& header, DeltaPixels& out) {
  const size_t count = os::LoadLe32(data + kCountOffset);
  out.channels = header.bits_per_pixel == 24 ? 3 : 4;
  const size_t pixels = static_cast<size_t>(header.width) * header.height;
  const size_t needed = header.height + pixels * out.channels;
  if (count > kMaxDecompressedBytes || count < needed) return false;
  std::unique_ptr<uint8_t[]> expanded(new (std::nothrow) uint8_t[count]);
  out.bytes.reset(new (std::nothrow) uint8_t[pixels * out.channels]);
  if (!expanded || !out.bytes) return false;
  if (!ImageLzDecompress(expanded.get(), count, data + kHeaderBytes, size - kHeaderBytes)) {
    return false;
  }
  const RowFilterTarget target{out.bytes.get(), static_cast<size_t>(header.width) * out.channels,
                               out.channels};
  return DecodeRowFilters(expanded.get(), expanded.get() + header.height, header.width,
                          header.height, out.channels, target);
}

void XorOntoBase(const DeltaHeader& header, const DeltaPixels& delta, uint32_t* base,
                 int32_t base_width, int32_t base_height, int32_t stride) {
  const int32_t columns = std::min(header.width, base_width - header.x);
  const int32_t rows = std::min(header.height, base_height - header.y);
  for (int32_t r = 0; r < rows; ++r) {
    uint32_t* out = base + static_cast<size_t>(header.y + r) * stride + header.x;
    const uint8_t* in = delta.bytes.get() + static_cast<size_t>(r) * header.width * delta.channels;
    for (int32_t c = 0; c < columns; ++c, in += delta.channels) {
      uint32_t value = static_cast<uint32_t>(in[0]) | in[1] << 8 | in[2] << 16;
      if (delta.channels == 4) value |= static_cast<uint32_t>(in[3]) << 24;
      out[c] ^= value;
    }
  }
}

}  // namespace

bool IsDeltaImage(const uint8_t* data, size_t size) {
  return data && size >= 4 &&
         (std::memcmp(data, "MKT2", 4) == 0 || std::memcmp(data, "MKT3", 4) == 0);
}

bool DeltaReadHeader(const uint8_t* data, size_t size, DeltaHeader& header) {
  if (!IsDeltaImage(data, size) || size < kHeaderBytes) return false;
  const char* name = reinterpret_cast<const char*>(data + kNameOffset);
  const size_t name_length = strnlen(name, kNameBytes);
  if (name_length == kNameBytes) return false;  // no terminator
  DeltaHeader delta;
  delta.x = os::LoadLe16(data + 4);
  delta.y = os::LoadLe16(data + 6);
  delta.width = os::LoadLe16(data + 8);
  delta.height = os::LoadLe16(data + 10);
  delta.bits_per_pixel = os::LoadLe16(data + 12) == 24 ? 24 : 32;
  // An empty rectangle changes nothing and has no first pixel to decode a row from.
  if (delta.width == 0 || delta.height == 0) return false;
  delta.base_name.assign(name, name_length);
  header = std::move(delta);
  return true;
}

bool DeltaApply(const uint8_t* data, size_t size, uint32_t* base, int32_t base_width,
                int32_t base_height, int32_t stride) {
  DeltaHeader header;
  if (!base || stride < base_width || !DeltaReadHeader(data, size, header)) return false;
  std::lock_guard<std::recursive_mutex> hold(ImageDecodeLock());
  DeltaPixels delta;
  if (!ExpandDelta(data, size, header, delta)) return false;
  XorOntoBase(header, delta, base, base_width, base_height, stride);
  return true;
}

}  // namespace yel
