// The movie decoder on the codec libraries: a demuxer reading through the file layer with a
// custom I/O context, one picture decoder, at most one sound decoder, the picture converter and
// the sound resampler (to the mixer's 44100 Hz 16-bit stereo).
#include "YEL/media/movie_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <mutex>

#include "YEL/yel.h"

namespace yel {
namespace {

constexpr int kIoBufferSize = 32768;
// Damaged packets are passed over; this many in a row end the movie as an error.
constexpr int kMaxBadPackets = 32;
constexpr int32_t kMaxSide = 16384;
constexpr int64_t kSeekMarginMs = 1000;

// The file layer as the demuxer's byte source: reads stop at the data's end, positions count
// from the data's start (an archive entry's own first byte).
int ReadPacketCallback(void* opaque, uint8_t* buffer, int size) {
  uint32_t got = 0;
  if (size <= 0) return 0;
  if (!YelFileRead(static_cast<YelFile*>(opaque), buffer, static_cast<uint32_t>(size), &got)) {
    return AVERROR(EIO);
  }
  return got == 0 ? AVERROR_EOF : static_cast<int>(got);
}

int64_t SeekCallback(void* opaque, int64_t offset, int whence) {
  auto* file = static_cast<YelFile*>(opaque);
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) return YelFileGetSize(file);
  if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return AVERROR(EINVAL);
  const int64_t at = YelFileSeek(file, offset, whence);
  return at < 0 ? AVERROR(EINVAL) : at;
}

void QuietCodecLog() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

int64_t ToMs(int64_t value, AVRational base) {
  return av_rescale_q(value, base, AVRational{1, 1000});
}

}  // namespace

struct MovieDecoder::State {
  YelFile* file = nullptr;
  AVIOContext* io = nullptr;
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  int video_index = -1;
  int audio_index = -1;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  SwsContext* scaler = nullptr;
  SwrContext* resampler = nullptr;
  std::vector<int16_t> samples;
  int64_t frame_ms = 0;
  int64_t start_ms = 0;  // the first presentation time the file gives
  int64_t last_frame_ms = -1;
  bool video_receiving = false, audio_receiving = false;
  bool video_done = false, audio_done = false;
  bool flushed = false;
  int bad_packets = 0;

  ~State() {
    sws_freeContext(scaler);
    swr_free(&resampler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    avformat_close_input(&format);
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
    YelFileClose(file);
  }

  bool OpenCodec(int index, AVCodecContext*& context) {
    const AVCodecParameters* parameters = format->streams[index]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec) return false;
    context = avcodec_alloc_context3(codec);
    return context && avcodec_parameters_to_context(context, parameters) >= 0 &&
           avcodec_open2(context, codec, nullptr) >= 0;
  }

