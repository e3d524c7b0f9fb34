// The SDL audio device: one output stream at the mixer's format, filled by SDL's audio thread
// straight from the mixer.
#include <SDL.h>

#include "os/audio_device.h"
#include "os/audio_mixer.h"
#include "os/debug_output.h"

namespace os {

namespace {

class SdlAudioDevice final : public AudioDevice {
 public:
  SdlAudioDevice(SDL_AudioDeviceID device, std::string name) : device_(device), name_(name) {}
  ~SdlAudioDevice() override {
    // Closing waits for a running callback, so the mixer is no longer touched afterwards.
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  bool PullsAudio() const override { return true; }
  std::string Name() const override { return name_; }

 private:
  SDL_AudioDeviceID device_;
  std::string name_;
};

void SDLCALL FillStream(void* mixer, Uint8* stream, int length) {
  static_cast<AudioMixer*>(mixer)->Mix(reinterpret_cast<int16_t*>(stream),
                                       static_cast<uint32_t>(length) / 4);
}

}  // namespace

std::unique_ptr<AudioDevice> OpenSdlAudioDevice(AudioMixer& mixer) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    DebugOutputf("audio: %s\n", SDL_GetError());
    return nullptr;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(kMixRate);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = FillStream;
  wanted.userdata = &mixer;
  SDL_AudioSpec got{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, 0);
  if (device == 0) {
    DebugOutputf("audio: %s\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  const char* driver = SDL_GetCurrentAudioDriver();
  auto result = std::make_unique<SdlAudioDevice>(device, driver ? driver : "sdl");
  SDL_PauseAudioDevice(device, 0);
  return result;
}

}  // namespace os
