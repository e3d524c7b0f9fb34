// Saved games in the save folder: slots "save%03d.dat" (0-999), "continue.dat", history snapshots
// "hist%08x.dat" and the swap name "save_tmp.dat". Every file holds one snapshot image.
//
// A file is never left half written: the image goes to a temporary file that is flushed and then
// renamed over the old one, so a failed or interrupted save keeps the old file whole. Files are
// read whole into a buffer of their own, never beyond the 2 MiB of an image, and are decoded and
// checked before anything of the running game changes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "os/file_system.h"
#include "os/file_times.h"

namespace adv {

struct AdvContext;

inline constexpr size_t kHistoryPathLimit = 520;
// System memory cells: the current history snapshot number and the running counter.
inline constexpr int32_t kHistoryPositionCell = 509;
inline constexpr int32_t kHistoryCounterCell = 511;

// Engine paths (CP932, "\" between folders) in the save folder.
std::string SaveFolderPath(const std::string& name);
std::string SlotFilePath(int32_t slot);        // "save%03d.dat" for any number
std::string SlotOrContinuePath(int32_t slot);  // slot -1 names "continue.dat"
// The history path of a counter; false when it is 520 characters or longer.
bool HistFilePath(uint32_t counter, std::string* path);

// Writes the current image with the current save text (and thumbnail, when its size is the one
// the image records) to `path`. Refused, with the file left as it was, when no complete image
// exists; a failed write shows the capacity message and keeps the old file. True when written.
bool WriteSaveFile(AdvContext& context, const std::string& path);
// Reads a whole save file (at most 2 MiB) into `image`; false after "load error [%s]".
bool ReadSaveFile(const std::string& path, std::string* image);

// When history snapshots are on: the history counter (system memory word 511) advances, becomes
// the current history position (word 509) and word 0 of the history point, and the image is
// written as "hist%08x.dat" of it.
void HistorySnapshotSave(AdvContext& context);
// Deletes the history snapshots that no history line names any more: neither a line (nor the
// history position) of the running game nor one of a slot file. Nothing is deleted when any
// save in the folder cannot be read.
void HistoryFilesPrune(AdvContext& context);

// A slot file (or "continue.dat" for -1) opened for reading; null after "No SaveData.
// Therefore disregards" (when missing) and "open error SaveFileNo(%d)".
std::unique_ptr<os::ReadOnlyFile> OpenSlotFile(int32_t slot);
// The last-write time of a slot file in local time; false as OpenSlotFile.
bool SlotFileTime(int32_t slot, os::LocalDateTime* time);

}  // namespace adv
