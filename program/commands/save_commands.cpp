// Command group 0x0A: save points, save and load, history snapshots and the settings of what a
// save records; and the group's handler table, put together from the slot lists of its concerns.
#include "program/commands/save_commands.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "os/paths.h"
#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/layers/action_manager.h"
#include "program/layers/sprite_loader.h"
#include "program/savedata/save_files.h"
#include "program/savedata/snapshot_services.h"
#include "program/savedata/thumbnail_capture.h"
#include "program/script/command_args.h"
#include "program/script/instructions.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

constexpr uint32_t kSaveSlotCount = 0x29;
constexpr int32_t kSlotLast = 999;
constexpr int32_t kPreviousSlot = 1000;
constexpr int32_t kHistoryPositionCell = 509;
constexpr uint32_t kLoadInputBlockMs = 100;
constexpr int32_t kTitleSize = 260;
// Block size of a mosaic thumbnail made of a loaded image.
constexpr int32_t kThumbnailMosaicBlock = 6;

std::array<CommandHandler, kSaveSlotCount> BuildSaveSlots() {
  std::array<CommandHandler, kSaveSlotCount> table{};
  for (const CommandSlotList* list :
       {&kSaveStateCommandSlots, &kSaveSlotCommandSlots, &kSaveDrawCommandSlots}) {
    for (size_t i = 0; i < list->count; ++i) {
      const CommandSlot& slot = list->slots[i];
      // Runs before main: a slot outside the group or claimed twice keeps the first claim.
      if (slot.index < kSaveSlotCount && !table[slot.index]) table[slot.index] = slot.handler;
    }
  }
  return table;
}

int32_t* NewestSlot(AdvContext& context) {
  return context.task_data ? &context.task_data->system.settings.newest_save_slot : nullptr;
}

// What every load does once the image is restored: the history position comes from the image,
// action sets 7 and 8 end, no previous image stays, a fresh save point is taken, button input
// pauses, and the load-after label runs as a subroutine (none: the pass stops).
void FinishLoad(AdvContext& context, int32_t history_position) {
  context.values.system_memory[kHistoryPositionCell] = history_position;
  AdvActionAbortLoadSets(context);
  TextClickCarryReset();
  context.save.previous_raw_length = 0;
  TakeSavePoint(context, context.script.pc);
  context.buttons.input_block = InputBlock{yel::YeltimeGetTime(), kLoadInputBlockMs};
}

void CallLoadAfter(AdvContext& context) {
  if (context.save.load_after == kNoLoadAfter) {
    context.script.stop = 1;
    return;
  }
  PushDataEntry(context, kListReturnPoint, context.script.pc, kReturnContinue);
  context.script.pc = context.script.origin + context.save.load_after;
}

int CmdSave(AdvContext& context) {
  const auto [slot, newest] = PopArgs<2>(context);
  if (static_cast<uint32_t>(slot) > kSlotLast) {
    AdvDebugPrint(kLogError, "error : save file no [%d]", slot);
    return 1;
  }
  const std::string path = SlotFilePath(slot);
  // A save writes the game as it was at the last save point: before the first one there is
  // nothing to write.
  if (!context.save.snapshot_ready) {
    AdvDebugPrint(kLogError, "save error [%s] : no save point taken yet", path.c_str());
    return 1;
  }
  // The newest slot names a file only once that file is written whole.
  if (WriteSaveFile(context, path) && newest) {
    if (int32_t* newest_slot = NewestSlot(context)) *newest_slot = slot;
  }
  AdvDebugPrint(kLogTrace, "save  %s", path.c_str());
  return 1;
}

// A slot that cannot be read, or a previous image that does not exist, ends the command with the
// game as it was.
int CmdLoad(AdvContext& context) {
  const int32_t slot = PopArg(context);
  std::string image;
  if (slot == kPreviousSlot) {
    if (!SnapshotExpand(context, &image)) {
      AdvDebugPrint(kLogError, "error : load prev : no previous data");
      return 1;
    }
    AdvDebugPrint(kLogTrace, "load prev");
  } else if (slot >= 0 && slot <= kSlotLast) {
    const std::string path = SlotFilePath(slot);
    if (!ReadSaveFile(path, &image)) return 1;
    AdvDebugPrint(kLogTrace, "load %s", path.c_str());
  } else {
    AdvDebugPrint(kLogError, "error : load file no [%d]", slot);
    return 1;
  }
  if (!RestoreSnapshot(context, image)) return 1;
  FinishLoad(context, context.save.restored_history_position);
  CallLoadAfter(context);
  return 1;
}

