// The image formats the library shows, decoded into 32-bit pixels 0xAARRGGBB (bytes B, G, R, A in
// memory), rows top-down, at a destination stride given in pixels. Pure functions over bytes in
// memory: the sprite loaders read the file, the back-ends own the pixel buffers.
//
// Every decoder checks its input against the bytes it was given and refuses damaged, truncated or
// unsupported images with false; nothing is read or written outside the buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace yel {

enum class ImageFormat { kUnknown, kGe, kPng, kJpeg, kBmp, kTga };

// The most a "GE" or delta image may expand to; larger byte counts are refused.
inline constexpr size_t kMaxDecompressedBytes = 64u << 20;

// What an image's header says, read without decoding the pixels.
struct ImageHeader {
  ImageFormat format = ImageFormat::kUnknown;
  int32_t width = 0;   // > 0, and the size fits a texture (ImageSizeFits, YEL/render/texture.h)
  int32_t height = 0;  // > 0
  // "GE" only (0 elsewhere; the cell size is then the image size).
  int32_t x = 0;
  int32_t y = 0;
  int32_t cell_width = 0;
  int32_t cell_height = 0;
};

// Recognises the format by its first bytes ("GE", the PNG signature, any JPEG start FF D8 FF,
// "BM", else TGA) and reads width and height (and the "GE" extras). False for what cannot be an
// image of that format, including empty images and images larger than a texture may be.
bool ImageReadHeader(const uint8_t* data, size_t size, ImageHeader& header);

// Decodes the whole image into `destination`, which has room for header.height rows of `stride`
// pixels (stride >= header.width). Pixels beyond the image width are not written; a "GE" mode 2
// image of odd size leaves its last column or row as it was.
// Takes ImageDecodeLock itself.
bool ImageDecode(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride);

// The "MKT2"/"MKT3" delta image: a compressed rectangle XORed onto a base image it names.
struct DeltaHeader {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits_per_pixel = 32;  // 24, or 32 for anything else
  std::string base_name;        // CP932, as stored (a name without its terminator is refused)
};

bool IsDeltaImage(const uint8_t* data, size_t size);
// False for what is not a delta image, a name without its terminator, and a rectangle of width
// or height 0.
bool DeltaReadHeader(const uint8_t* data, size_t size, DeltaHeader& header);
// XORs the delta onto the base pixels (base_width x base_height at `stride`), clipped to the base;
// 24-bit deltas keep the base's alpha. Nothing is changed when the delta is damaged.
// Takes ImageDecodeLock itself.
bool DeltaApply(const uint8_t* data, size_t size, uint32_t* base, int32_t base_width,
                int32_t base_height, int32_t stride);

// One image is decoded at a time, process-wide, so that the memory a decode needs stays bounded
// by one image's worth. ImageDecode and DeltaApply take this lock themselves; it is re-entrant, so
// a caller may also hold it across a sequence (a base image and the delta applied to it).
std::recursive_mutex& ImageDecodeLock();

}  // namespace yel
