// Window modes, window size and aspect: requests from any thread, carried out on the UI thread.
#pragma once

#include "os/window.h"

namespace yel {

struct YelSystem;

// The desktop: the fixed one when set, else the primary display's.
os::Rect DesktopRect();
// The switch itself (UI thread): 1 full screen, 0 window.
// False when the window refused the new mode (it then stays in the old one).
bool WindowChangeMode(YelSystem& system, int mode);
// Gives the window a new client size (UI thread).
void WindowChangeSize(YelSystem& system, int width, int height);
// Fits the game picture by a new aspect mode (UI thread).
void WindowChangeAspect(YelSystem& system, int aspect_mode);
// Moves the window without resizing it (UI thread).
void WindowSetPosition(YelSystem& system, int x, int y);
// The frame rectangle a drag of `edge` should have so that the client keeps the game's aspect.
enum class SizingEdge { kLeft, kRight, kTop, kTopLeft, kTopRight, kBottom, kBottomLeft, kBottomRight };
os::Rect WindowSizing(int game_width, int game_height, SizingEdge edge, os::Rect frame);

}  // namespace yel
