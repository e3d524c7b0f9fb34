// Command group 0x0A, the slot files: what a save screen asks of a slot (exists, lock, date and
// time, user memory) and the copy, move, delete and lock of slot files. Every read is bounded by
// the file's size; copies and changed files are written whole through a temporary file.
#include <cstring>

#include "os/ini_file.h"
#include "os/paths.h"
#include "os/plain_file.h"
#include "program/commands/save_commands.h"
#include "program/game/adv_context.h"
#include "program/savedata/save_files.h"
#include "program/savedata/snapshot_image.h"
#include "program/script/command_args.h"

namespace adv {
namespace {

constexpr int32_t kSlotLast = 999;

int32_t* NewestSlot(AdvContext& context) {
  return context.task_data ? &context.task_data->system.settings.newest_save_slot : nullptr;
}

bool ReadWordAt(const os::ReadOnlyFile& file, uint64_t offset, uint32_t* word) {
  uint8_t bytes[4];
  if (!file.ReadExactAt(offset, bytes, 4)) return false;
  *word = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
          uint32_t{bytes[3]} << 24;
  return true;
}

// UserMemory cell `index` of an image: it follows the thumbnail whose byte count the file itself
// records.
bool ReadUserMemoryCell(const os::ReadOnlyFile& file, int32_t index, int32_t* value) {
  uint32_t thumbnail = 0;
  uint32_t word = 0;
  if (index < 0 || index >= kUserMemoryCells ||
      !ReadWordAt(file, kImageThumbnailBytesOffset, &thumbnail) ||
      thumbnail > kSnapshotBufferSize ||
      !ReadWordAt(file, uint64_t{kImageThumbnailOffset} + thumbnail + 4u * index, &word)) {
    return false;
  }
  *value = static_cast<int32_t>(word);
  return true;
}

int CmdSaveGetTime(AdvContext& context) {
  const auto [slot, hour, minute, second] = PopArgs<4>(context);
  os::LocalDateTime time;
  if (!SlotFileTime(slot, &time)) return 1;
  SetTempMemory(context, hour, time.hour, "save_get_time");
  SetTempMemory(context, minute, time.minute, "save_get_time");
  SetTempMemory(context, second, time.second, "save_get_time");
  return 1;
}

int CmdSaveGetDate(AdvContext& context) {
  const auto [slot, year, month, day, weekday] = PopArgs<5>(context);
  os::LocalDateTime time;
  if (!SlotFileTime(slot, &time)) return 1;
  SetTempMemory(context, year, time.year, "save_get_date");
  SetTempMemory(context, month, time.month, "save_get_date");
  SetTempMemory(context, day, time.day, "save_get_date");
  SetTempMemory(context, weekday, time.weekday, "save_get_date");
  return 1;
}

bool SlotHasData(int32_t slot) {
  const std::string path = os::DiskPath(SlotFilePath(slot));
  if (!os::IsFile(path)) return false;
  std::unique_ptr<os::ReadOnlyFile> file = os::ReadOnlyFile::Open(path);
  return file && file->Size() > 0;
}

int CmdIsSave(AdvContext& context) {
  const int32_t slot = PopArg(context);
  int32_t result = 0;
  if (slot == -1) {
    for (int32_t i = 0; i <= kSlotLast && !result; ++i) result = SlotHasData(i) ? 1 : 0;
  } else {
    result = SlotHasData(slot) ? 1 : 0;
  }
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] is_save %d", result, slot);
  return 1;
}

int CmdSaveGetUserMemory(AdvContext& context) {
  const auto [slot, index] = PopArgs<2>(context);
  std::unique_ptr<os::ReadOnlyFile> file = OpenSlotFile(slot);
  int32_t value = 0;
  if (!file || !ReadUserMemoryCell(*file, index, &value)) {
    if (file) AdvDebugPrint(kLogTrace, "open error SaveFileNo(%d)", slot);
    return 1;
  }
  SetCommandResult(context, value);
  AdvDebugPrint(kLogTrace, "[%d] save_get_usermemory", value);
  return 1;
}

int CmdHistSaveGetUserMemory(AdvContext& context) {
  const auto [counter, index] = PopArgs<2>(context);
  std::string path;
  HistFilePath(static_cast<uint32_t>(counter), &path);
  const std::string disk = os::DiskPath(path);
  if (!os::IsFile(disk)) {
    AdvDebugPrint(kLogTrace, "No SaveData. Therefore disregards");
    return 1;
  }
  std::unique_ptr<os::ReadOnlyFile> file = os::ReadOnlyFile::Open(disk);
  int32_t value = 0;
  if (!file || !ReadUserMemoryCell(*file, index, &value)) {
    AdvDebugPrint(kLogTrace, "open error SaveFileNo(%d)", counter);
    return 1;
  }
  SetCommandResult(context, value);
  AdvDebugPrint(kLogTrace, "[%d] histsave_get_usermemory", value);
  return 1;
}

int CmdDeleteFile(AdvContext& context) {
  const int32_t slot = PopArg(context);
  const std::string path = SlotOrContinuePath(slot);
  const bool deleted = os::RemoveFile(os::DiskPath(path));
  int32_t* newest = NewestSlot(context);
  if (deleted && newest && *newest == slot) *newest = -1;
  SetCommandResult(context, deleted ? 1 : 0);
  AdvDebugPrint(kLogTrace, "delete_file %s", path.c_str());
  return 1;
}

// Swaps the files of two slots through "save_tmp.dat". A swap that fails half way is undone, so
// every file keeps a name; a "save_tmp.dat" left by an interrupted run may be the only copy of a
// slot, so it is never replaced or deleted and the swap is refused while it is there. When only
// one of the two slots has a file, it moves to the other slot.
bool SwapSlotFiles(const std::string& a, const std::string& b, bool move_a) {
  const std::string temp = os::DiskPath(SaveFolderPath("save_tmp.dat"));
  if (os::IsFile(temp) || os::IsFolder(temp)) return false;
  const bool has_a = move_a && os::IsFile(a);
  const bool has_b = os::IsFile(b);
  if (!has_a && !has_b) return false;
  if (has_b && !os::RenameFile(b, temp)) return false;
  if (has_a && !os::RenameFile(a, b)) {
    if (has_b) os::RenameFile(temp, b);
    return false;
  }
  if (has_b && !os::RenameFile(temp, a)) {
    if (has_a) os::RenameFile(b, a);
    os::RenameFile(temp, b);
    return false;
  }
  return true;
}

int CmdMoveFile(AdvContext& context) {
  const auto [a, b] = PopArgs<2>(context);
  const std::string path_a = SlotFilePath(a);
  const std::string path_b = SlotFilePath(b);
  const bool moved = SwapSlotFiles(os::DiskPath(path_a), os::DiskPath(path_b), a != -1);
  int32_t* newest = NewestSlot(context);
  if (moved && newest) {
    if (*newest == b) {
      *newest = a;
    } else if (*newest == a) {
      *newest = b;
    }
  }
  SetCommandResult(context, moved ? 1 : 0);
  AdvDebugPrint(kLogTrace, "move_file %s, %s", path_a.c_str(), path_b.c_str());
  return 1;
}

int CmdCopyFile(AdvContext& context) {
  const auto [destination, source] = PopArgs<2>(context);
  const std::string to = SlotFilePath(destination);
  const std::string from = SlotFilePath(source);
  std::string bytes;
  const bool copied = os::ReadWholeFile(os::DiskPath(from), bytes, kSnapshotBufferSize) ==
                          os::FileReadStatus::kOk &&
                      os::WriteFileAtomically(os::DiskPath(to), bytes);
  int32_t* newest = NewestSlot(context);
  if (copied && newest && *newest == source) *newest = destination;
  SetCommandResult(context, copied ? 1 : 0);
  AdvDebugPrint(kLogTrace, "copy_file %s, %s", to.c_str(), from.c_str());
  return 1;
}

// The file is replaced whole with the new lock word and keeps its last-write time, so the date
// a save screen shows does not change.
int CmdSaveLock(AdvContext& context) {
  const auto [slot, value] = PopArgs<2>(context);
  const std::string path = os::DiskPath(SlotOrContinuePath(slot));
  std::string bytes;
  os::FileTime written;
  const bool locked =
      os::FileModifiedTime(path, written) &&
      os::ReadWholeFile(path, bytes, kSnapshotBufferSize) == os::FileReadStatus::kOk &&
      bytes.size() >= 4;
  if (!locked) {
    AdvDebugPrint(kLogTrace, "save_lock not open SaveFileNo(%d)", slot);
    return 1;
  }
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
  if (!os::WriteFileAtomically(path, bytes)) {
    AdvDebugPrint(kLogTrace, "save_lock not open SaveFileNo(%d)", slot);
    return 1;
  }
  os::SetFileModifiedTime(path, written);
  AdvDebugPrint(kLogTrace, "save_lock %d, %d", slot, value);
  return 1;
}

int CmdIsSaveLock(AdvContext& context) {
  const int32_t slot = PopArg(context);
  const std::string path = os::DiskPath(SlotOrContinuePath(slot));
  std::unique_ptr<os::ReadOnlyFile> file =
      os::IsFile(path) ? os::ReadOnlyFile::Open(path) : nullptr;
  uint32_t lock = 0;
  if (file && !ReadWordAt(*file, kImageLockOffset, &lock)) lock = 0;
  SetCommandResult(context, static_cast<int32_t>(lock));
  AdvDebugPrint(kLogTrace, "[%d] is_save_lock", static_cast<int32_t>(lock));
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x03, CmdSaveGetTime}, {0x08, CmdSaveGetDate},
    {0x09, CmdIsSave},      {0x0A, CmdSaveGetUserMemory},
    {0x1C, CmdDeleteFile},  {0x1D, CmdMoveFile},
    {0x1E, CmdCopyFile},    {0x20, CmdSaveLock},
    {0x21, CmdIsSaveLock},  {0x28, CmdHistSaveGetUserMemory},
};

}  // namespace

const CommandSlotList kSaveSlotCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
