// PNG and JPEG files in memory, to and from 32-bit pixels 0xAARRGGBB (bytes B, G, R, A), rows
// top-down at a stride given in pixels. PNG keeps its stored values (no gamma correction); images
// without alpha, and every JPEG, get alpha 255. Damaged or unsupported files give false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace os {

bool IsPng(const uint8_t* data, size_t size);
bool PngReadSize(const uint8_t* data, size_t size, int32_t& width, int32_t& height);
// `destination` holds height rows of `stride` pixels for the size PngReadSize gave.
bool PngDecode(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride);
// An 8-bit RGBA PNG of the pixels, or RGB (alpha dropped) when `with_alpha` is false.
bool PngEncode(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride,
               std::vector<uint8_t>& file, bool with_alpha = true);

// Any JPEG start FF D8 FF (JFIF, EXIF or bare).
bool IsJpeg(const uint8_t* data, size_t size);
bool JpegReadSize(const uint8_t* data, size_t size, int32_t& width, int32_t& height);
bool JpegDecode(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride);
// A baseline JFIF JPEG of the colour channels at `quality` (1 to 100).
bool JpegEncode(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride, int quality,
                std::vector<uint8_t>& file);

}  // namespace os
