// Writes sound as a plain 16-bit PCM WAVE file, for the sample game's sounds and voices.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// Interleaved stereo samples at `rate` Hz as the bytes of a 16-bit PCM WAVE file.
std::string EncodeWave16Stereo(const std::vector<int16_t>& samples, uint32_t rate);

}  // namespace tools
