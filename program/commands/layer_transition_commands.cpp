// Layer transition commands (group 3): a layer changes its image, or loses it, through a
// transition of its own that the next commit starts; and the last drawn frame captured into a
// layer, the usual source of such a change.
#include <iterator>

#include "program/commands/sprite_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_table.h"
#include "program/layers/layer_transitions.h"
#include "program/script/command_args.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

int CmdSpClsTransition(AdvContext& context) {
  const auto [layer, kind, time] = PopArgs<3>(context);
  if (!AdvCheckLayer(layer)) return 0;
  return AdvLayerClearTransition(context, layer, kind, time);
}

int CmdSpSetTransition(AdvContext& context) {
  const auto [file, layer, kind, time] = PopArgs<4>(context);
  if (!AdvCheckLayer(layer)) return 0;
  return AdvLayerSetTransition(context, static_cast<uint32_t>(file), layer, kind, time);
}

int CmdSpCopyImage(AdvContext& context) {
  const int32_t layer = PopArg(context);
  if (!AdvCheckLayer(layer)) return 0;
  return AdvLayerCopyImage(context, layer);
}

int CmdSpTransition(AdvContext& context) {
  const auto [layer, kind, time] = PopArgs<3>(context);
  if (!AdvCheckLayer(layer)) return 0;
  return AdvLayerStartChange(context, layer, kind, time);
}

int CmdGetBackbuffer(AdvContext& context) {
  const int32_t layer = PopArg(context);
  if (!AdvCheckLayer(layer)) return 0;
  const GraphicSlot* slot = context.layers.layers[layer].slot;
  // A scene rebuilt by a skip has drawn no frame worth keeping.
  if (slot && slot->sprite && !(AdvSkipState(context) & SKIP_MASK_FORCED)) {
    yel::YelSpriteBackBafferCopy(slot->sprite);
  }
  AdvDebugPrint(kLogTrace, "get_backbuffer %d", layer);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x0D, CmdSpClsTransition}, {0x32, CmdSpSetTransition}, {0x33, CmdSpCopyImage},
    {0x34, CmdSpTransition},    {0x36, CmdGetBackbuffer},
};

}  // namespace

const CommandSlotList kLayerTransitionCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
