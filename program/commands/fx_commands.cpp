// Command group 0x13 (`CmdGroupFx`): raster effects on layers. Layer numbers are checked before
// any table is read; a refused number fails the command.
#include <iterator>

#include "program/game/adv_context.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/layers/raster_effects.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/script_run.h"

namespace adv {
namespace {

int CmdFxEffectCls(AdvContext& context) {
  const int32_t layer = PopArg(context);
  AdvDebugPrint(kLogTrace, "fx_effect_cls %d", layer);
  if (!AdvCheckLayer(layer)) return 0;
  AdvFxRelease(context.layers.layers[layer]);
  return 1;
}

int CmdFxRasterStop(AdvContext& context) {
  const auto [layer, time] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "fx_raster_stop %d, %d", layer, time);
  if (!AdvCheckLayer(layer)) return 0;
  RasterEffectStop(context, layer, time);
  return 1;
}

// Pops its layer on the first run only; the runs after it look again until the effect ends.
int CmdFxEffectWait(AdvContext& context) {
  if (!RasterEffectWaitBegun()) {
    const int32_t layer = PopArg(context);
    if (!AdvCheckLayer(layer)) return 0;
    RasterEffectWaitBegin(layer);
    AdvDebugPrint(kLogTrace, "fx_effect_wait %d", layer);
  }
  if (RasterEffectWaitOver(context)) return 1;
  context.script.stop = 1;
  AdvRetryCommand(context);
  return 1;
}

int CmdFxRasterStart(AdvContext& context) {
  const auto [layer, a, b, c] = PopArgs<4>(context);
  if (!AdvCheckLayer(layer)) return 0;
  AdvDebugPrint(kLogTrace, "fx_raster_start %d, %d, %d, %d", layer, a, b, c);
  return RasterEffectStart(context, layer, a, b, c);
}

constexpr CommandHandler kFxCommands[] = {
    CmdFxEffectCls,    // 0x130000 fx_effect_cls
    CmdFxRasterStop,   // 0x130001 fx_raster_stop
    CmdFxEffectWait,   // 0x130002 fx_effect_wait
    CmdFxRasterStart,  // 0x130003 fx_raster_start
};

}  // namespace

const CommandHandlers kCmdGroupFxHandlers = {kFxCommands, std::size(kFxCommands)};

}  // namespace adv
