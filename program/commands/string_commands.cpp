// The string commands of group 0x12: the script's 16 string variables handed out, copied,
// joined, cut, searched and inspected. Texts are Shift-JIS; a byte of 0x80 or above starts a
// double-byte character. Every write into a variable is bounded by text_arguments.h.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "program/commands/extra_commands.h"
#include "program/commands/script_format.h"
#include "program/commands/text_arguments.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// Buffer sizes the commands resolve their arguments into.
constexpr size_t kTextBuffer = 4096;
constexpr size_t kShortTextBuffer = 2048;
constexpr size_t kFindFileNameBuffer = 1024;
constexpr size_t kIndexOfFindBuffer = 32;

// Written only by set_script_flag and read only by get_script_flag, both on the interpreter's
// thread; never saved.
uint8_t ScriptFlag = 0;

bool IsLeadByte(char c) {
  return static_cast<uint8_t>(c) >= 0x80;
}

int32_t SignedByte(char c) {
  return static_cast<int8_t>(c);
}

int32_t VariableSlot(uint32_t reference) {
  return static_cast<int32_t>(reference & ~kStringVariableBit);
}

// Hands out string variable `slot`, emptied.
int32_t HandOut(AdvContext& context, int32_t slot) {
  context.values.string_variables[static_cast<size_t>(slot)].fill(0);
  return static_cast<int32_t>(kStringVariableBit | static_cast<uint32_t>(slot));
}

// The cursor as a slot number, whatever a snapshot may have stored in it.
int32_t Cursor(AdvContext& context) {
  return ((context.values.string_cursor % kStringVariableCount) + kStringVariableCount) %
         kStringVariableCount;
}

int CmdString(AdvContext& context) {
  PopArg(context);
  const int32_t slot = Cursor(context);
  context.values.string_cursor = (slot + 1) % kStringVariableCount;
  SetCommandResult(context, HandOut(context, slot));
  AdvDebugPrint(kLogTrace, "string %d", slot);
  return 1;
}

int CmdStringShift(AdvContext& context) {
  const int32_t n = PopArg(context);
  const int32_t before = Cursor(context);
  int32_t result = 0;
  if (n != 0) {
    const int32_t slot = static_cast<int32_t>(
        ((static_cast<int64_t>(before) + n) % kStringVariableCount + kStringVariableCount) %
        kStringVariableCount);
    context.values.string_cursor = slot;
    result = HandOut(context, slot);
  }
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "string %d : prevno=%d => actno=%d", n, before,
                n != 0 ? Cursor(context) : 0);
  return 1;
}

int CmdGetActiveStringAddNo(AdvContext& context) {
  const int32_t cursor = context.values.string_cursor;
  SetCommandResult(context, cursor);
  AdvDebugPrint(kLogTrace, "get_active_string_add_no => %d", cursor);
  return 1;
}

// Writes exactly `length` bytes at the start of the variable: the source, then zeros. The old
// text after them stays; the last byte of the variable always stays its terminating zero.
void CopyOver(std::span<char> slot, std::string_view source, int32_t length) {
  if (length < 0) return;
  const size_t count = std::min<size_t>(static_cast<size_t>(length), kStringVariableTextMax);
  const size_t copied = std::min(count, source.size());
  std::memcpy(slot.data(), source.data(), copied);
  std::memset(slot.data() + copied, 0, count - copied);
}

// strcpy and strcpyf: a length of -1 is the source's length.
void CopyCommand(AdvContext& context, const char* name, bool file_name) {
  const auto [dest, src, len] = PopArgs<3>(context);
  const std::span<char> slot = StringVariableFor(context, static_cast<uint32_t>(dest), name);
  const std::string source = file_name ? FileNameArgument(context, src, kTextBuffer)
                                       : AdvGetStringText(context, src, kTextBuffer);
  if (slot.empty()) return;
  CopyOver(slot, source, len == -1 ? static_cast<int32_t>(source.size()) : len);
}

int CmdStrcpy(AdvContext& context) {
  CopyCommand(context, "strcpy", false);
  return 1;
}

int CmdStrcpyf(AdvContext& context) {
  CopyCommand(context, "strcpyf", true);
  return 1;
}

// strcat and strcatf: the source goes on at the variable's end, cut where the variable is full.
void AppendCommand(AdvContext& context, const char* name, bool file_name) {
  const auto [dest, src] = PopArgs<2>(context);
  const std::span<char> slot = StringVariableFor(context, static_cast<uint32_t>(dest), name);
  const std::string source = file_name ? FileNameArgument(context, src, kTextBuffer)
                                       : AdvGetStringText(context, src, kTextBuffer);
  if (slot.empty()) return;
  StoreStringVariable(slot, std::string(StringVariableText(slot)) + source);
}

