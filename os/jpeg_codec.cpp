// JPEG through libjpeg-turbo, which converts straight to and from B, G, R, A bytes. Errors unwind
// with longjmp to the function that set the jump point.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "os/picture_codecs.h"

namespace os {
namespace {

struct JpegErrors {
  jpeg_error_mgr manager;
  jmp_buf jump;
  bool truncated;
};

[[noreturn]] void OnError(j_common_ptr codec) {
  longjmp(reinterpret_cast<JpegErrors*>(codec->err)->jump, 1);
}

// Warnings are not shown; the one that says the data ended early refuses the image, because the
// library would otherwise fill the rest with grey and report success.
void OnMessage(j_common_ptr codec, int level) {
  auto* errors = reinterpret_cast<JpegErrors*>(codec->err);
  if (level < 0 && errors->manager.msg_code == JWRN_JPEG_EOF) errors->truncated = true;
}

void InstallErrors(JpegErrors& errors) {
  jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnError;
  errors.manager.emit_message = OnMessage;
  errors.truncated = false;
}

bool ColourConvertible(J_COLOR_SPACE space) {
  return space == JCS_GRAYSCALE || space == JCS_RGB || space == JCS_YCbCr;
}

void ReadRows(jpeg_decompress_struct& codec, uint32_t* destination, int32_t stride) {
  while (codec.output_scanline < codec.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(destination +
                                              static_cast<size_t>(codec.output_scanline) * stride);
    jpeg_read_scanlines(&codec, &row, 1);
  }
}

// Reads the header, and the pixels too when `destination` is given.
bool ReadJpeg(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride,
              int32_t& width, int32_t& height) {
  if (!IsJpeg(data, size)) return false;
  jpeg_decompress_struct codec;
  JpegErrors errors;
  InstallErrors(errors);
  codec.err = &errors.manager;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&codec);
    return false;
  }
  jpeg_create_decompress(&codec);
  jpeg_mem_src(&codec, data, static_cast<unsigned long>(size));
  jpeg_read_header(&codec, TRUE);
  width = static_cast<int32_t>(codec.image_width);
  height = static_cast<int32_t>(codec.image_height);
  bool ok = true;
  if (destination) {
    ok = stride >= width && ColourConvertible(codec.jpeg_color_space);
    if (ok) {
      codec.out_color_space = JCS_EXT_BGRA;
      jpeg_start_decompress(&codec);
      ReadRows(codec, destination, stride);
      jpeg_finish_decompress(&codec);
      ok = !errors.truncated;
    }
  }
  jpeg_destroy_decompress(&codec);
  return ok;
}

}  // namespace

bool IsJpeg(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool JpegReadSize(const uint8_t* data, size_t size, int32_t& width, int32_t& height) {
  return ReadJpeg(data, size, nullptr, 0, width, height);
}

bool JpegDecode(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride) {
  int32_t width = 0, height = 0;
  return destination && ReadJpeg(data, size, destination, stride, width, height);
}

bool JpegEncode(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride, int quality,
                std::vector<uint8_t>& file) {
  if (width <= 0 || height <= 0 || stride < width) return false;
  jpeg_compress_struct codec;
  JpegErrors errors;
  InstallErrors(errors);
  codec.err = &errors.manager;
  unsigned char* buffer = nullptr;
  unsigned long buffer_size = 0;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&codec);
    std::free(buffer);
    return false;
  }
  jpeg_create_compress(&codec);
  jpeg_mem_dest(&codec, &buffer, &buffer_size);
  codec.image_width = static_cast<JDIMENSION>(width);
  codec.image_height = static_cast<JDIMENSION>(height);
  codec.input_components = 4;
  codec.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&codec);
  jpeg_set_quality(&codec, quality, TRUE);
  jpeg_start_compress(&codec, TRUE);
  while (codec.next_scanline < codec.image_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(
        const_cast<uint32_t*>(pixels + static_cast<size_t>(codec.next_scanline) * stride));
    jpeg_write_scanlines(&codec, &row, 1);
  }
  jpeg_finish_compress(&codec);
  file.assign(buffer, buffer + buffer_size);
  jpeg_destroy_compress(&codec);
  std::free(buffer);
  return true;
}

}  // namespace os
