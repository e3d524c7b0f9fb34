// Touch input and gestures: the platform's touch switches, the script's gesture handlers and the
// fields of the last gesture delivered.
#include <algorithm>
#include <cstring>

#include "os/byte_order.h"
#include "os/window.h"
#include "program/commands/system_commands.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// The gesture record as the platform delivers it (48 bytes, little-endian).
constexpr size_t kRecordId = 8;
constexpr size_t kRecordX = 16;  // 16-bit screen position
constexpr size_t kRecordY = 18;
constexpr size_t kRecordInstance = 20;
constexpr size_t kRecordSequence = 24;
constexpr size_t kRecordArguments = 32;  // the low 32 bits of the 64-bit arguments

constexpr int32_t kGestureZoom = 3;
constexpr int32_t kGesturePan = 4;
constexpr int32_t kGestureTwoFingerTap = 6;
constexpr int32_t kGesturePressAndTap = 7;

// The word handed to the platform: the script wants its gestures.
constexpr int32_t kGestureCallbackSet = 1;

bool IsGestureId(int32_t id) {
  return id >= kGestureFirstId && id <= kGestureLastId;
}

uint32_t& HandlerOf(AdvContext& context, int32_t id) {
  return context.gestures.handlers[static_cast<size_t>(id - kGestureFirstId)];
}

int32_t RecordWord(const AdvContext& context, size_t at) {
  return static_cast<int32_t>(os::LoadLe32(context.gestures.record.data() + at));
}

int16_t RecordHalf(const AdvContext& context, size_t at) {
  return static_cast<int16_t>(os::LoadLe16(context.gestures.record.data() + at));
}

// The display nearest the gesture's position.
os::Rect GestureMonitor(const AdvContext& context) {
  return os::DisplayRectAt(RecordHalf(context, kRecordX), RecordHalf(context, kRecordY), nullptr);
}

int32_t GestureField(const AdvContext& context, int32_t selector) {
  const int32_t id = RecordWord(context, kRecordId);
  const int32_t arguments = RecordWord(context, kRecordArguments);
  const int32_t ax = static_cast<int16_t>(arguments & 0xFFFF);
  const int32_t ay = static_cast<int16_t>(static_cast<uint32_t>(arguments) >> 16);
  switch (selector) {
    case 0: {
      const bool relative = id == kGestureZoom || id == kGesturePan || id == kGestureTwoFingerTap;
      return relative ? arguments - GestureMonitor(context).left : arguments;
    }
    case 1:
      return id == kGesturePressAndTap ? ax - GestureMonitor(context).left
                                       : RecordHalf(context, kRecordX);
    case 2:
      return id == kGesturePressAndTap ? ay - GestureMonitor(context).top
                                       : RecordHalf(context, kRecordY);
    case 3:
      return RecordWord(context, kRecordSequence);
    case 4:
      return RecordWord(context, kRecordInstance);
    default:
      return 0;
  }
}

}  // namespace

int CmdTouchEnable(AdvContext& context) {
  yel::YelTouchEnable(PopArg(context) != 0 ? 1 : 0);
  return 1;
}

int CmdTouchMode(AdvContext& context) {
  yel::YelTouchMode(PopArg(context) != 0 ? 1 : 0);
  return 1;
}

int CmdIsTouchMode(AdvContext& context) {
  SetCommandResult(context, yel::YelIsTouchMode());
  return 1;
}

int CmdSetPow(AdvContext& context) {
  yel::YelSetPow(static_cast<uint8_t>(PopArg(context) & 0xFF));
  return 1;
}

int CmdGestureCallSet(AdvContext& context) {
  const auto [id, offset] = PopArgs<2>(context);
  if (!IsGestureId(id)) {
    AdvDebugPrint(kLogError, "gesture_call_set : 未定義コード[%d]", id);
    SetCommandResult(context, 0);
    return 1;
  }
  HandlerOf(context, id) = static_cast<uint32_t>(offset);
  yel::YelSetGesture(kGestureCallbackSet);
  SetCommandResult(context, 1);
  return 1;
}

int CmdGestureCallReset(AdvContext& context) {
  const int32_t id = PopArg(context);
  if (!IsGestureId(id)) {
    AdvDebugPrint(kLogError, "gesture_call_reset : 未定義コード[%d]", id);
    SetCommandResult(context, 0);
    return 1;
  }
  HandlerOf(context, id) = 0;
  SetCommandResult(context, 1);
  return 1;
}

int CmdGestureGet(AdvContext& context) {
  SetCommandResult(context, GestureField(context, PopArg(context)));
  return 1;
}

// A record of an id outside 3 to 7 is kept but calls nothing.
void AdvGestureCallback(AdvContext& context, const uint8_t* record) {
  std::memcpy(context.gestures.record.data(), record, kGestureRecordSize);
  const int32_t id = RecordWord(context, kRecordId);
  if (!IsGestureId(id)) return;
  const uint32_t offset = HandlerOf(context, id);
  if (offset == 0) return;
  PushDataEntry(context, kListReturnPoint, context.script.pc, kReturnContinue);
  context.script.pc = context.script.origin + offset;
}

}  // namespace adv
