// The software mixer: secondary buffers of PCM data, each with its own play cursor, volume in
// hundredths of a decibel, pan, frequency, looping and position notifications, mixed into one
// 44100 Hz 16-bit stereo stream that an audio device pulls (os/audio_device.h).
//
// Locking: one mutex guards the buffer list and every buffer's play state; it is held only for
// short bookkeeping and for one Mix call, never while waiting for anything, so the device's
// callback never waits behind a caller that itself waits. Sample data is written without the
// mutex, into the part of a buffer that is not being played (as with a locked region of a
// hardware buffer); a whole sound is filled before it first plays.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <semaphore>
#include <vector>

namespace os {

// Linear PCM: 8-bit unsigned or 16-bit signed little-endian samples, one or two channels.
struct PcmFormat {
  uint32_t rate = 44100;
  uint16_t channels = 2;
  uint16_t bits = 16;
  uint32_t BlockAlign() const { return uint32_t{channels} * bits / 8; }
  bool Valid() const {
    return (channels == 1 || channels == 2) && (bits == 8 || bits == 16) && rate >= 100 &&
           rate <= 200000;
  }
};

inline constexpr uint32_t kMixRate = 44100;        // the output: 16-bit stereo at this rate
inline constexpr int32_t kVolumeSilence = -10000;  // hundredths of a dB; 0 is full volume
inline constexpr int32_t kPanLeft = -10000;        // only the left channel is heard
inline constexpr int32_t kPanRight = 10000;

class AudioMixer;

class AudioBuffer {
 public:
  // Notification bit raised when the buffer stops, by Stop or at the end of a non-looping play;
  // the bits below it belong to the notification offsets, in the order given.
  static constexpr uint32_t kStopNote = 1u << 31;
  static constexpr size_t kMaxNotes = 31;

  const PcmFormat& Format() const { return format_; }
  uint32_t Size() const { return size_; }
  // The sample memory. Writers keep to the part that is not playing.
  uint8_t* Data() { return data_.get(); }

  void Play(bool loop);
  void Stop();  // keeps the play cursor
  bool IsPlaying() const;
  uint32_t Position() const;  // play cursor in bytes
  void SetPosition(uint32_t bytes);
  // Copies `count` bytes into the sample memory from `offset` on, wrapping at its end (null
  // `bytes` writes silence), under the mixer's lock: a writer that fell behind the play cursor
  // never has the mix read a part it is writing.
  void WriteWrapped(uint32_t offset, const uint8_t* bytes, uint32_t count);
  void SetVolume(int32_t hundredths_db);  // clamped to -10000..0
  int32_t Volume() const;
  void SetPan(int32_t pan);  // clamped to -10000..10000
  int32_t Pan() const;
  void SetFrequency(uint32_t hz);  // 0 means the format's own rate
  uint32_t Frequency() const;
  // Byte offsets whose crossing by the play cursor raises notification bit i (at most 31).
  void SetNotifications(const std::vector<uint32_t>& offsets);
  // The notification bits raised since the last call, cleared.
  uint32_t TakeNotifications() { return notes_.exchange(0); }

 private:
  friend class AudioMixer;
  AudioBuffer(AudioMixer& mixer, const PcmFormat& format, uint32_t size,
              std::shared_ptr<uint8_t[]> data);
  void UpdateGains();
  void UpdateStep();
  bool Notify(uint32_t from, uint32_t to, uint32_t wraps);
  // Mixes the buffer into `out`; true when it raised a notification.
  bool MixInto(float* out, uint32_t frames);
  void MixStereo16(float* out, uint32_t frames);
  void MixAny(float* out, uint32_t frames);
  void ReadFrame(uint32_t frame, float& left, float& right) const;

  AudioMixer& mixer_;
  const PcmFormat format_;
  const uint32_t size_;
  const uint32_t frames_;
  std::shared_ptr<uint8_t[]> data_;  // shared with duplicates

  // Guarded by the mixer's mutex.
  bool playing_ = false;
  bool looping_ = false;
  uint64_t position_ = 0;  // in frames, 32.32 fixed point
  uint64_t step_ = uint64_t{1} << 32;
  int32_t volume_ = 0;
  int32_t pan_ = 0;
  uint32_t frequency_ = 0;
  float gain_left_ = 1.0f;
  float gain_right_ = 1.0f;
  std::vector<uint32_t> note_offsets_;

  std::atomic<uint32_t> notes_{0};
};

class AudioMixer {
 public:
  AudioMixer();
  ~AudioMixer();
  AudioMixer(const AudioMixer&) = delete;
  AudioMixer& operator=(const AudioMixer&) = delete;

  // A silent buffer of `size` bytes (whole frames); null for a format it cannot play, a size of
  // 0 or no memory.
  AudioBuffer* CreateBuffer(const PcmFormat& format, uint32_t size);
  // A new buffer over the same sample memory, with the source's volume, pan and frequency.
  AudioBuffer* DuplicateBuffer(AudioBuffer* source);
  void ReleaseBuffer(AudioBuffer* buffer);

  // Mixes `frames` stereo frames into `out`: the device's callback. Never allocates.
  void Mix(int16_t* out, uint32_t frames);

  // Wakes a waiter of WaitForNotification; raised by the mixer whenever a notification is.
  void Wake();
  // Waits up to `ms` for a wake; true when woken.
  bool WaitForNotification(uint32_t ms);

 private:
  friend class AudioBuffer;
  static constexpr uint32_t kChunkFrames = 512;

  mutable std::mutex mutex_;  // guards buffers_ and the play state of every buffer
  std::vector<AudioBuffer*> buffers_;
  float scratch_[kChunkFrames * 2];
  std::binary_semaphore wake_{0};
  std::atomic<bool> wake_pending_{false};
};

}  // namespace os