  bool OpenResampler() {
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    AVChannelLayout in_layout{};
    if (audio->ch_layout.nb_channels <= 0) return false;
    if (av_channel_layout_copy(&in_layout, &audio->ch_layout) < 0) return false;
    if (in_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
      av_channel_layout_uninit(&in_layout);
      av_channel_layout_default(&in_layout, audio->ch_layout.nb_channels);
    }
    const int made = swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, 44100, &in_layout,
                                         audio->sample_fmt, audio->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in_layout);
    return made >= 0 && audio->sample_rate > 0 && swr_init(resampler) >= 0;
  }

  // The sound of the frame just received, resampled into `samples`.
  bool Resample() {
    samples.clear();
    if (!resampler) return false;
    const int room = swr_get_out_samples(resampler, frame->nb_samples);
    if (room <= 0) return false;
    samples.resize(static_cast<size_t>(room) * 2);
    uint8_t* out = reinterpret_cast<uint8_t*>(samples.data());
    const int got =
        swr_convert(resampler, &out, room, const_cast<const uint8_t**>(frame->extended_data),
                    frame->nb_samples);
    if (got <= 0) return false;
    samples.resize(static_cast<size_t>(got) * 2);
    return true;
  }

  // Takes a finished frame from one decoder; nullopt-like -1 when it has none now, 0 error.
  int Receive(AVCodecContext* context, bool& receiving, bool& done) {
    const int result = avcodec_receive_frame(context, frame);
    if (result == 0) return 1;
    receiving = false;
    if (result == AVERROR_EOF) done = true;
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return -1;
    return ++bad_packets > kMaxBadPackets ? 0 : -1;
  }

  void Flush() {
    flushed = true;
    if (video && avcodec_send_packet(video, nullptr) >= 0)
      video_receiving = true;
    else
      video_done = true;
    if (audio && avcodec_send_packet(audio, nullptr) >= 0)
      audio_receiving = true;
    else
      audio_done = true;
  }

  // Sends one packet to its decoder; false when the file cannot be read on.
  bool Feed() {
    const int result = av_read_frame(format, packet);
    if (result == AVERROR_EOF || (result < 0 && avio_feof(format->pb))) {
      Flush();
      return true;
    }
    if (result < 0) return false;
    AVCodecContext* target = packet->stream_index == video_index   ? video
                             : packet->stream_index == audio_index ? audio
                                                                   : nullptr;
    if (target) {
      if (avcodec_send_packet(target, packet) >= 0) {
        bad_packets = 0;
        (target == video ? video_receiving : audio_receiving) = true;
      } else if (++bad_packets > kMaxBadPackets) {
        av_packet_unref(packet);
        return false;
      }
    }
    av_packet_unref(packet);
    return true;
  }

  int64_t PictureTime() {
    const AVStream* stream = format->streams[video_index];
    // A picture without a time follows the last one by a frame's length.
    const AVRational rate = stream->avg_frame_rate;
    int64_t ms =
        last_frame_ms + (rate.num > 0 && rate.den > 0 ? av_rescale(1000, rate.den, rate.num) : 1);
    if (frame->best_effort_timestamp != AV_NOPTS_VALUE) {
      ms = ToMs(frame->best_effort_timestamp, stream->time_base) - start_ms;
    }
    last_frame_ms = ms;
    return ms;
  }
};

MovieDecoder::MovieDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}
MovieDecoder::~MovieDecoder() = default;

