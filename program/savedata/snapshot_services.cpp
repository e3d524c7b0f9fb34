#include "program/savedata/snapshot_services.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/savedata/snapshot_image.h"
#include "program/savedata/snapshot_pack.h"
#include "program/savedata/thumbnail_capture.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kReloadInputBlockMs = 100;

bool AllocateZeroed(std::vector<uint8_t>& bytes, size_t size) {
  try {
    std::vector<uint8_t>(size, 0).swap(bytes);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void Free(std::vector<uint8_t>& bytes) {
  std::vector<uint8_t>().swap(bytes);
}

// The rebuild shared by the reloads: the image last written or read is restored, and the label
// at `offset` runs as a subroutine that returns to the resume point (`none`: no label, the pass
// stops). Without a given offset, the load-after label of the restored image is called.
bool Reload(AdvContext& context, std::optional<uint32_t> given, uint32_t none) {
  SaveState& save = context.save;
  if (save.cursor == 0 || save.image_overflow || save.buffer.size() < save.cursor) {
    AdvDebugPrint(kLogError, "load error : no snapshot to rebuild from");
    return false;
  }
  const std::string image(reinterpret_cast<const char*>(save.buffer.data()), save.cursor);
  if (!RestoreSnapshot(context, image)) return false;
  const uint32_t offset = given ? *given : save.load_after;
  save.snapshot_ready = 1;
  context.buttons.input_block = InputBlock{yel::YeltimeGetTime(), kReloadInputBlockMs};
  if (offset == none) {
    context.script.stop = 1;
    return true;
  }
  PushDataEntry(context, kListReturnPoint, context.script.pc, kReturnContinue);
  context.script.pc = context.script.origin + offset;
  return true;
}

}  // namespace

bool SaveStateInit(AdvContext& context) {
  SaveState& save = context.save;
  save.thumbnail_width = AdvWindowWidth / 10;
  save.thumbnail_height = AdvWindowHeight / 10;
  save.capture = 1;
  save.resume_offset = 0;
  save.snapshot_ready = 0;
  save.save_point_lock = 0;
  save.previous_raw_length = 0;
  save.cursor = 0;
  const size_t thumbnail = size_t{4} * save.thumbnail_width * save.thumbnail_height;
  if (!AllocateZeroed(save.buffer, kSnapshotBufferSize) ||
      !AllocateZeroed(save.previous, PackedBound(kSnapshotBufferSize)) ||
      !AllocateZeroed(save.thumbnail, thumbnail)) {
    SaveStateRelease(context);
    AdvDebugPrint(kLogError, "saveload initialize error");
    yel::YelEnd();
    return false;
  }
  return true;
}

void SaveStateReset(AdvContext& context) {
  SaveState& save = context.save;
  save.load_after = kNoLoadAfter;
  save.snapshot_ready = 0;
  save.save_point_lock = 0;
  save.capture = 1;
}

void SaveStateRelease(AdvContext& context) {
  Free(context.save.thumbnail);
  Free(context.save.previous);
  Free(context.save.buffer);
  context.save.cursor = 0;
  context.save.previous_raw_length = 0;
}

void TakeSavePoint(AdvContext& context, uint32_t resume) {
  if (context.save.save_point_lock) return;
  context.save.resume_offset = resume;
  context.save.cursor = 0;
  SaveSnapshot(context);
}

bool SaveSnapshot(AdvContext& context) {
  SaveState& save = context.save;
  if (save.buffer.size() < kSnapshotBufferSize) return false;  // before SaveStateInit
  if (save.capture) ThumbnailCapture(context);
  uint32_t length = 0;
  save.image_overflow = !EncodeSnapshot(context, save.buffer.data(), kSnapshotBufferSize, &length);
  save.cursor = length;
  save.snapshot_ready = 1;
  if (save.image_overflow) {
    AdvDebugPrint(kLogError, "save buffer over");
    AdvErrorLog("save buffer over: the game state does not fit the %u-byte snapshot",
                kSnapshotBufferSize);
    return false;
  }
  return true;
}

bool RestoreSnapshot(AdvContext& context, std::string_view bytes) {
  std::string error;
  std::unique_ptr<SnapshotImage> image = DecodeSnapshot(bytes, &error);
  if (!image) {
    AdvDebugPrint(kLogError, "load error : %s", error.c_str());
    return false;
  }
  AdvResetState(context);
  ApplySnapshot(context, *image);
  SaveState& save = context.save;
  const uint32_t length = static_cast<uint32_t>(bytes.size());
  if (save.buffer.size() >= length && bytes.data() != reinterpret_cast<char*>(save.buffer.data())) {
    std::memcpy(save.buffer.data(), bytes.data(), length);
  }
  save.image_overflow = false;
  save.cursor = save.image_end = length;
  return true;
}

bool ReloadSnapshot(AdvContext& context) {
  return Reload(context, std::nullopt, kNoLoadAfter);
}

bool ReloadSnapshotAt(AdvContext& context, uint32_t offset) {
  return Reload(context, offset, 0);
}

void SnapshotCompress(AdvContext& context) {
  SaveState& save = context.save;
  save.previous_raw_length = 0;
  save.previous_packed_length = 0;
  if (save.image_overflow || save.cursor == 0 || save.previous.empty()) return;
  const size_t packed =
      PackWords(save.buffer.data(), save.cursor, save.previous.data(), save.previous.size());
  if (packed == 0) return;
  save.previous_raw_length = save.cursor;
  save.previous_packed_length = static_cast<uint32_t>(packed);
}

bool SnapshotExpand(AdvContext& context, std::string* image) {
  const SaveState& save = context.save;
  if (save.previous_raw_length == 0) return false;
  std::string bytes;
  try {
    bytes.resize((size_t{save.previous_raw_length} + 3) / 4 * 4);
  } catch (const std::bad_alloc&) {
    return false;
  }
  size_t length = 0;
  if (!UnpackWords(save.previous.data(), save.previous_packed_length,
                   reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), &length) ||
      length < save.previous_raw_length) {
    return false;
  }
  bytes.resize(save.previous_raw_length);
  image->swap(bytes);
  return true;
}

void SaveTextSet(AdvContext& context, const char* text, size_t length) {
  std::array<char, kSaveTextSize>& save_text = context.save.save_text;
  length = std::min<size_t>(length, kSaveTextSize - 1);
  save_text.fill(0);
  std::memcpy(save_text.data(), text, length);
}

bool IsThumbnailMosaic(const AdvContext& context) {
  if (context.save.mosaic) return true;
  return context.task_data && context.task_data->system.settings.thumbnail_mosaic != 0;
}

bool SetThumbnailSize(AdvContext& context, int32_t width, int32_t height) {
  if (width < 0 || height < 0) return false;
  const uint64_t count = uint64_t{4} * static_cast<uint32_t>(width) * static_cast<uint32_t>(height);
  if (count > kSnapshotBufferSize) return false;
  std::vector<uint8_t> pixels;
  if (!AllocateZeroed(pixels, static_cast<size_t>(count))) return false;
  SaveState& save = context.save;
  save.thumbnail.swap(pixels);
  save.thumbnail_width = width;
  save.thumbnail_height = height;
  return true;
}

}  // namespace adv
