// The tips-dictionary commands of group 0x12 (`CmdGroupExtra`): read, query, search, sort, mark
// and save the glossary of program/text/tips_dictionary.h.
#include <cstdint>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "os/ini_file.h"
#include "os/plain_file.h"
#include "program/commands/extra_commands.h"
#include "program/commands/text_arguments.h"
#include "program/game/adv_context.h"
#include "program/game/game_file_access.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/script/script_paths.h"
#include "program/text/tips_dictionary.h"

namespace adv {
namespace {

constexpr size_t kFileNameCapacity = 32;
constexpr size_t kPathArgumentSize = 4096;
// Two bytes an entry: even a dictionary of a million entries reads its marks whole.
constexpr size_t kAccessFileLimit = 2u << 20;

enum TipsField : int32_t { kKanaGroup = 4, kAccess1 = 5, kAccess2 = 6 };

bool InRange(int32_t entry) {
  return entry >= 0 && static_cast<size_t>(entry) < Tips().records.size();
}

// Fills the dictionary from the CSV's bytes; false when no entry came of them.
bool ReadDictionary(const std::string& name, std::string_view data) {
  TipsDictionary& tips = Tips();
  tips.records = TipsParseCsv(data);
  if (tips.records.empty()) {
    AdvDebugPrint(kLogError, "tips_csv_read error : %s", name.c_str());
    return false;
  }
  std::string access;
  const std::optional<std::string> path =
      tips.access_path.empty() ? std::nullopt : ScriptDiskPath("tips_csv_read", tips.access_path);
  if (path && os::ReadWholeFile(*path, access, kAccessFileLimit) == os::FileReadStatus::kOk) {
    TipsApplyAccess(tips, access);
  }
  for (size_t i = 0; i < tips.records.size(); ++i) {
    TipsRecord& record = tips.records[i];
    if (record.columns[1].empty()) {
      AdvDebugPrint(kLogError, "tips_csv error line %d : %s", static_cast<int32_t>(i),
                    name.c_str());
      return false;
    }
    record.kana_group = TipsKanaGroup(record.columns[1]);
  }
  return true;
}

int CmdTipsCsvRead(AdvContext& context) {
  const auto [file, path] = PopArgs<2>(context);
  const std::string name =
      FileNameArgument(context, static_cast<uint32_t>(file), kFileNameCapacity);
  SetCommandResult(context, 0);
  try {
    Tips().access_path = AdvGetStringText(context, static_cast<uint32_t>(path), kPathArgumentSize);
    const std::optional<std::string> data = ReadGameFile(name, 0, SIZE_MAX);
    if (!data) {
      AdvDebugPrint(kLogError, "tips_csv_read error : %s", name.c_str());
      return 1;
    }
    if (!ReadDictionary(name, *data)) return 1;
  } catch (const std::bad_alloc&) {
    Tips().records.clear();
    AdvDebugPrint(kLogError, "tips_csv_read error : %s", name.c_str());
    return 1;
  }
  const auto count = static_cast<int32_t>(Tips().records.size());
  AdvDebugPrint(kLogTrace, "tips_csv_read [%s] %d", name.c_str(), count);
  SetCommandResult(context, count);
  return 1;
}

int CmdTipsCsvGet(AdvContext& context) {
  const auto [entry, field, variable] = PopArgs<3>(context);
  if (!InRange(entry)) {
    AdvDebugPrint(kLogError, "tips_csv_get error : %d %d %d", entry, field, variable);
    SetCommandResult(context, 0);
    return 1;
  }
  const TipsRecord& record = Tips().records[static_cast<size_t>(entry)];
  int32_t result = record.number;
  if (field == kKanaGroup) result = record.kana_group;
  if (field == kAccess1) result = static_cast<int8_t>(record.access1);
  if (field == kAccess2) result = static_cast<int8_t>(record.access2);
  if (static_cast<uint32_t>(variable) & kStringVariableBit) {
    if (field >= 0 && field <= 3) {
      const std::span<char> slot =
          StringVariableFor(context, static_cast<uint32_t>(variable), "tips_csv_get");
      if (!slot.empty()) StoreStringVariable(slot, record.columns[static_cast<size_t>(field)]);
    } else if (field > kAccess2) {
      AdvDebugPrint(kLogTrace, "tips_csv_get dic_no %d [%d]", entry, field);
    }
  }
  SetCommandResult(context, result);
  return 1;
}

int CmdTipsCsvSearch(AdvContext& context) {
  const std::string text =
      AdvGetStringText(context, static_cast<uint32_t>(PopArg(context)), kPathArgumentSize);
  const std::vector<TipsRecord>& records = Tips().records;
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].columns[0] == text) {
      AdvDebugPrint(kLogTrace, "tips_csv_search %d [%s]", static_cast<int32_t>(i), text.c_str());
      SetCommandResult(context, static_cast<int32_t>(i));
      return 1;
    }
  }
  AdvDebugPrint(kLogError, "tips_csv_search not found [%s]", text.c_str());
  SetCommandResult(context, -1);
  return 1;
}

int CmdTipsCsvSort(AdvContext&) {
  TipsSort(Tips());
  return 1;
}

int CmdTipsAccSet(AdvContext& context) {
  const auto [entry, field, value] = PopArgs<3>(context);
  if (Tips().records.empty()) return 1;
  if (!InRange(entry)) {
    AdvDebugPrint(kLogError, "tips_acc_set : 範囲オーバーです[%d]", entry);
    SetCommandResult(context, -1);
    return 1;
  }
  TipsRecord& record = Tips().records[static_cast<size_t>(entry)];
  if (field == 0 || field == kAccess1) record.access1 = static_cast<uint8_t>(value);
  if (field == 1 || field == kAccess2) record.access2 = static_cast<uint8_t>(value);
  SetCommandResult(context, 0);
  return 1;
}

// Written through a temporary file renamed over the old one: a failed write keeps the old marks.
int CmdTipsAccSave(AdvContext&) {
  const TipsDictionary& tips = Tips();
  AdvDebugPrint(kLogTrace, "tips_acc_save [%s]", tips.access_path.c_str());
  if (tips.access_path.empty()) return 1;
  const std::optional<std::string> path = ScriptDiskPath("tips_acc_save", tips.access_path);
  if (!path) return 1;
  try {
    os::WriteFileAtomically(*path, TipsAccessBytes(tips));
  } catch (const std::bad_alloc&) {
    AdvDebugPrint(kLogError, "tips_acc_save error [%s]", tips.access_path.c_str());
  }
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x52, CmdTipsCsvRead}, {0x53, CmdTipsCsvGet}, {0x54, CmdTipsCsvSearch},
    {0x55, CmdTipsCsvSort}, {0x56, CmdTipsAccSet}, {0x57, CmdTipsAccSave},
};

}  // namespace

const CommandSlotList kTipsCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
