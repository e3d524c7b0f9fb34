// Input as the life cycle and the window procedure see it: polled once per frame on the main
// thread, fed by the window procedure on the UI thread.
#pragma once

#include "os/message_queue.h"

namespace yel {

struct YelSystem;

void InputInitialize(YelSystem& system);
void InputRelease(YelSystem& system);
// Updates the key words from the devices; main thread, top of every frame.
void InputPoll(YelSystem& system);
// Forgets every key held (the window lost the focus).
void InputClear(YelSystem& system);
// A key or pointer message seen by the window procedure.
void InputWindowMessage(YelSystem& system, const os::Message& message);
void JoystickReacquire(YelSystem& system);
// The custom cursor: set on the window, released at the end.
void CursorApplyCustom(YelSystem& system);
void CursorRelease(YelSystem& system);
// True when the pointer lies over the game view.
bool CursorOverGameView(YelSystem& system);
// Restarts the timer that hides an idle cursor over the game view.
void CursorRestartAutoHide(YelSystem& system);

}  // namespace yel
