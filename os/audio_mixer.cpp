// The software mixer. Rates that differ from the output rate are converted by linear
// interpolation on a 32.32 fixed-point cursor: the cursor stays exact in source frames (play
// positions, loops and notifications are counted in the buffer's own bytes), a frequency change
// takes effect on the next frame, and nothing is buffered or allocated while mixing. A buffer
// at the output rate is copied sample for sample.
#include "os/audio_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace os {

namespace {

constexpr uint64_t kUnitStep = uint64_t{1} << 32;

// Amplitude of a level in hundredths of a decibel; silence is exactly 0.
float Amplitude(int32_t hundredths_db) {
  if (hundredths_db <= kVolumeSilence) return 0.0f;
  if (hundredths_db >= 0) return 1.0f;
  return std::pow(10.0f, static_cast<float>(hundredths_db) / 2000.0f);
}

int16_t ToSample(float value) {
  const float clamped = std::clamp(value, -32768.0f, 32767.0f);
  return static_cast<int16_t>(std::lrintf(clamped));
}

}  // namespace

AudioBuffer::AudioBuffer(AudioMixer& mixer, const PcmFormat& format, uint32_t size,
                         std::shared_ptr<uint8_t[]> data)
    : mixer_(mixer),
      format_(format),
      size_(size),
      frames_(size / format.BlockAlign()),
      data_(std::move(data)) {
  UpdateStep();
}

void AudioBuffer::UpdateGains() {
  const float level = Amplitude(volume_);
  gain_left_ = level * (pan_ > 0 ? Amplitude(-pan_) : 1.0f);
  gain_right_ = level * (pan_ < 0 ? Amplitude(pan_) : 1.0f);
}

void AudioBuffer::UpdateStep() {
  const uint64_t rate = frequency_ ? frequency_ : format_.rate;
  step_ = (rate << 32) / kMixRate;
}

void AudioBuffer::Play(bool loop) {
  std::lock_guard lock(mixer_.mutex_);
  looping_ = loop;
  if (playing_) return;
  playing_ = true;
  // Starting on a notification offset counts as reaching it.
  const uint32_t cursor = static_cast<uint32_t>(position_ >> 32) * format_.BlockAlign();
  uint32_t raised = 0;
  for (size_t i = 0; i < note_offsets_.size(); ++i) {
    if (note_offsets_[i] == cursor) raised |= 1u << i;
  }
  if (raised) {
    notes_.fetch_or(raised);
    mixer_.Wake();
  }
}

void AudioBuffer::Stop() {
  std::lock_guard lock(mixer_.mutex_);
  if (!playing_) return;
  playing_ = false;
  notes_.fetch_or(kStopNote);
  mixer_.Wake();
}

bool AudioBuffer::IsPlaying() const {
  std::lock_guard lock(mixer_.mutex_);
  return playing_;
}

uint32_t AudioBuffer::Position() const {
  std::lock_guard lock(mixer_.mutex_);
  return static_cast<uint32_t>(position_ >> 32) * format_.BlockAlign();
}

void AudioBuffer::SetPosition(uint32_t bytes) {
  std::lock_guard lock(mixer_.mutex_);
  const uint32_t frame = bytes / format_.BlockAlign();
  position_ = uint64_t{frame < frames_ ? frame : 0} << 32;
}

void AudioBuffer::WriteWrapped(uint32_t offset, const uint8_t* bytes, uint32_t count) {
  if (size_ == 0) return;
  offset %= size_;
  count = std::min(count, size_);
  const uint32_t first = std::min(count, size_ - offset);
  uint8_t* data = data_.get();
  std::lock_guard lock(mixer_.mutex_);
  if (bytes) {
    std::memcpy(data + offset, bytes, first);
    std::memcpy(data, bytes + first, count - first);
  } else {
    std::memset(data + offset, 0, first);
    std::memset(data, 0, count - first);
  }
}

void AudioBuffer::SetVolume(int32_t hundredths_db) {
  std::lock_guard lock(mixer_.mutex_);
  volume_ = std::clamp(hundredths_db, kVolumeSilence, 0);
  UpdateGains();
}

