// The small system commands of group 0x12 (run state, time, skip latch, work-thread mode, window
// title, the desktop's "open", sleep) and the group's slots of every system command.
#include "program/commands/system_commands.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "os/clock.h"
#include "os/encoding.h"
#include "os/file_system.h"
#include "os/shell_open.h"
#include "os/window.h"
#include "program/commands/extra_commands.h"
#include "program/game/adv_context.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr size_t kTitleBufferSize = 260;
constexpr size_t kCompareBufferSize = 4096;
// The longest sleep: a script asking for more (-1 asks for ever) would stall the frames, and on
// the main thread hold the render lock, for that long.
constexpr uint32_t kSleepLimitMs = 10000;
// Sleeps are taken in slices so that an end request ends them.
constexpr uint32_t kSleepSliceMs = 10;

// ---- Run state and time ------------------------------------------------------------------

int CmdGetStartFlag(AdvContext& context) {
  const AdvTaskData* data = context.task_data;
  SetCommandResult(context, data && Startup().start_word ? data->start_flag : 0);
  return 1;
}

// The routine behind this value is the game's own: this engine has none, so it is 0.
int CmdGetSystemValue(AdvContext& context) {
  SetCommandResult(context, 0);
  context.script.stop = 1;
  return 1;
}

int CmdGetTime10ms(AdvContext& context) {
  SetCommandResult(context, static_cast<int32_t>(yel::YeltimeGetTime() / 10));
  return 1;
}

int CmdGetStartOption(AdvContext& context) {
  SetCommandResult(context, Startup().reserved_word);
  return 1;
}

int CmdGetSystemTime(AdvContext& context) {
  SetCommandResult(context, static_cast<int32_t>(os::TimeMs()));
  return 1;
}

int CmdGetAllocCount(AdvContext& context) {
  SetCommandResult(context, yel::YelGetAllocCount());
  return 1;
}

int CmdGetChangeWindowModeTime(AdvContext& context) {
  const int32_t time = static_cast<int32_t>(yel::YelGetChangeWindowModeTime());
  SetCommandResult(context, time);
  AdvDebugPrint(kLogTrace, "get_change_window_mode_time %d", time);
  return 1;
}

int CmdIsSceneSkip(AdvContext& context) {
  SetCommandResult(context, context.skip.scene_skip);
  return 1;
}

int CmdIsMosaicThumbnail(AdvContext& context) {
  SetCommandResult(context, IsThumbnailMosaic(context) ? 1 : 0);
  return 1;
}

int CmdSetContextWord(AdvContext& context) {
  context.context_word = static_cast<uint32_t>(PopArg(context));
  return 1;
}

// Whichever thread runs the script sleeps, and an end request ends the sleep.
int CmdSleep(AdvContext& context) {
  const int32_t requested = PopArg(context);
  const uint32_t ms = SleepDuration(requested);
  if (ms != static_cast<uint32_t>(requested)) {
    AdvDebugPrint(kLogError, "[%d]sleep %u ms: cut to %u ms", context.script.pc,
                  static_cast<uint32_t>(requested), ms);
  }
  const uint32_t start = os::TimeMs();
  for (uint32_t slept = 0; slept < ms && !yel::IsSystemEnd(); slept = os::TimeMs() - start) {
    os::SleepMs(std::min(kSleepSliceMs, ms - slept));
  }
  return 1;
}

// ---- Skip latch ----------------------------------------------------------------------------

int CmdBeginSkip(AdvContext& context) {
  SkipLatchSet(context, 1);
  AdvDebugPrint(kLogTrace, "begin_skip");
  return 1;
}

int CmdEndSkip(AdvContext& context) {
  SkipLatchSet(context, 0);
  AdvDebugPrint(kLogTrace, "end_skip");
  return 1;
}

int CmdGetBeginSkipKeystate(AdvContext& context) {
  const int32_t bits = static_cast<int32_t>(SkipLatchGet(context));
  SetCommandResult(context, bits);
  AdvDebugPrint(kLogTrace, "get_begin_skip_keystate %d", bits);
  return 1;
}

// ---- Work-thread mode ----------------------------------------------------------------------

// Not during a skip or an advance input, not with the screen effects off, and once only: the
// threaded flag is taken with one exchange, so a second begin queues nothing more.
int CmdWorkProcessBegin(AdvContext& context) {
  ScriptState& state = context.script;
  if (AdvSkipState(context) != 0 || !yel::YelEffectEnableIs()) return 1;
  int32_t idle = 0;
  if (!state.threaded.compare_exchange_strong(idle, 1)) return 1;
  state.stop = 1;
  if (!yel::YelAttachWorkProcess(ScriptWorkThreadLoop, reinterpret_cast<uintptr_t>(&context))) {
    // Nobody would run the script: it goes on on this thread.
    state.threaded = 0;
    state.stop = 0;
    AdvDebugPrint(kLogError, "[%d]work_process_begin: the work thread takes no job",
                  context.script.pc);
  }
  return 1;
}

