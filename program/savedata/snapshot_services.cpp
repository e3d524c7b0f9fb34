#include "program/savedata/snapshot_services.h"

#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kReloadInputBlockMs = 100;

// The return records, oldest first, as the image stores them.
void SaveReturnList(AdvContext& context) {
  SaveState& save = context.save;
  save.return_offsets.clear();
  const int32_t count = yel::YelListGetDataCount(context.display_queue, kListReturnPoint);
  for (int32_t i = count - 1; i >= 0; --i) {
    const auto* entry = reinterpret_cast<const DataEntry*>(
        yel::YelListGetData(context.display_queue, kListReturnPoint, i));
    if (entry) save.return_offsets.push_back(entry->offset);
  }
}

// Records come back with tag 0, the most recent at the front.
void RestoreReturnList(AdvContext& context) {
  for (uint32_t offset : context.save.return_offsets) {
    PushDataEntry(context, kListReturnPoint, offset, kReturnContinue);
  }
}

}  // namespace

void SaveStateReset(AdvContext& context) {
  SaveState& save = context.save;
  save.load_after = kNoLoadAfter;
  save.snapshot_ready = 0;
  save.save_point_lock = 0;
}

void TakeSavePoint(AdvContext& context, uint32_t resume) {
  if (context.save.save_point_lock) return;
  context.save.resume_offset = resume;
  context.save.cursor = 0;
  SaveSnapshot(context);
}

void SaveSnapshot(AdvContext& context) {
  SaveReturnList(context);
  context.save.cursor = static_cast<uint32_t>(8 + 4 * context.save.return_offsets.size());
  context.save.snapshot_ready = 1;
}

void ReloadSnapshotAt(AdvContext& context, uint32_t offset) {
  // The image outlives the reset, which clears what the save state keeps for the scene.
  const SaveState image = context.save;
  AdvResetState(context);
  context.save.resume_offset = image.resume_offset;
  context.save.load_after = image.load_after;
  context.save.return_offsets = image.return_offsets;
  context.save.cursor = image.cursor;
  RestoreReturnList(context);
  context.script.pc = image.resume_offset;
  context.save.snapshot_ready = 1;
  context.buttons.input_block = InputBlock{yel::YeltimeGetTime(), kReloadInputBlockMs};
  if (offset == 0) {
    context.script.stop = 1;
    return;
  }
  PushDataEntry(context, kListReturnPoint, context.script.pc, kReturnContinue);
  context.script.pc = context.script.origin + offset;
}

}  // namespace adv
