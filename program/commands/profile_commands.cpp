// The INI profile commands of group 0x12. Reads go through the engine's profile reader and find
// a profile in the save folder, then beside the program, then in the search folders and
// archives; writes always go into the save folder, through the writer that replaces the file
// whole, so a profile is never left half-written.
#include <cstdlib>
#include <string>

#include "os/ini_file.h"
#include "program/commands/extra_commands.h"
#include "program/commands/text_arguments.h"
#include "program/data/profile_reader.h"
#include "program/game/adv_context.h"
#include "program/game/game_file_access.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/script/script_paths.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr size_t kTextBuffer = 4096;
constexpr size_t kFileNameBuffer = 4096;
// Longer values are written without the quotes that keep their blanks.
constexpr size_t kQuotedValueMax = 4090;

struct ProfileKey {
  std::string section;
  std::string key;
};

// Pops and resolves the section and the key, which every profile command starts with.
ProfileKey PopProfileKey(AdvContext& context) {
  const auto [section, key] = PopArgs<2>(context);
  return {AdvGetStringText(context, section, kTextBuffer),
          AdvGetStringText(context, key, kTextBuffer)};
}

std::string ReadPath(const std::string& name) {
  const char* base = yel::YelGetFilePath();
  return ResolveProfilePath(Startup().save_folder, base ? base : "", name);
}

// Profiles are always written into the save folder, and never outside it.
int32_t WriteProfile(const char* command, const ProfileKey& key, const std::string& value,
                     const std::string& name) {
  const std::optional<std::string> path =
      ScriptDiskPath(command, Startup().save_folder + "\\" + name);
  if (!path) return 0;
  return os::WriteIniString(*path, key.section, key.key, value) ? 1 : 0;
}

int CmdGetPrivateProfileString(AdvContext& context) {
  const ProfileKey key = PopProfileKey(context);
  const auto [default_arg, dest, file] = PopArgs<3>(context);
  const std::string default_value = AdvGetStringText(context, default_arg, kTextBuffer);
  const std::string name = FileNameArgument(context, file, kFileNameBuffer);
  if ((static_cast<uint32_t>(dest) & kStringVariableBit) == 0) {
    AdvDebugPrint(kLogError, "get_private_profile_string はstring型を指定していません。");
    SetCommandResult(context, -1);
    return 1;
  }
  const std::span<char> slot =
      StringVariableFor(context, static_cast<uint32_t>(dest), "get_private_profile_string");
  if (slot.empty()) {
    SetCommandResult(context, -1);
    return 1;
  }
  std::string value;
  ProfileGetString(key.section, key.key, default_value, value, ReadPath(name), GameFileReader());
  StoreStringVariable(slot, value);
  SetCommandResult(context, static_cast<int32_t>(StringVariableText(slot).size()));
  return 1;
}

int CmdGetPrivateProfileInt(AdvContext& context) {
  const ProfileKey key = PopProfileKey(context);
  const auto [default_value, file] = PopArgs<2>(context);
  const std::string name = FileNameArgument(context, file, kFileNameBuffer);
  std::string value;
  int32_t result = default_value;
  if (ProfileReadString(key.section, key.key, value, ReadPath(name), GameFileReader()) != 0) {
    const size_t end = value.find_last_not_of(" \t\r\n\v\f");
    // Double quotes stay, so a quoted number reads as 0.
    if (end != std::string::npos) result = std::atoi(value.substr(0, end + 1).c_str());
  }
  SetCommandResult(context, result);
  return 1;
}

int CmdWritePrivateProfileString(AdvContext& context) {
  const ProfileKey key = PopProfileKey(context);
  const auto [value_arg, file] = PopArgs<2>(context);
  std::string value = AdvGetStringText(context, value_arg, kTextBuffer);
  const std::string name = FileNameArgument(context, file, kFileNameBuffer);
  if (value.size() <= kQuotedValueMax) value = "\"" + value + "\"";
  SetCommandResult(context, WriteProfile("write_private_profile_string", key, value, name));
  return 1;
}

int CmdWritePrivateProfileInt(AdvContext& context) {
  const ProfileKey key = PopProfileKey(context);
  const auto [value, file] = PopArgs<2>(context);
  const std::string name = FileNameArgument(context, file, kFileNameBuffer);
  SetCommandResult(context,
                   WriteProfile("write_private_profile_int", key, std::to_string(value), name));
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x24, CmdGetPrivateProfileString},
    {0x25, CmdGetPrivateProfileInt},
    {0x26, CmdWritePrivateProfileString},
    {0x27, CmdWritePrivateProfileInt},
};

}  // namespace

const CommandSlotList kProfileCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
