// Input hooks with no devices read: the key words change only through the window procedure's
// posted codes, and the cursor is the system's.
#include "YEL/core/input.h"

#include "YEL/core/system.h"

namespace yel {

void InputInitialize(YelSystem&) {}
void InputRelease(YelSystem&) {}
void InputPoll(YelSystem&) {}
void InputClear(YelSystem& system) { system.touch.bits = 0; }
void InputWindowMessage(YelSystem&, const os::Message&) {}
void JoystickReacquire(YelSystem&) {}
void CursorApplyCustom(YelSystem&) {}
void CursorRelease(YelSystem&) {}
bool CursorOverGameView(YelSystem&) { return false; }
void CursorRestartAutoHide(YelSystem&) {}

}  // namespace yel
