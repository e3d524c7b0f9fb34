// Window modes and window size as the window procedure and YelRun use them.
#pragma once

namespace yel {

struct YelSystem;

// 1 full screen, 0 window.
void WindowChangeMode(YelSystem& system, int mode);
// Gives the window a new client size.
void WindowChangeSize(YelSystem& system, int width, int height);

}  // namespace yel
