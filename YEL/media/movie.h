// The movie behind a movie sprite, and the sound-volume arithmetic movies share.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "YEL/media/movie_player.h"

// Bits of a movie's state word; every change keeps bit 31, which nothing sets.
enum : uint32_t {
  kMoviePlaying = 1,
  kMovieStopped = 2,
  kMovieEnded = 4,
  kMovieKeptBit = 0x80000000u,
};

// Owned by its sprite; touched by the threads that hold the render lock (the exports, and the
// draw callback inside present). The player's decode thread only writes the sprite's texture.
struct YelMovie {
  std::unique_ptr<yel::MoviePlayer> player;
  int64_t loop_start = 0;  // milliseconds
  int64_t loop_end = 0;    // 0: the movie's end
  int32_t width = 0, height = 0;
  int32_t lock = 0;
  int32_t loop = 0;
  std::atomic<uint32_t> state{0};
  char file_name[260] = {};
};

namespace yel {

// Stops and frees a movie; null does nothing.
void MovieRelease(YelMovie* movie);
// Stops the decode thread of every movie that is still loaded (the end of the library).
void MovieStopAll();

// A volume of 0..10000 in hundredths of a decibel: -10000 for 0.
int32_t MovieDecibels(int64_t volume);
// The sound-type volume of `type` and the primary volume (10000 each without a sound system).
void MovieSoundVolumes(int32_t type, int32_t& type_volume, int32_t& primary);

}  // namespace yel
