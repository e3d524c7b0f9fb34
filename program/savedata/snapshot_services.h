// Save points and scene rebuilds as the interpreter uses them. So far the snapshot holds what the
// interpreter itself keeps (the resume offset and the return records); the blocks of the other
// subsystems join it with the save code.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

// Load-after offset := none, snapshot-ready and save-point lock := 0 (part of the scene reset).
void SaveStateReset(AdvContext& context);
// Unless the save-point lock is set: resume offset := `resume`, cursor := 0 and SaveSnapshot.
void TakeSavePoint(AdvContext& context, uint32_t resume);
// Writes the snapshot image of the current state; the cursor ends at its length.
void SaveSnapshot(AdvContext& context);
// Resets the scene and rebuilds it from the image last written, then calls the label at `offset`
// (from the code origin) as a subroutine returning to the resume point; offset 0 calls nothing
// and stops the pass instead.
void ReloadSnapshotAt(AdvContext& context, uint32_t offset);

}  // namespace adv
