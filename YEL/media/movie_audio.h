// A movie's sound on the mixer: a looping one-second buffer that the movie's decode thread keeps
// filled ahead of the play cursor, and the clock that the played samples make.
//
// Threads: the decode thread alone writes samples and services the buffer; Start, Stop and
// SetVolume are called by the movie's owner while the decode thread is not running, or (the
// volume) at any time, since the mixer guards a buffer's play state itself.
#pragma once

#include <cstdint>
#include <vector>

namespace os {
class AudioBuffer;
}

namespace yel {

struct SoundSystem;

class MovieAudio {
 public:
  // A buffer on the running sound system's mixer; Valid() is false without one.
  MovieAudio();
  ~MovieAudio();
  MovieAudio(const MovieAudio&) = delete;
  MovieAudio& operator=(const MovieAudio&) = delete;

  bool Valid() const { return buffer_ != nullptr; }
  // True when a device plays the mixer in real time, so the played samples can time the movie.
  bool Clocked() const;

  // Starts playing silence from an empty buffer; the clock restarts at 0.
  void Start();
  // Stops and forgets what was queued.
  void Stop();
  void SetVolume(int32_t hundredths_db);

  // Queues decoded samples (44100 Hz 16-bit stereo, interleaved) and writes what fits.
  void Queue(const std::vector<int16_t>& samples);
  // Takes the play cursor's progress, clears what was played and writes queued samples.
  void Service();
  // Milliseconds of sound played since Start.
  int64_t PlayedMs() const;
  // True when everything queued has been played.
  bool Drained() const;

 private:
  void Write();

  SoundSystem* sound_ = nullptr;
  os::AudioBuffer* buffer_ = nullptr;
  uint32_t size_ = 0;
  uint32_t last_cursor_ = 0;
  uint64_t played_ = 0;   // bytes the cursor has passed since Start
  uint64_t written_ = 0;  // bytes written since Start
  std::vector<int16_t> pending_;
};

}  // namespace yel
