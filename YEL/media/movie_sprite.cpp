// Movie sprites: a sprite whose texture receives the pictures of a movie as it plays, so that a
// movie can be layered, moved and blended like any image.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <string>

#include "YEL/core/system.h"
#include "YEL/graphics/sprite.h"
#include "YEL/media/movie.h"
#include "YEL/media/sound_system.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

constexpr int32_t kMovieSoundType = 4;

// Every loaded movie, so that the end of the library can stop those a game left loaded.
std::mutex g_movies_lock;  // guards g_movies
std::set<YelMovie*> g_movies;

YelCore* ActiveCore() {
  YelSystem* system = System();
  return system ? system->core.load() : nullptr;
}

YelMovie* MovieOf(YelSprite* sprite) {
  return SpriteOrError(sprite) ? static_cast<YelMovie*>(sprite->movie) : nullptr;
}

void SetState(YelMovie& movie, uint32_t keep, uint32_t bits) {
  movie.state = (movie.state.load() & (kMovieKeptBit | keep)) | bits;
}

std::unique_ptr<MovieDecoder> OpenLogged(const char* name) {
  std::string error;
  auto decoder = MovieDecoder::Open(name, error);
  if (!decoder) YelErrorLogPrintf("Movie : %s : %s\n", name ? name : "(null)", error.c_str());
  return decoder;
}

// The movie's sound at `volume` (0..100), weighted by the sound-type volume unless `own`.
int SetMovieVolume(YelMovie* movie, int32_t volume, bool weighted) {
  if (!movie || !movie->player->HasSound()) return 0;
  int32_t type_volume = kFullVolume, primary = kFullVolume;
  MovieSoundVolumes(kMovieSoundType, type_volume, primary);
  const int64_t level = std::clamp(volume, 0, 100);
  const int64_t v = weighted ? level * type_volume / 100 * primary / kFullVolume
                             : level * primary * 100 / kFullVolume;
  movie->player->SetVolume(MovieDecibels(v));
  return 1;
}

// Runs the movie: 1 running, 0 not.
int MovieRun(YelMovie& movie) {
  if (movie.player->Run()) {
    SetState(movie, kMoviePlaying, kMoviePlaying);
    return 1;
  }
  SetState(movie, kMovieStopped, kMovieStopped);
  return 0;
}

int MovieStop(YelMovie& movie) {
  if (!movie.player->Running()) return 1;
  movie.player->Stop();
  SetState(movie, kMovieStopped, kMovieStopped);
  return 1;
}

// The end of a run seen by the draw callback: a looping movie starts again at its loop start,
// any other stops as ended. A run that failed on damaged data stops as ended too, so that a
// wait for the end does not wait for ever.
void TakeMovieEnd(YelMovie& movie) {
  if (movie.state.load() != kMoviePlaying) return;
  if (movie.player->TakeCompleted()) {
    movie.player->Stop();
    if (movie.loop) {
      movie.player->SetPositions(movie.loop_start, movie.loop_end);
      MovieRun(movie);
    } else {
      SetState(movie, 0, kMovieStopped | kMovieEnded);
    }
  } else if (movie.player->Failed()) {
    movie.player->Stop();
    SetState(movie, 0, kMovieStopped | kMovieEnded);
  }
}

int MSpriteDrawCallback(YelCore* core, void* object) {
  auto* sprite = static_cast<YelSprite*>(object);
  if (sprite && !sprite->visible) return 1;
  YelMovie* movie = sprite ? static_cast<YelMovie*>(sprite->movie) : nullptr;
  if (!movie) return YelSpriteDrawCallback(core, object);
  TakeMovieEnd(*movie);
  // Waits for a picture being written (a moment): skipping the sprite would make it flicker.
  uint32_t* pixels = TextureLockPixels(sprite->texture, nullptr, nullptr);
  const int result = YelSpriteDrawCallback(core, object);
  if (pixels) TextureUnlockPixels(sprite->texture, false);
  return result;
}

// A movie over a texture of its picture size; null (logged) when the texture cannot be made.
YelMovie* MovieCreate(std::unique_ptr<MovieDecoder> decoder, YelSprite* sprite, const char* name) {
  YelCore* core = ActiveCore();
  sprite->texture = core ? core->TextureCreate(decoder->Width(), decoder->Height()) : nullptr;
  void* block = sprite->texture ? YelMemoryAlloc(sizeof(YelMovie), 1) : nullptr;
  if (!block) {
    YelErrorLogPrintf("Movie : %s : no texture of %dx%d\n", name, decoder->Width(),
                      decoder->Height());
    return nullptr;
  }
  auto* movie = new (block) YelMovie();
  movie->width = decoder->Width();
  movie->height = decoder->Height();
  // A loop end of 0 is the movie's own end: a container's stated length may fall short of it.
  movie->loop_end = 0;
  movie->player = std::make_unique<MoviePlayer>(std::move(decoder), sprite->texture, true);
  movie->player->SetPositions(0, movie->loop_end);
  std::strncpy(movie->file_name, name, sizeof movie->file_name - 1);
  SetMovieVolume(movie, 100, true);
  std::lock_guard lock(g_movies_lock);
  g_movies.insert(movie);
  return movie;
}

}  // namespace