std::unique_ptr<MovieDecoder> MovieDecoder::Open(const char* name, std::string& error) {
  QuietCodecLog();
  auto s = std::make_unique<State>();
  s->file = name ? YelFileCreate(name, nullptr) : nullptr;
  if (!s->file) {
    error = "file not found";
    return nullptr;
  }
  auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
  s->io = buffer ? avio_alloc_context(buffer, kIoBufferSize, 0, s->file, ReadPacketCallback,
                                      nullptr, SeekCallback)
                 : nullptr;
  if (!s->io) av_free(buffer);
  s->format = s->io ? avformat_alloc_context() : nullptr;
  if (!s->format) {
    error = "out of memory";
    return nullptr;
  }
  s->format->pb = s->io;
  s->format->flags |= AVFMT_FLAG_CUSTOM_IO;
  if (avformat_open_input(&s->format, nullptr, nullptr, nullptr) < 0) {
    error = "not a movie file";  // the context is freed by the failed open
    return nullptr;
  }
  if (avformat_find_stream_info(s->format, nullptr) < 0) {
    error = "damaged movie file";
    return nullptr;
  }
  s->video_index = av_find_best_stream(s->format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (s->video_index < 0 || !s->OpenCodec(s->video_index, s->video)) {
    error = "no picture stream that can be decoded";
    return nullptr;
  }
  if (s->video->width <= 0 || s->video->height <= 0 || s->video->width > kMaxSide ||
      s->video->height > kMaxSide || s->video->pix_fmt == AV_PIX_FMT_NONE) {
    error = "picture size out of range";
    return nullptr;
  }
  s->audio_index =
      av_find_best_stream(s->format, AVMEDIA_TYPE_AUDIO, -1, s->video_index, nullptr, 0);
  if (s->audio_index >= 0 && (!s->OpenCodec(s->audio_index, s->audio) || !s->OpenResampler())) {
    // A movie whose sound cannot be decoded plays silently.
    avcodec_free_context(&s->audio);
    swr_free(&s->resampler);
    s->audio_index = -1;
  }
  // Times count from the first picture: a container may start its clock well before it.
  const AVStream* video_stream = s->format->streams[s->video_index];
  if (video_stream->start_time != AV_NOPTS_VALUE) {
    s->start_ms = ToMs(video_stream->start_time, video_stream->time_base);
  } else if (s->format->start_time != AV_NOPTS_VALUE) {
    s->start_ms = ToMs(s->format->start_time, AV_TIME_BASE_Q);
  }
  s->packet = av_packet_alloc();
  s->frame = av_frame_alloc();
  if (!s->packet || !s->frame) {
    error = "out of memory";
    return nullptr;
  }
  return std::unique_ptr<MovieDecoder>(new MovieDecoder(std::move(s)));
}

int32_t MovieDecoder::Width() const {
  return state_->video->width;
}
int32_t MovieDecoder::Height() const {
  return state_->video->height;
}

int64_t MovieDecoder::DurationMs() const {
  const int64_t duration = state_->format->duration;
  return duration == AV_NOPTS_VALUE || duration < 0 ? 0 : ToMs(duration, AV_TIME_BASE_Q);
}

double MovieDecoder::FrameRate() const {
  const AVRational rate = state_->format->streams[state_->video_index]->avg_frame_rate;
  return rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0.0;
}

bool MovieDecoder::HasAudio() const {
  return state_->audio != nullptr;
}

MovieDecoder::Item MovieDecoder::Next() {
  State& s = *state_;
  for (;;) {
    if (s.video_receiving) {
      const int got = s.Receive(s.video, s.video_receiving, s.video_done);
      if (got == 0) return Item::kError;
      if (got == 1) {
        s.frame_ms = s.PictureTime();
        return Item::kVideo;
      }
    }
    if (s.audio_receiving) {
      const int got = s.Receive(s.audio, s.audio_receiving, s.audio_done);
      if (got == 0) return Item::kError;
      if (got == 1 && s.Resample()) return Item::kAudio;
    }
    if (s.flushed) {
      if (!s.video_receiving && !s.audio_receiving) return Item::kEnd;
      continue;
    }
    if (!s.Feed()) return Item::kError;
  }
}

int64_t MovieDecoder::FrameTimeMs() const {
  return state_->frame_ms;
}

bool MovieDecoder::ConvertFrame(uint32_t* pixels, int32_t pitch) {
  State& s = *state_;
  AVFrame* f = s.frame;
  if (!pixels || f->width != Width() || f->height != Height() || pitch < f->width) return false;
  s.scaler = sws_getCachedContext(s.scaler, f->width, f->height,
                                  static_cast<AVPixelFormat>(f->format), f->width, f->height,
                                  AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
  if (!s.scaler) return false;
  // BGRA in memory is 0xAARRGGBB in a little-endian word; a picture without alpha gets 0xFF.
  uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(pixels), nullptr, nullptr, nullptr};
  int strides[4] = {pitch * 4, 0, 0, 0};
  return sws_scale(s.scaler, f->data, f->linesize, 0, f->height, planes, strides) == f->height;
}

const std::vector<int16_t>& MovieDecoder::Audio() const {
  return state_->samples;
}

bool MovieDecoder::Seek(int64_t ms) {
  State& s = *state_;
  // A container without an index (an MPEG system stream) finds a time by searching its bytes
  // and may land after it; aiming a margin early and decoding forward finds the picture, and
  // near the start the first byte is the sure place.
  const int64_t aim = std::max<int64_t>(ms, 0) - kSeekMarginMs;
  const int64_t target =
      av_rescale_q(std::max<int64_t>(aim, 0) + s.start_ms, AVRational{1, 1000}, AV_TIME_BASE_Q);
  const bool from_start = aim <= 0 && av_seek_frame(s.format, -1, 0, AVSEEK_FLAG_BYTE) >= 0;
  if (!from_start && av_seek_frame(s.format, -1, target, AVSEEK_FLAG_BACKWARD) < 0 &&
      av_seek_frame(s.format, -1, target, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0) {
    return false;
  }
  avcodec_flush_buffers(s.video);
  if (s.audio) avcodec_flush_buffers(s.audio);
  if (s.resampler) swr_init(s.resampler);
  s.video_receiving = s.audio_receiving = false;
  s.video_done = s.audio_done = s.flushed = false;
  s.bad_packets = 0;
  s.last_frame_ms = -1;
  return true;
}

}  // namespace yel
