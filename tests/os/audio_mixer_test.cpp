#include "os/audio_mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "os/audio_device.h"

namespace {

// A 16-bit stereo buffer at the output rate whose frame i holds (i + 1, -(i + 1)).
os::AudioBuffer* RampBuffer(os::AudioMixer& mixer, uint32_t frames) {
  os::AudioBuffer* buffer = mixer.CreateBuffer(os::PcmFormat{}, frames * 4);
  auto* samples = reinterpret_cast<int16_t*>(buffer->Data());
  for (uint32_t i = 0; i < frames; ++i) {
    samples[2 * i] = static_cast<int16_t>(i + 1);
    samples[2 * i + 1] = static_cast<int16_t>(-static_cast<int>(i + 1));
  }
  return buffer;
}

std::vector<int16_t> Pull(os::AudioMixer& mixer, uint32_t frames) {
  std::vector<int16_t> out(frames * 2, 1234);
  mixer.Mix(out.data(), frames);
  return out;
}

TEST(AudioMixer, PlaysSampleExactToTheEndThenStopsAndSaysSo) {
  os::AudioMixer mixer;
  os::AudioBuffer* buffer = RampBuffer(mixer, 1000);
  EXPECT_EQ(Pull(mixer, 10), std::vector<int16_t>(20, 0));  // nothing plays: silence
  buffer->Play(false);
  const std::vector<int16_t> out = Pull(mixer, 1500);
  for (uint32_t i = 0; i < 1000; ++i) {
    ASSERT_EQ(out[2 * i], static_cast<int16_t>(i + 1)) << i;
    ASSERT_EQ(out[2 * i + 1], -static_cast<int16_t>(i + 1)) << i;
  }
  for (uint32_t i = 2000; i < 3000; ++i) ASSERT_EQ(out[i], 0) << i;
  EXPECT_FALSE(buffer->IsPlaying());
  EXPECT_EQ(buffer->TakeNotifications(), os::AudioBuffer::kStopNote);
}

TEST(AudioMixer, LoopsAndRaisesNotificationsWhereTheCursorPasses) {
  os::AudioMixer mixer;
  os::AudioBuffer* buffer = RampBuffer(mixer, 100);
  buffer->SetNotifications({0, 200});  // frames 0 and 50
  buffer->Play(true);
  EXPECT_EQ(buffer->TakeNotifications(), 1u);  // starting on offset 0 reaches it
  std::vector<int16_t> out = Pull(mixer, 49);
  EXPECT_EQ(buffer->TakeNotifications(), 0u);
  out = Pull(mixer, 1);
  EXPECT_EQ(buffer->TakeNotifications(), 2u);  // the cursor stands on frame 50
  EXPECT_EQ(buffer->Position(), 200u);
  out = Pull(mixer, 150);
  EXPECT_EQ(out[0], 51);
  EXPECT_EQ(out[2 * 50], 1);  // wrapped to the first frame
  EXPECT_EQ(out[2 * 149], 100);
  EXPECT_EQ(buffer->TakeNotifications(), 3u);
  EXPECT_TRUE(buffer->IsPlaying());
  buffer->Stop();
  EXPECT_EQ(buffer->Position(), 0u);  // stopped where it was: at the end of the third pass
  EXPECT_EQ(buffer->TakeNotifications(), os::AudioBuffer::kStopNote);
}

TEST(AudioMixer, VolumeInHundredthsOfADecibelAndPanScaleEachSide) {
  struct Case {
    int32_t volume, pan;
    double left, right;  // expected gains
  };
  const Case cases[] = {
      {0, 0, 1.0, 1.0},
      {-600, 0, std::pow(10.0, -0.3), std::pow(10.0, -0.3)},
      {-2000, 0, 0.1, 0.1},
      {-10000, 0, 0.0, 0.0},
      {0, 1000, std::pow(10.0, -0.5), 1.0},  // to the right: the left side loses 10 dB
      {0, -2000, 1.0, 0.1},
      {-600, 10000, 0.0, std::pow(10.0, -0.3)},  // right only
      {0, -10000, 1.0, 0.0},
  };
  for (const Case& c : cases) {
    os::AudioMixer mixer;
    os::AudioBuffer* buffer = mixer.CreateBuffer(os::PcmFormat{}, 4 * 4);
    auto* samples = reinterpret_cast<int16_t*>(buffer->Data());
    for (int i = 0; i < 8; ++i) samples[i] = 20000;
    buffer->SetVolume(c.volume);
    buffer->SetPan(c.pan);
    buffer->Play(true);
    const std::vector<int16_t> out = Pull(mixer, 4);
    EXPECT_NEAR(out[0], 20000 * c.left, 1.0) << c.volume << " " << c.pan;
    EXPECT_NEAR(out[1], 20000 * c.right, 1.0) << c.volume << " " << c.pan;
  }
}

TEST(AudioMixer, SumsBuffersAndClampsTheMix) {
  os::AudioMixer mixer;
  for (int b = 0; b < 3; ++b) {
    os::AudioBuffer* buffer = mixer.CreateBuffer(os::PcmFormat{}, 4);
    auto* samples = reinterpret_cast<int16_t*>(buffer->Data());
    samples[0] = 15000;
    samples[1] = static_cast<int16_t>(-1000 * (b + 1));
    buffer->Play(true);
  }
  const std::vector<int16_t> out = Pull(mixer, 1);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -6000);
}

