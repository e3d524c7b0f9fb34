#include "program/savedata/save_files.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "os/encoding.h"
#include "os/ini_file.h"
#include "os/message_box.h"
#include "os/paths.h"
#include "os/plain_file.h"
#include "program/game/adv_context.h"
#include "program/savedata/snapshot_image.h"
#include "program/script/engine_log.h"
#include "program/startup/startup_names.h"

namespace adv {
namespace {

constexpr const char* kCapacityMessage =
    "セーブに失敗しました。\n保存先の容量が不足していないか確認してください。";
constexpr const char* kOverflowMessage =
    "セーブに失敗しました。\nゲームの状態がセーブデータの上限を超えています。";

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return uint32_t{bytes[offset]} | uint32_t{bytes[offset + 1]} << 8 |
         uint32_t{bytes[offset + 2]} << 16 | uint32_t{bytes[offset + 3]} << 24;
}

// The box is the player's only sign that the game was not saved.
void ShowSaveFailure(const char* message) {
  os::ShowMessageBox(message, os::Cp932ToUtf8(Startup().product_name), os::BoxButtons::kOk,
                     os::BoxIcon::kWarning);
}

// The save text always goes in; the thumbnail only when the image's head records the current
// size, so that the pixels never disagree with the width, height and count stored before them.
void PatchImage(SaveState& save) {
  std::memcpy(save.buffer.data() + kImageSaveTextOffset, save.save_text.data(), kSaveTextSize);
  const std::vector<uint8_t>& image = save.buffer;
  const bool same_size =
      static_cast<int32_t>(WordAt(image, kImageThumbnailWidthOffset)) == save.thumbnail_width &&
      static_cast<int32_t>(WordAt(image, kImageThumbnailHeightOffset)) == save.thumbnail_height &&
      WordAt(image, kImageThumbnailBytesOffset) == save.thumbnail.size();
  if (same_size && !save.thumbnail.empty()) {
    std::memcpy(save.buffer.data() + kImageThumbnailOffset, save.thumbnail.data(),
                save.thumbnail.size());
  }
}

bool IsHistoryFileName(const std::string& name, uint32_t* counter) {
  unsigned value = 0;
  int used = 0;
  if (name.size() != 16 || std::sscanf(name.c_str(), "hist%8x.dat%n", &value, &used) != 1 ||
      used != 16) {
    return false;
  }
  *counter = value;
  return true;
}

// Slots, "continue.dat", and "save_tmp.dat", which an interrupted swap may have left holding a
// slot's only copy.
bool IsSlotFileName(const std::string& name) {
  return name == "continue.dat" || (name.size() > 8 && name.compare(0, 4, "save") == 0 &&
                                    name.compare(name.size() - 4, 4, ".dat") == 0);
}

// The history snapshot numbers an image refers to: its history lines and its history position.
bool CollectHistoryRefs(const std::string& disk_path, std::set<uint32_t>* refs) {
  std::string bytes;
  if (os::ReadWholeFile(disk_path, bytes, kSnapshotBufferSize) != os::FileReadStatus::kOk) {
    return false;
  }
  std::string error;
  std::unique_ptr<SnapshotImage> image = DecodeSnapshot(bytes, &error);
  if (!image) return false;
  for (int32_t i = 0; i < image->history_count; ++i) {
    if (image->history[i].file_number >= 0) refs->insert(image->history[i].file_number);
  }
  refs->insert(static_cast<uint32_t>(image->history_position));
  return true;
}

}  // namespace

std::string SaveFolderPath(const std::string& name) {
  return Startup().save_folder + "\\" + name;
}

std::string SlotFilePath(int32_t slot) {
  char name[32];
  std::snprintf(name, sizeof name, "save%03d.dat", slot);
  return SaveFolderPath(name);
}

std::string SlotOrContinuePath(int32_t slot) {
  return slot == -1 ? SaveFolderPath("continue.dat") : SlotFilePath(slot);
}

bool HistFilePath(uint32_t counter, std::string* path) {
  char name[32];
  std::snprintf(name, sizeof name, "hist%08x.dat", counter);
  *path = SaveFolderPath(name);
  return path->size() < kHistoryPathLimit;
}