int CmdSaveSetTitle(AdvContext& context) {
  const uint32_t title = static_cast<uint32_t>(PopArg(context));
  context.save.title = title;
  uint8_t text[kTitleSize] = {};
  AdvGetString(context, text, sizeof text, title);
  AdvDebugPrint(kLogTrace, "save_set_title %s", reinterpret_cast<const char*>(text + 4));
  return 1;
}

int CmdSaveSetThumbnailSize(AdvContext& context) {
  const auto [width, height] = PopArgs<2>(context);
  if (!SetThumbnailSize(context, width, height)) {
    AdvDebugPrint(kLogError, "save_set_thumbnail_size  %d, %d : size refused", width, height);
    return 1;
  }
  AdvDebugPrint(kLogTrace, "save_set_thumbnail_size  %d, %d", width, height);
  return 1;
}

int CmdSaveSetFontSize(AdvContext& context) {
  const int32_t size = PopArg(context);
  context.save.font_size = static_cast<uint16_t>(size);
  AdvDebugPrint(kLogTrace, "save_set_font_size %d", size);
  return 1;
}

int CmdSavePoint(AdvContext& context) {
  const int32_t n = PopArg(context);
  if (n == kPreviousSlot) {
    SnapshotCompress(context);
  } else {
    TakeSavePoint(context, context.script.pc);
  }
  AdvDebugPrint(kLogTrace, "save_point %d", n);
  return 1;
}

int CmdSaveThumbnailMosaicSet(AdvContext& context) {
  const int32_t flag = PopArg(context);
  context.save.mosaic = flag;
  AdvDebugPrint(kLogTrace, "save_thumbnail_mosaic_set %d", flag);
  return 1;
}

int CmdSaveSetTextRect(AdvContext& context) {
  const auto [width, height] = PopArgs<2>(context);
  context.save.text_rect_width = width;
  context.save.text_rect_height = height;
  AdvDebugPrint(kLogTrace, "save_set_text_rect  %d, %d", width, height);
  return 1;
}

int CmdGetNewSaveFile(AdvContext& context) {
  const int32_t* newest = NewestSlot(context);
  const int32_t slot = newest ? *newest : -1;
  SetCommandResult(context, slot);
  AdvDebugPrint(kLogTrace, "[%d] get_new_savefile", slot);
  return 1;
}

// The expansion is cut to the save text, at a character boundary.
int CmdSaveSetText(AdvContext& context) {
  const uint32_t reference = static_cast<uint32_t>(PopArg(context));
  std::array<uint8_t, kSaveTextSize + 4> entry{};
  AdvGetString(context, entry.data(), entry.size(), reference);
  std::array<char, kSaveTextSize> expanded{};
  AdvTextExpand(context, expanded.data(), expanded.size(),
                reinterpret_cast<const char*>(entry.data() + 4));
  SaveTextSet(context, expanded.data(), strnlen(expanded.data(), expanded.size() - 1));
  AdvDebugPrint(kLogTrace, "save_set_text %s", context.save.save_text.data());
  return 1;
}

int CmdThumbnailRenew(AdvContext& context) {
  if (!context.save.capture) return 1;
  ThumbnailCapture(context);
  AdvDebugPrint(kLogTrace, "thumbnail_renew");
  return 1;
}

int CmdSaveSetFontType(AdvContext& context) {
  const int32_t type = PopArg(context);
  context.save.font_type = static_cast<uint16_t>(type);
  AdvDebugPrint(kLogTrace, "save_set_font_type %d", type);
  return 1;
}

// A label that "Point.dat" does not hold leaves the load-after offset as it was.
int CmdSetLoadAfterProcess(AdvContext& context) {
  const int32_t label = PopArg(context);
  uint32_t offset = 0;
  if (label == -1) {
    context.save.load_after = kNoLoadAfter;
  } else if (LabelOffset(context, static_cast<uint32_t>(label), &offset)) {
    context.save.load_after = offset;
  }
  AdvDebugPrint(kLogTrace, "set_load_after_process %d", label);
  return 1;
}