int32_t AudioBuffer::Volume() const {
  std::lock_guard lock(mixer_.mutex_);
  return volume_;
}

void AudioBuffer::SetPan(int32_t pan) {
  std::lock_guard lock(mixer_.mutex_);
  pan_ = std::clamp(pan, kPanLeft, kPanRight);
  UpdateGains();
}

int32_t AudioBuffer::Pan() const {
  std::lock_guard lock(mixer_.mutex_);
  return pan_;
}

void AudioBuffer::SetFrequency(uint32_t hz) {
  std::lock_guard lock(mixer_.mutex_);
  frequency_ = hz == 0 ? 0 : std::clamp<uint32_t>(hz, 100, 200000);
  UpdateStep();
}

uint32_t AudioBuffer::Frequency() const {
  std::lock_guard lock(mixer_.mutex_);
  return frequency_ ? frequency_ : format_.rate;
}

void AudioBuffer::SetNotifications(const std::vector<uint32_t>& offsets) {
  std::lock_guard lock(mixer_.mutex_);
  note_offsets_.assign(offsets.begin(), offsets.begin() + std::min(offsets.size(), kMaxNotes));
}

// Raises the notifications whose offsets the cursor reached moving from `from` to `to` (bytes)
// with `wraps` passes over the buffer's end.
bool AudioBuffer::Notify(uint32_t from, uint32_t to, uint32_t wraps) {
  uint32_t raised = 0;
  for (size_t i = 0; i < note_offsets_.size(); ++i) {
    const uint32_t at = note_offsets_[i];
    const bool reached = wraps == 0   ? (at > from && at <= to)
                         : wraps == 1 ? (at > from || at <= to)
                                      : true;
    if (reached) raised |= 1u << i;
  }
  if (raised) notes_.fetch_or(raised);
  return raised != 0;
}

void AudioBuffer::ReadFrame(uint32_t frame, float& left, float& right) const {
  const uint8_t* at = data_.get() + size_t{frame} * format_.BlockAlign();
  if (format_.bits == 16) {
    int16_t l, r;
    std::memcpy(&l, at, 2);
    if (format_.channels == 2)
      std::memcpy(&r, at + 2, 2);
    else
      r = l;
    left = l;
    right = r;
  } else {
    left = static_cast<float>((at[0] - 128) * 256);
    right = format_.channels == 2 ? static_cast<float>((at[1] - 128) * 256) : left;
  }
}

// The common case: 16-bit stereo at the output rate, sample for sample.
void AudioBuffer::MixStereo16(float* out, uint32_t frames) {
  const int16_t* samples = reinterpret_cast<const int16_t*>(data_.get());
  uint32_t done = 0;
  while (done < frames && playing_) {
    uint32_t frame = static_cast<uint32_t>(position_ >> 32);
    const uint32_t run = std::min(frames - done, frames_ - frame);
    const int16_t* from = samples + size_t{frame} * 2;
    float* to = out + size_t{done} * 2;
    for (uint32_t i = 0; i < run; ++i) {
      to[2 * i] += from[2 * i] * gain_left_;
      to[2 * i + 1] += from[2 * i + 1] * gain_right_;
    }
    done += run;
    frame += run;
    if (frame >= frames_) {
      frame = 0;
      if (!looping_) {
        playing_ = false;
        notes_.fetch_or(kStopNote);
      }
    }
    position_ = uint64_t{frame} << 32;
  }
}

