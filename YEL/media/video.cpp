// Full-screen video hooks with no video player: no video ever plays.
#include "YEL/media/video.h"

namespace yel {

void VideoStep(YelSystem&) {}
void VideoSuspend(YelSystem&) {}
void VideoResume(YelSystem&) {}
void VideoHandleEvents(YelSystem&) {}

}  // namespace yel
