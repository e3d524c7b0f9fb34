// Writes sound as a plain 16-bit PCM WAVE file and encoded sound into files, for the sample game's sounds and voices.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// Interleaved stereo samples at `rate` Hz as the bytes of a 16-bit PCM WAVE file.
std::string EncodeWave16Stereo(const std::vector<int16_t>& samples, uint32_t rate);

// Writes encoded sound bytes as a whole file; false when nothing was encoded or the write failed.
bool WriteSoundFile(const std::string& path, const std::string& bytes);

}  // namespace tools