void AudioBuffer::MixAny(float* out, uint32_t frames) {
  const uint64_t end = uint64_t{frames_} << 32;
  for (uint32_t i = 0; i < frames && playing_; ++i) {
    const uint32_t frame = static_cast<uint32_t>(position_ >> 32);
    float left, right;
    ReadFrame(frame, left, right);
    const uint32_t fraction = static_cast<uint32_t>(position_);
    if (fraction != 0) {
      const uint32_t next = frame + 1 < frames_ ? frame + 1 : (looping_ ? 0 : frame);
      float next_left, next_right;
      ReadFrame(next, next_left, next_right);
      const float t = static_cast<float>(fraction) * (1.0f / 4294967296.0f);
      left += (next_left - left) * t;
      right += (next_right - right) * t;
    }
    out[2 * i] += left * gain_left_;
    out[2 * i + 1] += right * gain_right_;
    position_ += step_;
    if (position_ >= end) {
      if (looping_) {
        position_ %= end;
      } else {
        position_ = 0;
        playing_ = false;
        notes_.fetch_or(kStopNote);
      }
    }
  }
}

bool AudioBuffer::MixInto(float* out, uint32_t frames) {
  if (!playing_ || frames_ == 0) return false;
  const uint32_t align = format_.BlockAlign();
  const uint32_t from = static_cast<uint32_t>(position_ >> 32) * align;
  // How far the cursor moves decides how often it passes the end.
  const uint64_t travel = position_ + step_ * frames;
  const uint32_t wraps =
      static_cast<uint32_t>(std::min<uint64_t>(travel / (uint64_t{frames_} << 32), 2));
  if (format_.bits == 16 && format_.channels == 2 && step_ == kUnitStep) {
    MixStereo16(out, frames);
  } else {
    MixAny(out, frames);
  }
  const bool stopped = !playing_;
  if (note_offsets_.empty()) return stopped;
  const uint32_t to = static_cast<uint32_t>(position_ >> 32) * align;
  return Notify(from, to, stopped ? std::min<uint32_t>(wraps, 1) : wraps) || stopped;
}

AudioMixer::AudioMixer() {
  buffers_.reserve(256);
}

AudioMixer::~AudioMixer() {
  for (AudioBuffer* buffer : buffers_) delete buffer;
}

AudioBuffer* AudioMixer::CreateBuffer(const PcmFormat& format, uint32_t size) {
  if (!format.Valid() || size < format.BlockAlign()) return nullptr;
  size -= size % format.BlockAlign();
  std::shared_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[size]);
  if (!data) return nullptr;
  std::memset(data.get(), format.bits == 8 ? 0x80 : 0, size);
  auto* buffer = new AudioBuffer(*this, format, size, std::move(data));
  std::lock_guard lock(mutex_);
  buffers_.push_back(buffer);
  return buffer;
}

AudioBuffer* AudioMixer::DuplicateBuffer(AudioBuffer* source) {
  if (!source) return nullptr;
  std::lock_guard lock(mutex_);
  auto* copy = new AudioBuffer(*this, source->format_, source->size_, source->data_);
  copy->volume_ = source->volume_;
  copy->pan_ = source->pan_;
  copy->frequency_ = source->frequency_;
  copy->UpdateGains();
  copy->UpdateStep();
  buffers_.push_back(copy);
  return copy;
}

void AudioMixer::ReleaseBuffer(AudioBuffer* buffer) {
  if (!buffer) return;
  {
    std::lock_guard lock(mutex_);
    std::erase(buffers_, buffer);
  }
  delete buffer;
}

void AudioMixer::Mix(int16_t* out, uint32_t frames) {
  bool raised = false;
  std::lock_guard lock(mutex_);
  while (frames > 0) {
    const uint32_t chunk = std::min(frames, kChunkFrames);
    std::fill_n(scratch_, chunk * 2, 0.0f);
    for (AudioBuffer* buffer : buffers_) raised |= buffer->MixInto(scratch_, chunk);
    for (uint32_t i = 0; i < chunk * 2; ++i) out[i] = ToSample(scratch_[i]);
    out += chunk * 2;
    frames -= chunk;
  }
  if (raised) Wake();
}

void AudioMixer::Wake() {
  if (!wake_pending_.exchange(true)) wake_.release();
}

bool AudioMixer::WaitForNotification(uint32_t ms) {
  const bool woken = wake_.try_acquire_for(std::chrono::milliseconds(ms));
  if (woken) wake_pending_.store(false);
  return woken;
}

}  // namespace os
