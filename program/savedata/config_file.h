// "config.dat": the window record, read before the platform starts and written after it ends.
// Nine little-endian 32-bit words, 36 bytes, in the save folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "YEL/yel.h"

namespace adv {

inline constexpr size_t kConfigFileSize = 36;
// The longest "config.dat" read; only its first 36 bytes count, and a longer file is damaged.
inline constexpr size_t kConfigFileLimit = 4096;

struct ConfigRecord {
  int32_t window_x = 0;
  int32_t window_y = 0;
  int32_t window_width = 0;
  int32_t window_height = 0;
  uint32_t flags = 0;  // of YelInitParam
  int32_t display_adapter = 0;
  int32_t aspect_mode = 0;
  int32_t pacing_mode = 0;
  int32_t video_flag = 0;
};

std::string SerializeConfig(const ConfigRecord& record);
// False (and `record` unchanged) when fewer than 36 bytes are given.
bool ParseConfig(std::string_view bytes, ConfigRecord& record);
ConfigRecord ConfigFromInitParam(const YelInitParam& param);
void ApplyConfig(const ConfigRecord& record, YelInitParam& param);

// What the window rules need from the platform: the smallest and the largest window the player
// can drag it to, the game's window size, and the position that centres a window on the desktop.
// A stored size outside those bounds cannot be the player's and takes the game's window size.
struct ConfigWindowRules {
  int32_t min_track_width = 0;
  int32_t min_track_height = 0;
  int32_t max_track_width = INT32_MAX;
  int32_t max_track_height = INT32_MAX;
  int32_t game_window_width = 0;   // AdvWindowWidth
  int32_t game_window_height = 0;  // AdvWindowHeight
  std::function<void(int32_t width, int32_t height, int32_t& x, int32_t& y)> center;
};

enum class ConfigLoadResult {
  kLoaded,
  kDefaultsWritten,     // missing, empty or short: a centred default record was written
  kDefaultsNotWritten,  // unreadable, or the defaults could not be written
};

// Reads "config.dat" of the save folder into the record. A missing, empty, short or damaged file
// is replaced by the centred default record; a file that exists but cannot be read is left as it is
// and the window is centred for this run only.
ConfigLoadResult ConfigLoad(const std::string& save_folder, YelInitParam& param,
                            const ConfigWindowRules& rules);
// Centres the record's window and writes the record as the new "config.dat".
bool ConfigDefaults(const std::string& save_folder, YelInitParam& param,
                    const ConfigWindowRules& rules);
// Writes the window record of the run that ended. The Direct3D bit is always stored set, so a
// run with the software renderer does not stop the next one from trying Direct3D. A failure is
// shown to the player.
bool ConfigSave(const std::string& save_folder, const YelInitParam& current);

}  // namespace adv
