// Opening a document or an address with the program the desktop chooses for it.
#pragma once

#include <string>

namespace os {

enum class ShellOpenResult {
  kStarted,
  kNoOpener,  // "xdg-open" is not installed
  kFailed,    // it could not be started
};

// Starts "xdg-open" with `target` (a UTF-8 path or URL) as its one argument: no shell reads the
// text, and the calling process's working folder does not change. Does not wait for it; a
// thread of its own collects it when it ends.
ShellOpenResult ShellOpen(const std::string& target);

}  // namespace os
