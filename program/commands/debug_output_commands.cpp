// The script's debug texts: a format with directives for numbers, texts and file names, and up to
// seven values, printed to the debug page of the command trace or of errors. The format is the
// script's: it is read here directive by directive and never reaches a C formatter.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "program/commands/number_format.h"
#include "program/commands/system_commands.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr size_t kOutputSize = 2048;
constexpr size_t kTextBufferSize = 519;
// The longest width directive, its percent sign included.
constexpr size_t kWidthDirectiveMax = 15;
// The system formatter writes at most 1,023 characters for one directive.
constexpr size_t kDirectiveOutputMax = 1023;
constexpr int kValueCount = 7;

class DebugOutputBuilder {
 public:
  DebugOutputBuilder(AdvContext& context, const std::array<int32_t, kValueCount>& values)
      : context_(context), values_(values) {}

  // False once a piece did not fit: the text then stays as it was before that piece.
  bool Append(std::string_view piece) {
    if (output_.size() + piece.size() >= kOutputSize) {
      AdvDebugPrint(kLogError, "Error AdvDebugOutputCore szOut over size");
      return false;
    }
    output_.append(piece);
    return true;
  }

  // The next value; a directive beyond the seventh gets none (0, the empty text).
  bool NextValue(int32_t* value) {
    if (used_ >= kValueCount) return false;
    *value = values_[used_++];
    return true;
  }

  std::string Text(bool as_file) {
    int32_t value = 0;
    const uint32_t reference = NextValue(&value) ? static_cast<uint32_t>(value) : kNoReference;
    if (as_file) {
      std::array<uint8_t, kFileNameSize> name{};
      AdvGetFileName(context_, name.data(), reference, false);
      const char* text = reinterpret_cast<const char*>(name.data());
      return std::string(text, strnlen(text, name.size()));
    }
    std::array<uint8_t, kTextBufferSize> entry{};
    AdvGetString(context_, entry.data(), entry.size(), reference);
    const char* text = reinterpret_cast<const char*>(entry.data() + 4);
    return std::string(text, strnlen(text, entry.size() - 4));
  }

  int32_t Number() {
    int32_t value = 0;
    NextValue(&value);
    return value;
  }

  const std::string& output() const { return output_; }

 private:
  AdvContext& context_;
  const std::array<int32_t, kValueCount>& values_;
  int used_ = 0;
  std::string output_;
};

std::string Hex8(int32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(8, '0');
  uint32_t bits = static_cast<uint32_t>(value);
  for (int i = 7; i >= 0; --i, bits >>= 4) text[static_cast<size_t>(i)] = kDigits[bits & 15];
  return text;
}

// The length of a width directive at `at` (a percent sign, digits, d), or 0.
size_t WidthDirectiveLength(std::string_view format, size_t at) {
  size_t end = at + 1;
  while (end < format.size() && format[end] >= '0' && format[end] <= '9') ++end;
  if (end == at + 1 || end >= format.size() || format[end] != 'd') return 0;
  const size_t length = end + 1 - at;
  return length <= kWidthDirectiveMax ? length : 0;
}

// One directive at `at`: its text is appended and the length it takes is returned (2 for one
// that is not a directive: both characters are dropped and no value is used). False when the
// text is full.
bool ApplyDirective(DebugOutputBuilder& out, std::string_view format, size_t at, size_t* taken) {
  *taken = 2;
  const char kind = at + 1 < format.size() ? format[at + 1] : '\0';
  switch (kind) {
    case 'd':
    case 'D':
      return out.Append(std::to_string(out.Number()));
    case 'x':
    case 'X':
      return out.Append(Hex8(out.Number()));
    case 't':
    case 'T':
      return out.Append(out.Text(false));
    case 'f':
    case 'F':
      return out.Append(out.Text(true));
    default:
      break;
  }
  const size_t width_length = WidthDirectiveLength(format, at);
  if (width_length == 0) return true;
  *taken = width_length;
  // The script's directive never reaches the C formatter; the width is bounded.
  std::string text;
  AppendNumberDirective(text, format.substr(at, width_length), out.Number(), kDirectiveOutputMax);
  return out.Append(text);
}

// The output text of a format and its seven values.
std::string AssembleOutput(AdvContext& context, std::string_view format,
                           const std::array<int32_t, kValueCount>& values) {
  DebugOutputBuilder out(context, values);
  size_t at = 0;
  while (at < format.size()) {
    const size_t percent = std::min(format.find('%', at), format.size());
    if (!out.Append(format.substr(at, percent - at))) break;
    if (percent == format.size()) break;
    size_t taken = 0;
    if (!ApplyDirective(out, format, percent, &taken)) break;
    at = std::min(percent + taken, format.size());
  }
  return out.output();
}

}  // namespace

std::string AdvDebugOutputText(AdvContext& context, uint32_t format_reference,
                               const std::array<int32_t, kValueCount>& values) {
  std::array<uint8_t, kTextBufferSize> entry{};
  AdvGetString(context, entry.data(), entry.size(), format_reference);
  const char* format = reinterpret_cast<const char*>(entry.data() + 4);
  return AssembleOutput(context, std::string_view(format, strnlen(format, entry.size() - 4)),
                        values);
}

namespace {

// Eight values are always popped: the format, then the seven values. Outside debug mode nobody
// reads the text, so it is not made.
int AdvDebugOutputCore(AdvContext& context, int32_t level) {
  const uint32_t format_reference = static_cast<uint32_t>(PopArg(context));
  const std::array<int32_t, kValueCount> values = PopArgs<kValueCount>(context);
  if (!yel::YelDebugIs()) return 1;
  const std::string text = AdvDebugOutputText(context, format_reference, values);
  AdvDebugPrint(level, "%s", text.c_str());
  return 1;
}

}  // namespace

int CmdDebugOutputError(AdvContext& context) {
  return AdvDebugOutputCore(context, kLogError);
}
int CmdDebugOutput(AdvContext& context) {
  return AdvDebugOutputCore(context, kLogTrace);
}

}  // namespace adv
