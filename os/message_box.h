// Message boxes. Where no display can show one (headless runs, tests, CI) the text goes to
// stderr and the box gives its cancelling answer, so nothing blocks and nothing is deleted
// unasked. Tests choose answers through the environment variable OS_MESSAGEBOX_ANSWERS: a
// comma-separated list ("yes,no,ok,cancel"; also "abort", "retry", "ignore",
// "tryagain", "continue") taken one answer per box, in order, once per
// process (the program and the platform library share this layer's one copy).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace os {

enum class BoxButtons {
  kOk,
  kOkCancel,
  kYesNo,
  kYesNoCancel,
  kAbortRetryIgnore,
  kRetryCancel,
  kCancelTryContinue,
};
enum class BoxIcon { kNone, kInformation, kWarning, kError, kQuestion };
enum class BoxAnswer { kOk, kCancel, kYes, kNo, kAbort, kRetry, kIgnore, kTryAgain, kContinue };

// A box type word (the buttons in its low four bits, the icon in the next four) and the id of an
// answer, as scripts and the library's callers number them: 1 OK, 2 Cancel, 3 Abort, 4 Retry,
// 5 Ignore, 6 Yes, 7 No, 10 Try again, 11 Continue.
BoxButtons BoxButtonsOfType(uint32_t type);
BoxIcon BoxIconOfType(uint32_t type);
int32_t BoxAnswerId(BoxAnswer answer);

// True when a display can show boxes and the engine's own dialogs to someone.
bool DisplayAvailable();

// Texts are UTF-8; convert engine texts with Cp932ToUtf8 or GbkToUtf8 first.
BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, BoxButtons buttons,
                         BoxIcon icon = BoxIcon::kNone);

// In-process replacement for the box, for tests; an empty function restores the real box.
using MessageBoxHook =
    std::function<BoxAnswer(const std::string& text, const std::string& caption, BoxButtons)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace os
