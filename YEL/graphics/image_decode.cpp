// Format choice by the first bytes, and the lock that keeps decodes one at a time.
#include <cstring>

#include "YEL/graphics/image_decoders.h"
#include "YEL/render/texture.h"
#include "os/picture_codecs.h"

namespace yel {

bool ImageSizeAllowed(int64_t width, int64_t height) {
  return ImageSizeFits(width, height);
}

std::recursive_mutex& ImageDecodeLock() {
  static std::recursive_mutex lock;  // guards the process-wide decode step (see the header)
  return lock;
}

bool PictureReadHeader(const uint8_t* data, size_t size, ImageHeader& header) {
  int32_t width = 0, height = 0;
  ImageFormat format = ImageFormat::kUnknown;
  if (os::IsPng(data, size)) {
    if (!os::PngReadSize(data, size, width, height)) return false;
    format = ImageFormat::kPng;
  } else if (os::IsJpeg(data, size)) {
    if (!os::JpegReadSize(data, size, width, height)) return false;
    format = ImageFormat::kJpeg;
  }
  if (format == ImageFormat::kUnknown || !ImageSizeAllowed(width, height)) return false;
  header = ImageHeader{format, width, height};
  return true;
}

bool PictureDecode(const ImageHeader& header, const uint8_t* data, size_t size,
                   uint32_t* destination, int32_t stride) {
  if (header.format == ImageFormat::kPng) return os::PngDecode(data, size, destination, stride);
  return os::JpegDecode(data, size, destination, stride);
}

bool ImageReadHeader(const uint8_t* data, size_t size, ImageHeader& header) {
  if (!data) return false;
  if (size >= 2 && data[0] == 'G' && data[1] == 'E') return GeReadHeader(data, size, header);
  if (os::IsPng(data, size) || os::IsJpeg(data, size)) return PictureReadHeader(data, size, header);
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return BmpReadHeader(data, size, header);
  return TgaReadHeader(data, size, header);
}

bool ImageDecode(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride) {
  ImageHeader header;
  if (!destination || !ImageReadHeader(data, size, header) || stride < header.width) return false;
  std::lock_guard<std::recursive_mutex> hold(ImageDecodeLock());
  switch (header.format) {
    case ImageFormat::kGe:
      return GeDecode(data, size, destination, stride);
    case ImageFormat::kPng:
    case ImageFormat::kJpeg:
      return PictureDecode(header, data, size, destination, stride);
    default:
      return ImageTgaBmpDecode(header, data, size, destination, stride);
  }
}

}  // namespace yel