int CmdSaveSystemData(AdvContext& context) {
  if (context.task_data) SaveSystemFiles(*context.task_data);
  return 1;
}

int CmdSaveSetFontEffect(AdvContext& context) {
  const int32_t effect = PopArg(context);
  context.save.font_effect = static_cast<uint16_t>(effect);
  AdvDebugPrint(kLogTrace, "save_set_font_effect %d", effect);
  return 1;
}

int CmdSaveSetFontColor(AdvContext& context) {
  const auto [text, effect] = PopArgs<2>(context);
  context.save.text_colour = static_cast<uint32_t>(text);
  context.save.effect_colour = static_cast<uint32_t>(effect);
  AdvDebugPrint(kLogTrace, "save_set_font_color 0x%06X, 0x%06X", text, effect);
  return 1;
}

// Copies the sprite's pixels out: empty when it has none to give.
std::vector<uint32_t> SpritePixels(YelSprite* sprite, int32_t* width, int32_t* height) {
  YelSpriteInfo info{};
  if (!yel::YelSpriteGetInfo(sprite, &info) || info.image_width <= 0 || info.image_height <= 0)
    return {};
  int32_t pitch = 0;
  int32_t rows = 0;
  const uint32_t* locked = yel::YelSpriteLock(sprite, &pitch, &rows);
  if (!locked) return {};
  *width = std::min<int32_t>(info.image_width, pitch);
  *height = std::min<int32_t>(info.image_height, rows);
  std::vector<uint32_t> pixels(static_cast<size_t>(*width) * static_cast<size_t>(*height));
  for (int32_t y = 0; y < *height; ++y) {
    std::memcpy(&pixels[static_cast<size_t>(y) * *width], locked + static_cast<size_t>(y) * pitch,
                static_cast<size_t>(*width) * 4);
  }
  yel::YelSpriteUnlock(sprite);
  return pixels;
}

// An image file becomes the thumbnail of the saves that follow, scaled to the thumbnail size;
// an image that cannot be loaded or read leaves the thumbnail black.
int CmdLoadThumbnail(AdvContext& context) {
  const uint32_t file = static_cast<uint32_t>(PopArg(context));
  SaveState& save = context.save;
  if (file == kNoReference) {
    save.capture = 1;
    return 1;
  }
  save.capture = 0;
  uint8_t name[33] = {};
  AdvGetFileName(context, name, file, true);
  const char* text = reinterpret_cast<const char*>(name);
  YelSprite* sprite = AdvSpriteLoadUnlocked(context, text, AdvWindowWidth, AdvWindowHeight, 0);
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
  if (sprite) {
    pixels = SpritePixels(sprite, &width, &height);
    yel::YelSpriteRelease(yel::YelRenderGetActive(), sprite);
  }
  const size_t thumbnail_pixels =
      static_cast<size_t>(std::max(save.thumbnail_width, 0)) * std::max(save.thumbnail_height, 0);
  if (pixels.empty() || save.thumbnail.size() < thumbnail_pixels * 4 || thumbnail_pixels == 0) {
    std::fill(save.thumbnail.begin(), save.thumbnail.end(), uint8_t{0});
    return 1;
  }
  auto* target = reinterpret_cast<uint32_t*>(save.thumbnail.data());
  const int scaled =
      IsThumbnailMosaic(context)
          ? yel::YelThumbnailCreateMosaicEx(target, save.thumbnail_width, save.thumbnail_height,
                                            pixels.data(), width, height, kThumbnailMosaicBlock)
          : yel::YelThumbnailCreateEx(target, save.thumbnail_width, save.thumbnail_height,
                                      pixels.data(), width, height);
  if (!scaled) std::fill(save.thumbnail.begin(), save.thumbnail.end(), uint8_t{0});
  AdvDebugPrint(kLogTrace, "load_thumbnail %s", text);
  return 1;
}

int CmdIsPrevData(AdvContext& context) {
  const int32_t exists = context.save.previous_raw_length != 0 ? 1 : 0;
  SetCommandResult(context, exists);
  AdvDebugPrint(kLogTrace, "[%d] is_prev_data", exists);
  return 1;
}

