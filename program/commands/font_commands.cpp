// The font commands of group 0x09: the platform's font set for message text and the icon sheet
// of font type 4, and the font's type, size, effect and colours.
#include <cstdint>
#include <string>
#include <string_view>

#include "program/commands/system_group_commands.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr size_t kFileNameBytes = 32;

std::string FontFileName(AdvContext& context, int32_t argument) {
  uint8_t name[kFileNameBytes] = {};
  AdvGetFileName(context, name, static_cast<uint32_t>(argument), false);
  return std::string(reinterpret_cast<const char*>(name));
}

// True when the last part of a path has an extension ("FONT.DAT", not "DIR.X\\FONT").
bool HasExtension(std::string_view name) {
  const size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return false;
  const size_t separator = name.find_last_of("\\/");
  return separator == std::string_view::npos || dot > separator;
}

int CmdLoadFont(AdvContext& context) {
  std::string name = FontFileName(context, PopArg(context));
  if (!HasExtension(name)) name += ".dat";
  yel::YelFontLoad(name.c_str());
  AdvDebugPrint(kLogTrace, "load_font %s", name.c_str());
  return 1;
}

int CmdLoadFontEx(AdvContext& context) {
  const std::string name = FontFileName(context, PopArg(context)) + ".tga";
  yel::YelExFontUnload();
  yel::YelExFontLoad(name.c_str());
  AdvDebugPrint(kLogTrace, "load_font_ex %s", name.c_str());
  return 1;
}

int CmdUnloadFont(AdvContext&) {
  yel::YelFontUnload();
  AdvDebugPrint(kLogTrace, "unload_font");
  return 1;
}

int CmdSetFontType(AdvContext& context) {
  const int32_t type = PopArg(context);
  yel::YelFontSetType(type);
  AdvDebugPrint(kLogTrace, "set_font_type %d", type);
  return 1;
}

int32_t Low16(int32_t value) {
  return value & 0xFFFF;
}

int CmdGetFontType(AdvContext& context) {
  const int32_t type = Low16(yel::YelFontGetType());
  SetCommandResult(context, type);
  AdvDebugPrint(kLogTrace, "[%d] get_font_type", type);
  return 1;
}

int CmdSetFontSize(AdvContext& context) {
  const int32_t size = PopArg(context);
  SetCommandResult(context, Low16(yel::YelFontGetFontSize()));
  yel::YelFontSetFontSize(size);
  AdvDebugPrint(kLogTrace, "set_font_size %d", size);
  return 1;
}

int CmdGetFontSize(AdvContext& context) {
  const int32_t size = Low16(yel::YelFontGetFontSize());
  SetCommandResult(context, size);
  AdvDebugPrint(kLogTrace, "[%d] get_font_size", size);
  return 1;
}

int CmdSetFontEffect(AdvContext& context) {
  const int32_t effect = PopArg(context);
  yel::YelFontSetEffect(effect);
  AdvDebugPrint(kLogTrace, "set_font_effect %d", effect);
  return 1;
}

int CmdGetFontEffect(AdvContext& context) {
  const int32_t effect = Low16(yel::YelFontGetEffect());
  SetCommandResult(context, effect);
  AdvDebugPrint(kLogTrace, "[%d] get_font_effect", effect);
  return 1;
}

int CmdSetFontColor(AdvContext& context) {
  const auto [text_colour, effect_colour] = PopArgs<2>(context);
  yel::YelFontSetColor(static_cast<uint32_t>(text_colour), static_cast<uint32_t>(effect_colour));
  AdvDebugPrint(kLogTrace, "set_font_color %d, %d", text_colour, effect_colour);
  return 1;
}

int CmdGetFontColor(AdvContext& context) {
  const int32_t which = PopArg(context);
  uint32_t text_colour = 0;
  uint32_t effect_colour = 0;
  yel::YelFontGetColor(&text_colour, &effect_colour);
  const int32_t colour = static_cast<int32_t>(which != 0 ? effect_colour : text_colour);
  SetCommandResult(context, colour);
  AdvDebugPrint(kLogTrace, "get_font_color %d", colour);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x0F, CmdLoadFont},      {0x10, CmdUnloadFont},   {0x11, CmdSetFontType},
    {0x13, CmdSetFontColor},  {0x14, CmdLoadFontEx},   {0x1B, CmdSetFontSize},
    {0x1C, CmdGetFontSize},   {0x1D, CmdGetFontType},  {0x1E, CmdSetFontEffect},
    {0x1F, CmdGetFontEffect}, {0x37, CmdGetFontColor},
};

}  // namespace

const CommandSlotList kFontCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
