// The window commands of group 0x09: the window mode, size and aspect, the effect and thumbnail
// switches, the monitor, the window's position, the machine's display figures, the search
// folders and the cursor. Most call the platform library; the switches that the player keeps
// are also stored in the settings of "system.dat".
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "os/display_modes.h"
#include "os/window.h"
#include "program/commands/system_group_commands.h"
#include "program/data/archive_list.h"
#include "program/game/adv_context.h"
#include "program/game/game_file_access.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// The settings kept in "system.dat"; null while the context stands alone.
SystemSettings* Settings(AdvContext& context) {
  return context.task_data ? &context.task_data->system.settings : nullptr;
}

int32_t SettingOr0(AdvContext& context, int32_t SystemSettings::*field) {
  const SystemSettings* settings = Settings(context);
  return settings ? settings->*field : 0;
}

void StoreSetting(AdvContext& context, int32_t SystemSettings::*field, int32_t value) {
  if (SystemSettings* settings = Settings(context)) settings->*field = value;
}

int CmdSetWindowMode(AdvContext& context) {
  const int32_t mode = PopArg(context);
  yel::YelWindowChangeMode(mode);
  StoreSetting(context, &SystemSettings::full_screen, mode);
  AdvDebugPrint(kLogTrace, "set_window_mode %d", mode);
  return 1;
}

int CmdGetWindowMode(AdvContext& context) {
  SetCommandResult(context, SettingOr0(context, &SystemSettings::full_screen));
  AdvDebugPrint(kLogTrace, "get_window_mode");
  return 1;
}

int CmdSetEffectEnable(AdvContext& context) {
  const int32_t on = PopArg(context);
  yel::YelEffectEnable(on);
  StoreSetting(context, &SystemSettings::effects_on, on);
  AdvDebugPrint(kLogTrace, "set_effect_enable %d", on);
  return 1;
}

int CmdGetEffectEnable(AdvContext& context) {
  SetCommandResult(context, yel::YelEffectEnableIs());
  AdvDebugPrint(kLogTrace, "get_effect_enable");
  return 1;
}

int CmdSetAllMosaicThumbnail(AdvContext& context) {
  const int32_t on = PopArg(context);
  StoreSetting(context, &SystemSettings::thumbnail_mosaic, on);
  AdvDebugPrint(kLogTrace, "set_allmosaicthumbnail %d", on);
  return 1;
}

int CmdChangeWindowSize(AdvContext& context) {
  const auto [first, second] = PopArgs<2>(context);
  yel::YelChangeWindowSize(first, second);
  AdvDebugPrint(kLogTrace, "change_window_size %d, %d", first, second);
  return 1;
}

// The script's aspect modes and the platform's: the same four.
constexpr std::array<int32_t, 4> kAspectModes = {0, 1, 2, 3};

int CmdChangeAspectMode(AdvContext& context) {
  const int32_t mode = PopArg(context);
  if (static_cast<uint32_t>(mode) >= kAspectModes.size()) {
    AdvDebugPrint(kLogError, "[%d]change_aspect_mode : aspect mode %d is out of range",
                  context.script.pc, mode);
    return 1;
  }
  yel::YelChangeAspectMode(kAspectModes[static_cast<uint32_t>(mode)]);
  AdvDebugPrint(kLogTrace, "change_aspect_mode %d", mode);
  return 1;
}

int CmdGetAspectMode(AdvContext& context) {
  const int32_t mode = yel::YelCheckAspectMode();
  SetCommandResult(context, mode);
  AdvDebugPrint(kLogTrace, "get_aspect_mode %d", mode);
  return 1;
}

int CmdAspectPositionEnable(AdvContext& context) {
  const int32_t on = PopArg(context);
  StoreSetting(context, &SystemSettings::aspect_position, on);
  AdvDebugPrint(kLogTrace, "aspect_position_enable %d", on);
  return 1;
}

int CmdGetAspectPosition(AdvContext& context) {
  SetCommandResult(context, SettingOr0(context, &SystemSettings::aspect_position));
  AdvDebugPrint(kLogTrace, "get_aspect_position");
  return 1;
}

int CmdEnableWindowChange(AdvContext& context) {
  const int32_t on = PopArg(context);
  yel::YelWindowChangeEnable(on);
  AdvDebugPrint(kLogTrace, "enable_window_change %d", on);
  return 1;
}

int CmdIsEnableWindowChange(AdvContext& context) {
  const int32_t result = yel::YelWindowChangeEnableIs();
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d]is_enable_window_change", result);
  return 1;
}

int CmdIsActive(AdvContext& context) {
  const int32_t result = yel::IsActive();
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "is_active %XH", static_cast<uint32_t>(result));
  return 1;
}

// The display that holds the centre of the window's client area, else the one nearest to it.
os::Rect MonitorOfWindow() {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  yel::YelWindowGetPos(&x, &y);
  yel::YelGetWindowSize(&width, &height);
  return os::DisplayRectAt(x + width / 2, y + height / 2, nullptr);
}

int CmdGetMonitorSize(AdvContext& context) {
  const auto [width_cell, height_cell] = PopArgs<2>(context);
  if (!SystemCellsUsable(context, "get_monitor_size", {width_cell, height_cell})) return 1;
  const os::Rect monitor = MonitorOfWindow();
  StoreSystemCell(context, width_cell, monitor.Width());
  StoreSystemCell(context, height_cell, monitor.Height());
  AdvDebugPrint(kLogTrace, "get_monitor_size %d, %d", monitor.Width(), monitor.Height());
  return 1;
}

