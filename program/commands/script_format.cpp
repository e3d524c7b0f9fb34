#include "program/commands/script_format.h"

#include "program/commands/number_format.h"
#include "program/commands/text_arguments.h"
#include "program/script/script_names.h"

namespace adv {
namespace {

constexpr size_t kTextArgumentBuffer = 4096;
constexpr size_t kOutputLimit = kScriptFormatCapacity - 1;

bool IsLeadByte(char c) {
  return static_cast<uint8_t>(c) >= 0x80;
}

// The numeric directive that starts at the "%" at `start`: up to and including its conversion
// letter, passing over double-byte characters whole; the rest of the format when it has none.
size_t NumericDirectiveEnd(std::string_view format, size_t start) {
  for (size_t i = start + 1; i < format.size(); ++i) {
    if (IsLeadByte(format[i])) {
      ++i;
    } else if (std::string_view("dDxXc").find(format[i]) != std::string_view::npos) {
      return i + 1;
    }
  }
  return format.size();
}

class Formatter {
 public:
  Formatter(AdvContext& context, const std::array<int32_t, kScriptFormatArguments>& arguments)
      : context_(context), arguments_(arguments) {}

  std::string Run(std::string_view format) {
    size_t i = 0;
    while (i < format.size()) {
      const size_t percent = format.find('%', i);
      if (percent == std::string_view::npos) {
        Append(format.substr(i));
        break;
      }
      Append(format.substr(i, percent - i));
      i = Directive(format, percent);
    }
    return std::move(out_);
  }

 private:
  void Append(std::string_view text) {
    out_.append(text.substr(0, kOutputLimit - std::min(kOutputLimit, out_.size())));
  }

  int32_t NextArgument() { return next_ < arguments_.size() ? arguments_[next_++] : 0; }

  // Handles the directive at `percent`; returns where the format goes on.
  size_t Directive(std::string_view format, size_t percent) {
    const char kind = percent + 1 < format.size() ? format[percent + 1] : 0;
    switch (kind) {
      case 'T':
      case 't':
      case 'S':
      case 's':
        Append(
            AdvGetStringText(context_, static_cast<uint32_t>(NextArgument()), kTextArgumentBuffer));
        return percent + 2;
      case 'F':
      case 'f':
        Append(
            FileNameArgument(context_, static_cast<uint32_t>(NextArgument()), kTextArgumentBuffer));
        return percent + 2;
      case 'n':
        Append("\r\n");
        return percent + 2;
      case '%':
        Append("%");
        return percent + 2;
      case '\'':
        Append("\"");
        return percent + 2;
      default: {
        const size_t end = NumericDirectiveEnd(format, percent);
        AppendNumberDirective(out_, format.substr(percent, end - percent), NextArgument(),
                              kOutputLimit);
        return end;
      }
    }
  }

  AdvContext& context_;
  const std::array<int32_t, kScriptFormatArguments>& arguments_;
  size_t next_ = 0;
  std::string out_;
};

}  // namespace

std::string FormatScriptText(AdvContext& context, std::string_view format,
                             const std::array<int32_t, kScriptFormatArguments>& arguments) {
  return Formatter(context, arguments).Run(format);
}

}  // namespace adv
