// The renderer back-end as the life cycle sees it: created at start, reset when the window
// changes, released at the end. Until a back-end is created a frame presents nothing.
#pragma once

#include "os/window.h"

namespace yel {

struct YelSystem;

// Creates the hardware (flags bit 3) or software back-end; false when it cannot start.
bool RendererCreate(YelSystem& system, bool hardware);
void RendererRelease(YelSystem& system);
bool RendererCreateTextureSlots(YelSystem& system);
bool RendererCreateCaptureTexture(YelSystem& system);
// The back buffer follows a new client size; false when the device refused it.
bool RendererResize(YelSystem& system, int width, int height);
// Applies an aspect mode and returns the resulting view rectangle.
os::Rect RendererSetAspect(YelSystem& system, int aspect_mode);
// Restores a lost device: 0 restored (or nothing to restore), 1 still lost.
int RendererRestoreDevice(YelSystem& system);
// Draws the active render list and shows the frame.
void RendererPresent(YelSystem& system);

}  // namespace yel
