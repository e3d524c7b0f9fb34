// Ogg Vorbis encoding of stereo 16-bit samples with libvorbisenc.
#include "tools/sound_encoder/ogg_encode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace tools {

std::string EncodeOggVorbis(const std::vector<int16_t>& samples, uint32_t rate, float quality) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, 2, static_cast<long>(rate), quality) != 0) return {};
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
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
      for (size_t i = 0; i < n; ++i) {
        buffer[0][i] = samples[2 * (at + i)] / 32768.0f;
        buffer[1][i] = samples[2 * (at + i) + 1] / 32768.0f;
      }
    }
    vorbis_analysis_wrote(&dsp, static_cast<int>(n));
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

}  // namespace tools
