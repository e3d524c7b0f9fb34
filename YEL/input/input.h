// Input as the life cycle and the window procedure see it: polled once per frame on the main
// thread, fed by the window procedure on the UI thread (see input_state.h for who owns what).
#pragma once

#include <cstdint>

#include "os/message_queue.h"

namespace yel {

struct YelSystem;

// Opens the joystick, notes the touch device and sets the arrow cursor; UI thread, at start.
void InputInitialize(YelSystem& system);
// Closes the joystick and frees the cursor; UI thread, after the other threads stopped.
void InputRelease(YelSystem& system);
// Updates the key, mouse and joystick words from the devices; main thread, top of every frame.
void InputPoll(YelSystem& system);
// Applies an input code that the window procedure posted (WM_YEL_CALL); main thread.
void InputApplyCode(YelSystem& system, uintptr_t code, intptr_t value);
// The window lost the focus: the key words and the mouse buttons seen so far are forgotten.
void InputClear(YelSystem& system);
// Notes what a key, button or pointer message says about the devices; UI thread.
void InputWindowMessage(YelSystem& system, const os::Message& message);
// True while the key or mouse button of a virtual key is down.
bool InputKeyDown(const YelSystem& system, uint32_t virtual_key);
// Opens the joystick again when it went away; UI thread, after device changes.
void JoystickReacquire(YelSystem& system);

// Maps a client coordinate on one axis into game coordinates: (pos - origin) / extent x game
// extent, truncated toward zero; -1 when the result falls outside -game extent..game extent - 1.
int32_t MapPointerAxis(int pos, int origin, int extent, int game_extent);

// The custom cursor: made and shown on the window, released at the end; UI thread.
void CursorApplyCustom(YelSystem& system);
void CursorRelease(YelSystem& system);
// True when the pointer lies over the game view (the view rectangle in full screen, the client
// area in window mode, edges included).
bool CursorOverGameView(const YelSystem& system);
// Restarts (or stops) the timer that hides an idle cursor over the game view; UI thread.
void CursorRestartAutoHide(YelSystem& system);
// The pointer's last client position; false when it is not known.
bool PointerPosition(const YelSystem& system, int& x, int& y);
void SetPointerPosition(YelSystem& system, int x, int y);

// The power-of-two switch of the hardware renderer's capture textures.
bool PowerOfTwoCaptures(const YelSystem& system);

}  // namespace yel
