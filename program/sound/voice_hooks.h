// Voice hooks: eight labels pairs keyed by the beginning of a voice's file name. The start label
// runs as a subroutine when a voiced line's voice starts, the end label once the voices of that
// line have ended or were cut. Hooks are not saved.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

// The hook (0-7) whose prefix begins the current line's voice name, or -1.
int32_t AdvVoiceMixFind(AdvContext& context);

// Runs the label at `offset` (from the code origin) as a subroutine inside the caller, until its
// ret. A label that waits or ends before its ret is cut there: its return record is dropped and
// the caller goes on from where it called, as it would after the ret. False when it was cut.
bool RunHookLabel(AdvContext& context, uint32_t offset);

}  // namespace adv
