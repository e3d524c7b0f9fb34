// Makes the sample game's voice clips: short spoken-like tone phrases, two as Ogg Vorbis and one
// as WAVE, so that the build needs no binary sources.
//
//   make_voices FOLDER   writes VOICE01.ogg, VOICE02.ogg, VOICE03.wav
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/sound_encoder/ogg_encode.h"
#include "tools/sound_encoder/wave_encode.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

using Samples = std::vector<int16_t>;  // interleaved stereo

// A phrase of a few syllables: a pitch that glides within each syllable, each one faded in and
// out, with short rests between.
Samples Phrase(double base_hz, int syllables) {
  const uint32_t syllable = kRate * 18 / 100;
  const uint32_t rest = kRate * 4 / 100;
  Samples out;
  double phase = 0.0;
  for (int s = 0; s < syllables; ++s) {
    const double start_hz = base_hz * (1.0 + 0.15 * std::sin(s * 1.7));
    for (uint32_t i = 0; i < syllable; ++i) {
      const double t = double(i) / syllable;
      phase += 2 * kPi * start_hz * (1.0 + 0.2 * t) / kRate;
      const double envelope = std::sin(kPi * t);
      const double value = envelope * (0.6 * std::sin(phase) + 0.25 * std::sin(2 * phase));
      const auto sample = int16_t(std::lround(value * 12000));
      out.push_back(sample);
      out.push_back(sample);
    }
    out.insert(out.end(), size_t(rest) * 2, 0);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_voices FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const auto Ogg = [](const Samples& samples) {
    return tools::EncodeOggVorbis(samples, kRate, 0.3f);
  };
  const bool ok = tools::WriteSoundFile(folder + "/VOICE01.ogg", Ogg(Phrase(220.0, 4))) &&
                  tools::WriteSoundFile(folder + "/VOICE02.ogg", Ogg(Phrase(330.0, 3))) &&
                  tools::WriteSoundFile(folder + "/VOICE03.wav",
                                        tools::EncodeWave16Stereo(Phrase(260.0, 5), kRate));
  if (!ok) std::fprintf(stderr, "make_voices: cannot write the clips into %s\n", folder.c_str());
  return ok ? 0 : 1;
}
