// Each row is tried with every filter a row may use, and the one whose residuals are closest to
// zero (as signed bytes) is kept, which is what lets the LZ stage find repeats.
#include <cstdlib>

#include "tools/image_builder/image_writers.h"

namespace imgbuild {
namespace {

enum : uint8_t { kNone = 0, kLeft = 1, kUp = 2, kAverage = 4 };

struct Rows {
  const uint8_t* pixels;
  int32_t width;
  int32_t channels;
  size_t row_bytes() const { return static_cast<size_t>(width) * channels; }
};

// What the decoder subtracts the residual from; `current` and `above` are whole rows.
uint8_t Predicted(uint8_t filter, const uint8_t* current, const uint8_t* above, size_t i,
                  int32_t channels) {
  const bool first = i < static_cast<size_t>(channels);
  switch (filter) {
    case kLeft:
      return first ? 0 : current[i - channels];
    case kUp:
      return above[i];
    case kAverage:
      return first ? 0 : static_cast<uint8_t>((current[i - channels] + above[i]) >> 1);
    default:
      return 0;
  }
}

void Residuals(const Rows& rows, int32_t y, uint8_t filter, uint8_t* out) {
  const uint8_t* current = rows.pixels + y * rows.row_bytes();
  const uint8_t* above = y > 0 ? current - rows.row_bytes() : nullptr;
  for (size_t i = 0; i < rows.row_bytes(); ++i) {
    const bool raw = filter == kNone || ((filter == kLeft || filter == kAverage) &&
                                         i < static_cast<size_t>(rows.channels));
    out[i] = raw ? current[i]
                 : static_cast<uint8_t>(Predicted(filter, current, above, i, rows.channels) -
                                        current[i]);
  }
}

uint64_t Cost(const uint8_t* residuals, size_t count) {
  uint64_t cost = 0;
  for (size_t i = 0; i < count; ++i) cost += std::abs(static_cast<int8_t>(residuals[i]));
  return cost;
}

}  // namespace

std::vector<uint8_t> FilterRows(const uint8_t* pixels, int32_t width, int32_t height,
                                int32_t channels) {
  const Rows rows{pixels, width, channels};
  const size_t row_bytes = rows.row_bytes();
  std::vector<uint8_t> out(height + row_bytes * height);
  std::vector<uint8_t> trial(row_bytes);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* best = out.data() + height + y * row_bytes;
    uint64_t best_cost = UINT64_MAX;
    for (uint8_t filter : {kNone, kLeft, kUp, kAverage}) {
      if (y == 0 && (filter == kUp || filter == kAverage)) continue;
      Residuals(rows, y, filter, trial.data());
      const uint64_t cost = Cost(trial.data(), row_bytes);
      if (cost < best_cost) {
        best_cost = cost;
        out[y] = filter;
        std::copy(trial.begin(), trial.end(), best);
      }
    }
  }
  return out;
}

}  // namespace imgbuild
