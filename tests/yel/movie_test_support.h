// Small movies made on the spot with the codec libraries: one solid colour per frame (so every
// frame is told apart after lossy coding), optionally with a tone, in an MPEG-1 system stream
// (MPEG-1 video, MP2 sound) or an ASF file (WMV2 video, WMA2 sound).
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace movietest {

enum class Kind { kMpeg1, kWmv };

struct ClipRecipe {
  Kind kind = Kind::kMpeg1;
  int width = 64;
  int height = 48;
  int fps = 25;
  std::vector<uint32_t> colours;  // 0xRRGGBB, one per frame
  bool sound = true;
  bool pattern = false;  // a moving gradient instead of the solid colours (for the benchmark)
};

// Distinct colours, far apart in every channel that lossy coding may blur.
inline std::vector<uint32_t> FrameColours(size_t count) {
  static const uint32_t table[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00,
                                   0x00FFFF, 0xFF00FF, 0xFFFFFF, 0x000000};
  std::vector<uint32_t> out;
  for (size_t i = 0; i < count; ++i) out.push_back(table[i % 8]);
  return out;
}

// True when two colours agree within the error that coding leaves (per channel).
inline bool Near(uint32_t pixel, uint32_t rgb, int tolerance = 48) {
  for (int shift : {0, 8, 16}) {
    const int a = static_cast<int>((pixel >> shift) & 0xFF);
    const int b = static_cast<int>((rgb >> shift) & 0xFF);
    if (std::abs(a - b) > tolerance) return false;
  }
  return (pixel >> 24) == 0xFF;
}

namespace detail {

inline void FillColour(AVFrame* frame, uint32_t rgb) {
  const double r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  const int y = static_cast<int>(16 + (65.738 * r + 129.057 * g + 25.064 * b) / 256 + 0.5);
  const int u = static_cast<int>(128 + (-37.945 * r - 74.494 * g + 112.439 * b) / 256 + 0.5);
  const int v = static_cast<int>(128 + (112.439 * r - 94.154 * g - 18.285 * b) / 256 + 0.5);
  for (int row = 0; row < frame->height; ++row) {
    std::memset(frame->data[0] + row * frame->linesize[0], y, frame->width);
  }
  for (int row = 0; row < frame->height / 2; ++row) {
    std::memset(frame->data[1] + row * frame->linesize[1], u, frame->width / 2);
    std::memset(frame->data[2] + row * frame->linesize[2], v, frame->width / 2);
  }
}

// A gradient that moves with the frame number, for a picture that is not trivial to code.
inline void FillPattern(AVFrame* frame, int index) {
  for (int row = 0; row < frame->height; ++row) {
    uint8_t* line = frame->data[0] + row * frame->linesize[0];
    for (int x = 0; x < frame->width; ++x)
      line[x] = static_cast<uint8_t>((x + row + index * 8) & 0xFF);
  }
  for (int row = 0; row < frame->height / 2; ++row) {
    for (int x = 0; x < frame->width / 2; ++x) {
      frame->data[1][row * frame->linesize[1] + x] = static_cast<uint8_t>((x * 2 + index) & 0xFF);
      frame->data[2][row * frame->linesize[2] + x] = static_cast<uint8_t>((row * 2 - index) & 0xFF);
    }
  }
}

struct Writer {
  AVFormatContext* format = nullptr;

  void Drain(AVCodecContext* codec, AVStream* stream) {
    AVPacket* packet = av_packet_alloc();
    while (avcodec_receive_packet(codec, packet) == 0) {
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      av_interleaved_write_frame(format, packet);
    }
    av_packet_free(&packet);
  }
};

inline AVCodecContext* OpenVideo(const ClipRecipe& recipe, AVFormatContext* format) {
  const AVCodec* codec =
      avcodec_find_encoder(recipe.kind == Kind::kMpeg1 ? AV_CODEC_ID_MPEG1VIDEO : AV_CODEC_ID_WMV2);
  if (!codec) return nullptr;
  AVCodecContext* c = avcodec_alloc_context3(codec);
  c->width = recipe.width;
  c->height = recipe.height;
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->time_base = AVRational{1, recipe.fps};
  c->framerate = AVRational{recipe.fps, 1};
  c->gop_size = 4;
  c->max_b_frames = 0;
  if (recipe.pattern) {
    c->bit_rate = 8000000;
    c->rc_max_rate = c->bit_rate;
    c->rc_buffer_size = 4000000;
  } else {
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * 2;
  }
  if (format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(c, codec, nullptr) < 0) avcodec_free_context(&c);
  return c;
}

inline AVCodecContext* OpenAudio(const ClipRecipe& recipe, AVFormatContext* format) {
  const AVCodec* codec =
      avcodec_find_encoder(recipe.kind == Kind::kMpeg1 ? AV_CODEC_ID_MP2 : AV_CODEC_ID_WMAV2);
  if (!codec) return nullptr;
  AVCodecContext* c = avcodec_alloc_context3(codec);
  c->sample_rate = 44100;
  c->sample_fmt = recipe.kind == Kind::kMpeg1 ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
  av_channel_layout_default(&c->ch_layout, 2);
  c->bit_rate = 128000;
  c->time_base = AVRational{1, 44100};
  if (format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(c, codec, nullptr) < 0) avcodec_free_context(&c);
  return c;
}

// One audio frame of a 440 Hz tone starting at sample `at`.
inline void FillTone(AVFrame* frame, int64_t at) {
  for (int i = 0; i < frame->nb_samples; ++i) {
    const double s = 0.4 * std::sin((at + i) * 2 * M_PI * 440 / 44100);
    for (int ch = 0; ch < 2; ++ch) {
      if (frame->format == AV_SAMPLE_FMT_S16) {
        reinterpret_cast<int16_t*>(frame->data[0])[2 * i + ch] = static_cast<int16_t>(s * 32767);
      } else {
        reinterpret_cast<float*>(frame->data[ch])[i] = static_cast<float>(s);
      }
    }
  }
}

}  // namespace detail

// Writes the movie to `path`; false when the codec libraries cannot make it.
inline bool EncodeMovie(const std::string& path, const ClipRecipe& recipe) {
  av_log_set_level(AV_LOG_QUIET);
  detail::Writer w;
  const char* container = recipe.kind == Kind::kMpeg1 ? "mpeg" : "asf";
  if (avformat_alloc_output_context2(&w.format, nullptr, container, path.c_str()) < 0) {
    return false;
  }
  AVCodecContext* video = detail::OpenVideo(recipe, w.format);
  AVCodecContext* audio = recipe.sound ? detail::OpenAudio(recipe, w.format) : nullptr;
  bool ok = video && (audio || !recipe.sound);
  AVStream* video_stream = ok ? avformat_new_stream(w.format, nullptr) : nullptr;
  AVStream* audio_stream = ok && audio ? avformat_new_stream(w.format, nullptr) : nullptr;
  if (video_stream) {
    avcodec_parameters_from_context(video_stream->codecpar, video);
    video_stream->time_base = video->time_base;
  }
  if (audio_stream) {
    avcodec_parameters_from_context(audio_stream->codecpar, audio);
    audio_stream->time_base = audio->time_base;
  }
  // Small system packets interleave the sound with the pictures as a real movie has it.
  AVDictionary* options = nullptr;
  if (recipe.kind == Kind::kMpeg1) av_dict_set(&options, "packetsize", "256", 0);
  ok = ok && avio_open(&w.format->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
       avformat_write_header(w.format, &options) >= 0;
  av_dict_free(&options);
  if (ok) {
    AVFrame* picture = av_frame_alloc();
    picture->format = video->pix_fmt;
    picture->width = recipe.width;
    picture->height = recipe.height;
    av_frame_get_buffer(picture, 0);
    AVFrame* sound = nullptr;
    if (audio) {
      sound = av_frame_alloc();
      sound->format = audio->sample_fmt;
      sound->nb_samples = audio->frame_size;
      av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout);
      sound->sample_rate = 44100;
      av_frame_get_buffer(sound, 0);
    }
    const int64_t total_samples = static_cast<int64_t>(recipe.colours.size()) * 44100 / recipe.fps;
    int64_t samples_done = 0;
    for (size_t i = 0; i < recipe.colours.size(); ++i) {
      // Sound up to this frame's end first, so the two interleave closely.
      const int64_t sound_until = static_cast<int64_t>(i + 1) * 44100 / recipe.fps;
      while (audio && samples_done < sound_until && samples_done < total_samples) {
        av_frame_make_writable(sound);
        detail::FillTone(sound, samples_done);
        sound->pts = samples_done;
        avcodec_send_frame(audio, sound);
        w.Drain(audio, audio_stream);
        samples_done += sound->nb_samples;
      }
      av_frame_make_writable(picture);
      if (recipe.pattern) {
        detail::FillPattern(picture, static_cast<int>(i));
      } else {
        detail::FillColour(picture, recipe.colours[i]);
      }
      picture->pts = static_cast<int64_t>(i);
      avcodec_send_frame(video, picture);
      w.Drain(video, video_stream);
    }
    avcodec_send_frame(video, nullptr);
    w.Drain(video, video_stream);
    if (audio) {
      avcodec_send_frame(audio, nullptr);
      w.Drain(audio, audio_stream);
    }
    ok = av_write_trailer(w.format) >= 0;
    av_frame_free(&picture);
    av_frame_free(&sound);
  }
  if (w.format && w.format->pb) avio_closep(&w.format->pb);
  avcodec_free_context(&video);
  avcodec_free_context(&audio);
  avformat_free_context(w.format);
  return ok;
}

}  // namespace movietest
