// The engine's start, release and scene reset.
#include <atomic>
#include <string>

#include "os/encoding.h"
#include "os/message_box.h"
#include "program/dialogs/player_name_field.h"
#include "program/game/game_file_access.h"
#include "program/game/game_task.h"
#include "program/layers/layer_services.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/script_run.h"
#include "program/sound/sound_services.h"
#include "program/sound/voice_channels.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

// Set on the main thread by a failed start, read on the UI thread once the platform has ended.
std::atomic<bool> g_start_failed{false};

}  // namespace

// The message goes to the debug page and, so that the player learns why the game closes, to a
// box; then the end is requested.
int32_t AdvStartFailure(const char* message) {
  g_start_failed = true;
  yel::YelDebugPrintf(0, "", "%s", message);
  yel::YelErrorLogPrintf("%s", message);
  os::ShowMessageBox(message, os::Cp932ToUtf8(Startup().product_name), os::BoxButtons::kOk,
                     os::BoxIcon::kError);
  yel::YelEnd();
  return kGeneralFailure;
}

bool AdvStartFailed() {
  return g_start_failed;
}

namespace {

bool LoadScript(ScriptState& state) {
  std::optional<std::vector<uint8_t>> bytes = ReadGameFileBytes("Script.src");
  std::string error;
  if (!bytes || !ScriptLoad(state.code, std::move(*bytes), &error)) return false;
  state.origin = kCodeOrigin;
  state.entry = state.code.entry;
  state.pc = state.entry;
  return true;
}

using ListLoader = bool (*)(ListFileRecord&, std::vector<uint8_t>, std::string*);

bool LoadList(ListFileRecord& lists, const char* name, ListLoader load) {
  std::optional<std::vector<uint8_t>> bytes = ReadGameFileBytes(name);
  std::string error;
  return bytes && load(lists, std::move(*bytes), &error);
}

// Files the script opened with open_file: each entry holds its own buffer.
void ReleaseScriptFiles(AdvContext& context) {
  if (!context.script_files) return;
  while (context.script_files->next) {
    yel::YelMemoryFree(reinterpret_cast<void*>(yel::YelListPopFirst(context.script_files)));
  }
  yel::YelListRelease(context.script_files);
  context.script_files = nullptr;
}

void ReleaseSoundAndScene(AdvContext& context) {
  AdvSeReleaseAll(context);
  AdvBgmReleaseAll(context);
  AdvVoiceReleaseAll(context);
}

}  // namespace

// The debug pages show the memories and the sound tables; the library reads and edits them on the
// main thread between frames. Outside debug mode the calls do nothing.
void AdvRegisterDebugData(AdvContext& context) {
  auto& cells = context.debug.tables;
  ValueStores& v = context.values;
  cells = {v.user_memory.data(), v.temp_memory.data(), v.system_memory.data(),
           reinterpret_cast<int32_t*>(context.sound.se.data()),
           reinterpret_cast<int32_t*>(context.sound.bgm.data()),
           reinterpret_cast<int32_t*>(context.sound.bgv.data())};
  yel::YelDebugSetData(11, &cells[0], kUserMemoryCells);
  yel::YelDebugSetData(13, &cells[1], 256);
  yel::YelDebugSetData(12, &cells[2], kSystemMemoryCellCount);
  yel::YelDebugSetEBP(&v.frame_base);
  yel::YelDebugSetESP(&v.frame_top);
  yel::YelDebugSetData(14, &cells[3], 100);
  yel::YelDebugSetData(15, &cells[4], 16);
  yel::YelDebugSetData(19, &cells[5], 100);
  SoundRegisterDebugTables(context.sound);
}

// Set at the end of AdvInitialize: whether the hardware renderer runs.
int32_t AdvRenderer3D = 0;

int32_t AdvInitialize(AdvContext& context) {
  if (!LoadScript(context.script)) return AdvStartFailure("script load error");
  if (!LoadList(context.lists, "File.dat", LoadFileList)) return AdvStartFailure("filelist load error");
  if (!LoadList(context.lists, "Text.dat", LoadTextList)) return AdvStartFailure("textlist load error");
  if (!LoadList(context.lists, "Mem.dat", LoadTableList)) return AdvStartFailure("tablelist load error");
  if (!LoadList(context.lists, "Point.dat", LoadPointList)) {
    return AdvStartFailure("pointlist load error");
  }
  AdvResetState(context);
  if (!SaveStateInit(context)) return kGeneralFailure;  // logged, and the end requested
  AdvGraphicDatLoad(context);
  context.render = yel::YelRenderInit();
  if (!context.render) return AdvStartFailure("render init error");
  yel::YelRenderSetActive(context.render);
  context.display_queue = yel::YelListCreate();
  if (!context.display_queue) return AdvStartFailure("list create error");
  context.script_files = yel::YelListCreate();
  if (!context.script_files) return AdvStartFailure("saveload initialize error");
  AdvRegisterDebugData(context);
  AdvVoiceInitialize(context.sound);
  AdvRenderer3D = yel::Yel3DIs();
  return 0;
}

void AdvRelease(AdvContext& context) {
  PlayerNameWindowClose(context);
  AdvTextWindowRelease(context);
  AdvButtonUnloadAll(context);
  ReleaseSoundAndScene(context);
  AdvActionReset(context);
  AdvLayerTableReset(context);
  AdvAnimReleaseAll(context);
  AdvSelectRelease(context);
  AdvEffectRelease(context);
  AdvFxFreeAll(context);
  DisplayQueueClear(context);
  ReleaseScriptFiles(context);
  AdvGraphicDatRelease(context);
  SaveStateRelease(context);
  context.script.code = ScriptCode{};
  yel::YelListRelease(context.display_queue);
  context.display_queue = nullptr;
  yel::YelRenderUninit(context.render);
  context.render = nullptr;
  context.lists = ListFileRecord{};
}

void AdvResetState(AdvContext& context) {
  yel::YelEndUpdate();
  SkipWords& skip = context.skip;
  skip.scene_skip = skip.history_skip = skip.scene_skip_past_unread = skip.skip_mode = 0;
  skip.auto_mode = 0;
  skip.key_cancel = skip.key_cancel_high = 0;
  skip.priority_base = skip.priority_follow = 0;
  skip.skip_latch_on = 0;
  skip.skip_latch_bits = 0;
  AdvanceLatchReset();
  TextClickCarryReset();
  AdvAnimReleaseAll(context);
  AdvFxFreeAll(context);
  AdvTextWindowRelease(context);
  AdvButtonUnloadAll(context);
  SaveStateReset(context);
  ReleaseSoundAndScene(context);
  AdvLayerTableReset(context);
  AdvSelectRelease(context);
  AdvActionReset(context);
  AdvTextStateReset(context);
  context.thread = ScriptThread{};
  AdvEffectRelease(context);
  context.movie_wait = MovieWait{};
  ScriptPointReset(context);
  ValueStores& v = context.values;
  v.value_count = v.frame_base = v.frame_top = v.memory_stack_depth = 0;
  for (auto& level : v.memory_stack) level.fill(0);
  v.value_stack.fill(0);
  v.variables.fill(0);
  v.frame_stack.fill(0);
  v.user_memory.fill(0);
  context.events.pending = 0;
  context.events.slots = {};
  PlayerNameWindowClose(context);
  context.player_name = PlayerNameState{};
  DisplayQueueClear(context);
}

}  // namespace adv
