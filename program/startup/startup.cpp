#include "program/startup/startup.h"

#include <cstdio>
#include <string>

#include "os/encoding.h"
#include "os/instance_lock.h"
#include "os/message_box.h"
#include "os/paths.h"
#include "os/signals.h"
#include "os/user_folders.h"
#include "program/data/archive_list.h"
#include "program/game/game_file_access.h"
#include "program/game/game_task.h"
#include "program/savedata/config_file.h"
#include "program/savedata/system_file.h"
#include "program/startup/debug_pages_open.h"
#include "program/startup/program_folder_check.h"
#include "program/startup/startup_names.h"
#include "program/startup/startup_options.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

std::string JoinArguments(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) line += std::string(i > 1 ? " " : "") + argv[i];
  return line;
}

// A desktop no larger than the window in one direction plays in full screen at once.
bool DesktopSmallerThan(int32_t width, int32_t height) {
  YelRect desktop;
  yel::YelGetDesktopRect(&desktop);
  return desktop.right - desktop.left <= width || desktop.bottom - desktop.top <= height;
}

// Asked on the first start only, before "system.dat" exists.
int32_t FirstStartAsk() {
  const std::string product = os::Cp932ToUtf8(Startup().product_name);
  return os::ShowMessageBox("初起動時のウインドウモードを設定します。\n"
                            "フルスクリーンでゲームを開始する。",
                            product, os::BoxButtons::kYesNo,
                            os::BoxIcon::kQuestion) == os::BoxAnswer::kYes
             ? 1
             : 0;
}

int32_t FullScreenRequest(const YelInitParam& param) {
  if (DesktopSmallerThan(param.window_width, param.window_height)) return 1;
  if (NoWindowChoice) return 1;
  if (os::IsFile(os::Cp932ToUtf8(Startup().save_folder + "/system.dat"))) return 0;
  return FirstStartAsk();
}

// The player can size the window from a quarter to twice the game size, the limits the library
// gives the window once it exists (its GetMinWindowSize answers only after YelInit).
ConfigWindowRules WindowRules(const YelInitParam& param) {
  ConfigWindowRules rules;
  rules.min_track_width = param.game_width / 4;
  rules.min_track_height = param.game_height / 4;
  rules.max_track_width = 2 * param.game_width;
  rules.max_track_height = 2 * param.game_height;
  rules.game_window_width = AdvWindowWidth;
  rules.game_window_height = AdvWindowHeight;
  rules.center = [](int32_t width, int32_t height, int32_t& x, int32_t& y) {
    YelPoint point{};
    yel::YelWindowGetPosCenter(&point, width, height);
    x = point.x;
    y = point.y;
  };
  return rules;
}

void FillStartRecord(YelInitParam& param, const std::string& command_line) {
  yel::YelDefaultCreate(&param);
  param.first_func = AdvCreateStartTask;
  param.end_func = AdvMainThreadEnd;
  const Resolution row = ResolutionRow(ResolutionIndex);
  param.window_width = row.window_width;
  param.window_height = row.window_height;
  param.game_width = row.game_width;
  param.game_height = row.game_height;
  param.full_screen = FullScreenRequest(param);
  AdvWindowWidth = param.window_width;
  AdvWindowHeight = param.window_height;
  param.frame_rate = 60;
  param.texture_slot_count = 1535;
  param.reserved_count = 1535;
  param.title = Startup().product_name.c_str();
  param.class_name = Startup().product_name.c_str();
  param.icon = 101;
  param.debug = DebugBuildFlag();
  ConfigLoad(Startup().save_folder, param, WindowRules(param));
  static std::string kept_command_line;
  kept_command_line = command_line;
  param.cmd_line = kept_command_line.c_str();
  MovieSkipFlag = ApplyCommandLine(command_line, param).movie_skip ? 1 : 0;
}

bool MountStartArchives() {
  return MountArchives(0, Startup().program_folder, GameFileReader(), [](const std::string& name) {
    return yel::YelSystemPathSet(name.c_str()) != 0;
  });
}

// The saved data belongs to the script that wrote it. True when the game goes on.
bool ScriptChangeCheck() {
  const std::string& save = Startup().save_folder;
  if (ScriptStampMatches(save, GameFileReader())) return true;
  if (!ReadGameFile("Script.src", 0, 12)) {
    // An unreadable script is not a changed one: the start fails later with its own message,
    // and nothing of the player's is deleted for it.
    return true;
  }
  if (!NoWindowChoice &&
      os::ShowMessageBox("スクリプトファイルが更新されています。\n"
                         "システムデータ/セーブデータを削除しますか？",
                         "検証結果", os::BoxButtons::kYesNo,
                         os::BoxIcon::kQuestion) != os::BoxAnswer::kYes) {
    return false;
  }
  if (DeleteSaveData(save)) return true;
  os::ShowMessageBox("データの削除に失敗しました。\n手動で削除してください。", "予期せぬエラー",
                     os::BoxButtons::kOk, os::BoxIcon::kQuestion);
  return false;
}

// Everything from YelInit on; the exit code.
int RunPlatform(YelInitParam& param) {
  Startup().start_word = 1;
  StartFlag = 1;
  if (!yel::YelInit(&param)) return 0;
  if (!MountStartArchives()) yel::YelErrorLogPrintf("MountArchives(0) failed");
  if (!ScriptChangeCheck()) {
    // The game did not start: a launcher must not take this for a normal end.
    yel::YelUninit();
    return 1;
  }
  if (yel::YelDebugIs()) DebugPagesOpen();
  yel::YelRun();
  YelInitParam current;
  yel::YelGetSystemParameters(&current);
  ConfigSave(Startup().save_folder, current);
  yel::YelUninit();
  return AdvStartFailed() ? 1 : 0;
}

}  // namespace

int GameMain(int argc, char** argv) {
  os::IgnoreFileSizeLimitSignal();
  os::SetRuntimeFolderWhenMissing();
  if (!ProgramFolderCheck(ProgramPathCp932())) return 1;
  if (!yel::LoadLibrary()) return 1;
  if (!StartupInfoRead()) return 1;
  os::InstanceLock instance;
  const std::string product = os::Cp932ToUtf8(Startup().product_name);
  if (!SkipInstanceCheck && !instance.Acquire(product)) {
    std::fprintf(stderr, "%s is already running: this start ends.\n", product.c_str());
    return 1;
  }
  YelInitParam param;
  FillStartRecord(param, JoinArguments(argc, argv));
  return RunPlatform(param);
}

}  // namespace adv
