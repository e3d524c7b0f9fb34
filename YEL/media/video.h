// Full-screen video as the frame loop and the window procedure see it.
#pragma once

namespace yel {

struct YelSystem;

// Steps a playing video once per frame.
void VideoStep(YelSystem& system);
// Releases a playing video's objects around a window or device change, keeping the movie flag.
void VideoSuspend(YelSystem& system);
void VideoResume(YelSystem& system);
// Takes the video's pending events (its end, or an error that restarts it).
void VideoHandleEvents(YelSystem& system);
// At the end of the library: a video still playing is released, and every movie sprite's decode
// thread stops, before the sound system and the renderer go.
void VideoRelease(YelSystem& system);

}  // namespace yel
