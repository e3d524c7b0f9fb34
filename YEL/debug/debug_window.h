// The debug window as the life cycle sees it (debug mode only): its pages and its control tasks.
#pragma once

#include <cstdint>

namespace yel {

struct YelSystem;

// Creates the "system" page and places the window from "setting.ini".
void DebugWindowCreate(YelSystem& system);
void DebugWindowDestroy(YelSystem& system);
// Ends the running debug control task, or starts one (1 sprite control, 2 camera control).
void DebugControlTaskToggle(YelSystem& system, uintptr_t kind);

}  // namespace yel
