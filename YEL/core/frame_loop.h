// The main thread's frames: one frame's work, then the messages between two frames.
#pragma once

#include <cstdint>

namespace yel {

struct YelSystem;

// Sleeps out the rest of each frame's share of a second, measured from the end of the previous
// pacing. A late frame is not made up.
class FramePacer {
 public:
  void Pace(int32_t frame_rate, int32_t pacing_mode);

 private:
  bool started_ = false;
  bool zero_reported_ = false;
  uint32_t last_ = 0;
};

// Frames per second, counted over each second in debug mode.
class FrameCounter {
 public:
  void Count(YelSystem& system);

 private:
  uint32_t since_ = 0;
  int frames_ = 0;
  int measured_ = 0;
};

// Main thread: RunFrame, then BetweenFrames, until BetweenFrames reports the quit.
class FrameLoop {
 public:
  // One frame at frame time `now`: input poll, task walk under the render lock, pacing, present.
  void RunFrame(YelSystem& system, uint32_t now);
  // Clears the words that last one frame, then handles the thread's messages (input codes from
  // the window, window requests forwarded to the UI thread); true once the quit came.
  bool BetweenFrames(YelSystem& system);

 private:
  FramePacer pacer_;
  FrameCounter counter_;
};

}  // namespace yel
