// The decode thread of a movie: pictures timed by their presentation times against the movie's
// clock, written straight into the texture; sound queued to the mixer as it is decoded.
#include "YEL/media/movie_player.h"

#include <algorithm>
#include <chrono>

#include "YEL/render/texture.h"
#include "YEL/yel.h"

namespace yel {
namespace {

// How often a waiting decode thread looks at the clock again.
constexpr int64_t kClockPollMs = 4;

}  // namespace

MoviePlayer::MoviePlayer(std::unique_ptr<MovieDecoder> decoder, YelTexture* texture,
                         bool with_sound)
    : decoder_(std::move(decoder)), texture_(texture) {
  if (with_sound && decoder_->HasAudio()) {
    audio_ = std::make_unique<MovieAudio>();
    if (!audio_->Valid()) audio_.reset();
  }
}

MoviePlayer::~MoviePlayer() {
  Stop();
}

bool MoviePlayer::Run() {
  if (Running()) return true;
  {
    std::lock_guard lock(mutex_);
    stop_ = false;
  }
  completed_ = false;
  failed_ = false;
  // The clock starts now, on the caller's thread, so a clock moved after Run counts.
  StartClock();
  try {
    thread_ = std::thread([this] { Body(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void MoviePlayer::Stop() {
  if (!Running()) return;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
  if (audio_) audio_->Stop();
}

void MoviePlayer::SetPositions(int64_t start_ms, int64_t stop_ms) {
  if (Running()) return;
  seek_pending_ = true;
  seek_ms_ = std::max<int64_t>(start_ms, 0);
  stop_ms_ = std::max<int64_t>(stop_ms, 0);
  position_ms_ = seek_ms_;
}

void MoviePlayer::SetVolume(int32_t hundredths_db) {
  if (audio_) audio_->SetVolume(hundredths_db);
}

uint64_t MoviePlayer::Changes() const {
  std::lock_guard lock(mutex_);
  return changes_;
}

uint64_t MoviePlayer::WaitForChange(uint64_t seen, uint32_t ms) {
  std::unique_lock lock(mutex_);
  wake_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return changes_ > seen; });
  return changes_;
}

void MoviePlayer::Changed() {
  {
    std::lock_guard lock(mutex_);
    ++changes_;
  }
  wake_.notify_all();
}

void MoviePlayer::Body() {
  if (seek_pending_) {
    seek_pending_ = false;
    frame_held_ = ended_ = false;
    if (!decoder_->Seek(seek_ms_) && seek_ms_ > 0) {
      failed_ = true;
    }
  }
  if (audio_) audio_->Start();
  const int code = failed_ ? kMovieErrorAbort : PlayLoop();
  if (code == kMovieComplete) completed_ = true;
  if (code == kMovieErrorAbort) failed_ = true;
  // The buffer loops: once the run is over nothing may play on from it.
  if (code != 0 && audio_) audio_->Stop();
  Changed();
  if (code != 0 && sink_) sink_(code);
}

int MoviePlayer::PlayLoop() {
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stop_) return 0;
    }
    if (ended_) return kMovieComplete;
    const MovieDecoder::Item item = frame_held_ ? MovieDecoder::Item::kVideo : decoder_->Next();
    frame_held_ = false;
    if (item == MovieDecoder::Item::kError) return kMovieErrorAbort;
    if (item == MovieDecoder::Item::kEnd) {
      ended_ = true;
      // The last picture is shown for its whole length, and the sound decoded last plays out,
      // before the movie counts as complete.
      const double rate = decoder_->FrameRate();
      const int64_t length = rate > 0 ? static_cast<int64_t>(1000.0 / rate) : 0;
      if (!WaitForClock(position_ms_.load() + length)) return 0;
      while (audio_ && audio_->Clocked() && !audio_->Drained()) {
        if (!WaitForClock(ClockNow() + kClockPollMs)) return 0;
      }
      return kMovieComplete;
    }
    if (item == MovieDecoder::Item::kAudio) {
      if (audio_) audio_->Queue(decoder_->Audio());
      continue;
    }
    const int64_t at = decoder_->FrameTimeMs();
    if (at < seek_ms_) continue;  // before the start of the range after a seek
    if (stop_ms_ > 0 && at >= stop_ms_) {
      frame_held_ = true;
      return kMovieComplete;
    }
    if (!WaitForClock(at)) {
      frame_held_ = true;
      return 0;
    }
    Show();
    position_ms_ = at;
  }
}

void MoviePlayer::StartClock() {
  clock_base_ms_ = position_ms_.load();
  clock_mark_ = YeltimeGetTime();
}

int64_t MoviePlayer::ClockNow() const {
  if (audio_ && audio_->Clocked()) return clock_base_ms_ + audio_->PlayedMs();
  return clock_base_ms_ + static_cast<uint32_t>(YeltimeGetTime() - clock_mark_);
}

bool MoviePlayer::WaitForClock(int64_t ms) {
  for (;;) {
    if (audio_) audio_->Service();
    const int64_t now = ClockNow();
    std::unique_lock lock(mutex_);
    if (stop_) return false;
    if (now >= ms) return true;
    wake_.wait_for(lock, std::chrono::milliseconds(std::min(ms - now, kClockPollMs)),
                   [&] { return stop_; });
  }
}

void MoviePlayer::Show() {
  int32_t width = 0, height = 0;
  uint32_t* pixels = TextureLockPixels(texture_, &width, &height);
  // A texture that cannot be locked, or a picture of another size, skips this frame.
  bool written = false;
  if (pixels && height == decoder_->Height()) written = decoder_->ConvertFrame(pixels, width);
  if (pixels) TextureUnlockPixels(texture_, written);
  if (written) frames_shown_.fetch_add(1);
  Changed();
}

}  // namespace yel
