// Command group 0x10 (`CmdGroupEffect`): the screen effects. Each handler pops its arguments and
// hands them to the effect (program/layers/screen_effects.cpp).
#include <iterator>

#include "program/game/adv_context.h"
#include "program/layers/screen_effects.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"

namespace adv {
namespace {

int CmdEffectStop(AdvContext& context) {
  const auto [mask, time] = PopArgs<2>(context);
  return ScreenEffectStop(context, mask, time);
}

int CmdShake(AdvContext& context) {
  const auto [direction, amplitude, time, targets] = PopArgs<4>(context);
  return ScreenShakeStart(context, direction, amplitude, time, targets);
}

int CmdFlush(AdvContext& context) {
  const auto [red, green, blue, time] = PopArgs<4>(context);
  return ScreenFlushStart(context, red, green, blue, time);
}

int CmdSnow(AdvContext& context) {
  const auto [file, placement, drift, count] = PopArgs<4>(context);
  return ScreenSnowStart(context, file, placement, drift, count);
}

int CmdSakura(AdvContext& context) {
  const auto [file, placement, drift, count] = PopArgs<4>(context);
  return ScreenSakuraStart(context, file, placement, drift, count);
}

int CmdRaster(AdvContext& context) {
  const auto [layer, b, c, d] = PopArgs<4>(context);
  return ScreenRasterStart(context, layer, b, c, d);
}

constexpr CommandHandler kEffectCommands[] = {
    CmdEffectStop,  // 0x100000 effect_stop
    CmdShake,       // 0x100001 shake
    CmdFlush,       // 0x100002 flush
    CmdSnow,        // 0x100003 snow
    CmdSakura,      // 0x100004 sakura
    CmdRaster,      // 0x100005 raster
};

}  // namespace

const CommandHandlers kCmdGroupEffectHandlers = {kEffectCommands, std::size(kEffectCommands)};

}  // namespace adv
