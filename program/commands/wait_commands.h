// Command group 0x07 (`CmdGroupWait`): timed, click and sync waits. A waiting command sets the
// stop flag and moves the program counter back over its own call so that it runs again next
// frame, unless a forced skip runs; the click wait pushes a script point and leaves the wait to
// the message window's text wait. The handlers read the frame clock and the skip word; the steps
// below take both, so that the clock and the input can come from elsewhere.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

inline constexpr uint32_t kWaitForever = 0xFFFFFFFF;

// One run of each waiting command at frame time `now` with the frame's skip word `skip`.
int AdvWaitStep(AdvContext& context, uint32_t now, int32_t skip);
int AdvWaitClickStep(AdvContext& context, uint32_t now, int32_t skip);
int AdvWaitClickNoAnimStep(AdvContext& context, uint32_t now, int32_t skip);
int AdvWaitSyncStep(AdvContext& context, uint32_t now, int32_t skip);
void AdvWaitSyncBegin(AdvContext& context, uint32_t now);
// Ends a running wait for whoever waits: see wait_clear.
void AdvWaitClear(AdvContext& context);

}  // namespace adv
