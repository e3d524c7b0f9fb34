// Makes the sample game's voice clips: short spoken-like tone phrases, two as Ogg Vorbis and one
// as WAVE, so that the build needs no binary sources.
//
//   make_voices FOLDER   writes VOICE01.ogg, VOICE02.ogg, VOICE03.wav
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xFF);
}

std::string Wave(const Samples& samples) {
  std::string out = "RIFF";
  PutLe(out, uint32_t(36 + samples.size() * 2), 4);
  out += "WAVEfmt ";
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);
  PutLe(out, 2, 2);
  PutLe(out, kRate, 4);
  PutLe(out, kRate * 4, 4);
  PutLe(out, 4, 2);
  PutLe(out, 16, 2);
  out += "data";
  PutLe(out, uint32_t(samples.size() * 2), 4);
  out.append(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
  return out;
}

std::string Ogg(const Samples& samples) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, 2, kRate, 0.3f) != 0) return {};
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  std::string out;
  ogg_page page;
  auto pages = [&](bool flush) {
    while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
      out.append(reinterpret_cast<char*>(page.header), page.header_len);
      out.append(reinterpret_cast<char*>(page.body), page.body_len);
    }
  };
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  pages(true);
  const size_t frames = samples.size() / 2;
  for (size_t at = 0;; at += 1024) {
    const size_t n = std::min<size_t>(1024, frames - std::min(at, frames));
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, int(n));
      for (size_t i = 0; i < n; ++i) {
        buffer[0][i] = samples[2 * (at + i)] / 32768.0f;
        buffer[1][i] = samples[2 * (at + i) + 1] / 32768.0f;
      }
    }
    vorbis_analysis_wrote(&dsp, int(n));
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        pages(false);
      }
    }
    if (n == 0) break;
  }
  pages(true);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

bool Write(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok && !bytes.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_voices FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const bool ok = Write(folder + "/VOICE01.ogg", Ogg(Phrase(220.0, 4))) &&
                  Write(folder + "/VOICE02.ogg", Ogg(Phrase(330.0, 3))) &&
                  Write(folder + "/VOICE03.wav", Wave(Phrase(260.0, 5)));
  if (!ok) std::fprintf(stderr, "make_voices: cannot write the clips into %s\n", folder.c_str());
  return ok ? 0 : 1;
}
