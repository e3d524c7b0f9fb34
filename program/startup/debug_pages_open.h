// The game's own debug pages (debug mode only).
#pragma once

namespace adv {

// Opens the pages that "setting.ini" (section "DebugWindow") does not switch off; on a first run
// (no "setting.ini") the pages after "system" start hidden.
void DebugPagesOpen();

}  // namespace adv
