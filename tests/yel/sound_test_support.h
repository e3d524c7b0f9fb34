// Shared pieces of the sound tests: a running sound system on the null audio device with a
// frame clock the test moves, sound files made on the spot (WAVE written byte by byte, Ogg
// Vorbis encoded with libvorbisenc), a reference decode of Ogg data, and pulling the mix.
#pragma once

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/media/sound_system.h"
#include "file_test_support.h"
#include "tools/sound_encoder/ogg_encode.h"

namespace soundtest {

using Samples = std::vector<int16_t>;

inline void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline std::string SampleBytes(const Samples& samples) {
  return std::string(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
}

struct WaveShape {
  uint32_t format_size = 16;   // a longer "fmt " chunk carries extra bytes
  bool fact_chunk = false;     // a "fact" chunk before the data
  bool list_after = false;     // a "LIST" chunk after the data
  uint32_t claimed_extra = 0;  // a data size larger than the data present
};

// A PCM WAVE file of interleaved samples.
inline std::string Wave(const Samples& samples, uint16_t channels = 2, uint32_t rate = 44100,
                        const WaveShape& shape = {}) {
  std::string fmt;
  PutLe(fmt, 1, 2);
  PutLe(fmt, channels, 2);
  PutLe(fmt, rate, 4);
  PutLe(fmt, rate * channels * 2, 4);
  PutLe(fmt, channels * 2u, 2);
  PutLe(fmt, 16, 2);
  fmt.resize(shape.format_size, '\0');
  std::string body = "WAVEfmt ";
  PutLe(body, shape.format_size, 4);
  body += fmt;
  if (shape.fact_chunk) {
    body += "fact";
    PutLe(body, 4, 4);
    PutLe(body, static_cast<uint32_t>(samples.size() / channels), 4);
  }
  body += "data";
  PutLe(body, static_cast<uint32_t>(samples.size() * 2) + shape.claimed_extra, 4);
  body += SampleBytes(samples);
  if (shape.list_after) body += std::string("LIST\x05\0\0\0INFOx\0", 14);
  std::string file = "RIFF";
  PutLe(file, static_cast<uint32_t>(body.size()), 4);
  return file + body;
}

// Stereo 16-bit frames of two tones, loud enough to survive lossy coding.
inline Samples Tones(uint32_t frames, uint32_t rate = 44100) {
  Samples out(frames * 2);
  for (uint32_t i = 0; i < frames; ++i) {
    out[2 * i] = static_cast<int16_t>(9000 * std::sin(i * 2 * M_PI * 440 / rate));
    out[2 * i + 1] = static_cast<int16_t>(7000 * std::sin(i * 2 * M_PI * 660 / rate));
  }
  return out;
}

// Encodes stereo frames as Ogg Vorbis.
inline std::string EncodeOgg(const Samples& samples, uint32_t rate = 44100) {
  std::string out = tools::EncodeOggVorbis(samples, rate, 0.1f);
  EXPECT_FALSE(out.empty());
  return out;
}

// The samples libvorbisfile decodes from Ogg data, read independently of the library.
inline Samples DecodeOgg(const std::string& data) {
  FILE* memory = fmemopen(const_cast<char*>(data.data()), data.size(), "rb");
  OggVorbis_File file;
  Samples out;
  if (ov_open_callbacks(memory, &file, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) return out;
  char chunk[8192];
  int section = 0;
  for (long got; (got = ov_read(&file, chunk, sizeof(chunk), 0, 2, 1, &section)) > 0;) {
    const size_t at = out.size();
    out.resize(at + got / 2);
    std::memcpy(out.data() + at, chunk, got);
  }
  ov_clear(&file);  // closes the memory file
  return out;
}

// A base folder, a system record in debug mode with an error log, and the sound system on the
// null device: the test pulls the mix and moves the frame clock.
class SoundTest : public filetest::BaseFolderTest {
 protected:
  void SetUp() override {
    BaseFolderTest::SetUp();
    system_.param.debug = 1;
    system_.error_log = std::tmpfile();
    system_.frame_time = 1000;
    yel::SetSystem(&system_);
    ASSERT_TRUE(yel::SoundStart(os::OpenNullAudioDevice));
    sound_ = yel::Sound();
  }
  void TearDown() override {
    yel::SoundStop();
    yel::SetSystem(nullptr);
    std::fclose(system_.error_log);
    BaseFolderTest::TearDown();
  }

  std::string Log() { return filetest::ReadLog(system_.error_log); }

  // Waits until the streaming thread has run two whole passes from now, so that everything
  // the mixer raised before the call has been served.
  void Settle() {
    std::unique_lock lock(sound_->lock);
    const uint64_t target = sound_->passes + 2;
    sound_->mixer.Wake();
    sound_->pass_done.wait(lock, [&] { return sound_->passes >= target; });
  }

  void AdvanceClock(uint32_t ms) {
    system_.frame_time += ms;
    Settle();
  }

  // Mixes `frames` frames in pieces of at most a quarter second, letting the streaming thread
  // serve its notifications after each piece as a real device's pace would.
  Samples Pull(uint32_t frames) {
    Samples out(frames * 2);
    for (uint32_t at = 0; at < frames;) {
      const uint32_t n = std::min<uint32_t>(frames - at, 11025);
      sound_->mixer.Mix(out.data() + at * 2, n);
      Settle();
      at += n;
    }
    return out;
  }

  yel::YelSystem system_;
  yel::SoundSystem* sound_ = nullptr;
};

}  // namespace soundtest
