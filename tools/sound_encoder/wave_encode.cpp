#include "tools/sound_encoder/wave_encode.h"

#include <cstdio>

namespace tools {
namespace {

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string EncodeWave16Stereo(const std::vector<int16_t>& samples, uint32_t rate) {
  constexpr uint32_t kChannels = 2;
  constexpr uint32_t kFrameBytes = kChannels * 2;
  const auto data_bytes = static_cast<uint32_t>(samples.size() * 2);
  std::string out = "RIFF";
  PutLe(out, 36 + data_bytes, 4);
  out += "WAVEfmt ";
  PutLe(out, 16, 4);  // the format chunk's size
  PutLe(out, 1, 2);   // PCM
  PutLe(out, kChannels, 2);
  PutLe(out, rate, 4);
  PutLe(out, rate * kFrameBytes, 4);
  PutLe(out, kFrameBytes, 2);
  PutLe(out, 16, 2);  // bits per sample
  out += "data";
  PutLe(out, data_bytes, 4);
  for (int16_t sample : samples) PutLe(out, static_cast<uint16_t>(sample), 2);
  return out;
}

bool WriteSoundFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok && !bytes.empty();
}

}  // namespace tools
