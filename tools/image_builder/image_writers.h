// Writers of the engine's own image formats from 32-bit pixels 0xAARRGGBB, rows top-down,
// `width` pixels per row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace imgbuild {

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
};

struct GeOptions {
  int mode = 1;             // 0 raw, 1 planes, 2 YCbCr 4:2:0 (lossy, opaque), 3 row filters
  int bits_per_pixel = 32;  // mode 3: 24 drops alpha, 32 keeps it
  int32_t x = 0;            // initial sprite position
  int32_t y = 0;
  int32_t cell_width = 0;   // 0: the image width
  int32_t cell_height = 0;  // 0: the image height
};

// A "GE" image; false with the reason in `error` when the picture does not fit the mode.
bool WriteGeImage(const Picture& picture, const GeOptions& options, std::vector<uint8_t>& file,
                  std::string& error);

// Mode 2's stored planes before compression: Cb and Cr (one signed sample per 2x2 block), then Y.
std::vector<uint8_t> YccPlanes(const Picture& picture);

// A delta image ("MKT3") that turns `base` into `changed` (same size) by XOR over the smallest
// rectangle holding every change; 24 bits per pixel keeps the base's alpha.
bool WriteDeltaImage(const Picture& base, const Picture& changed, int bits_per_pixel,
                     const std::string& base_name, std::vector<uint8_t>& file, std::string& error);

// Row filters as the decoders read them: one filter byte per row (each row picks the cheapest
// of none, left, up and average; the first row only none or left), then the residuals.
std::vector<uint8_t> FilterRows(const uint8_t* pixels, int32_t width, int32_t height,
                                int32_t channels);

}  // namespace imgbuild
