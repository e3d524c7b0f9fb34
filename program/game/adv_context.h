// The game's data: the task data of "StartFunc", which holds the player's settings and the
// context that every part of the game and every script command receives.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "YEL/yel.h"
#include "program/data/script_files.h"
#include "program/layers/layer_records.h"
#include "program/savedata/access_file.h"
#include "program/savedata/save_state.h"
#include "program/savedata/system_file.h"
#include "program/script/script_events.h"
#include "program/script/script_state.h"
#include "program/script/value_stores.h"
#include "program/text/text_records.h"
#include "program/text/tips_area.h"

namespace adv {

// The words of the context that skipping and the scene state keep.
struct SkipWords {
  int32_t priority_base = 0;          // layer draw-priority base of set_priority
  int32_t priority_follow = 0;
  int32_t text_word = 0;
  uint32_t key_push_accumulator = 0;  // keys pushed since the script last asked
  int32_t skip_mode = 0;              // skip_set
  int32_t scene_skip_past_unread = 0;  // scene_skip's argument: unread lines do not stop it
  int32_t scene_skip = 0;
  int32_t text_word2 = 0;
  int32_t history_skip = 0;
  uint32_t history_skip_target = 0;
  int32_t frame_restore_count = 0;    // set by lpop, used by the next ret
  int32_t key_cancel = 0;             // key_canncel
  std::array<int32_t, 3> history_point{};
  std::array<int32_t, 13> text_skip_words{};
  int32_t skip_latch_on = 0;
  uint32_t skip_latch_bits = 0;
  int32_t auto_mode = 0;              // auto_set: lines end by themselves after their time
  int32_t key_cancel_high = 0;        // key_canncel's second mask (not saved)
};

struct PlayerNameState {
  void* window = nullptr;
  int32_t byte_limit = 0;
  int32_t name_length = 0;  // bytes of the name that the text expansion copies, at most 32
  int32_t changed = 0;
  std::array<char, 32> name{};
};

// The script's gesture handlers and the last gesture delivered. Not saved in snapshots, and
// AdvResetState leaves it alone.
inline constexpr int32_t kGestureFirstId = 3;  // zoom, pan, rotate, two-finger tap, press and tap
inline constexpr int32_t kGestureLastId = 7;
inline constexpr size_t kGestureRecordSize = 48;
struct GestureState {
  // Handler offsets from the code origin for ids 3 to 7; 0 = no handler.
  std::array<uint32_t, kGestureLastId - kGestureFirstId + 1> handlers{};
  std::array<uint8_t, kGestureRecordSize> record{};
};

// The cells whose addresses the debug pages take (debug mode): each holds the address of a table.
struct DebugCells {
  std::array<int32_t*, 6> tables{};  // user, temporary and system memory, SE, BGM, BGV
};

struct AdvTaskData;

struct AdvContext {
  // The task data that holds this context: the file states and the access list that marking a
  // file name as used records into. Null while the context stands alone (tests).
  AdvTaskData* task_data = nullptr;
  YelRender* render = nullptr;
  TextWindow text_window;
  SaveState save;
  ButtonManager buttons;
  HistoryBlock history;
  WaitState wait;
  SoundState sound;
  SelectState select;
  LayerTable layers;
  ListFileRecord lists;
  ValueStores values;
  YelList* script_files = nullptr;  // files opened by open_file
  uint32_t script_file_serial = 0;  // the handle open_file gave last
  ScriptState script;
  uint32_t script_position = 0;     // program counter of the executing instruction
  YelList* display_queue = nullptr;
  SkipWords skip;
  ScreenEffectState effects;
  ActionManager actions;
  ScriptThread thread;
  PlayerNameState player_name;
  EventMessage events;
  GestureState gestures;
  uint32_t context_word = 0;  // set_context_word; nothing reads it
  DebugCells debug;
  MovieWait movie_wait;
  TipsArea tips;  // the tips met in the text on show
};

struct AdvTaskData {
  SystemData system;  // settings, sound settings, system memory and the two flag maps
  int32_t start_flag = 0;
  AdvContext context;
  AccessList access;
};

}  // namespace adv
