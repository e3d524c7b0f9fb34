// The favourite-voice commands of group 0x12 (`CmdGroupExtra`): the table, its file and the memo
// words beside it. Bad indexes are logged and reported through the result; nothing changes.
#include <iterator>
#include <string>

#include "program/commands/extra_commands.h"
#include "program/commands/text_arguments.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/sound/favourite_voices.h"
#include "program/sound/name_prefix.h"

namespace adv {
namespace {

constexpr size_t kArgumentSize = 4096;
constexpr int32_t kClearOnly1 = -1;
constexpr int32_t kClearOnly2 = -2;

enum FavouriteField : int32_t { kNumber = 0, kFlag = 1, kName = 2, kVoice = 3, kText = 4 };

std::string StringArgument(AdvContext& context, int32_t argument) {
  return AdvGetStringText(context, static_cast<uint32_t>(argument), kArgumentSize);
}

// favadd and favaddex: a name argument of 0 takes the line on show.
int AddCommand(AdvContext& context, const char* command, bool expand) {
  const auto [number, name_arg, voice_arg, text_arg] = PopArgs<4>(context);
  std::string name, voice, text;
  if (name_arg == 0) {
    const TextLine& line = context.text_window.line;
    name = FieldText(line.name);
    voice = FieldText(line.voice);
    text = FieldText(line.text);
  } else {
    name = StringArgument(context, name_arg);
    voice = StringArgument(context, voice_arg);
    text = StringArgument(context, text_arg);
  }
  const int32_t added =
      expand ? FavAddEx(number, name, voice, text) : FavAdd(number, name, voice, text);
  SetCommandResult(context, added);
  if (added < 0) {
    AdvDebugPrint(kLogError, "%s : 追加出来ませんでした。", command);
  } else {
    AdvDebugPrint(kLogTrace, "%s [%d][%s][%s][%s]", command, number, name.c_str(), voice.c_str(),
                  text.c_str());
  }
  return 1;
}

int CmdFavInit(AdvContext& context) {
  const int32_t path = PopArg(context);
  if (path == kClearOnly1 || path == kClearOnly2) {
    FavClearAll();
    return 1;
  }
  FavInit(StringArgument(context, path));
  return 1;
}

int CmdFavAdd(AdvContext& context) {
  return AddCommand(context, "favadd", false);
}

int CmdFavAddEx(AdvContext& context) {
  return AddCommand(context, "favaddex", true);
}

int CmdFavDel(AdvContext& context) {
  const int32_t i = PopArg(context);
  const bool done = FavDelete(i);
  SetCommandResult(context, done ? 1 : 0);
  if (done) {
    AdvDebugPrint(kLogTrace, "favdel [%d]", i);
  } else {
    AdvDebugPrint(kLogError, "favdel : 削除出来ませんでした。");
  }
  return 1;
}

int CmdFavSwap(AdvContext& context) {
  const auto [a, b] = PopArgs<2>(context);
  const bool done = FavSwap(a, b);
  SetCommandResult(context, done ? 1 : 0);
  if (done) {
    AdvDebugPrint(kLogTrace, "favswap [%d][%d]", a, b);
  } else {
    AdvDebugPrint(kLogError, "favswap [%d][%d] : 入替え出来ませんでした。", a, b);
  }
  return 1;
}

int CmdFavLoad(AdvContext& context) {
  const int32_t count = FavGetPath().empty() ? -1 : FavReadFile();
  SetCommandResult(context, count);
  AdvDebugPrint(kLogTrace, "favload [%s]", FavGetPath().c_str());
  if (count == 0) AdvDebugPrint(kLogTrace, "favload error [%s]", FavGetPath().c_str());
  return 1;
}

int CmdFavSave(AdvContext& context) {
  const bool done = !FavGetPath().empty() && FavWriteFile();
  SetCommandResult(context, done ? 1 : 0);
  if (done) {
    AdvDebugPrint(kLogTrace, "favsave [%s]", FavGetPath().c_str());
  } else {
    AdvDebugPrint(kLogError, "favsave error [%s]", FavGetPath().c_str());
  }
  return 1;
}

// A string field into a string variable.
void GetText(int32_t i, int32_t field, std::span<char> target, const FavouriteVoice& record) {
  static constexpr const char* kLogs[] = {"favget %d name [%s]", "favget %d voice [%s]",
                                          "favget %d text [%s]"};
  const std::string_view text = field == kName    ? FieldText(record.name)
                                : field == kVoice ? FieldText(record.voice)
                                                  : FieldText(record.text);
  StoreStringVariable(target, text);
  AdvDebugPrint(kLogTrace, kLogs[field - kName], i, std::string(text).c_str());
}

int CmdFavGet(AdvContext& context) {
  const auto [i, field, target] = PopArgs<3>(context);
  const FavouriteVoice* record = FavGet(i);
  if (!record) {
    AdvDebugPrint(kLogError, "favget error [%d]", i);
    SetCommandResult(context, -1);
    return 1;
  }
  const bool to_string = (static_cast<uint32_t>(target) & kStringVariableBit) != 0;
  std::span<char> slot;
  if (to_string) {
    slot = StringVariableFor(context, static_cast<uint32_t>(target), "favget");
    StoreStringVariable(slot, "");
    SetCommandResult(context, 1);
  }
  if (field == kNumber) {
    SetCommandResult(context, record->number);
    AdvDebugPrint(kLogTrace, "favget %d num [%d]", i, record->number);
  } else if (field == kFlag) {
    SetCommandResult(context, record->flag);
    AdvDebugPrint(kLogTrace, "favget %d flag [%d]", i, record->flag);
  } else if (!to_string) {
    AdvDebugPrint(kLogError, "favget[%d] : string型以外の型を指定しました。", i);
  } else if (field >= kName && field <= kText) {
    GetText(i, field, slot, *record);
  } else {
    AdvDebugPrint(kLogError, "favget error [%d][%d]", i, field);
    SetCommandResult(context, -1);
  }
  return 1;
}

int CmdFavGetFlag(AdvContext& context) {
  const int32_t i = PopArg(context);
  const FavouriteVoice* record = FavGet(i);
  SetCommandResult(context, record ? record->flag : 0);
  if (record) {
    AdvDebugPrint(kLogTrace, "favgetflag [%d]", i);
  } else {
    AdvDebugPrint(kLogError, "favgetflag [%d]: 削除出来ませんでした。", i);
  }
  return 1;
}

int CmdFavSetFlag(AdvContext& context) {
  const auto [i, flag] = PopArgs<2>(context);
  const bool done = FavSetFlag(i, flag);
  SetCommandResult(context, done ? 1 : 0);
  if (done) {
    AdvDebugPrint(kLogTrace, "favsetflag [%d, %d]", i, flag);
  } else {
    AdvDebugPrint(kLogError, "favsetflag [%d, %d]: 削除出来ませんでした。", i, flag);
  }
  return 1;
}

int CmdFavSetPath(AdvContext& context) {
  FavSetPath(StringArgument(context, PopArg(context)));
  return 1;
}

int CmdFavSearchNo(AdvContext& context) {
  const int32_t number = PopArg(context);
  const int32_t index = FavFindNumber(number);
  SetCommandResult(context, index);
  if (index < 0) {
    AdvDebugPrint(kLogError, "favsearchno not found [%d]", number);
  } else {
    AdvDebugPrint(kLogTrace, "favsearchno [%d,%d]", number, index);
  }
  return 1;
}

int CmdFavSync(AdvContext&) {
  FavSaveAndLoad();
  return 1;
}

int CmdFavSetMem(AdvContext& context) {
  const auto [i, value] = PopArgs<2>(context);
  if (!FavMemoSet(i, value)) {
    AdvDebugPrint(kLogError, "favsetmem : 範囲オーバーです[%d]", i);
    SetCommandResult(context, 0);
  }
  return 1;
}

int CmdFavGetMem(AdvContext& context) {
  const int32_t i = PopArg(context);
  if (static_cast<uint32_t>(i) >= static_cast<uint32_t>(kFavouriteMemoWords)) {
    AdvDebugPrint(kLogError, "favgetmem : 範囲オーバーです[%d]", i);
    SetCommandResult(context, 0);
    return 1;
  }
  SetCommandResult(context, FavMemoGet(i));
  return 1;
}

int CmdIsStringVariable(AdvContext& context) {
  const auto word = static_cast<uint32_t>(PopArg(context));
  SetCommandResult(context, (word & kStringVariableBit) ? 1 : 0);
  return 1;
}

int CmdFavSetMax(AdvContext& context) {
  FavouriteMaximum() = PopArg(context);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x3C, CmdFavInit},    {0x3D, CmdFavAdd},      {0x3E, CmdFavDel},
    {0x3F, CmdFavSwap},    {0x40, CmdFavLoad},     {0x41, CmdFavSave},
    {0x42, CmdFavGet},     {0x43, CmdFavGetFlag},  {0x44, CmdFavSetFlag},
    {0x45, CmdFavSetPath}, {0x46, CmdFavSearchNo}, {0x47, CmdFavSync},
    {0x48, CmdFavSetMem},  {0x49, CmdFavGetMem},   {0x4D, CmdIsStringVariable},
    {0x4F, CmdFavSetMax},  {0x84, CmdFavAddEx},
};

}  // namespace

const CommandSlotList kFavouriteCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
