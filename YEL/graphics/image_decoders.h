// The decoders behind ImageReadHeader and ImageDecode, one per format family.
#pragma once

#include <cstddef>
#include <cstdint>

#include "YEL/graphics/image_codecs.h"

namespace yel {

// Width and height positive and within what a texture may hold (ImageSizeFits in
// YEL/render/texture.h): a header that asks for more is refused before any pixel is decoded.
bool ImageSizeAllowed(int64_t width, int64_t height);

bool GeReadHeader(const uint8_t* data, size_t size, ImageHeader& header);
bool GeDecode(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride);

bool BmpReadHeader(const uint8_t* data, size_t size, ImageHeader& header);
bool TgaReadHeader(const uint8_t* data, size_t size, ImageHeader& header);
// BMP or TGA by the header's format.
bool ImageTgaBmpDecode(const ImageHeader& header, const uint8_t* data, size_t size,
                       uint32_t* destination, int32_t stride);

// PNG and JPEG, through the platform's codecs.
bool PictureReadHeader(const uint8_t* data, size_t size, ImageHeader& header);
bool PictureDecode(const ImageHeader& header, const uint8_t* data, size_t size,
                   uint32_t* destination, int32_t stride);

}  // namespace yel
