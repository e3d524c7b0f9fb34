// The debug window (debug mode only): a second window beside the game's with the status rows, a
// menu of the pages and the rows of the page shown, whose values can be edited.
//
// Threads: the window belongs to the UI thread, which creates, draws and destroys it. The main
// thread refreshes what it shows (DebugFrameStep, every frame) and asks the UI thread to draw.
#pragma once

#include <cstdint>

namespace yel {

struct YelSystem;

// UI thread at start: the page "system" and, when a window can be had, the debug window placed
// from "setting.ini" (without one the pages still collect their rows and files).
void DebugWindowCreate(YelSystem& system);
// UI thread at the end: saves the placements, removes every page, closes the window.
void DebugWindowDestroy(YelSystem& system);
// Whether the debug window's state exists (debug mode, from its creation to its end).
bool DebugWindowExists();

// Main thread, after the task walk: refreshes the status rows (every 200 ms) and the value
// pages (every second) under the render lock, and has the window drawn again.
void DebugFrameStep(YelSystem& system, uint32_t now);

// Redrawing of the window stops from YelBeginUpdate to YelEndUpdate.
void DebugWindowLockRedraw(bool locked);

// Ends the running debug control tool, or starts one (1 sprite control, 2 camera control).
void DebugControlTaskToggle(YelSystem& system, uintptr_t kind);

}  // namespace yel