int CmdStrcat(AdvContext& context) {
  AppendCommand(context, "strcat", false);
  return 1;
}

int CmdStrcatf(AdvContext& context) {
  AppendCommand(context, "strcatf", true);
  return 1;
}

int CmdCatStrChar(AdvContext& context) {
  const auto [dest, c] = PopArgs<2>(context);
  const std::span<char> slot =
      StringVariableFor(context, static_cast<uint32_t>(dest), "cat_str_char");
  // A full variable takes nothing more: the byte would have no room before the zero.
  const bool fits = !slot.empty() && StringVariableText(slot).size() < kStringVariableTextMax;
  if (fits) {
    const size_t end = StringVariableText(slot).size();
    slot[end] = static_cast<char>(c & 0xFF);
    slot[end + 1] = 0;
  }
  SetCommandResult(context, fits ? 0 : -1);
  return 1;
}

int CmdSubstr(AdvContext& context) {
  const auto [dest, src, start, len] = PopArgs<4>(context);
  const std::span<char> slot = StringVariableFor(context, static_cast<uint32_t>(dest), "substr");
  const std::string source = AdvGetStringText(context, src, kShortTextBuffer);
  if (slot.empty()) return 1;
  const int64_t length = len == -1 ? static_cast<int64_t>(source.size()) - start : len;
  // A start outside the text or a negative length gives the empty text.
  std::string part;
  if (start >= 0 && static_cast<size_t>(start) <= source.size() && length > 0) {
    part = source.substr(static_cast<size_t>(start), static_cast<size_t>(length));
  }
  StoreStringVariable(slot, part);
  return 1;
}

// ASCII capitals to small letters, one character at a time: the second byte of a double-byte
// character is never changed, so two different characters never compare equal.
std::string LowerAscii(std::string text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(text[i])) {
      ++i;
    } else if (text[i] >= 'A' && text[i] <= 'Z') {
      text[i] = static_cast<char>(text[i] - 'A' + 'a');
    }
  }
  return text;
}

int CmdStrfindf(AdvContext& context) {
  const auto [a, b] = PopArgs<2>(context);
  const std::string text = LowerAscii(FileNameArgument(context, a, kFindFileNameBuffer));
  const std::string find = LowerAscii(FileNameArgument(context, b, kFindFileNameBuffer));
  SetCommandResult(context, text.find(find) != std::string::npos ? 1 : 0);
  return 1;
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int CmdStrgetcf(AdvContext& context) {
  const auto [name, pos, count] = PopArgs<3>(context);
  const std::string text = FileNameArgument(context, name, kTextBuffer);
  // Positions outside the text read as a zero byte; fields reaching outside it are no number.
  const bool inside = pos >= 0 && static_cast<size_t>(pos) <= text.size();
  if (count == 0) {
    const int32_t result = inside && static_cast<size_t>(pos) < text.size()
                               ? SignedByte(text[static_cast<size_t>(pos)])
                               : 0;
    SetCommandResult(context, result);
    AdvDebugPrint(kLogTrace, "[%d]strgetcf %s, %d, %d", result, text.c_str(), pos, count);
    return 1;
  }
  const bool fits = inside && count > 0 && static_cast<size_t>(count) <= text.size() - pos;
  const std::string_view field =
      fits ? std::string_view(text).substr(static_cast<size_t>(pos), static_cast<size_t>(count))
           : std::string_view();
  if (!fits || !AllDigits(field)) {
    SetCommandResult(context, 0);
    return 1;
  }
  uint32_t value = 0;
  for (char c : field) value = value * 10 + static_cast<uint32_t>(c - '0');
  const int32_t result = static_cast<int32_t>(value);
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d]strgetcf %s, %d, %d", result, text.c_str(), pos, count);
  return 1;
}

int CmdStrreplace(AdvContext& context) {
  const auto [target, find_arg, with_arg] = PopArgs<3>(context);
  const std::span<char> slot =
      StringVariableFor(context, static_cast<uint32_t>(target), "strreplace");
  const std::string find = FileNameArgument(context, find_arg, kTextBuffer);
  const std::string with = FileNameArgument(context, with_arg, kTextBuffer);
  if (slot.empty()) return 1;
  std::string text(StringVariableText(slot));
  const size_t at = text.find(find);
  if (at == std::string::npos) return 1;
  // Overwritten in place: the rest of the text does not move, and a longer replacement runs
  // over what follows the found text.
  if (at + with.size() > text.size()) text.resize(at + with.size());
  text.replace(at, with.size(), with);
  StoreStringVariable(slot, text);
  return 1;
}

