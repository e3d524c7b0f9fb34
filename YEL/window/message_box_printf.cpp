// Formatted message boxes in the MessageBox convention of box types and answer codes, over the
// operating-system layer's boxes.
#include <cstdarg>
#include <cstdio>

#include "YEL/yel.h"
#include "os/encoding.h"
#include "os/message_box.h"

namespace {

constexpr size_t kTextBytes = 2048;

os::BoxButtons ButtonsOf(uint32_t type) {
  switch (type & 0xF) {
    case 1:
      return os::BoxButtons::kOkCancel;
    case 3:
      return os::BoxButtons::kYesNoCancel;
    case 4:
      return os::BoxButtons::kYesNo;
    default:
      return os::BoxButtons::kOk;
  }
}

os::BoxIcon IconOf(uint32_t type) {
  switch (type & 0xF0) {
    case 0x10:
      return os::BoxIcon::kError;
    case 0x20:
      return os::BoxIcon::kQuestion;
    case 0x30:
      return os::BoxIcon::kWarning;
    case 0x40:
      return os::BoxIcon::kInformation;
    default:
      return os::BoxIcon::kNone;
  }
}

int AnswerCode(os::BoxAnswer answer) {
  switch (answer) {
    case os::BoxAnswer::kOk:
      return 1;
    case os::BoxAnswer::kCancel:
      return 2;
    case os::BoxAnswer::kYes:
      return 6;
    default:
      return 7;
  }
}

}  // namespace

extern "C" int YelMessageBoxPrintf(void* /*window*/, const char* caption, uint32_t type,
                                   const char* format, ...) {
  char text[kTextBytes] = "";
  if (format) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
  }
  const os::BoxAnswer answer =
      os::ShowMessageBox(os::Cp932ToUtf8(text), os::Cp932ToUtf8(caption ? caption : ""),
                         ButtonsOf(type), IconOf(type));
  return AnswerCode(answer);
}
