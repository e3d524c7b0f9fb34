// The window procedure: runs on the UI thread for every message of the one main window.
#pragma once

#include <cstdint>

#include "os/message_queue.h"

namespace yel {

struct YelSystem;

intptr_t YelWindowProc(const os::Message& message);

// Private window messages (the main thread's requests, the end, UI-thread calls).
intptr_t HandlePrivateWindowMessage(YelSystem& system, const os::Message& message);

// The cursor's display counter, kept as the window procedure needs it.
void ShowCursorNow();
void HideCursorNow(const YelSystem& system);

}  // namespace yel