// On the work thread the loop ends after this instruction and hands the script back; on the
// main thread it only clears the flag.
int CmdWorkProcessEnd(AdvContext& context) {
  context.script.threaded = 0;
  return 1;
}

// ---- Window title and the desktop's "open" -------------------------------------------------

struct TitleJob {
  os::Window* window;
  std::string utf8;
};

void SetTitleOnUiThread(uintptr_t job) {
  const auto* title = reinterpret_cast<const TitleJob*>(job);
  title->window->SetTitle(title->utf8);
}

}  // namespace

// The window belongs to the UI thread, which sets the title while this thread waits. Once the
// program ends (a last process runs then) the UI thread may no longer serve the request, and a
// title would not be seen anyway.
void SetWindowTitle(const char* cp932) {
  auto* window = static_cast<os::Window*>(yel::YelGetWindowHandle());
  if (!window || yel::IsSystemEnd()) return;
  TitleJob job{window, os::Cp932ToUtf8(cp932)};
  yel::YelAttachProcess(SetTitleOnUiThread, reinterpret_cast<uintptr_t>(&job));
}

namespace {

// The script run ends for this frame whether or not a title was given.
int CmdSetWindowTitle(AdvContext& context) {
  const uint32_t reference = static_cast<uint32_t>(PopArg(context));
  if (reference != kNoReference) {
    std::array<uint8_t, kTitleBufferSize> entry{};
    AdvGetString(context, entry.data(), entry.size(), reference);
    SetWindowTitle(reinterpret_cast<const char*>(entry.data() + 4));
  }
  context.script.stop = 1;
  return 1;
}

// A name that leaves the program folder: absolute, with a drive, or with a ".." component.
bool LeavesFolder(std::string_view name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/') return true;
  if (name.find(':') != std::string_view::npos) return true;
  size_t start = 0;
  while (start <= name.size()) {
    const size_t end = std::min(name.find_first_of("\\/", start), name.size());
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

// What the opener gets: an address as it is, a name as the file of that name in the program's
// base folder (found without regard to case). Empty for a name that would leave the folder.
std::string ShellTarget(std::string_view name) {
  if (name.substr(0, 4) == "http") return os::Cp932ToUtf8(name);
  if (LeavesFolder(name)) return {};
  const std::string path =
      os::DiskPath(std::string(yel::YelGetFilePath()) + "\\" + std::string(name));
  const std::string found = os::FindPathNoCase(path);
  return found.empty() ? path : found;
}

// The base folder is joined to the name instead of becoming the process's working folder.
int CmdAppExec(AdvContext& context) {
  std::array<uint8_t, kFileNameSize> name{};
  AdvGetFileName(context, name.data(), static_cast<uint32_t>(PopArg(context)), false);
  const char* text = reinterpret_cast<const char*>(name.data());
  const std::string_view view(text, strnlen(text, name.size()));
  AdvDebugPrint(kLogTrace, "app_exec  %.*s", static_cast<int>(view.size()), view.data());
  const std::string target = ShellTarget(view);
  if (target.empty()) {
    AdvDebugPrint(kLogError, "[%d]app_exec: '%.*s' is not a file of the game folder",
                  context.script.pc, static_cast<int>(view.size()), view.data());
    return 1;
  }
  switch (os::ShellOpen(target)) {
    case os::ShellOpenResult::kStarted:
      break;
    case os::ShellOpenResult::kNoOpener:
      AdvDebugPrint(kLogError, "app_exec: xdg-open is not installed, '%s' cannot be opened",
                    target.c_str());
      break;
    case os::ShellOpenResult::kFailed:
      AdvDebugPrint(kLogError, "app_exec: xdg-open could not be started for '%s'", target.c_str());
      break;
  }
  return 1;
}

// ---- Texts ---------------------------------------------------------------------------------

// ASCII capitals become small letters; a byte of 0x80 or above starts a double-byte character,
// whose second byte is left as it is (lowering it would make different characters equal).
void LowerCaseText(uint8_t* text, size_t size) {
  for (size_t i = 0; i < size && text[i]; ++i) {
    if (text[i] >= 0x80) {
      if (i + 1 < size && text[i + 1]) ++i;
    } else if (text[i] >= 'A' && text[i] <= 'Z') {
      text[i] = static_cast<uint8_t>(text[i] - 'A' + 'a');
    }
  }
}

int CmdStrcmpi(AdvContext& context) {
  const auto [first, second] = PopArgs<2>(context);
  std::array<std::array<uint8_t, kCompareBufferSize>, 2> texts{};
  AdvGetString(context, texts[0].data(), kCompareBufferSize, static_cast<uint32_t>(first));
  AdvGetString(context, texts[1].data(), kCompareBufferSize, static_cast<uint32_t>(second));
  for (auto& text : texts) LowerCaseText(text.data() + 4, kCompareBufferSize - 4);
  const bool equal = std::strcmp(reinterpret_cast<const char*>(texts[0].data() + 4),
                                 reinterpret_cast<const char*>(texts[1].data() + 4)) == 0;
  SetCommandResult(context, equal ? 0 : 1);
  return 1;
}

// ---- Network services this engine does not offer -----------------------------------------

// Each logs its notice and fails, so the interpreter adds its internal-error line.
int NotSupported(AdvContext& context, int pops, const char* name) {
  for (int i = 0; i < pops; ++i) PopArg(context);
  AdvDebugPrint(kLogError, "%s : NOT SUPPORT", name);
  return 0;
}

int CmdIsTweet(AdvContext& context) {
  SetCommandResult(context, 0);
  return NotSupported(context, 0, "is_tweet");
}
int CmdTwitter(AdvContext& context) {
  return NotSupported(context, 2, "twitter");
}
int CmdResultTweet(AdvContext& context) {
  SetCommandResult(context, -1);
  return NotSupported(context, 0, "result_tweet");
}
int CmdGetTweetKey(AdvContext& context) {
  return NotSupported(context, 2, "get_tweet_key");
}
int CmdSetTweetKey(AdvContext& context) {
  return NotSupported(context, 2, "set_tweet_key");
}
int CmdTweetAuthorize(AdvContext& context) {
  return NotSupported(context, 0, "tweet_authorize");
}

constexpr CommandSlot kSlots[] = {
    {0x01, CmdAppExec},
    {0x0D, CmdEntryFilename},
    {0x0E, CmdUpdateAccess},
    {0x0F, CmdGetStartFlag},
    {0x10, CmdSetWindowTitle},
    {0x11, CmdGetSystemValue},
    {0x13, CmdGetTime10ms},
    {0x14, CmdGetStartOption},
    {0x1C, CmdWorkProcessBegin},
    {0x1D, CmdWorkProcessEnd},
    {0x23, CmdSetLastProcess},
    {0x28, CmdClearAccess},
    {0x29, CmdIsTweet},
    {0x2A, CmdTwitter},
    {0x35, CmdHistoryPointClear},
    {0x36, CmdHistoryPoint},
    {0x4A, CmdResultTweet},
    {0x4B, CmdGetTweetKey},
    {0x4C, CmdSetTweetKey},
    {0x4E, CmdTweetAuthorize},
    {0x51, CmdThreadReturnPoint},
    {0x58, CmdIsNetwork},
    {0x59, CmdIsTouch},
    {0x5A, CmdDebugOutputError},
    {0x5B, CmdTouchEnable},
    {0x5C, CmdDebugOutput},
    {0x5D, CmdGetMaxTextureWidth},
    {0x5E, CmdGetMaxTextureHeight},
    {0x5F, CmdIsTexturePow2},
    {0x60, CmdIs3d},
    {0x61, CmdGetMemoryStatus},
    {0x62, CmdGetDiskFree},
    {0x63, CmdGetOsVersion},
    {0x64, CmdGetDisplayInfo},
    {0x65, CmdTouchMode},
    {0x66, CmdIsTouchMode},
    {0x67, CmdGestureCallSet},
    {0x68, CmdGestureCallReset},
    {0x69, CmdGestureGet},
    {0x6A, CmdSetPow},
    {0x6C, CmdIsSceneSkip},
    {0x6D, CmdStrcmpi},
    {0x6E, CmdGetTextureMemory},
    {0x6F, CmdIsMosaicThumbnail},
    {0x70, CmdSetContextWord},
    {0x79, CmdGetSystemTime},
    {0x7A, CmdSleep},
    {0x7B, CmdGetAllocCount},
    {0x7C, CmdBeginSkip},
    {0x7D, CmdEndSkip},
    {0x7E, CmdGetBeginSkipKeystate},
    {0x7F, CmdGetChangeWindowModeTime},
    {0xA0, CmdSceneReset},
};

}  // namespace

uint32_t SleepDuration(int32_t requested) {
  return std::min(static_cast<uint32_t>(requested), kSleepLimitMs);
}

const CommandSlotList kSystemCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
