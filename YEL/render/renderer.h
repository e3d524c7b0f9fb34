// The renderer back-end as the life cycle sees it: created at start, reset when the window
// changes, released at the end. Until a back-end is created a frame presents nothing.
#pragma once

#include <cstdint>

#include "YEL/yel.h"
#include "os/window.h"

namespace yel {

struct YelSystem;

// Creates the hardware (flags bit 3) or software back-end; false when it cannot start.
bool RendererCreate(YelSystem& system, bool hardware);
// False while the library is built without a hardware back-end.
bool RendererHardwareBuilt();
void RendererRelease(YelSystem& system);
// The window is about to go: the back-end lets go of it and shows frames nowhere after.
void RendererDetachWindow(YelSystem& system);
bool RendererCreateTextureSlots(YelSystem& system);
bool RendererCreateCaptureTexture(YelSystem& system);
// The back buffer follows a new client size; false when the device refused it.
bool RendererResize(YelSystem& system, int width, int height);
// Applies an aspect mode for a window-mode client of `width` x `height` and returns the
// resulting view rectangle (UI thread).
os::Rect RendererSetAspect(YelSystem& system, int aspect_mode, bool full_screen, int width,
                           int height);
// Restores a lost device: 0 restored (or nothing to restore), 1 still lost.
int RendererRestoreDevice(YelSystem& system);
// The record that draw callbacks receive; null while no back-end exists.
YelCore* RendererCore(YelSystem& system);
// Begins a frame cleared to `clear_colour`; false when nothing can be drawn now (device lost).
bool RendererBeginFrame(YelSystem& system, uint32_t clear_colour);
// The thread that drew frames draws no more: it lets go of what binds the back-end to it.
void RendererThreadDone(YelSystem& system);
// Ends the frame and shows it.
void RendererEndFrame(YelSystem& system);
// Begins and ends drawing into the current render target without showing it; false when the
// back-end cannot draw into targets.
bool RendererBeginTarget(YelSystem& system, uint32_t clear_colour);
void RendererEndTarget(YelSystem& system);

}  // namespace yel
