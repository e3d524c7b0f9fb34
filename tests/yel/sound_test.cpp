// Sound channels and streaming, driven through the exports with the null audio device: the
// test pulls the mix and checks the samples.
#include <cstdlib>
#include <random>
#include <thread>

#include "sound_test_support.h"

namespace {

using soundtest::Samples;
using soundtest::SoundTest;
using soundtest::Wave;

constexpr uint32_t kRate = 44100;
constexpr uint32_t kPrimeSilenceFrames = 32;  // a stream's first 128 bytes are silenced

// Frame i of a ramp: (i % 30000 + 1, -(i % 30000 + 1)), so a position shows in every sample.
Samples Ramp(uint32_t frames) {
  Samples out(frames * 2);
  for (uint32_t i = 0; i < frames; ++i) {
    out[2 * i] = static_cast<int16_t>(i % 30000 + 1);
    out[2 * i + 1] = static_cast<int16_t>(-static_cast<int>(i % 30000 + 1));
  }
  return out;
}

Samples Constant(uint32_t frames, int16_t value) {
  return Samples(frames * 2, value);
}

// Compares frames [from, to) of `got` with frames of `want` starting at `want_from`.
::testing::AssertionResult SameFrames(const Samples& got, uint32_t from, uint32_t to,
                                      const Samples& want, uint32_t want_from) {
  for (uint32_t i = from; i < to; ++i) {
    const uint32_t w = want_from + i - from;
    if (got[2 * i] != want[2 * w] || got[2 * i + 1] != want[2 * w + 1]) {
      return ::testing::AssertionFailure()
             << "frame " << i << ": " << got[2 * i] << "," << got[2 * i + 1] << " for "
             << want[2 * w] << "," << want[2 * w + 1];
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Silent(const Samples& got, uint32_t from, uint32_t to) {
  for (uint32_t i = 2 * from; i < 2 * to; ++i) {
    if (got[i] != 0) return ::testing::AssertionFailure() << "sample " << i << " is " << got[i];
  }
  return ::testing::AssertionSuccess();
}

int32_t Index(YelSoundHandle handle) {
  return static_cast<int32_t>(handle & 0x0FFFFFFF);
}

TEST_F(SoundTest, WholeSoundsPlaySampleExactToTheirEnd) {
  const Samples ramp = Ramp(3000);
  const Samples tones = soundtest::Tones(5000);
  const std::string ogg = soundtest::EncodeOgg(tones);
  const Samples decoded = soundtest::DecodeOgg(ogg);
  ASSERT_GT(decoded.size(), 4000u);
  struct Case {
    const char* what;
    std::string file;
    const Samples& samples;
  };
  const Case cases[] = {
      {"plain", Wave(ramp), ramp},
      {"longer fmt chunk", Wave(ramp, 2, kRate, {.format_size = 18}), ramp},
      {"fact before data", Wave(ramp, 2, kRate, {.fact_chunk = true}), ramp},
      {"LIST after data", Wave(ramp, 2, kRate, {.list_after = true}), ramp},
      {"data size beyond the file", Wave(ramp, 2, kRate, {.claimed_extra = 4000}), ramp},
      {"ogg", ogg, decoded},
  };
  const int32_t blocks = YelGetAllocCount();
  for (const Case& c : cases) {
    const std::string name = c.file == ogg ? "S.OGG" : "S.WAV";
    filetest::WriteFile(base_ / name, c.file);
    const YelSoundHandle handle = YelSoundLoad(name.c_str(), 1, nullptr);
    ASSERT_NE(handle, 0u) << c.what;
    EXPECT_EQ(handle >> 28, 0x3u);
    ASSERT_EQ(YelSoundPlay(handle, 0), 1);
    const uint32_t frames = static_cast<uint32_t>(c.samples.size() / 2);
    const Samples out = Pull(frames + 500);
    EXPECT_TRUE(SameFrames(out, 0, frames, c.samples, 0)) << c.what;
    EXPECT_TRUE(Silent(out, frames, frames + 500)) << c.what;
    EXPECT_EQ(YelSoundPlayIs(handle), 0) << c.what;
    EXPECT_EQ(YelSoundRelease(handle), 1);
    EXPECT_EQ(YelSoundGetVolumeChannel(handle), -1);
  }
  EXPECT_EQ(YelGetAllocCount(), blocks);  // the Ogg copies are freed with their channels
}

// A stream plays its data through the two-second ring to the very end, the last part included,
// and then frees its channel.
TEST_F(SoundTest, StreamsPlayToTheEndTailIncludedFromFilesAndArchives) {
  const Samples wave_samples = Ramp(kRate * 5 / 2);
  const std::string ogg = soundtest::EncodeOgg(soundtest::Tones(kRate * 9 / 4));
  const Samples ogg_samples = soundtest::DecodeOgg(ogg);
  filetest::WriteFile(base_ / "LONG.WAV", Wave(wave_samples));
  filetest::WriteFile(base_ / "src" / "MUSIC.OGG", ogg);
  ASSERT_EQ(filetest::RunPacBuilder({(base_ / "src").string(), (base_ / "P.pac").string()}), 0);
  std::filesystem::remove_all(base_ / "src");
  ASSERT_EQ(YelSystemPathSet("P"), 1);

  struct Case {
    const char* name;
    const Samples& samples;
  };
  for (const Case& c : {Case{"LONG.WAV", wave_samples}, Case{"MUSIC.OGG", ogg_samples}}) {
    const YelSoundHandle handle = YelSoundLoad(c.name, 3, nullptr);
    ASSERT_NE(handle, 0u) << c.name;
    EXPECT_EQ(handle >> 28, 0x2u);
    ASSERT_EQ(YelSoundPlay(handle, 0), 1) << c.name;
    AdvanceClock(10);  // the start's fade-in is over
    EXPECT_EQ(YelSoundGetState(handle), 0);
    const uint32_t frames = static_cast<uint32_t>(c.samples.size() / 2);
    const Samples out = Pull(frames + 2 * kRate);
    EXPECT_TRUE(Silent(out, 0, kPrimeSilenceFrames)) << c.name;
    EXPECT_TRUE(SameFrames(out, kPrimeSilenceFrames, frames, c.samples, kPrimeSilenceFrames))
        << c.name;
    EXPECT_TRUE(Silent(out, frames, frames + 2 * kRate)) << c.name;
    EXPECT_EQ(YelSoundGetParam(Index(handle), 7), 0) << c.name << " is released";
    EXPECT_EQ(YelSoundGetChannelCount(3), 2);
  }
}

TEST_F(SoundTest, ALoopingStreamRepeatsItsRegionEvenWhenShorterThanARefill) {
  const Samples samples = Ramp(kRate * 3 / 2);
  filetest::WriteFile(base_ / "LOOP.WAV", Wave(samples));
  const uint32_t loop_start = kRate, loop_end = kRate + kRate * 3 / 10;  // a 0.3 s loop
  const YelSoundLoopPoints points = {1, 0, loop_start * 4, loop_end * 4};
  const YelSoundHandle handle = YelSoundLoad("LOOP.WAV", 3, &points);
  ASSERT_NE(handle, 0u);
  ASSERT_EQ(YelSoundPlay(handle, 1), 1);
  AdvanceClock(10);
  const Samples out = Pull(5 * kRate);
  EXPECT_TRUE(SameFrames(out, kPrimeSilenceFrames, loop_end, samples, kPrimeSilenceFrames));
  const uint32_t length = loop_end - loop_start;
  for (uint32_t at = loop_end; at + length <= 5 * kRate; at += length) {
    ASSERT_TRUE(SameFrames(out, at, at + length, samples, loop_start)) << "turn at " << at;
  }
  EXPECT_EQ(YelSoundPlayIs(handle), 1);
  EXPECT_EQ(YelSoundStop(handle), 1);
  EXPECT_EQ(YelSoundGetParam(Index(handle), 7), 0);  // a stopped music stream is gone
}

// Loop points are taken as given, never refused: a point beyond the data stands at the data's
// end, where the reader gets no more bytes and a looping stream turns back to its loop start.
// Nothing after the data (here a LIST chunk) is ever played.
TEST_F(SoundTest, LoopPointsBeyondTheDataTurnAtTheDataEnd) {
  constexpr uint32_t kFrames = kRate / 2;
  const Samples samples = Ramp(kFrames);
  filetest::WriteFile(base_ / "LOOP.WAV", Wave(samples, 2, kRate, {.list_after = true}));
  struct Case {
    const char* name;
    YelSoundLoopPoints points;
    int32_t loop;
    uint32_t start, loop_start;  // in frames; the end is the data's end
  };
  const Case cases[] = {
      {"an end beyond the data", {1, 0, 10000 * 4, (kFrames + 5000) * 4}, 1, 0, 10000},
      {"an end near the top of 32 bits", {1, 400, 10000 * 4, 0xFFFFFFFC}, 1, 100, 10000},
      {"a stream start beyond the data", {1, 0xFFFFFF00, 10000 * 4, 0xFFFFFFFC}, 1, kFrames, 10000},
      {"without the loop flag it plays to the data's end", {1, 0, 0, 0xFFFFFFFC}, 0, 0, 0},
  };
  constexpr uint32_t kPulled = kFrames + 2 * kRate;  // a stream that ends is released by then
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const YelSoundHandle handle = YelSoundLoad("LOOP.WAV", 3, &c.points);
    ASSERT_NE(handle, 0u);
    ASSERT_EQ(YelSoundPlay(handle, c.loop), 1);
    AdvanceClock(10);
    const Samples out = Pull(kPulled);
    // What the stream should play: from its start to the data's end, then the loop over and
    // over, or silence.
    Samples want(samples.begin() + 2 * c.start, samples.end());
    while (want.size() < 2 * kPulled) {
      if (c.loop) {
        want.insert(want.end(), samples.begin() + 2 * c.loop_start, samples.end());
      } else {
        want.resize(2 * kPulled, 0);
      }
    }
    EXPECT_TRUE(SameFrames(out, kPrimeSilenceFrames, kPulled, want, kPrimeSilenceFrames));
    if (c.loop) {
      EXPECT_EQ(YelSoundPlayIs(handle), 1);
      EXPECT_EQ(YelSoundStop(handle), 1);
    }
    EXPECT_EQ(YelSoundGetParam(Index(handle), 7), 0) << "released";
  }
}

TEST_F(SoundTest, ChannelsRunOutWithALogLineAndOtherTypesUseTheVoiceGroup) {
  filetest::WriteFile(base_ / "S.WAV", Wave(Ramp(10)));
  std::vector<YelSoundHandle> handles;
  for (int i = 0; i < 16; ++i) {
    handles.push_back(YelSoundLoad("S.WAV", 1, nullptr));
    ASSERT_EQ(handles.back(), 0x30000000u + i);
    if (i == 2) {
      EXPECT_EQ(YelSoundGetChannelCount(1), 13);
    }
  }
  EXPECT_EQ(YelSoundLoad("S.WAV", 1, nullptr), 0u);
  EXPECT_NE(Log().find("[16] channel all use"), std::string::npos);
  EXPECT_EQ(YelSoundLoad("S.WAV", 9, nullptr), 0u);  // type 9 goes to the full voice group

  ASSERT_EQ(YelSoundRelease(handles[5]), 1);
  const YelSoundHandle other = YelSoundLoad("S.WAV", 9, nullptr);
  EXPECT_EQ(other, handles[5]);
  EXPECT_EQ(YelSoundGetParamByType(1, 5, 14), 9);  // the given type is kept
  EXPECT_EQ(YelSoundSetVolume(5000, 9), 0);        // but there is no volume of type 9
  EXPECT_EQ(YelSoundSetVolume(5000, -1), 0);
  int32_t volume = 0;
  EXPECT_EQ(YelSoundGetVolume(&volume, 7), -1);
  EXPECT_EQ(YelSoundPlay(other, 0), 1);  // heard at the voice group's volume

  EXPECT_EQ(YelSoundLoadSetReserved(0, 3), 0x20000000u);
  EXPECT_EQ(YelSoundLoadSetReserved(0, 3), 0x20000001u);
  EXPECT_EQ(YelSoundLoadSetReserved(0, 3), 0u);
  EXPECT_NE(Log().find("[2] channel all use"), std::string::npos);
  EXPECT_EQ(YelSoundGetChannelCount(3), 0);
  YelSoundSetReserved(3, 0x20000001u, 0);
  EXPECT_EQ(YelSoundGetChannelCount(3), 1);
  EXPECT_EQ(YelSoundReleaseEx(3), 0);  // nothing loaded; both reservations cleared
  EXPECT_EQ(YelSoundGetChannelCount(3), 2);
  EXPECT_EQ(YelSoundReleaseEx(1), 1);
  EXPECT_EQ(YelSoundGetChannelCount(1), 16);
  // Handles outside the groups are refused like 0.
  for (YelSoundHandle bad : {0u, 0x30000010u, 0x80000000u, 0x10000002u}) {
    EXPECT_EQ(YelSoundPlay(bad, 0), 0) << bad;
    EXPECT_EQ(YelSoundGetState(bad), 0) << bad;
  }
}

TEST_F(SoundTest, VolumesInDecibelsAndPanChangeTheSamplesAsComputed) {
  filetest::WriteFile(base_ / "C.WAV", Wave(Constant(4000, 20000)));
  YelSoundSetVolume(10000, 4);
  const YelSoundHandle handle = YelSoundLoad("C.WAV", 4, nullptr);
  ASSERT_EQ(YelSoundPlay(handle, 1), 1);
  struct Case {
    int32_t primary, type_volume, channel_volume, pan;
    double left, right;
  };
  const double half = std::pow(10.0, static_cast<int>(2000 * std::log10(0.5)) / 2000.0);
  const double quarter = std::pow(10.0, static_cast<int>(2000 * std::log10(0.25)) / 2000.0);
  const Case cases[] = {
      {10000, 10000, 10000, 0, 1.0, 1.0},
      {10000, 5000, 10000, 0, half, half},
      {10000, 5000, 5000, 0, quarter, quarter},
      {5000, 10000, 5000, 0, quarter, quarter},
      {0, 10000, 10000, 0, 0.0, 0.0},  // primary 0 silences everything
      {10000, 10000, 10000, 0, 1.0, 1.0},
      {10000, 10000, 10000, 600, std::pow(10.0, -0.3), 1.0},
      {10000, 10000, 10000, -10000, 1.0, 0.0},
  };
  for (const Case& c : cases) {
    YelSoundSetVolume(c.type_volume, 4);
    YelSoundSetVolumeChannel(handle, c.channel_volume);
    YelSoundSetPrimaryVolume(c.primary);
    YelSoundSetPanChannel(handle, c.pan);
    const Samples out = Pull(10);
    EXPECT_NEAR(out[0], 20000 * c.left, 1.0) << c.primary << " " << c.type_volume << " " << c.pan;
    EXPECT_NEAR(out[1], 20000 * c.right, 1.0) << c.primary << " " << c.type_volume << " " << c.pan;
  }
  EXPECT_EQ(YelSoundGetPrimaryVolume(), 10000);
  int32_t volume = 0;
  EXPECT_EQ(YelSoundGetVolume(&volume, 4), 10000);
  EXPECT_EQ(volume, 10000);
  EXPECT_EQ(YelSoundGetFreq(handle), 44100);
  EXPECT_EQ(YelSoundSetFreq(handle, 22050), 1);
  EXPECT_EQ(YelSoundGetFreq(handle), 22050);
}

TEST_F(SoundTest, FadesFollowTheFrameClockAndReachSilenceAtTheirTime) {
  filetest::WriteFile(base_ / "C.WAV", Wave(Constant(4000, 20000)));
  const YelSoundHandle handle = YelSoundLoad("C.WAV", 1, nullptr);
  ASSERT_EQ(YelSoundPlayFade(handle, 1, 1000), 1);
  EXPECT_EQ(YelSoundGetState(handle), 1);
  EXPECT_TRUE(Silent(Pull(10), 0, 10));
  AdvanceClock(500);
  const double half = std::pow(10.0, static_cast<int>(2000 * std::log10(0.5)) / 2000.0);
  EXPECT_NEAR(Pull(10)[0], 20000 * half, 1.0);
  AdvanceClock(500);
  EXPECT_EQ(Pull(10)[0], 20000);
  EXPECT_EQ(YelSoundGetState(handle), 0);

  ASSERT_EQ(YelSoundStopFade(handle, 1000), 1);
  EXPECT_EQ(YelSoundGetState(handle), 2);
  EXPECT_EQ(YelSoundStopFade(handle, 300), 1);  // already fading out
  AdvanceClock(999);
  EXPECT_GT(Pull(10)[0], 0);
  EXPECT_EQ(YelSoundPlayIs(handle), 1);
  AdvanceClock(1);
  EXPECT_EQ(YelSoundPlayIs(handle), 0);
  EXPECT_TRUE(Silent(Pull(10), 0, 10));
  EXPECT_EQ(YelSoundStopFade(handle, 100), 0);  // no longer playing

  // A fade of no time is over at once.
  ASSERT_EQ(YelSoundPlayFade(handle, 1, 0), 1);
  Settle();
  EXPECT_EQ(Pull(10)[0], 20000);
  EXPECT_EQ(YelSoundGetState(handle), 0);
}

TEST_F(SoundTest, PauseAndResumeKeepThePosition) {
  const Samples samples = Ramp(20000);
  filetest::WriteFile(base_ / "R.WAV", Wave(samples));
  const YelSoundHandle handle = YelSoundLoad("R.WAV", 2, nullptr);
  ASSERT_EQ(handle >> 28, 0x7u);
  ASSERT_EQ(YelSoundPlay(handle, 0), 1);
  EXPECT_TRUE(SameFrames(Pull(1000), 0, 1000, samples, 0));
  EXPECT_EQ(YelSoundPause(handle, 0, 0), 0);  // not paused
  ASSERT_EQ(YelSoundPause(handle, 1, 0), 1);
  EXPECT_EQ(YelSoundPause(handle, 1, 0), 0);  // already paused
  Settle();
  EXPECT_TRUE(Silent(Pull(500), 0, 500));
  ASSERT_EQ(YelSoundPause(handle, 0, 0), 1);
  Settle();
  EXPECT_TRUE(SameFrames(Pull(1000), 0, 1000, samples, 1000));

  // A pause that fades out, and a resume without a fade, is heard at full loudness again.
  ASSERT_EQ(YelSoundPause(handle, 1, 100), 1);
  AdvanceClock(100);
  EXPECT_TRUE(Silent(Pull(100), 0, 100));
  ASSERT_EQ(YelSoundPause(handle, 0, 0), 1);
  Settle();
  EXPECT_TRUE(SameFrames(Pull(100), 0, 100, samples, 2000));
}

TEST_F(SoundTest, DamagedFilesAreRefusedAndLeaveTheChannelFree) {
  const std::string good = Wave(Ramp(100));
  const std::string ogg = soundtest::EncodeOgg(soundtest::Tones(2000));
  auto with = [](std::string bytes, size_t at, const char* text) {
    bytes.replace(at, std::strlen(text), text);
    return bytes;
  };
  struct Case {
    const char* what;
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", "D.WAV", ""},
      {"no RIFF", "D.WAV", with(good, 0, "RIFX")},
      {"no WAVE", "D.WAV", with(good, 8, "WAVF")},
      {"no fmt at 12", "D.WAV", with(good, 12, "fmX ")},
      {"no data chunk", "D.WAV", with(good, 36, "dat_")},
      {"cut in the header", "D.WAV", good.substr(0, 30)},
      {"not PCM", "D.WAV", with(good, 20, "\x55")},
      {"six channels", "D.WAV", with(good, 22, "\x06")},
      {"no data", "D.WAV", Wave({})},
      {"not Ogg", "D.OGG", good},
      {"Ogg cut in its headers", "D.OGG", ogg.substr(0, 100)},
  };
  const int32_t blocks = YelGetAllocCount();
  for (const Case& c : cases) {
    filetest::WriteFile(base_ / c.name, c.bytes);
    EXPECT_EQ(YelSoundLoad(c.name, 1, nullptr), 0u) << c.what;
  }
  EXPECT_EQ(YelSoundLoad("MISSING.WAV", 1, nullptr), 0u);
  EXPECT_EQ(YelSoundGetChannelCount(1), 16);
  EXPECT_NE(Log().find("YelSoundOggCreate Fail"), std::string::npos);
  EXPECT_EQ(YelGetAllocCount(), blocks);  // a refused Ogg file leaves no copy behind
}

// Random and cut-off sound files, loaded as whole sounds and as streams and played a little:
// run under the sanitizers, nothing may fault.
TEST_F(SoundTest, RandomAndTruncatedSoundFilesNeverFault) {
  const std::string wave = Wave(soundtest::Tones(3000), 2, kRate, {.fact_chunk = true});
  const std::string ogg = soundtest::EncodeOgg(soundtest::Tones(6000));
  std::mt19937 rng(11);
  for (int round = 0; round < 240; ++round) {
    const bool is_ogg = round % 2 == 1;
    std::string bytes = is_ogg ? ogg : wave;
    if (round % 3 == 0) {
      bytes.resize(rng() % bytes.size());
    } else {
      const int flips = 1 + static_cast<int>(rng() % 12);
      for (int i = 0; i < flips; ++i) {
        // Headers are where parsers go wrong: most damage lands near the start.
        const size_t limit = rng() % 4 == 0 ? bytes.size() : std::min<size_t>(bytes.size(), 200);
        bytes[rng() % limit] = static_cast<char>(rng());
      }
    }
    const char* name = is_ogg ? "F.OGG" : "F.WAV";
    filetest::WriteFile(base_ / name, bytes);
    const int32_t type = round % 4 < 2 ? 5 : 3;
    const YelSoundHandle handle = YelSoundLoad(name, type, nullptr);
    if (handle == 0) continue;
    YelSoundPlay(handle, round % 5 == 0);
    AdvanceClock(10);
    Pull(4000);
    YelSoundRelease(handle);
  }
  EXPECT_EQ(YelSoundGetChannelCount(5), 64);
  EXPECT_EQ(YelSoundGetChannelCount(3), 2);
}

TEST_F(SoundTest, ACopyPlaysTheSameSoundAndOutlivesItsOriginal) {
  const Samples samples = Ramp(500);
  filetest::WriteFile(base_ / "B.WAV", Wave(samples));
  YelSoundSetVolume(10000, 5);
  const YelSoundHandle original = YelSoundLoad("B.WAV", 5, nullptr);
  const YelSoundHandle copy = YelSoundCopy(original, 5);
  ASSERT_EQ(copy, original + 1);
  EXPECT_EQ(YelSoundGetParamByType(5, Index(copy), 19), 0);  // a copy has no file of its own
  ASSERT_EQ(YelSoundRelease(original), 1);
  ASSERT_EQ(YelSoundPlay(copy, 0), 1);
  EXPECT_TRUE(SameFrames(Pull(500), 0, 500, samples, 0));
  EXPECT_EQ(YelSoundCopy(0x20000000u, 3), 0u);  // streams are not copied
}

TEST_F(SoundTest, TypeZeroStreamsPlayTheirDataAndLoop) {
  const Samples samples = Ramp(8000);
  std::string file(36, '\0');
  file[4] = 4;   // four units of 2000 frames
  file[24] = 1;  // loop from unit 1
  file[28] = 3;  // to unit 3
  file += std::string(4 * 8 + 18, '\0');
  soundtest::PutLe(file, static_cast<uint32_t>(samples.size() * 2), 4);
  file += soundtest::SampleBytes(samples);
  filetest::WriteFile(base_ / "E.DAT", file);
  const YelSoundHandle handle = YelSoundLoadVerEpeg("E.DAT");
  ASSERT_EQ(handle, 0x10000000u);
  ASSERT_EQ(YelSoundPlay(handle, 0), 1);
  AdvanceClock(10);
  const Samples out = Pull(2 * kRate);
  EXPECT_TRUE(SameFrames(out, kPrimeSilenceFrames, 6000, samples, kPrimeSilenceFrames));
  EXPECT_TRUE(Silent(out, 6000, kRate));                             // the rest of the part
  EXPECT_TRUE(SameFrames(out, kRate, kRate + 4000, samples, 2000));  // on from the loop start
  EXPECT_EQ(YelSoundPlayIs(handle), 1);

  std::string no_units = file;
  no_units[4] = 0;
  filetest::WriteFile(base_ / "Z.DAT", no_units);
  EXPECT_EQ(YelSoundLoadVerEpeg("Z.DAT"), 0u);
}

// Starts with a fade on two streams at once both happen: neither waits for the other's mark.
TEST_F(SoundTest, StreamStartsFromTwoThreadsBothSucceed) {
  filetest::WriteFile(base_ / "A.WAV", Wave(Ramp(kRate)));
  const YelSoundHandle first = YelSoundLoad("A.WAV", 3, nullptr);
  const YelSoundHandle second = YelSoundLoad("A.WAV", 3, nullptr);
  ASSERT_NE(second, 0u);
  for (int round = 0; round < 5; ++round) {
    int results[2] = {};
    std::thread a([&] { results[0] = YelSoundPlayFade(first, 1, 100); });
    std::thread b([&] { results[1] = YelSoundPlayFade(second, 1, 100); });
    a.join();
    b.join();
    EXPECT_EQ(results[0], 1);
    EXPECT_EQ(results[1], 1);
    AdvanceClock(100);  // the fades end: a start waits for a running fade
  }
  EXPECT_EQ(YelSoundGetNowChannel(), 0);
  EXPECT_EQ(YelSoundGetParam(1, 8), 1);
}

TEST(SoundWithoutDevice, StartFailsQuietlyAndEveryCallIsRefused) {
  const char* saved = std::getenv("SDL_AUDIODRIVER");
  const std::string keep = saved ? saved : "";
  setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  EXPECT_FALSE(yel::SoundStart(os::OpenSdlAudioDevice));
  if (saved)
    setenv("SDL_AUDIODRIVER", keep.c_str(), 1);
  else
    unsetenv("SDL_AUDIODRIVER");
  EXPECT_EQ(yel::Sound(), nullptr);
  EXPECT_EQ(YelSoundLoad("X.WAV", 1, nullptr), 0u);
  EXPECT_EQ(YelSoundPlay(0x30000000u, 0), 0);
  EXPECT_EQ(YelSoundRelease(0x30000000u), 0);
  EXPECT_EQ(YelSoundReleaseEx(1), 0);
  EXPECT_EQ(YelSoundGetChannelCount(1), 0);
  EXPECT_EQ(YelSetVoiceSpeed(500.0f), 0.0f);
  EXPECT_EQ(YelGetVoiceSpeed(), 200.0f);
  EXPECT_EQ(YelSetVoiceSpeed(0.0f), 200.0f);
}

}  // namespace
