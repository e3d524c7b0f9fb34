// The clock commands of group 0x09: the local date into three cells, and the date and the time
// of day as one number each.
#include "program/commands/clock_commands.h"

#include <cstdint>

#include "program/commands/system_group_commands.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"

namespace adv {
namespace {

int CmdGetDate(AdvContext& context) {
  const auto [year_cell, month_cell, day_cell] = PopArgs<3>(context);
  if (!SystemCellsUsable(context, "get_date", {year_cell, month_cell, day_cell})) return 1;
  const os::LocalClockTime now = os::LocalClockNow();
  StoreSystemCell(context, year_cell, now.year);
  StoreSystemCell(context, month_cell, now.month);
  StoreSystemCell(context, day_cell, now.day);
  AdvDebugPrint(kLogTrace, "get_date %d, %d, %d", now.year, now.month, now.day);
  return 1;
}

int CmdGetDateNumber(AdvContext& context) {
  const int32_t number = DateNumber(os::LocalClockNow());
  SetCommandResult(context, number);
  AdvDebugPrint(kLogTrace, "get_date_number %d", number);
  return 1;
}

int CmdGetTimeNumber(AdvContext& context) {
  const int32_t number = TimeNumber(os::LocalClockNow());
  SetCommandResult(context, number);
  AdvDebugPrint(kLogTrace, "get_time_number %d", number);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x0D, CmdGetDate},
    {0x38, CmdGetDateNumber},
    {0x3C, CmdGetTimeNumber},
};

}  // namespace

int32_t DateNumber(const os::LocalClockTime& time) {
  return (time.year * 100 + time.month) * 100 + time.day;
}

int32_t TimeNumber(const os::LocalClockTime& time) {
  return ((time.hour * 100 + time.minute) * 100 + time.second) * 1000 + time.millisecond;
}

const CommandSlotList kClockCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
