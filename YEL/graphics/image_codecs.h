// The image formats the library shows, decoded into 32-bit pixels 0xAARRGGBB (bytes B, G, R, A in
// memory), rows top-down, at a destination stride given in pixels. Pure functions over bytes in
// memory: the sprite loaders read the file, the back-ends own the pixel buffers.
//
// Every decoder checks its input against the bytes it was given and refuses damaged, truncated or
// unsupported images with false; nothing is read or written outside the buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace yel {

enum class ImageFormat { kUnknown, kGe, kPng, kJpeg, kBmp, kTga };

// What an image's header says, read without decoding the pixels.
struct ImageHeader {
  ImageFormat format = ImageFormat::kUnknown;
  int32_t width = 0;
  int32_t height = 0;
  // "GE" only (0 elsewhere; the cell size is then the image size).
  int32_t x = 0;
  int32_t y = 0;
  int32_t cell_width = 0;
  int32_t cell_height = 0;
};

// Recognises the format by its first bytes and reads width and height (and the "GE" extras).
bool ImageReadHeader(const uint8_t* data, size_t size, ImageHeader& header);

// Decodes the whole image into `destination`, which has room for header.height rows of `stride`
// pixels (stride >= header.width). Callers serialise decodes (see ImageDecodeLock).
bool ImageDecode(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride);

// The "MKT2"/"MKT3" delta image: a compressed rectangle XORed onto a base image it names.
struct DeltaHeader {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits_per_pixel = 32;  // 24, or 32 for anything else
  std::string base_name;        // CP932, as stored
};

bool IsDeltaImage(const uint8_t* data, size_t size);
bool DeltaReadHeader(const uint8_t* data, size_t size, DeltaHeader& header);
// XORs the delta onto the base pixels (base_width x base_height at `stride`), clipped to the base.
bool DeltaApply(const uint8_t* data, size_t size, uint32_t* base, int32_t base_width,
                int32_t base_height, int32_t stride);

}  // namespace yel
