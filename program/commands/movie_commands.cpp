// Command group 0x0B (`CmdGroupMovie`): the full-screen video, movie sprites on layers and the
// movie volume. Layer numbers are checked before any table is read; the sprite commands do
// nothing for a refused number but go on.
#include <algorithm>
#include <iterator>
#include <string>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_movies.h"
#include "program/layers/layer_table.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_calls.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kCodeSpSetEx = 0x30003;
constexpr uint32_t kCodeSpCls = 0x30005;
constexpr int32_t kSoundTypeMovie = 0;

bool FastForwarding(AdvContext& context) {
  return (AdvSkipState(context) & SKIP_MASK_FORCED) != 0;
}

// The slot of a layer number the command may use, or null (a refused number is logged).
GraphicSlot* LayerSlot(AdvContext& context, int32_t layer) {
  return AdvCheckLayer(layer) ? context.layers.layers[layer].slot : nullptr;
}

YelSprite* MovieOf(GraphicSlot* slot) {
  return slot && slot->sprite && yel::YelMSpriteCheck(slot->sprite) ? slot->sprite : nullptr;
}

int RunLayerCommand(AdvContext& context, uint32_t code) {
  const CommandHandler handler = CommandFor(*context.script.commands, code);
  return handler ? handler(context) : 0;
}

int CmdMoviePlay(AdvContext& context) {
  const auto [file, flag] = PopArgs<2>(context);
  char name[33] = {};
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), static_cast<uint32_t>(file), true);
  AdvStripExtension(name);
  if (FastForwarding(context) || MovieSkipFlag) return 1;
  // The BGM comes back from any ducking by a voice before the video's sound takes over.
  if (context.sound.auto_volume.enable) AdvBgmDuck(context.sound, 0);
  bool played = false;
  for (const char* extension : {".wmv", ".mpg"}) {
    const std::string full = std::string(name) + extension;
    if (yel::YelVideoPlay(full.c_str(), flag & 0xFFFF)) {
      AdvDebugPrint(kLogTrace, "movie_play  %s", full.c_str());
      played = true;
      break;
    }
  }
  if (!played) AdvDebugPrint(kLogError, "error movie_play [%s]", name);
  context.script.stop = 1;
  return 1;
}

int CmdMspSet(AdvContext& context) {
  const auto v = PopArgs<8>(context);
  const auto [file, layer, x, y, z, loop, loop_start, loop_end] = v;
  if (!AdvCheckLayer(layer)) {
    SetCommandResult(context, 0);
    return 0;
  }
  for (int i = 4; i >= 0; --i) ValueStackPush(context, v[i]);
  RunLayerCommand(context, kCodeSpSetEx);
  LayerRecord& record = context.layers.layers[layer];
  if (!record.slot) {
    SetCommandResult(context, 0);
    return 0;
  }
  AdvGraphicSlotApply(context, *record.slot);
  record.flags |= kLayerMovie;
  record.movie_argument = static_cast<uint32_t>(loop);
  YelSprite* sprite = record.slot->sprite;
  yel::YelMSpriteSetLoopPoint(sprite, loop_start, loop_end);
  const int played = yel::YelMSpritePlay(sprite, loop);
  const bool forced = FastForwarding(context);
  SetCommandResult(context, forced ? 1 : played);
  if (played || forced) {
    AdvDebugPrint(kLogTrace, "msp_set loop[%d], sp[%d], ep[%d]", loop, loop_start, loop_end);
    return 1;
  }
  AdvDebugPrint(kLogError, "error msp_set loop[%d], sp[%d], ep[%d]", loop, loop_start, loop_end);
  return 0;
}

int CmdMspCls(AdvContext& context) {
  RunLayerCommand(context, kCodeSpCls);
  AdvDebugPrint(kLogTrace, "msp_cls");
  return 1;
}

// Waits for the layer's movie sprite to end; the layer is popped on the first run only.
int CmdMspWait(AdvContext& context) {
  context.script.stop = 1;
  if (MovieWaitRunning(context)) {
    if (!MovieWaitOver(context)) AdvRetryCommand(context);
    return 1;
  }
  const int32_t layer = PopArg(context);
  GraphicSlot* slot = LayerSlot(context, layer);
  if (!slot) return 1;
  if (!MovieWaitBegin(context, layer, MovieOf(slot))) {
    AdvDebugPrint(kLogTrace, "not msp %d", layer);
    return 1;
  }
  AdvDebugPrint(kLogTrace, "msp_wait %d", layer);
  AdvRetryCommand(context);
  return 1;
}

// msp_lock and msp_unlock.
int LockCommand(AdvContext& context, const char* trace, int (*operation)(YelSprite*)) {
  const int32_t layer = PopArg(context);
  GraphicSlot* slot = LayerSlot(context, layer);
  if (!slot) return 1;
  AdvDebugPrint(kLogTrace, "%s %d", trace, layer);
  if (YelSprite* movie = MovieOf(slot)) operation(movie);
  return 1;
}

int CmdMspLock(AdvContext& context) {
  return LockCommand(context, "msp_lock", [](YelSprite* s) { return yel::YelMSpriteLock(s); });
}

