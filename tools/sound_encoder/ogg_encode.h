// Encodes sound as Ogg Vorbis, for the sample game's voices and the sound tests' fixtures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// Interleaved stereo samples at `rate` Hz as an Ogg Vorbis file of the given VBR quality (-0.1 to
// 1); empty when the encoder refuses the settings.
std::string EncodeOggVorbis(const std::vector<int16_t>& samples, uint32_t rate, float quality);

}  // namespace tools
