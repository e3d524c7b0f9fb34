// Formatted message boxes in the MessageBox convention of box types and answer codes, over the
// operating-system layer's boxes.
#include <cstdarg>
#include <cstdio>

#include "YEL/yel.h"
#include "os/encoding.h"
#include "os/message_box.h"

namespace {

constexpr size_t kTextBytes = 2048;

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
                         os::BoxButtonsOfType(type), os::BoxIconOfType(type));
  return os::BoxAnswerId(answer);
}
