// The audio device that plays what the mixer (os/audio_mixer.h) mixes: 44100 Hz, 16-bit stereo.
// The back-end is chosen once at start: the SDL device plays to the sound card (or to SDL's
// "dummy" and "disk" drivers); the null device plays nothing and leaves the mixer to be pulled
// by its owner, so the mixer runs without any sound card.
#pragma once

#include <memory>
#include <string>

namespace os {

class AudioMixer;

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  // True when the device pulls audio from the mixer by itself, in real time.
  virtual bool PullsAudio() const = 0;
  virtual std::string Name() const = 0;
};

// Opens the default output of SDL's audio driver and starts pulling from `mixer`, which must
// outlive the device; null when no device can be opened.
std::unique_ptr<AudioDevice> OpenSdlAudioDevice(AudioMixer& mixer);
// A device that never pulls from `mixer`.
std::unique_ptr<AudioDevice> OpenNullAudioDevice(AudioMixer& mixer);

}  // namespace os
