#include "os/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <vector>

namespace os {
namespace {

std::mutex g_mutex;  // guards g_hook and g_scripted
MessageBoxHook g_hook;
bool g_scripted_loaded = false;
std::vector<std::string> g_scripted;
size_t g_scripted_next = 0;

BoxAnswer CancellingAnswer(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kOk:
      return BoxAnswer::kOk;
    case BoxButtons::kOkCancel:
      return BoxAnswer::kCancel;
    case BoxButtons::kYesNo:
      return BoxAnswer::kNo;
    case BoxButtons::kYesNoCancel:
      return BoxAnswer::kCancel;
    case BoxButtons::kAbortRetryIgnore:
      return BoxAnswer::kAbort;  // the box has no Cancel
    case BoxButtons::kRetryCancel:
      return BoxAnswer::kCancel;
    case BoxButtons::kCancelTryContinue:
      return BoxAnswer::kCancel;
  }
  return BoxAnswer::kCancel;
}

const char* AnswerName(BoxAnswer answer) {
  switch (answer) {
    case BoxAnswer::kOk:
      return "ok";
    case BoxAnswer::kCancel:
      return "cancel";
    case BoxAnswer::kYes:
      return "yes";
    case BoxAnswer::kNo:
      return "no";
    case BoxAnswer::kAbort:
      return "abort";
    case BoxAnswer::kRetry:
      return "retry";
    case BoxAnswer::kIgnore:
      return "ignore";
    case BoxAnswer::kTryAgain:
      return "tryagain";
    case BoxAnswer::kContinue:
      return "continue";
  }
  return "cancel";
}

// The next answer from OS_MESSAGEBOX_ANSWERS, if one is left.
bool ScriptedAnswer(BoxAnswer& answer) {
  if (!g_scripted_loaded) {
    g_scripted_loaded = true;
    if (const char* env = std::getenv("OS_MESSAGEBOX_ANSWERS")) {
      std::stringstream list(env);
      for (std::string item; std::getline(list, item, ',');) g_scripted.push_back(item);
    }
  }
  if (g_scripted_next >= g_scripted.size()) return false;
  const std::string& word = g_scripted[g_scripted_next++];
  for (BoxAnswer candidate :
       {BoxAnswer::kOk, BoxAnswer::kCancel, BoxAnswer::kYes, BoxAnswer::kNo, BoxAnswer::kAbort,
        BoxAnswer::kRetry, BoxAnswer::kIgnore, BoxAnswer::kTryAgain, BoxAnswer::kContinue}) {
    if (word == AnswerName(candidate)) {
      answer = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace

bool DisplayAvailable() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && (std::string(driver) == "offscreen" || std::string(driver) == "dummy")) {
    return false;
  }
  return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

namespace {

void Report(const std::string& text, const std::string& caption, BoxAnswer answer) {
  std::fprintf(stderr, "[message box] %s: %s -> %s\n", caption.c_str(), text.c_str(),
               AnswerName(answer));
  std::fflush(stderr);
}

Uint32 SdlIconFlags(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kError:
      return SDL_MESSAGEBOX_ERROR;
    case BoxIcon::kWarning:
      return SDL_MESSAGEBOX_WARNING;
    default:
      return SDL_MESSAGEBOX_INFORMATION;
  }
}

bool ShowSdlBox(const std::string& text, const std::string& caption, BoxButtons buttons,
                BoxIcon icon, BoxAnswer& answer) {
  std::vector<SDL_MessageBoxButtonData> data;
  auto add = [&](BoxAnswer a, const char* label, Uint32 flags) {
    data.push_back({flags, static_cast<int>(a), label});
  };
  const Uint32 kReturn = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
  const Uint32 kEscape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  switch (buttons) {
    case BoxButtons::kOk:
      add(BoxAnswer::kOk, "OK", kReturn | kEscape);
      break;
    case BoxButtons::kOkCancel:
      add(BoxAnswer::kOk, "OK", kReturn);
      add(BoxAnswer::kCancel, "Cancel", kEscape);
      break;
    case BoxButtons::kYesNo:
      add(BoxAnswer::kYes, "Yes", kReturn);
      add(BoxAnswer::kNo, "No", kEscape);
      break;
    case BoxButtons::kYesNoCancel:
      add(BoxAnswer::kYes, "Yes", kReturn);
      add(BoxAnswer::kNo, "No", 0);
      add(BoxAnswer::kCancel, "Cancel", kEscape);
      break;
    case BoxButtons::kAbortRetryIgnore:
      add(BoxAnswer::kAbort, "Abort", 0);
      add(BoxAnswer::kRetry, "Retry", kReturn);
      add(BoxAnswer::kIgnore, "Ignore", 0);
      break;
    case BoxButtons::kRetryCancel:
      add(BoxAnswer::kRetry, "Retry", kReturn);
      add(BoxAnswer::kCancel, "Cancel", kEscape);
      break;
    case BoxButtons::kCancelTryContinue:
      add(BoxAnswer::kCancel, "Cancel", kEscape);
      add(BoxAnswer::kTryAgain, "Try Again", kReturn);
      add(BoxAnswer::kContinue, "Continue", 0);
      break;
  }
  SDL_MessageBoxData box{
      SdlIconFlags(icon), nullptr, caption.c_str(), text.c_str(), static_cast<int>(data.size()),
      data.data(),        nullptr};
  int pressed = -1;
  if (SDL_ShowMessageBox(&box, &pressed) != 0 || pressed < 0) return false;
  answer = static_cast<BoxAnswer>(pressed);
  return true;
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard lock(g_mutex);
  g_hook = std::move(hook);
}

BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, BoxButtons buttons,
                         BoxIcon icon) {
  BoxAnswer answer = CancellingAnswer(buttons);
  {
    std::lock_guard lock(g_mutex);
    if (g_hook) return g_hook(text, caption, buttons);
    if (ScriptedAnswer(answer)) {
      Report(text, caption, answer);
      return answer;
    }
  }
  if (DisplayAvailable() && ShowSdlBox(text, caption, buttons, icon, answer)) return answer;
  answer = CancellingAnswer(buttons);
  Report(text, caption, answer);
  return answer;
}

BoxButtons BoxButtonsOfType(uint32_t type) {
  switch (type & 0xF) {
    case 1:
      return BoxButtons::kOkCancel;
    case 2:
      return BoxButtons::kAbortRetryIgnore;
    case 3:
      return BoxButtons::kYesNoCancel;
    case 4:
      return BoxButtons::kYesNo;
    case 5:
      return BoxButtons::kRetryCancel;
    case 6:
      return BoxButtons::kCancelTryContinue;
    default:
      return BoxButtons::kOk;
  }
}

BoxIcon BoxIconOfType(uint32_t type) {
  switch (type & 0xF0) {
    case 0x10:
      return BoxIcon::kError;
    case 0x20:
      return BoxIcon::kQuestion;
    case 0x30:
      return BoxIcon::kWarning;
    case 0x40:
      return BoxIcon::kInformation;
    default:
      return BoxIcon::kNone;
  }
}

int32_t BoxAnswerId(BoxAnswer answer) {
  switch (answer) {
    case BoxAnswer::kOk:
      return 1;
    case BoxAnswer::kCancel:
      return 2;
    case BoxAnswer::kAbort:
      return 3;
    case BoxAnswer::kRetry:
      return 4;
    case BoxAnswer::kIgnore:
      return 5;
    case BoxAnswer::kYes:
      return 6;
    case BoxAnswer::kNo:
      return 7;
    case BoxAnswer::kTryAgain:
      return 10;
    case BoxAnswer::kContinue:
      return 11;
  }
  return 2;
}

}  // namespace os
