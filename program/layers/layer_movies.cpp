// Movie sprites on layers: the ".mpg" row of the image loaders, the movie volume and the wait
// for a movie's end.
#include "program/layers/layer_movies.h"

#include <cstring>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kSoundTypeMovie = 0;
constexpr uint32_t kMovieEnded = 4;

// Every picture without a ".mkt" file passes the ".mpg" row: a quiet look for the file first,
// so that only a movie that is there is opened (the platform logs a movie it cannot open).
bool MovieFileFound(const char* name) {
  YelFile* file = yel::YelFileCreate(name, nullptr);
  if (!file) return false;
  yel::YelFileClose(file);
  return true;
}

}  // namespace

YelSprite* AdvMovieSpriteLoad(YelRender* render, const char* name, int32_t priority) {
  return MovieFileFound(name) ? yel::YelMSpriteLoad(render, name, priority) : nullptr;
}

YelSprite* AdvMovieSpriteInfoCreate(const char* name, int32_t width, int32_t height,
                                    int32_t priority) {
  return MovieFileFound(name) ? yel::YelMSpriteInfoCreate(name, width, height, priority) : nullptr;
}

void AdvMovieApplyVolume(AdvContext& context) {
  const auto& memory = context.values.system_memory;
  yel::YelSoundSetVolume(memory[kMovieMuteCell] ? 0 : memory[kMovieVolumeCell], kSoundTypeMovie);
}

void AdvStripExtension(char* name) {
  if (char* dot = std::strrchr(name, '.')) *dot = 0;
}

YelSprite* AdvLayerMovieSprite(AdvContext& context, int32_t layer) {
  if (!AdvCheckLayer(layer)) return nullptr;
  GraphicSlot* slot = context.layers.layers[layer].slot;
  if (!slot || !slot->sprite || !yel::YelMSpriteCheck(slot->sprite)) return nullptr;
  return slot->sprite;
}

bool MovieWaitBegin(AdvContext& context, int32_t layer, YelSprite* sprite) {
  if (!sprite) return false;
  context.movie_wait = MovieWait{layer, sprite};
  yel::YelMSpriteSetLoop(sprite, 0);
  return true;
}

bool MovieWaitRunning(const AdvContext& context) {
  return context.movie_wait.layer >= 0;
}

bool MovieWaitOver(AdvContext& context) {
  MovieWait& wait = context.movie_wait;
  // The layer may have been cleared or given another image meanwhile (which drops its movie
  // flag): the sprite is then gone or no longer the one waited for, and its state is not read.
  const LayerRecord& record = context.layers.layers[wait.layer];
  const bool held = record.slot && record.slot->sprite == wait.sprite &&
                    (record.flags & kLayerMovie) && yel::YelMSpriteCheck(wait.sprite);
  if (held && !(yel::YelMSpriteGetState(wait.sprite) & kMovieEnded) && AdvSkipState(context) == 0) {
    return false;
  }
  wait = MovieWait{};
  return true;
}

}  // namespace adv
