// The action block of the snapshot image: the active set, the clear requests and stop flags, and
// every running set with its non-empty lines. Written and read field by field, little-endian.
#pragma once

#include <cstdint>

#include "program/layers/action_records.h"

namespace adv {

struct AdvContext;
class SnapshotWriter;
class SnapshotReader;

void AdvActionSave(const ActionManager& actions, SnapshotWriter& out);
// Decodes the block; false (with the reason in the reader) when a set index, line index,
// section count or kind lies outside its table.
bool AdvActionRead(SnapshotReader& in, SavedActions& saved);
// Puts the decoded sets into a manager just reset: each restored set starts again at `now` from
// the first section of every line, in its saved mode with its saved length.
void AdvActionLoad(AdvContext& context, const SavedActions& saved, uint32_t now);

}  // namespace adv
