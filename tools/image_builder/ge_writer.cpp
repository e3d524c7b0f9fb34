// "GE" images: the 30-byte header padded to 32, the decompressed byte count, a word the readers
// skip, then raw pixels (mode 0) or the LZ stream of the mode's data.
#include <algorithm>
#include <cmath>

#include "os/byte_order.h"
#include "tools/image_builder/image_writers.h"
#include "tools/image_builder/lz_writer.h"

namespace imgbuild {
namespace {

constexpr uint16_t kHeaderBytes = 32;

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

std::vector<uint8_t> Header(const Picture& picture, const GeOptions& options) {
  std::vector<uint8_t> out(kHeaderBytes + 8, 0);
  out[0] = 'G';
  out[1] = 'E';
  Put16(out, 2, kHeaderBytes);
  os::StoreLe32(&out[4], static_cast<uint32_t>(options.x));
  os::StoreLe32(&out[8], static_cast<uint32_t>(options.y));
  os::StoreLe32(&out[12], static_cast<uint32_t>(picture.width));
  os::StoreLe32(&out[16], static_cast<uint32_t>(picture.height));
  os::StoreLe32(&out[20],
                static_cast<uint32_t>(options.cell_width ? options.cell_width : picture.width));
  os::StoreLe32(&out[24],
                static_cast<uint32_t>(options.cell_height ? options.cell_height : picture.height));
  Put16(out, 28, static_cast<uint32_t>(options.mode));
  return out;
}

uint8_t Channel(uint32_t pixel, int shift) {
  return static_cast<uint8_t>(pixel >> shift);
}

std::vector<uint8_t> Planes(const Picture& picture) {
  const size_t count = picture.pixels.size();
  std::vector<uint8_t> planes(count * 4);
  for (size_t k = 0; k < count; ++k) {
    const uint32_t pixel = picture.pixels[k];
    planes[k] = Channel(pixel, 24);
    planes[count + k] = Channel(pixel, 16);
    planes[2 * count + k] = Channel(pixel, 8);
    planes[3 * count + k] = Channel(pixel, 0);
  }
  return planes;
}

std::vector<uint8_t> RowFilterData(const Picture& picture, int bits_per_pixel) {
  const int32_t channels = bits_per_pixel == 24 ? 3 : 4;
  std::vector<uint8_t> packed;
  packed.reserve(picture.pixels.size() * channels);
  for (uint32_t pixel : picture.pixels) {
    for (int32_t c = 0; c < channels; ++c) packed.push_back(Channel(pixel, 8 * c));
  }
  std::vector<uint8_t> out(8, 0);
  Put16(out, 2, static_cast<uint32_t>(channels * 8));
  Put16(out, 4, static_cast<uint32_t>(picture.width));
  Put16(out, 6, static_cast<uint32_t>(picture.height));
  const std::vector<uint8_t> rows =
      FilterRows(packed.data(), picture.width, picture.height, channels);
  out.insert(out.end(), rows.begin(), rows.end());
  return out;
}

bool CheckFits(const Picture& picture, const GeOptions& options, std::string& error) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) {
    error = "the picture is empty or its pixels do not match its size";
  } else if (options.mode < 0 || options.mode > 3) {
    error = "mode must be 0, 1, 2 or 3";
  } else if (options.mode == 2 && (picture.width % 2 || picture.height % 2)) {
    error = "mode 2 needs an even width and height";
  } else if (options.mode == 3 && (picture.width > 0xFFFF || picture.height > 0xFFFF)) {
    error = "mode 3 stores width and height in 16 bits";
  } else if (options.mode == 3 && options.bits_per_pixel != 24 && options.bits_per_pixel != 32) {
    error = "mode 3 stores 24 or 32 bits per pixel";
  } else if (picture.pixels.size() * 4 + picture.height + 8 > (64u << 20)) {
    error = "the image expands to more than 64 MiB";
  } else {
    return true;
  }
  return false;
}

}  // namespace

std::vector<uint8_t> YccPlanes(const Picture& picture) {
  const int32_t width = picture.width;
  const size_t quarter = picture.pixels.size() / 4;
  std::vector<uint8_t> planes(2 * quarter + picture.pixels.size());
  uint8_t* luma = planes.data() + 2 * quarter;
  for (size_t k = 0; k < picture.pixels.size(); ++k) {
    const uint32_t p = picture.pixels[k];
    const double y = 0.299 * Channel(p, 16) + 0.587 * Channel(p, 8) + 0.114 * Channel(p, 0);
    luma[k] = static_cast<uint8_t>(std::clamp(std::lround(y), 0L, 255L));
  }
  size_t block = 0;
  for (int32_t by = 0; by + 1 < picture.height; by += 2) {
    for (int32_t bx = 0; bx + 1 < width; bx += 2, ++block) {
      double blue = 0, red = 0;
      for (int32_t k : {by * width + bx, by * width + bx + 1, (by + 1) * width + bx,
                        (by + 1) * width + bx + 1}) {
        blue += Channel(picture.pixels[k], 0) - luma[k];
        red += Channel(picture.pixels[k], 16) - luma[k];
      }
      // Inverse of the reader's B = Y + 226 Cb / 128 and R = Y + 179 Cr / 128.
      planes[block] =
          static_cast<uint8_t>(std::clamp(std::lround(blue / 4 * 128 / 226), -128L, 127L));
      planes[quarter + block] =
          static_cast<uint8_t>(std::clamp(std::lround(red / 4 * 128 / 179), -128L, 127L));
    }
  }
  return planes;
}

bool WriteGeImage(const Picture& picture, const GeOptions& options, std::vector<uint8_t>& file,
                  std::string& error) {
  if (!CheckFits(picture, options, error)) return false;
  file = Header(picture, options);
  const size_t payload = kHeaderBytes;
  if (options.mode == 0) {
    os::StoreLe32(&file[payload], static_cast<uint32_t>(picture.pixels.size() * 4));
    for (uint32_t pixel : picture.pixels) {
      for (int shift : {0, 8, 16, 24}) file.push_back(Channel(pixel, shift));
    }
    return true;
  }
  const std::vector<uint8_t> data = options.mode == 1 ? Planes(picture)
                                    : options.mode == 2
                                        ? YccPlanes(picture)
                                        : RowFilterData(picture, options.bits_per_pixel);
  os::StoreLe32(&file[payload], static_cast<uint32_t>(data.size()));
  const std::vector<uint8_t> stream = LzCompress(data);
  file.insert(file.end(), stream.begin(), stream.end());
  return true;
}

}  // namespace imgbuild