int CmdStrlen(AdvContext& context) {
  const std::string text = AdvGetStringText(context, PopArg(context), kTextBuffer);
  const int32_t result = static_cast<int32_t>(text.size());
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d]strlen %s", result, text.c_str());
  return 1;
}

int CmdStrlenf(AdvContext& context) {
  const std::string text = FileNameArgument(context, PopArg(context), kTextBuffer);
  const int32_t result = static_cast<int32_t>(text.size());
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d]strlenf %s", result, text.c_str());
  return 1;
}

int CmdStrslim(AdvContext& context) {
  const uint32_t target = static_cast<uint32_t>(PopArg(context));
  const std::span<char> slot = StringVariableFor(context, target, "strslim");
  if (slot.empty()) return 0;
  const std::string before(StringVariableText(slot));
  std::string after;
  for (size_t i = 0; i < before.size(); ++i) {
    const size_t close = before[i] == '<' ? before.find('>', i) : std::string::npos;
    // A "<" that no ">" closes is no markup and stays with the rest of the text.
    if (close == std::string::npos) {
      after += before[i];
    } else {
      i = close;
    }
  }
  StoreStringVariable(slot, after);
  SetCommandResult(context, 1);
  AdvDebugPrint(kLogTrace, "strslim [%s][%s]", before.c_str(), after.c_str());
  return 1;
}

// Characters as strcut counts them: a double-byte character, or a CR with the byte after it,
// is one.
int32_t CountCharacters(std::string_view text) {
  int32_t count = 0;
  for (size_t i = 0; i < text.size(); ++i, ++count) {
    if (IsLeadByte(text[i]) || text[i] == '\r') ++i;
  }
  return count;
}

// The cut position strcut aims at assumes two bytes a character; it is moved back to the start
// of the character it would split.
size_t CutPosition(std::string_view text, int32_t n) {
  const size_t aim = 2 * static_cast<size_t>(n);
  const size_t cut = aim < text.size() && IsLeadByte(text[aim]) ? aim : aim + 1;
  return WholeCharacterPrefix(text, cut);
}

int CmdStrcut(AdvContext& context) {
  const auto [target, n] = PopArgs<2>(context);
  const std::span<char> slot = StringVariableFor(context, static_cast<uint32_t>(target), "strcut");
  if (slot.empty()) return 0;
  const std::string_view text = StringVariableText(slot);
  const int32_t count = CountCharacters(text);
  if (count > n && n >= 0) {
    const size_t cut = CutPosition(text, n);
    if (cut < text.size()) slot[cut] = 0;
  }
  SetCommandResult(context, count);
  AdvDebugPrint(kLogTrace, "strcut [%s][%d]", slot.data(), n);
  return 1;
}

int CmdGetChar(AdvContext& context) {
  const auto [target, pos, flag] = PopArgs<3>(context);
  if ((static_cast<uint32_t>(target) & kStringVariableBit) == 0) {
    AdvDebugPrint(kLogError, "get_char : string型以外の型を指定しました。");
    return 1;
  }
  const std::string text = AdvGetStringText(context, target, kTextBuffer);
  if (pos < 0 || static_cast<size_t>(pos) > text.size()) {
    AdvDebugPrint(kLogError, "get_char : 文字の位置指定がオーバーしています。[%d/%d]", pos,
                  static_cast<int32_t>(text.size()));
    return 1;
  }
  const size_t at = static_cast<size_t>(pos);
  const char c = at < text.size() ? text[at] : 0;
  // With the flag, a double-byte character comes back whole: first byte high, second low.
  if (flag != 0 && IsLeadByte(c) && at + 1 < text.size()) {
    SetCommandResult(context, (static_cast<uint8_t>(c) << 8) | static_cast<uint8_t>(text[at + 1]));
  } else {
    SetCommandResult(context, SignedByte(c));
  }
  return 1;
}

int CmdGetStrChar(AdvContext& context) {
  const auto [source, pos] = PopArgs<2>(context);
  const std::string text = AdvGetStringText(context, source, kShortTextBuffer);
  const uint32_t at = static_cast<uint32_t>(pos);
  if (at >= kShortTextBuffer) {
    AdvDebugPrint(kLogError, "get_str_char : string position error");
    SetCommandResult(context, -1);
    return 0;
  }
  SetCommandResult(context, at < text.size() ? SignedByte(text[at]) : 0);
  return 1;
}