int CmdGetWindowPos(AdvContext& context) {
  const auto [x_cell, y_cell] = PopArgs<2>(context);
  if (!SystemCellsUsable(context, "get_window_pos", {x_cell, y_cell})) return 1;
  int32_t x = 0;
  int32_t y = 0;
  yel::YelWindowGetPos(&x, &y);
  StoreSystemCell(context, x_cell, x);
  StoreSystemCell(context, y_cell, y);
  AdvDebugPrint(kLogTrace, "get_window_pos %d, %d", x, y);
  return 1;
}

int32_t PrimaryWidth() {
  return os::DesktopRect().Width();
}
int32_t PrimaryHeight() {
  return os::DesktopRect().Height();
}
int32_t VirtualLeft() {
  return os::VirtualScreenRect().left;
}
int32_t VirtualTop() {
  return os::VirtualScreenRect().top;
}
int32_t VirtualWidth() {
  return os::VirtualScreenRect().Width();
}
int32_t VirtualHeight() {
  return os::VirtualScreenRect().Height();
}
int32_t MonitorCount() {
  return os::DisplayCount();
}

// The metric indexes the displays can answer; every other index is 0 here.
struct MetricRow {
  int32_t index;
  int32_t (*figure)();
};
constexpr MetricRow kMetrics[] = {
    {0, PrimaryWidth},                      // the primary display's size
    {1, PrimaryHeight}, {76, VirtualLeft},  // the rectangle around all displays
    {77, VirtualTop},   {78, VirtualWidth}, {79, VirtualHeight}, {80, MonitorCount},
};

int32_t SystemMetric(int32_t index) {
  for (const MetricRow& row : kMetrics) {
    if (row.index == index) return row.figure();
  }
  return 0;
}

int CmdGetSystemMetrics(AdvContext& context) {
  const int32_t index = PopArg(context);
  const int32_t value = SystemMetric(index);
  SetCommandResult(context, value);
  AdvDebugPrint(kLogTrace, "[%d]get_system_metrics %d", value, index);
  return 1;
}

// The search folders become the archives of one field of "archive.dat". The old folders are gone
// even when the field does not mount; the failed command is then reported by the interpreter.
int CmdSetSystemPath(AdvContext& context) {
  const int32_t field = PopArg(context);
  yel::YelSystemPathClear();
  const bool mounted = MountArchives(
      field, Startup().program_folder, GameFileReader(),
      [](const std::string& name) { return yel::YelSystemPathSet(name.c_str()) != 0; },
      MountErrors::kQuiet);
  AdvDebugPrint(kLogTrace, "set_system_path %d", field);
  return mounted ? 1 : 0;
}

constexpr size_t kFileNameBytes = 32;

int CmdSetCursor(AdvContext& context) {
  const auto [image, hot_x, hot_y] = PopArgs<3>(context);
  uint8_t name[kFileNameBytes] = {};
  if (static_cast<uint32_t>(image) != kNoReference) {
    AdvGetFileName(context, name, static_cast<uint32_t>(image), false);
  }
  // An empty name (the empty reference, or a string variable holding nothing) names no file:
  // it asks for the system arrow, as the empty reference does.
  if (name[0] == 0) {
    yel::YelSetCursor(reinterpret_cast<const char*>(uintptr_t{YEL_CURSOR_ARROW}), 1, hot_x, hot_y);
    AdvDebugPrint(kLogTrace, "set_cursor NULL");
    return 1;
  }
  const std::string file = std::string(reinterpret_cast<const char*>(name)) + ".tga";
  yel::YelSetCursor(file.c_str(), 0, hot_x, hot_y);
  AdvDebugPrint(kLogTrace, "set_cursor %s, %d, %d", file.c_str(), hot_x, hot_y);
  return 1;
}

int CmdSetHideCursorTime(AdvContext& context) {
  const int32_t ms = PopArg(context);
  StoreSetting(context, &SystemSettings::cursor_hide_time, ms);
  yel::YelCursorSetAutoHideTime(static_cast<uint32_t>(ms));
  AdvDebugPrint(kLogTrace, "set_hide_cursor_time %d", ms);
  return 1;
}

int CmdGetHideCursorTime(AdvContext& context) {
  const int32_t ms = SettingOr0(context, &SystemSettings::cursor_hide_time);
  SetCommandResult(context, ms);
  AdvDebugPrint(kLogTrace, "[%d]get_hide_cursor_time", ms);
  return 1;
}

int CmdSetCursorPos(AdvContext& context) {
  const auto [x, y] = PopArgs<2>(context);
  yel::YelCursorSetPos(x, y);
  AdvDebugPrint(kLogTrace, "set_cursor_pos %d, %d", x, y);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x06, CmdSetWindowMode},
    {0x08, CmdSetEffectEnable},
    {0x09, CmdGetWindowMode},
    {0x0B, CmdGetEffectEnable},
    {0x24, CmdChangeWindowSize},
    {0x25, CmdChangeAspectMode},
    {0x26, CmdAspectPositionEnable},
    {0x27, CmdGetAspectPosition},
    {0x28, CmdGetAspectMode},
    {0x29, CmdGetMonitorSize},
    {0x2A, CmdGetWindowPos},
    {0x2B, CmdGetSystemMetrics},
    {0x2C, CmdSetSystemPath},
    {0x2D, CmdSetAllMosaicThumbnail},
    {0x2E, CmdEnableWindowChange},
    {0x2F, CmdIsEnableWindowChange},
    {0x30, CmdSetCursor},
    {0x31, CmdSetHideCursorTime},
    {0x32, CmdGetHideCursorTime},
    {0x3D, CmdSetCursorPos},
    {0x3F, CmdIsActive},
};

}  // namespace

const CommandSlotList kWindowCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
