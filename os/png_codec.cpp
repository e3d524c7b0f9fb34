// PNG through libpng's classic interface. Errors unwind with longjmp to the function that set the
// jump point; those functions own no object that needs a destructor after that point.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "os/picture_codecs.h"

namespace os {
namespace {

struct MemoryInput {
  const uint8_t* data;
  size_t size;
  size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (length > input->size - input->offset) png_error(png, "truncated");
  std::memcpy(out, input->data + input->offset, length);
  input->offset += length;
}

void WriteToVector(png_structp png, png_bytep bytes, png_size_t length) {
  auto* file = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  file->insert(file->end(), bytes, bytes + length);
}

void FlushNothing(png_structp) {}

[[noreturn]] void OnError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

// The library's state for one file, released however the function that owns it returns.
class PngSession {
 public:
  explicit PngSession(bool writing)
      : writing_(writing),
        png_(writing ? png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning)
                     : png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning)),
        info_(png_ ? png_create_info_struct(png_) : nullptr) {}
  ~PngSession() {
    if (writing_) {
      png_destroy_write_struct(&png_, &info_);
    } else {
      png_destroy_read_struct(&png_, &info_, nullptr);
    }
  }
  PngSession(const PngSession&) = delete;
  PngSession& operator=(const PngSession&) = delete;

  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  bool writing_;
  png_structp png_;
  png_infop info_;
};

// Every stored form becomes 8-bit B, G, R, A; values are kept as stored (no gamma handling).
void RequestBgra(png_structp png, png_infop info) {
  const png_byte colour = png_get_color_type(png, info);
  const png_byte depth = png_get_bit_depth(png, info);
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (transparency) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_scale_16(png);
  if (!(colour & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!(colour & PNG_COLOR_MASK_ALPHA) && !transparency)
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
}

// Reads the header, and the pixels too when `destination` is given.
bool ReadPng(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride,
             int32_t& width, int32_t& height) {
  if (!IsPng(data, size)) return false;
  PngSession session(false);
  png_structp png = session.png();
  png_infop info = session.info();
  if (!png || !info) return false;
  MemoryInput input{data, size, 0};
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &input, ReadFromMemory);
  png_read_info(png, info);
  width = static_cast<int32_t>(png_get_image_width(png, info));
  height = static_cast<int32_t>(png_get_image_height(png, info));
  if (!destination) return true;
  if (stride < width) return false;
  RequestBgra(png, info);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) return false;
  for (int pass = 0; pass < passes; ++pass) {
    for (int32_t y = 0; y < height; ++y) {
      png_read_row(png, reinterpret_cast<png_bytep>(destination + static_cast<size_t>(y) * stride),
                   nullptr);
    }
  }
  return true;
}

}  // namespace

bool IsPng(const uint8_t* data, size_t size) {
  return size >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

bool PngReadSize(const uint8_t* data, size_t size, int32_t& width, int32_t& height) {
  return ReadPng(data, size, nullptr, 0, width, height);
}

bool PngDecode(const uint8_t* data, size_t size, uint32_t* destination, int32_t stride) {
  int32_t width = 0, height = 0;
  return destination && ReadPng(data, size, destination, stride, width, height);
}

bool PngEncode(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride,
               std::vector<uint8_t>& file, bool with_alpha) {
  if (width <= 0 || height <= 0 || stride < width) return false;
  file.clear();
  PngSession session(true);
  png_structp png = session.png();
  png_infop info = session.info();
  if (!png || !info) return false;
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &file, WriteToVector, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               with_alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  // The fourth byte of each pixel (alpha) is dropped from RGB rows.
  if (!with_alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<size_t>(y) * stride;
    png_write_row(png, reinterpret_cast<png_const_bytep>(row));
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace os