int CmdStrIndexof(AdvContext& context) {
  const auto [source, find_arg, start, len] = PopArgs<4>(context);
  SetCommandResult(context, -1);
  const std::string find = AdvGetStringText(context, find_arg, kIndexOfFindBuffer);
  const uint32_t reference = static_cast<uint32_t>(source);
  if ((reference & kStringVariableBit) != 0 && reference != kNoReference &&
      VariableSlot(reference) >= kStringVariableCount) {
    AdvDebugPrint(kLogError, "error str_indexof(), stringno=%d overflow", VariableSlot(reference));
    return 0;
  }
  const std::string text = AdvGetStringText(context, reference, kTextBuffer);
  if (start < 0) {
    AdvDebugPrint(kLogError, "error str_indexof(), index < 0");
    return 0;
  }
  const int64_t room = static_cast<int64_t>(text.size()) - start;
  const int64_t length = len == -1 ? room : len;
  if (length < 0) {
    AdvDebugPrint(kLogError, "error str_indexof(), length < 0");
    return 0;
  }
  if (room < length) {
    AdvDebugPrint(kLogError, "error str_indexof(), index over");
    return 0;
  }
  const std::string_view window =
      std::string_view(text).substr(static_cast<size_t>(start), static_cast<size_t>(length));
  const size_t at = window.find(find);
  if (at != std::string_view::npos) SetCommandResult(context, start + static_cast<int32_t>(at));
  return 1;
}

int CmdWsprint(AdvContext& context) {
  const auto [dest, format_arg] = PopArgs<2>(context);
  // All eight words leave the stack whatever the format uses.
  const std::array<int32_t, kScriptFormatArguments> arguments =
      PopArgs<kScriptFormatArguments>(context);
  const std::string format = AdvGetStringText(context, format_arg, kTextBuffer);
  const std::string text = FormatScriptText(context, format, arguments);
  const std::span<char> slot = StringVariableFor(context, static_cast<uint32_t>(dest), "wsprint");
  if (!slot.empty()) StoreStringVariable(slot, text);
  return 1;
}

int CmdIsDebug(AdvContext& context) {
  SetCommandResult(context, yel::YelDebugIs());
  return 1;
}

int CmdGetScriptFlag(AdvContext& context) {
  SetCommandResult(context, ScriptFlag);
  return 1;
}

int CmdSetScriptFlag(AdvContext& context) {
  ScriptFlag = PopArg(context) != 0 ? 1 : 0;
  return 1;
}

int CmdDownloadText(AdvContext& context) {
  const auto [source, dest] = PopArgs<2>(context);
  AdvGetStringText(context, source, kTextBuffer);
  if ((static_cast<uint32_t>(dest) & kStringVariableBit) == 0) {
    AdvDebugPrint(kLogError, "download_text dest not str type error");
  } else if (VariableSlot(static_cast<uint32_t>(dest)) < kStringVariableCount) {
    context.values.string_variables[static_cast<size_t>(VariableSlot(dest))][0] = 0;
  }
  SetCommandResult(context, -1);
  return 1;
}

int CmdGetDialogFileName(AdvContext& context) {
  const uint32_t dest = static_cast<uint32_t>(PopArg(context));
  const int32_t slot = VariableSlot(dest);
  if ((dest & kStringVariableBit) == 0 || slot >= kStringVariableCount) {
    AdvDebugPrint(kLogError, "文字列の番号が異常です %d", static_cast<int32_t>(dest));
    return 0;
  }
  StoreStringVariable(context.values.string_variables[static_cast<size_t>(slot)], FileDialogPath());
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x03, CmdStrfindf},
    {0x04, CmdStrcatf},
    {0x05, CmdStrgetcf},
    {0x06, CmdString},
    {0x07, CmdStrcpyf},
    {0x09, CmdWsprint},
    {0x0B, CmdIsDebug},
    {0x12, CmdStrreplace},
    {0x15, CmdStrlenf},
    {0x38, CmdStrslim},
    {0x39, CmdStrcut},
    {0x3A, CmdStrcpy},
    {0x3B, CmdStrcat},
    {0x50, CmdGetChar},
    {0x6B, CmdStrlen},
    {0x75, CmdGetScriptFlag},
    {0x76, CmdSetScriptFlag},
    {0x77, CmdSubstr},
    {0x78, CmdGetStrChar},
    {0x80, CmdStringShift},
    {0x81, CmdCatStrChar},
    {0x82, CmdDownloadText},
    {0x83, CmdStrIndexof},
    {0x86, CmdGetActiveStringAddNo},
    {0x8A, CmdGetDialogFileName},
};

}  // namespace

std::string& FileDialogPath() {
  static std::string path;
  return path;
}

const CommandSlotList kStringCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
