// A playing movie: a decode thread that writes each picture into a texture when the movie's
// clock reaches its presentation time, and feeds the sound to the mixer. The clock is the
// sound device's played samples when a device plays the mixer, else the frame clock
// (YeltimeGetTime), so a movie runs to its end without any sound device.
//
// Threads: the owner (one thread at a time) calls every member; the decode thread writes the
// texture under its pixel lock (a drawer that holds the same lock never sees half a picture),
// and reports progress through atomics and the change counter.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "YEL/media/movie_audio.h"
#include "YEL/media/movie_decoder.h"

struct YelTexture;

namespace yel {

// Codes of a movie's events.
enum : int { kMovieComplete = 1, kMovieUserAbort = 2, kMovieErrorAbort = 3 };

class MoviePlayer {
 public:
  // Called on the decode thread when the movie completes or fails.
  using EventSink = std::function<void(int code)>;

  // Plays `decoder` into `texture` (of the decoder's size); with `with_sound` the sound goes to
  // the running sound system's mixer.
  MoviePlayer(std::unique_ptr<MovieDecoder> decoder, YelTexture* texture, bool with_sound);
  ~MoviePlayer();
  MoviePlayer(const MoviePlayer&) = delete;
  MoviePlayer& operator=(const MoviePlayer&) = delete;

  int32_t Width() const { return decoder_->Width(); }
  int32_t Height() const { return decoder_->Height(); }
  int64_t DurationMs() const { return decoder_->DurationMs(); }
  bool HasSound() const { return audio_ != nullptr; }
  void SetEventSink(EventSink sink) { sink_ = std::move(sink); }

  // Starts the decode thread from the current position; false when it cannot start.
  bool Run();
  bool Running() const { return thread_.joinable(); }
  // Ends the decode thread; the position stays for the next run.
  void Stop();
  // Sets the range of the next run: from `start_ms` until `stop_ms` (0: the end). Stopped only.
  void SetPositions(int64_t start_ms, int64_t stop_ms);
  // The time of the last picture shown (or of the start set), and the end of the range.
  int64_t PositionMs() const { return position_ms_.load(); }
  int64_t StopMs() const { return stop_ms_; }
  // True once when the run reached the end of its range (or of the file).
  bool TakeCompleted() { return completed_.exchange(false); }
  bool Failed() const { return failed_.load(); }
  uint32_t FramesShown() const { return frames_shown_.load(); }
  void SetVolume(int32_t hundredths_db);

  // A count that rises with every picture shown and every end of a run; WaitForChange waits
  // up to `ms` for it to pass `seen` and returns the count.
  uint64_t Changes() const;
  uint64_t WaitForChange(uint64_t seen, uint32_t ms);

 private:
  void Body();
  // Plays until the range or the file ends; the event code, or 0 when stopped.
  int PlayLoop();
  // Waits until the clock reaches `ms`, serving the sound meanwhile; false when stopping.
  bool WaitForClock(int64_t ms);
  void StartClock();
  int64_t ClockNow() const;
  void Show();
  void Changed();

  std::unique_ptr<MovieDecoder> decoder_;
  YelTexture* texture_;
  std::unique_ptr<MovieAudio> audio_;
  EventSink sink_;
  std::thread thread_;

  // Owner's words, read by the decode thread only while it runs (set before it starts).
  int64_t stop_ms_ = 0;
  bool seek_pending_ = false;
  int64_t seek_ms_ = 0;
  // The decode thread's words between runs.
  bool frame_held_ = false;  // a picture received but not shown when the run stopped
  bool ended_ = false;       // the file was decoded to its end
  int64_t clock_base_ms_ = 0;
  uint32_t clock_mark_ = 0;

  std::atomic<int64_t> position_ms_{0};
  std::atomic<bool> completed_{false};
  std::atomic<bool> failed_{false};
  std::atomic<uint32_t> frames_shown_{0};

  mutable std::mutex mutex_;  // guards stop_ and changes_
  std::condition_variable wake_;
  bool stop_ = false;
  uint64_t changes_ = 0;
};

}  // namespace yel
