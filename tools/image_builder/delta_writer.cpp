// Delta images: the XOR of two pictures over the rectangle where they differ, row-filtered and
// LZ-compressed behind a 56-byte header.
#include <algorithm>
#include <cstring>

#include "os/byte_order.h"
#include "tools/image_builder/image_writers.h"
#include "tools/image_builder/lz_writer.h"

namespace imgbuild {
namespace {

constexpr size_t kHeaderBytes = 56;
constexpr size_t kNameBytes = 34;

struct Region {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
};

Region ChangedRegion(const Picture& base, const Picture& changed, uint32_t mask) {
  Region region{base.width, base.height, 0, 0};
  for (int32_t y = 0; y < base.height; ++y) {
    for (int32_t x = 0; x < base.width; ++x) {
      const size_t k = static_cast<size_t>(y) * base.width + x;
      if (((base.pixels[k] ^ changed.pixels[k]) & mask) == 0) continue;
      region = {std::min(region.left, x), std::min(region.top, y), std::max(region.right, x + 1),
                std::max(region.bottom, y + 1)};
    }
  }
  return region.right == 0 ? Region{} : region;
}

std::vector<uint8_t> PackedXor(const Picture& base, const Picture& changed, const Region& region,
                               int32_t channels) {
  std::vector<uint8_t> packed;
  for (int32_t y = region.top; y < region.bottom; ++y) {
    for (int32_t x = region.left; x < region.right; ++x) {
      const size_t k = static_cast<size_t>(y) * base.width + x;
      const uint32_t value = base.pixels[k] ^ changed.pixels[k];
      for (int32_t c = 0; c < channels; ++c)
        packed.push_back(static_cast<uint8_t>(value >> (8 * c)));
    }
  }
  return packed;
}

void Put16(std::vector<uint8_t>& out, size_t at, int32_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

bool WriteDeltaImage(const Picture& base, const Picture& changed, int bits_per_pixel,
                     const std::string& base_name, std::vector<uint8_t>& file, std::string& error) {
  if (base.width != changed.width || base.height != changed.height) {
    error = "the base and the changed picture differ in size";
  } else if (base.width > 0xFFFF || base.height > 0xFFFF) {
    error = "a delta image stores positions in 16 bits";
  } else if (base_name.empty() || base_name.size() >= kNameBytes) {
    error = "the base name must have 1 to 33 bytes";
  } else if (bits_per_pixel != 24 && bits_per_pixel != 32) {
    error = "a delta image stores 24 or 32 bits per pixel";
  } else {
    const int32_t channels = bits_per_pixel / 8;
    const Region region = ChangedRegion(base, changed, channels == 3 ? 0x00FFFFFFu : 0xFFFFFFFFu);
    const std::vector<uint8_t> packed = PackedXor(base, changed, region, channels);
    const std::vector<uint8_t> data =
        FilterRows(packed.data(), region.width(), region.height(), channels);
    file.assign(kHeaderBytes, 0);
    std::memcpy(file.data(), "MKT3", 4);
    Put16(file, 4, region.left);
    Put16(file, 6, region.top);
    Put16(file, 8, region.width());
    Put16(file, 10, region.height());
    Put16(file, 12, bits_per_pixel);
    std::memcpy(&file[14], base_name.data(), base_name.size());
    os::StoreLe32(&file[48], static_cast<uint32_t>(data.size()));
    const std::vector<uint8_t> stream = LzCompress(data);
    file.insert(file.end(), stream.begin(), stream.end());
    return true;
  }
  return false;
}

}  // namespace imgbuild
