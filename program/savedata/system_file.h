// "system.dat": the player's settings, the sound settings, the script's system memory and which
// texts and files have been seen, kept from one run to the next in the save folder. Also the
// check whether the compiled script changed since, and the removal of the save data.
//
// Layout, all numbers little-endian:
//   0     2     version (27; written, not checked on reading)
//   2     816   SystemSettings, 204 words
//   818   2944  sound settings (written and read by the sound code)
//   3762  4096  SystemMemory, 1024 cells
//   7858  4     n, then n bytes of the text-read bitmap
//   ...   4     m, then m bytes of the file-state map
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "program/data/game_files.h"
#include "program/savedata/save_folder_file.h"

namespace adv {

inline constexpr uint16_t kSystemDataVersion = 27;
inline constexpr size_t kSystemSettingsWords = 204;
inline constexpr size_t kSystemSettingsSize = 816;
inline constexpr size_t kSoundSettingsSize = 2944;
inline constexpr size_t kSystemMemoryCells = 1024;
// Version, settings, sound settings and system memory: the part before the two flag maps.
inline constexpr size_t kSystemDataFixedSize =
    2 + kSystemSettingsSize + kSoundSettingsSize + kSystemMemoryCells * 4;
static_assert(kSystemDataFixedSize == 7858);
// Counts above which the list files are reported to the player as beyond what the game was made
// for; start-up goes on.
inline constexpr uint32_t kTextCountLimit = 200000;  // warned when above
inline constexpr uint32_t kFileCountLimit = 65536;   // warned when reached
// The longest "system.dat" read: the flag maps of games hundreds of times larger than the counts
// above. A longer file is damaged.
inline constexpr size_t kSystemFileLimit = 64u << 20;

struct SystemSettings {
  uint32_t build_stamp = 0;  // of the "Script.src" that wrote the file
  int32_t thumbnail_mosaic = 0;
  int32_t full_screen = 0;  // refreshed from the window mode before every save
  int32_t skip_switch = 0;
  int32_t effects_on = 1;
  int32_t aspect_position = 1;
  int32_t newest_save_slot = -1;  // -1: none
  int32_t auto_speed = 50;        // 0 to 100
  int32_t text_speed = 50;        // 0 to 100
  int32_t cursor_hide_time = 0;
  int32_t text_base = -1;
  int32_t window_alpha = -1;
  std::array<int32_t, 192> reserved{};
};
inline constexpr size_t kSystemSettingsNamedWords = 12;
static_assert((kSystemSettingsNamedWords +
               std::tuple_size_v<decltype(SystemSettings::reserved)>)*4 == kSystemSettingsSize);

using SoundSettingsBlock = std::array<uint8_t, kSoundSettingsSize>;

struct SystemData {
  SystemSettings settings;
  SoundSettingsBlock sound{};
  std::array<int32_t, kSystemMemoryCells> system_memory{};
  std::vector<uint8_t> text_read_bitmap;  // one bit per text of "Text.dat"
  std::vector<uint8_t> file_state_map;    // two bits per entry of "File.dat"
};

std::string SerializeSystemData(const SystemData& data);
// False when the bytes cannot be the file: shorter than its fixed part, or a map size that runs
// past the end. Bytes after the file-state map are ignored.
bool ParseSystemData(std::string_view bytes, SystemData& data);

// Map sizes for the current list files: count / 8 + 1 and count / 4 + 1 bytes.
struct FlagMapSizes {
  uint32_t text_bitmap = 0;
  uint32_t file_map = 0;
};
FlagMapSizes FlagMapSizesFor(uint32_t text_count, uint32_t file_count);
// Gives both maps the current sizes, keeping what fits and zero-filling the rest, so a map stored
// for other list files never indexes past its end.
void FitFlagMaps(SystemData& data, const FlagMapSizes& sizes);

// The entry count of a list file (the word at byte 12), or nullopt when the file cannot be read,
// is shorter than its header or counts more entries than its body has bytes.
std::optional<uint32_t> ReadListCount(const GameFileRead& read, const std::string& name);

// The save folder's "system.dat" and what its operations need besides.
struct SystemDataIo {
  SaveFolderFile file;
  GameFileRead read_game_file;
  ErrorLog log;
};
SystemDataIo MakeSystemDataIo(const std::string& save_folder, GameFileRead read_game_file,
                              ErrorLog log);

enum class SystemDataStatus { kLoaded, kMissing, kUnreadable, kDamaged };

// Reads the file into `data` and fits the flag maps to the current list files. The caller then
// applies the effect switch, the window mode and the cursor hide time.
SystemDataStatus SystemDataLoad(SystemDataIo& io, SystemData& data);
// The defaults: default settings stamped with the current script, the given sound settings, a
// cleared system memory and empty flag maps sized for the list files; then saved. False when the
// script or a list file cannot be read.
bool SystemDataCreate(SystemDataIo& io, const SoundSettingsBlock& sound_defaults, SystemData& data);
// The caller sets settings.full_screen from the current window mode first.
bool SystemDataSave(SystemDataIo& io, const SystemData& data);
// The first step of the game: load, else create. A damaged file is kept aside as
// "system.dat.damaged" before the defaults replace it; a file that could not be read is never
// written over during this run, and the run goes on with the defaults. False when the defaults
// cannot be made either (the program then ends).
bool SystemDataLoadOrCreate(SystemDataIo& io, const SoundSettingsBlock& sound_defaults,
                            SystemData& data);

// True when "system.dat" of the save folder holds the build stamp of "Script.src", or when there
// is nothing to compare (no readable "system.dat"); false when the stamps differ or "Script.src"
// cannot be read.
bool ScriptStampMatches(const std::string& save_folder, const GameFileRead& read_game_file);

// The names of the files the engine itself writes in the save folder: "system.dat",
// "config.dat", "access.dat", "continue.dat", "save_tmp.dat", the slots "save%03d.dat" and the
// history snapshots "hist%08x.dat" (exactly, in lower case).
bool IsEngineSaveFileName(std::string_view name);

// Deletes the files of the save folder that the engine writes (system data, settings, access
// list, saved games and history snapshots), found by their names; whatever else the folder holds
// (the script's own files, anything the player keeps there) stays. False when the folder cannot
// be listed or any of those files could not be deleted.
bool DeleteSaveData(const std::string& save_folder);

// Removes the temporary files ("<name>.tmp" of an engine file) that a write cut short by a crash
// or a kill left behind. Only one game runs on a save folder, so at start none is in use.
void RemoveStaleTemporaries(const std::string& save_folder);

}  // namespace adv