void MovieRelease(YelMovie* movie) {
  if (!movie) return;
  {
    std::lock_guard lock(g_movies_lock);
    g_movies.erase(movie);
  }
  movie->player.reset();  // stops the decode thread first
  movie->~YelMovie();
  YelMemoryFree(movie);
}

void MovieStopAll() {
  std::lock_guard lock(g_movies_lock);
  for (YelMovie* movie : g_movies) movie->player->Stop();
}

int32_t MovieDecibels(int64_t volume) {
  return SoundToDecibels(static_cast<int32_t>(std::clamp<int64_t>(volume, 0, kFullVolume)));
}

void MovieSoundVolumes(int32_t type, int32_t& type_volume, int32_t& primary) {
  type_volume = primary = kFullVolume;
  SoundSystem* sound = Sound();
  if (!sound) return;
  std::lock_guard lock(sound->lock);
  type_volume = sound->type_volume[type];
  primary = sound->primary_volume;
}

}  // namespace yel

using yel::MovieOf;

extern "C" {

YEL_API YelSprite* YelMSpriteLoad(YelRender* render, const char* name, int32_t priority) {
  YelSprite* sprite = render ? yel::SpriteAllocate(priority) : nullptr;
  if (!sprite) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto decoder = yel::OpenLogged(name);
  YelMovie* movie = decoder ? yel::MovieCreate(std::move(decoder), sprite, name) : nullptr;
  if (!movie) {
    yel::SpriteReleaseTexture(sprite);
    yel::SpriteFree(sprite);
    return nullptr;
  }
  sprite->movie = movie;
  sprite->image_width = sprite->cell_width = movie->width;
  sprite->image_height = sprite->cell_height = movie->height;
  sprite->rect = YelRect{0, 0, movie->width, movie->height};
  sprite->node = YelRenderInsert(render, sprite, yel::MSpriteDrawCallback, priority);
  if (!sprite->node) {
    yel::MovieRelease(movie);
    yel::SpriteReleaseTexture(sprite);
    yel::SpriteFree(sprite);
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return sprite;
}

YEL_API YelSprite* YelMSpriteInfoCreate(const char* name, int32_t width, int32_t height,
                                        int32_t priority) {
  if (name) {
    auto decoder = yel::OpenLogged(name);
    if (!decoder) return nullptr;
    width = decoder->Width();
    height = decoder->Height();
  }
  YelSprite* sprite = yel::SpriteAllocate(priority);
  if (!sprite) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  yel::SpriteSetFileName(sprite, name);
  sprite->image_width = sprite->cell_width = width;
  sprite->image_height = sprite->cell_height = height;
  sprite->rect = YelRect{0, 0, width, height};
  return sprite;
}

YEL_API int YelMSpritePlay(YelSprite* sprite, int32_t loop) {
  YelMovie* movie = MovieOf(sprite);
  if (!movie) return 0;
  movie->loop = loop;
  if (yel::MovieRun(*movie)) return 1;
  yel::MovieStop(*movie);
  return yel::MovieRun(*movie);
}

YEL_API int YelMSpriteStop(YelSprite* sprite) {
  YelMovie* movie = MovieOf(sprite);
  if (!movie) return 0;
  yel::MovieStop(*movie);
  return 1;
}

YEL_API int YelMSpritePause(YelSprite* sprite) {
  return yel::SpriteOrError(sprite) ? 1 : 0;
}

YEL_API int YelMSpriteSetLoop(YelSprite* sprite, int32_t loop) {
  YelMovie* movie = MovieOf(sprite);
  if (!movie) return 0;
  movie->loop = loop;
  return 1;
}

YEL_API int YelMSpriteSetLoopPoint(YelSprite* sprite, int32_t start_ms, int32_t end_ms) {
  YelMovie* movie = MovieOf(sprite);
  if (!movie) return 0;
  movie->loop_start = start_ms;
  if (end_ms != 0) movie->loop_end = end_ms;
  return 1;
}

YEL_API uint32_t YelMSpriteGetState(YelSprite* sprite) {
  YelMovie* movie = MovieOf(sprite);
  return movie ? movie->state.load() : 0;
}

YEL_API int YelMSpriteIsLoop(YelSprite* sprite) {
  YelMovie* movie = MovieOf(sprite);
  return movie && movie->loop ? 1 : 0;
}

YEL_API int YelMSpriteCheck(YelSprite* sprite) {
  return MovieOf(sprite) ? 1 : 0;
}

YEL_API int YelMSpriteLock(YelSprite* sprite) {
  YelMovie* movie = MovieOf(sprite);
  if (!movie) return 0;
  movie->lock = 1;
  return 1;
}

YEL_API int YelMSpriteUnlock(YelSprite* sprite) {
  YelMovie* movie = MovieOf(sprite);
  if (!movie) return 0;
  movie->lock = 0;
  return 1;
}

YEL_API int YelMSpriteSetVolume(YelSprite* sprite, int32_t volume) {
  return yel::SetMovieVolume(MovieOf(sprite), volume, true);
}

YEL_API int YelMSpriteSetVolumeEx(YelSprite* sprite, int32_t volume) {
  return yel::SetMovieVolume(MovieOf(sprite), volume, false);
}

}  // extern "C"
