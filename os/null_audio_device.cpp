// The null audio device: nothing plays, and whoever owns the mixer pulls from it.
#include "os/audio_device.h"

namespace os {

namespace {

class NullAudioDevice final : public AudioDevice {
 public:
  bool PullsAudio() const override { return false; }
  std::string Name() const override { return "null"; }
};

}  // namespace

std::unique_ptr<AudioDevice> OpenNullAudioDevice(AudioMixer&) {
  return std::make_unique<NullAudioDevice>();
}

}  // namespace os
