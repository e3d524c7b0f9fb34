// A movie's sound on the mixer: a looping buffer written ahead of its play cursor.
#include "YEL/media/movie_audio.h"

#include <algorithm>
#include <cstring>

#include "YEL/media/sound_system.h"

namespace yel {
namespace {

constexpr uint32_t kBufferBytes = 44100 * 4;  // one second
// Bytes ahead of the play cursor left unwritten: the mixer may be mixing them right now.
constexpr uint32_t kCursorMargin = 4096;
// Queued sound beyond this is dropped (samples, two seconds): nobody is playing it.
constexpr size_t kMaxPending = 44100 * 2 * 2;

}  // namespace

MovieAudio::MovieAudio() : sound_(Sound()) {
  if (!sound_) return;
  buffer_ = sound_->mixer.CreateBuffer(os::PcmFormat{}, kBufferBytes);
  if (buffer_) size_ = buffer_->Size();
}

MovieAudio::~MovieAudio() {
  // A sound system stopped before the movie has taken its buffers with it.
  if (buffer_ && Sound() == sound_) sound_->mixer.ReleaseBuffer(buffer_);
}

bool MovieAudio::Clocked() const {
  return buffer_ && sound_->device && sound_->device->PullsAudio();
}

void MovieAudio::Start() {
  if (!buffer_) return;
  Stop();
  std::memset(buffer_->Data(), 0, size_);
  buffer_->SetPosition(0);
  last_cursor_ = 0;
  played_ = written_ = 0;
  buffer_->Play(true);
}

void MovieAudio::Stop() {
  if (!buffer_) return;
  buffer_->Stop();
  pending_.clear();
}

void MovieAudio::SetVolume(int32_t hundredths_db) {
  if (buffer_) buffer_->SetVolume(hundredths_db);
}

void MovieAudio::Queue(const std::vector<int16_t>& samples) {
  if (!buffer_) return;
  pending_.insert(pending_.end(), samples.begin(), samples.end());
  Write();
  if (pending_.size() > kMaxPending) {
    pending_.erase(pending_.begin(), pending_.end() - kMaxPending);
  }
}

void MovieAudio::Service() {
  if (!buffer_) return;
  const uint32_t cursor = buffer_->Position() % size_;
  const uint32_t passed = (cursor + size_ - last_cursor_) % size_;
  // What was played is cleared, so a late write leaves silence rather than an echo.
  buffer_->WriteWrapped(last_cursor_, nullptr, passed);
  last_cursor_ = cursor;
  played_ += passed;
  written_ = std::max(written_, played_);
  Write();
}

void MovieAudio::Write() {
  const uint64_t ahead = written_ - played_;
  const uint64_t limit = size_ - kCursorMargin;
  if (ahead >= limit || pending_.empty()) return;
  // Close to an underrun, new sound goes the margin ahead of the cursor, never where the mixer
  // may be reading right now; the bytes skipped were cleared when they last played.
  if (ahead < kCursorMargin) {
    written_ = played_ + kCursorMargin;
    return Write();
  }
  uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(limit - ahead, pending_.size() * 2));
  bytes &= ~3u;
  const auto* from = reinterpret_cast<const uint8_t*>(pending_.data());
  buffer_->WriteWrapped(static_cast<uint32_t>(written_ % size_), from, bytes);
  written_ += bytes;
  pending_.erase(pending_.begin(), pending_.begin() + bytes / 2);
}

int64_t MovieAudio::PlayedMs() const {
  return static_cast<int64_t>(played_ * 10 / 1764);  // 176.4 bytes a millisecond
}

bool MovieAudio::Drained() const {
  return pending_.empty() && written_ <= played_;
}

}  // namespace yel