int CmdSavePointClear(AdvContext& context) {
  context.save.snapshot_ready = 0;
  context.save.previous_raw_length = 0;
  AdvDebugPrint(kLogTrace, "save_point_clear");
  return 1;
}

int CmdSavePointLock(AdvContext& context) {
  const int32_t value = PopArg(context);
  context.save.save_point_lock = value;
  AdvDebugPrint(kLogTrace, "save_point_lock %d", value);
  return 1;
}

int CmdHistorySave(AdvContext& context) {
  HistorySnapshotSave(context);
  return 1;
}

// The history skip in progress survives the restore; the loaded scene then stops.
int CmdHistoryLoad(AdvContext& context) {
  const uint32_t counter = static_cast<uint32_t>(PopArg(context));
  const int32_t skip = context.skip.history_skip;
  const uint32_t target = context.skip.history_skip_target;
  std::string path;
  const bool short_path = HistFilePath(counter, &path);
  std::string image;
  if (!short_path || !os::IsFile(os::DiskPath(path))) {
    AdvDebugPrint(kLogError, "history_load [%s] - path not enough length or not found",
                  path.c_str());
    SetCommandResult(context, 0);
    return 1;
  }
  AdvDebugPrint(kLogTrace, "history_load [%s]", path.c_str());
  context.save.history_restore = true;
  const bool restored = ReadSaveFile(path, &image) && RestoreSnapshot(context, image);
  context.save.history_restore = false;
  if (!restored) {
    SetCommandResult(context, 0);
    return 1;
  }
  FinishLoad(context, context.save.restored_history_counter + 1);
  context.skip.history_skip = skip;
  context.skip.history_skip_target = target;
  context.script.stop = 1;
  AdvDebugPrint(kLogTrace, "history_load ok [%s]", path.c_str());
  SetCommandResult(context, -1);
  return 1;
}

int CmdIsHistorySave(AdvContext& context) {
  const uint32_t counter = static_cast<uint32_t>(PopArg(context));
  std::string path;
  const bool exists = HistFilePath(counter, &path) && os::IsFile(os::DiskPath(path));
  SetCommandResult(context, exists ? 1 : 0);
  return 1;
}

constexpr CommandSlot kStateSlots[] = {
    {0x00, CmdSave},
    {0x01, CmdLoad},
    {0x02, CmdSaveSetTitle},
    {0x04, CmdSaveSetThumbnailSize},
    {0x07, CmdSaveSetFontSize},
    {0x0B, CmdSavePoint},
    {0x0C, CmdSaveThumbnailMosaicSet},
    {0x0F, CmdSaveSetTextRect},
    {0x11, CmdGetNewSaveFile},
    {0x15, CmdSaveSetText},
    {0x16, CmdThumbnailRenew},
    {0x17, CmdSaveSetFontType},
    {0x18, CmdSetLoadAfterProcess},
    {0x19, CmdSaveSystemData},
    {0x1A, CmdSaveSetFontEffect},
    {0x1B, CmdSaveSetFontColor},
    {0x1F, CmdLoadThumbnail},
    {0x22, CmdIsPrevData},
    {0x23, CmdSavePointClear},
    {0x24, CmdSavePointLock},
    {0x25, CmdHistorySave},
    {0x26, CmdHistoryLoad},
    {0x27, CmdIsHistorySave},
};

// Filled before main runs: the slot lists it reads are constant-initialised.
const std::array<CommandHandler, kSaveSlotCount> kSaveSlots = BuildSaveSlots();

}  // namespace

const CommandSlotList kSaveStateCommandSlots = {kStateSlots, std::size(kStateSlots)};
const CommandHandlers kCmdGroupSaveHandlers = {kSaveSlots.data(), kSaveSlotCount};

void SetTempMemory(AdvContext& context, int32_t index, int32_t value, const char* command) {
  if (index < 0 || index >= kTempMemoryCells) {
    AdvDebugPrint(kLogError, "%s : memory index %d out of range", command, index);
    return;
  }
  context.values.temp_memory[static_cast<size_t>(index)] = value;
}

}  // namespace adv
