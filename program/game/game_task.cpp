// The game task: created by the platform's first function, loading the system data in its first
// frame, running the game every frame after, and saving what must survive at the end.
#include "program/game/game_task.h"

#include <new>

#include "program/game/game_file_access.h"
#include "program/layers/layer_movies.h"
#include "program/savedata/save_files.h"
#include "program/script/script_run.h"
#include "program/sound/sound_config.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// "system.dat" and "access.dat" are written at the end only when they were read (or made) at the
// start and the game then ran, so a failed start never replaces or rewrites the player's files.
struct SystemFilesState {
  bool system_loaded = false;
  bool access_loaded = false;
  bool game_started = false;
};
SystemFilesState g_files;

SystemDataIo SystemIo() {
  return MakeSystemDataIo(Startup().save_folder, GameFileReader(), PlatformErrorLog());
}

SaveFolderFile AccessFile() {
  return SaveFolderFile(Startup().save_folder, "access.dat", kAccessFileLimit);
}

// The stored settings take effect: screen effects, the window mode of the last run and the
// cursor's auto-hide time.
void ApplySystemSettings(const SystemSettings& settings) {
  yel::YelEffectEnable(settings.effects_on);
  yel::YelWindowChangeMode(settings.full_screen ? 1 : 0);
  yel::YelCursorSetAutoHideTime(static_cast<uint32_t>(settings.cursor_hide_time));
}

void RunLastProcess(AdvContext& context) {
  ScriptState& state = context.script;
  if (state.last_process == 0 || !context.display_queue) return;
  context.skip.scene_skip = 0;
  context.skip.history_skip = 0;
  PushDataEntry(context, kListReturnPoint, state.pc, kReturnHook);
  state.pc = state.origin + state.last_process;
  ScriptRunLastProcess(context);
}

}  // namespace

void SaveSystemFiles(AdvTaskData& data) {
  if (!g_files.game_started) return;
  data.system.system_memory = data.context.values.system_memory;
  data.system.sound = AdvSoundConfigWrite(data.context.sound);
  if (g_files.system_loaded) {
    data.system.settings.full_screen = yel::YelCheckWindowMode();
    SystemDataIo io = SystemIo();
    SystemDataSave(io, data.system);
  }
  if (g_files.access_loaded) {
    SaveFolderFile file = AccessFile();
    AccessSave(file, data.access);
  }
}

AdvTaskData* AdvGetTaskData() { return static_cast<AdvTaskData*>(yel::YelTaskGetTaskData(nullptr)); }

AdvContext* AdvGetContext() {
  AdvTaskData* data = AdvGetTaskData();
  return data ? &data->context : nullptr;
}

int AdvCreateStartTask() {
  void* block = nullptr;
  YelTask* task = yel::YelTaskCreate(LoadSystemData, StartFuncRelease, sizeof(AdvTaskData),
                                     &block, 1, nullptr, "StartFunc");
  if (!task || !block) return 0;
  auto* data = new (block) AdvTaskData();
  data->context.task_data = data;
  yel::YelTaskSetTaskData(task);
  return 1;
}

int LoadSystemData(void* task_data) {
  auto& data = *static_cast<AdvTaskData*>(task_data);
  g_files = SystemFilesState{};
  RemoveStaleTemporaries(Startup().save_folder);
  SystemDataIo io = SystemIo();
  SoundState defaults;
  SoundConfigDefaults(defaults);
  if (!SystemDataLoadOrCreate(io, SoundConfigSerialize(defaults), data.system)) {
    // The defaults are stamped with the script; without one the game cannot start at all.
    AdvStartFailure(ReadGameFile("Script.src", 0, 12) ? "システムファイルの作成に失敗。"
                                                      : "script load error");
    return 1;
  }
  g_files.system_loaded = !io.file.write_refused();
  ApplySystemSettings(data.system.settings);
  AdvSoundConfigRead(data.system.sound, data.context.sound);
  SaveFolderFile access = AccessFile();
  g_files.access_loaded = AccessLoad(access, data.access);
  data.start_flag = StartFlag;
  data.context.values.system_memory = data.system.system_memory;
  AdvMovieApplyVolume(data.context);
  if (AdvInitialize(data.context) != 0) return 1;  // the end is requested: keep this step
  g_files.game_started = true;
  yel::YelTaskChangeNext(StartFuncStep);
  return 1;
}

void AdvMainThreadEnd(void*) {
  AdvTaskData* data = AdvGetTaskData();
  if (!data) return;
  // The last process runs while the window, the renderer and the sound are still there, with
  // the render lock held like every other script instruction of the main thread.
  yel::YelRenderLockEnter();
  RunLastProcess(data->context);
  data->context.script.last_process = 0;
  yel::YelRenderLockLeave();
}

int StartFuncStep(void* task_data) {
  AdvUpdate(static_cast<AdvTaskData*>(task_data)->context);
  return 1;
}

int StartFuncRelease(void* task_data) {
  auto& data = *static_cast<AdvTaskData*>(task_data);
  AdvContext& context = data.context;
  RunLastProcess(context);  // only when the main thread could not run it
  data.system.system_memory = context.values.system_memory;
  // Before the release, while the running game's history still names the snapshots it uses.
  if (g_files.game_started) HistoryFilesPrune(context);
  AdvRelease(context);
  SaveSystemFiles(data);
  AccessListRelease(data.access);
  data.~AdvTaskData();
  return 1;
}

bool TextReadFlagTest(const std::vector<uint8_t>& bitmap, uint32_t n) {
  return n / 8 < bitmap.size() && ((bitmap[n / 8] >> (n % 8)) & 1);
}

void TextReadFlagSet(std::vector<uint8_t>& bitmap, uint32_t n) {
  if (n / 8 < bitmap.size()) bitmap[n / 8] |= static_cast<uint8_t>(1u << (n % 8));
}

void FileStateSet(std::vector<uint8_t>& map, uint32_t n) {
  if (n / 4 >= map.size()) return;
  uint8_t& byte = map[n / 4];
  const unsigned shift = 2 * (n % 4);
  // The low bit is always set; the high bit too when the low bit was clear (0, 2 -> 3).
  const bool low_was_set = (byte >> shift) & 1;
  byte |= static_cast<uint8_t>(1u << shift);
  if (!low_was_set) byte |= static_cast<uint8_t>(2u << shift);
}

void FileStateClear(std::vector<uint8_t>& map, uint32_t n) {
  if (n / 4 < map.size()) map[n / 4] &= static_cast<uint8_t>(~(3u << (2 * (n % 4))));
}

uint8_t FileStateGet(const std::vector<uint8_t>& map, uint32_t n) {
  if (n / 4 >= map.size()) return 0;
  return static_cast<uint8_t>((map[n / 4] >> (2 * (n % 4))) & 3u);
}

bool TextReadFlagTest(uint32_t n) {
  const AdvTaskData* data = AdvGetTaskData();
  return data && TextReadFlagTest(data->system.text_read_bitmap, n);
}

void TextReadFlagSet(uint32_t n) {
  if (AdvTaskData* data = AdvGetTaskData()) TextReadFlagSet(data->system.text_read_bitmap, n);
}

void FileStateSet(uint32_t n) {
  if (AdvTaskData* data = AdvGetTaskData()) FileStateSet(data->system.file_state_map, n);
}

void FileStateSet(AdvTaskData& data, uint32_t n) { FileStateSet(data.system.file_state_map, n); }

void FileStateClear(uint32_t n) {
  if (AdvTaskData* data = AdvGetTaskData()) FileStateClear(data->system.file_state_map, n);
}

}  // namespace adv