int CmdMspUnlock(AdvContext& context) {
  return LockCommand(context, "msp_unlock", [](YelSprite* s) { return yel::YelMSpriteUnlock(s); });
}

int CmdMspPlay(AdvContext& context) {
  const auto [layer, loop] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "msp_play %d, %d", layer, loop);
  GraphicSlot* slot = LayerSlot(context, layer);
  if (!slot) return 1;
  YelSprite* movie = MovieOf(slot);
  if (!movie) {
    AdvDebugPrint(kLogError, "msp_play : 初期化していないレイヤーを指定しました。");
    return 1;
  }
  LayerRecord& record = context.layers.layers[layer];
  record.flags |= kLayerMovie;
  record.movie_argument = static_cast<uint32_t>(loop);
  yel::YelMSpritePlay(movie, loop);
  return 1;
}

int CmdMspStop(AdvContext& context) {
  const int32_t layer = PopArg(context);
  AdvDebugPrint(kLogTrace, "msp_stop %d", layer);
  if (YelSprite* movie = MovieOf(LayerSlot(context, layer))) yel::YelMSpriteStop(movie);
  return 1;
}

int CmdVideoVolumeType(AdvContext& context) {
  yel::YelSetVideoVolumeType(PopArg(context));
  return 1;
}

int32_t& MovieCell(AdvContext& context, int32_t cell) {
  return context.values.system_memory[cell];
}

int CmdMovieSetVolume(AdvContext& context) {
  const int32_t volume = PopArg(context);
  MovieCell(context, kMovieVolumeCell) = static_cast<int32_t>(static_cast<int64_t>(volume) * 100);
  AdvMovieApplyVolume(context);
  AdvDebugPrint(kLogTrace, "movie_set_volume  %d", MovieCell(context, kMovieVolumeCell));
  return 1;
}

int CmdMovieGetVolume(AdvContext& context) {
  const int32_t volume = MovieCell(context, kMovieVolumeCell) / 100;
  SetCommandResult(context, volume);
  AdvDebugPrint(kLogTrace, "[%d] movie_get_volume", volume);
  return 1;
}

int CmdMovieMute(AdvContext& context) {
  const int32_t mute = PopArg(context);
  MovieCell(context, kMovieMuteCell) = mute;
  yel::YelSoundSetVolume(mute ? 0 : MovieCell(context, kMovieVolumeCell), kSoundTypeMovie);
  AdvDebugPrint(kLogTrace, "movie_mute %d", mute);
  return 1;
}

// The slot of a query's layer; null with the result -1 and the error line when there is none.
GraphicSlot* QuerySlot(AdvContext& context, int32_t layer, const char* name) {
  if (layer < 0 || layer >= kLayerCount) {
    AdvDebugPrint(kLogError, "error: %s %d", name, layer);
  } else if (GraphicSlot* slot = context.layers.layers[layer].slot) {
    return slot;
  } else {
    AdvDebugPrint(kLogError, "error: %s %d / no image", name, layer);
  }
  SetCommandResult(context, -1);
  return nullptr;
}

int CmdMspGetState(AdvContext& context) {
  const int32_t layer = PopArg(context);
  GraphicSlot* slot = QuerySlot(context, layer, "msp_get_state");
  if (!slot) return 1;
  YelSprite* movie = MovieOf(slot);
  SetCommandResult(context, movie ? static_cast<int32_t>(yel::YelMSpriteGetState(movie)) : 0);
  return 1;
}

int CmdMspSetVolume(AdvContext& context) {
  const auto [layer, volume] = PopArgs<2>(context);
  GraphicSlot* slot = QuerySlot(context, layer, "msp_set_volume");
  if (!slot) return 1;
  YelSprite* movie = MovieOf(slot);
  if (movie) yel::YelMSpriteSetVolumeEx(movie, std::clamp(volume, 0, 100));
  SetCommandResult(context, movie ? 1 : 0);
  return 1;
}

constexpr CommandHandler kMovieCommands[] = {
    CmdMoviePlay,        // 0x0B0000 movie_play
    CmdMspSet,           // 0x0B0001 msp_set
    CmdMspCls,           // 0x0B0002 msp_cls
    CmdMspWait,          // 0x0B0003 msp_wait
    CmdMspLock,          // 0x0B0004 msp_lock
    CmdMspUnlock,        // 0x0B0005 msp_unlock
    CmdMspPlay,          // 0x0B0006 msp_play
    CmdMspStop,          // 0x0B0007 msp_stop
    CmdVideoVolumeType,  // 0x0B0008
    CmdMovieSetVolume,   // 0x0B0009 movie_set_volume
    CmdMovieGetVolume,   // 0x0B000A movie_get_volume
    CmdMovieMute,        // 0x0B000B movie_mute
    CmdMspGetState,      // 0x0B000C msp_get_state
    CmdMspSetVolume,     // 0x0B000D msp_set_volume
};

}  // namespace

const CommandHandlers kCmdGroupMovieHandlers = {kMovieCommands, std::size(kMovieCommands)};

}  // namespace adv
