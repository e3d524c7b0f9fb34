// Pixel routines shared by the graphics code: scalers, filters, the weighted blur and the raster
// wave, on 32-bit pixels 0xAARRGGBB (bytes B, G, R, A) or on 8-bit samples. Buffers are rows of
// a given length (pitch) in pixels. Integer arithmetic throughout, so results are exact and the
// same on every machine; nothing here keeps state between calls.
#pragma once

#include <cstddef>
#include <cstdint>

namespace yel {

// Scalers: the output is min(target size, trunc(source size x factor)) in each direction; target
// pixels beyond it are not written. Target rows are target_width apart, source rows source_width.
// Source positions step by trunc(128 / factor) in 1/128ths of a pixel (1/256ths for 8 bits).
void ScaleNearest(uint32_t* target, int32_t target_width, int32_t target_height,
                  const uint32_t* source, int32_t source_width, int32_t source_height,
                  float factor_x, float factor_y);
// Mixes four neighbours; past the last column or row the edge pixel stands in.
void ScaleBilinear32(uint32_t* target, int32_t target_width, int32_t target_height,
                     const uint32_t* source, int32_t source_width, int32_t source_height,
                     float factor_x, float factor_y);
// As ScaleBilinear32 on single bytes; past the last column or row the neighbour counts as 0.
void ScaleBilinear8(uint8_t* target, int32_t target_width, int32_t target_height,
                    const uint8_t* source, int32_t source_width, int32_t source_height,
                    float factor_x, float factor_y);

// In place: every inner pixel's colour becomes (4 x itself + its four neighbours) / 8, in reading
// order (so left and upper neighbours are already softened); then the border copies its inner
// neighbours. Alpha is kept.
void SoftenFilter(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch);

// A 16-tap weighted blur of strength 0 to 7, horizontal then vertical; near the edges only the
// taps inside count, and transparent pixels do not add colour there.
void WeightedBlur(uint32_t* target, const uint32_t* source, int32_t width, int32_t height,
                  int32_t pitch, int32_t strength);

// Grey level Y = (B + 3R + 6G) / 10 of width x height pixels taken as one run; the colour becomes
// the tone table's entry Y (256 entries of R, G, B and an unread byte), or grey without a table.
void ToneFilter(uint32_t* pixels, int32_t width, int32_t height, const uint8_t* tone_table);

// Every pixel with alpha inverts its colour and becomes opaque; transparent pixels stay.
void NegativeFilter(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch);

// Shifts rows sideways and columns up or down along a sine wave: amplitudes are tenths of the
// source height (sideways) and width (vertical), the phase 0 to 1 moves along the wave. Target
// pixels whose source position falls outside the source are left as they were.
void RasterWave(uint32_t* target, int32_t target_width, int32_t target_height,
                const uint32_t* source, int32_t source_width, int32_t source_height, float phase,
                float amplitude_x, float amplitude_y);
// The wave's table: sin(2 pi k / 512) in 16.16 fixed point, truncated toward zero.
int32_t RasterSine(int32_t k);

// Box blur of width x height pixels (rows `width` apart) in place: each pass is a box of
// 2 x radius_x + 1 along the rows, then one of 2 x radius_y + 1 along the columns, every channel
// alike, samples past the ends clamped to the end pixel. `work` holds as many pixels. False (the
// pixels unchanged) when the division table cannot be allocated.
bool BoxBlur(uint32_t* pixels, uint32_t* work, int32_t width, int32_t height, int32_t radius_x,
             int32_t radius_y, int32_t passes);

// Motion blur of `source` into `target` (both width x height, rows `width` apart): each pixel
// averages 2 x length x steps samples along the angle (radians), from length pixels behind to
// length pixels ahead, in 16.16 fixed point; samples outside count as transparent black. Colour
// is weighted by alpha, alpha is the mean.
void MotionBlur(uint32_t* target, const uint32_t* source, int32_t width, int32_t height,
                int32_t length, double angle, int32_t steps);

// The alpha copy's tint: the amount (0 to 255) times each byte of the tint colour, over 255.
struct AlphaTint {
  uint32_t blue, green, red, alpha;
};
AlphaTint MakeAlphaTint(uint32_t colour, int32_t amount);
// One source pixel through the tint: transparent stays 0, opaque keeps alpha 255, any other
// alpha scales the tinted colour once more.
uint32_t AlphaTinted(uint32_t pixel, const AlphaTint& tint);

void CopyPixels(uint32_t* target, const uint32_t* source, int32_t width, int32_t height);

}  // namespace yel
