// Makes the sample game's music and effects: two short looping pieces as Ogg Vorbis (slow chord
// progressions in different keys, so a cross-fade between them is easy to hear) and a click as
// WAVE, so that the build needs no binary sources.
//
//   make_sounds FOLDER   writes BGM01.ogg, BGM02.ogg, CLICK.wav
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

// Chords of three notes (frequencies in Hz), each held for `seconds`, softly attacked and
// released so the piece loops without a click; the left and right channels weigh the notes
// differently for a little width.
Samples Piece(const std::vector<std::vector<double>>& chords, double seconds) {
  const auto length = static_cast<uint32_t>(kRate * seconds);
  Samples out;
  out.reserve(chords.size() * length * 2);
  for (const std::vector<double>& chord : chords) {
    for (uint32_t i = 0; i < length; ++i) {
      const double t = double(i) / kRate;
      const double envelope = std::min(1.0, t * 8.0) * std::min(1.0, (seconds - t) * 4.0);
      double left = 0.0;
      double right = 0.0;
      for (size_t n = 0; n < chord.size(); ++n) {
        const double tone = std::sin(2 * kPi * chord[n] * t);
        left += tone * (1.0 - 0.2 * double(n));
        right += tone * (0.6 + 0.2 * double(n));
      }
      out.push_back(int16_t(std::lround(envelope * left * 3000)));
      out.push_back(int16_t(std::lround(envelope * right * 3000)));
    }
  }
  return out;
}

// A short click: a bright tone that dies away within a few milliseconds.
Samples Click() {
  const uint32_t length = kRate * 6 / 100;
  Samples out;
  for (uint32_t i = 0; i < length; ++i) {
    const double t = double(i) / kRate;
    const double value = std::exp(-t * 90.0) * std::sin(2 * kPi * 2200.0 * t);
    const auto sample = int16_t(std::lround(value * 14000));
    out.push_back(sample);
    out.push_back(sample);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sounds FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const auto Ogg = [](const Samples& samples) {
    return tools::EncodeOggVorbis(samples, kRate, 0.2f);
  };
  // C major, then A minor; each chord two seconds.
  const Samples first = Piece({{261.63, 329.63, 392.00},
                               {220.00, 261.63, 329.63},
                               {174.61, 220.00, 261.63},
                               {196.00, 246.94, 293.66}},
                              2.0);
  const Samples second = Piece({{220.00, 261.63, 329.63},
                                {146.83, 174.61, 220.00},
                                {164.81, 207.65, 246.94},
                                {220.00, 261.63, 329.63}},
                               2.0);
  const bool ok =
      tools::WriteSoundFile(folder + "/BGM01.ogg", Ogg(first)) &&
      tools::WriteSoundFile(folder + "/BGM02.ogg", Ogg(second)) &&
      tools::WriteSoundFile(folder + "/CLICK.wav", tools::EncodeWave16Stereo(Click(), kRate));
  if (!ok) std::fprintf(stderr, "make_sounds: cannot write the sounds into %s\n", folder.c_str());
  return ok ? 0 : 1;
}