bool WriteSaveFile(AdvContext& context, const std::string& path) {
  SaveState& save = context.save;
  if (save.image_overflow) {
    AdvDebugPrint(kLogError, "save error [%s] : the snapshot did not fit", path.c_str());
    ShowSaveFailure(kOverflowMessage);
    return false;
  }
  if (save.cursor < kImageThumbnailOffset || save.buffer.size() < save.cursor) return false;
  PatchImage(save);
  const std::string image(reinterpret_cast<const char*>(save.buffer.data()), save.cursor);
  if (!os::WriteFileAtomically(os::DiskPath(path), image)) {
    AdvDebugPrint(kLogError, "save error [%s]", path.c_str());
    ShowSaveFailure(kCapacityMessage);
    return false;
  }
  return true;
}

bool ReadSaveFile(const std::string& path, std::string* image) {
  switch (os::ReadWholeFile(os::DiskPath(path), *image, kSnapshotBufferSize)) {
    case os::FileReadStatus::kOk:
      return true;
    case os::FileReadStatus::kRefused:
      AdvDebugPrint(kLogError, "load error [%s] : not a file of at most %u bytes", path.c_str(),
                    kSnapshotBufferSize);
      return false;
    default:
      AdvDebugPrint(kLogError, "load error [%s]", path.c_str());
      return false;
  }
}

void HistorySnapshotSave(AdvContext& context) {
  if (!context.history.save_files) return;
  auto& memory = context.values.system_memory;
  const int32_t counter = ++memory[kHistoryCounterCell];
  memory[kHistoryPositionCell] = counter;
  context.skip.history_point[0] = counter;
  std::string path;
  if (!HistFilePath(static_cast<uint32_t>(counter), &path)) return;
  WriteSaveFile(context, path);
  AdvDebugPrint(kLogTrace, "history_save %s", path.c_str());
}

void HistoryFilesPrune(AdvContext& context) {
  const std::string folder = os::DiskPath(Startup().save_folder);
  std::vector<os::FolderEntry> entries;
  if (folder.empty() || !os::ListFolder(folder, entries)) return;
  std::set<uint32_t> present;
  std::set<uint32_t> needed;
  for (const os::FolderEntry& entry : entries) {
    uint32_t counter = 0;
    if (entry.is_folder) continue;
    if (IsHistoryFileName(entry.name, &counter)) {
      present.insert(counter);
    } else if (IsSlotFileName(entry.name) &&
               !CollectHistoryRefs(folder + "/" + entry.name, &needed)) {
      return;  // a save that cannot be read may refer to any of them
    }
  }
  // Only the snapshots a history line names directly are kept, not those the snapshots' own
  // history names in turn: in a long run each snapshot names the ones before it, so following
  // them would keep every snapshot ever written. A jump back makes the loaded snapshot's lines
  // the running game's, and those are kept at the next prune.
  const auto& memory = context.values.system_memory;
  for (int32_t i = 0; i < context.history.count; ++i) {
    if (context.history.entries[i].file_number >= 0) {
      needed.insert(context.history.entries[i].file_number);
    }
  }
  needed.insert(static_cast<uint32_t>(memory[kHistoryPositionCell]));
  needed.insert(static_cast<uint32_t>(context.skip.history_point[0]));
  for (uint32_t counter : present) {
    std::string path;
    HistFilePath(counter, &path);
    if (!needed.count(counter)) os::RemoveFile(os::DiskPath(path));
  }
}

std::unique_ptr<os::ReadOnlyFile> OpenSlotFile(int32_t slot) {
  const std::string path = os::DiskPath(SlotOrContinuePath(slot));
  if (!os::IsFile(path) && !os::IsFolder(path)) {
    AdvDebugPrint(kLogTrace, "No SaveData. Therefore disregards");
    AdvDebugPrint(kLogTrace, "open error SaveFileNo(%d)", slot);
    return nullptr;
  }
  std::unique_ptr<os::ReadOnlyFile> file = os::ReadOnlyFile::Open(path);
  if (!file) AdvDebugPrint(kLogTrace, "open error SaveFileNo(%d)", slot);
  return file;
}

bool SlotFileTime(int32_t slot, os::LocalDateTime* time) {
  if (!OpenSlotFile(slot)) return false;
  os::FileTime written;
  if (!os::FileModifiedTime(os::DiskPath(SlotOrContinuePath(slot)), written)) return false;
  *time = os::ToLocalDateTime(written);
  return true;
}

}  // namespace adv