TEST(AudioMixer, ConvertsOtherRatesAndFormatsByInterpolation) {
  os::AudioMixer mixer;
  // 22050 Hz mono 8-bit: every source frame lasts two output frames, the second halfway to
  // the next sample.
  os::AudioBuffer* buffer = mixer.CreateBuffer({22050, 1, 8}, 3);
  uint8_t* bytes = buffer->Data();
  bytes[0] = 128;       // 0
  bytes[1] = 128 + 64;  // 16384
  bytes[2] = 128 - 64;  // -16384
  buffer->Play(false);
  const std::vector<int16_t> out = Pull(mixer, 8);
  const int16_t expected[] = {0, 8192, 16384, 0, -16384, -16384};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(out[2 * i], expected[i]) << i;
    EXPECT_EQ(out[2 * i + 1], expected[i]) << i;  // mono is heard on both sides
  }
  EXPECT_EQ(out[12], 0);
  EXPECT_FALSE(buffer->IsPlaying());

  // Doubling the frequency of a 44100 Hz buffer skips every other frame.
  os::AudioBuffer* ramp = RampBuffer(mixer, 100);
  ramp->SetFrequency(88200);
  EXPECT_EQ(ramp->Frequency(), 88200u);
  ramp->Play(false);
  const std::vector<int16_t> fast = Pull(mixer, 3);
  EXPECT_EQ(fast[0], 1);
  EXPECT_EQ(fast[2], 3);
  EXPECT_EQ(fast[4], 5);
}

TEST(AudioMixer, DuplicatesShareTheSamplesAndReleaseAlone) {
  os::AudioMixer mixer;
  os::AudioBuffer* buffer = RampBuffer(mixer, 10);
  buffer->SetVolume(-2000);
  os::AudioBuffer* copy = mixer.DuplicateBuffer(buffer);
  EXPECT_EQ(copy->Volume(), -2000);
  mixer.ReleaseBuffer(buffer);
  copy->SetVolume(0);
  copy->Play(false);
  EXPECT_EQ(Pull(mixer, 1)[0], 1);
  EXPECT_EQ(mixer.CreateBuffer({44100, 6, 16}, 100), nullptr);  // no such format
  EXPECT_EQ(mixer.CreateBuffer(os::PcmFormat{}, 0), nullptr);
}

TEST(AudioDevice, TheNullDeviceLeavesTheMixerToItsOwner) {
  os::AudioMixer mixer;
  auto device = os::OpenNullAudioDevice(mixer);
  EXPECT_FALSE(device->PullsAudio());
  EXPECT_FALSE(mixer.WaitForNotification(1));
  mixer.Wake();
  EXPECT_TRUE(mixer.WaitForNotification(1000));
}

}  // namespace
