// The records of text, interaction and sound that the script engine keeps in its context and
// touches from the game task and the interpreter.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "YEL/yel.h"
#include "program/text/text_reveal.h"

namespace adv {

struct GraphicSlot;

inline constexpr uint32_t kNoTextOperand = 0x0FFFFFFF;
inline constexpr size_t kTextBytes = 4096;
inline constexpr uint16_t kNoButtonGroup = 0xFFFF;

// The line on show: what redraws, snapshots and the debug print read.
struct TextLine {
  std::array<char, 260> name{};
  std::array<char, kTextBytes> text{};  // expanded
  std::array<char, 32> voice{};
};
static_assert(sizeof(TextLine) == 4388);

// Bits of the line kind word: how the text wait treats the line.
enum TextLineKind : uint32_t {
  kLineRevealing = 0x1,
  kLineClickWait = 0x2,
  kLineTimedClickWait = 0x4,
  kLineRevealEndsWait = 0x8,
  kLineClickWaitOnce = 0x10,
  kLineHolds = 0x10000,
  kLineNotHeld = 0x20000,
  kLineAtOnce = 0x40000,
  kLineEndsAfterReveal = 0x80000,
};

struct TextIcon {
  GraphicSlot* slot = nullptr;
  YelTask* animation = nullptr;
};

// The message window. Zero until text_init; AdvTextWindowRelease makes it so again.
struct TextWindow {
  int32_t initialised = 0;
  int32_t text_mode = 0;  // 0 window, 1 visual-novel page, 2 window without name
  int32_t icon_mode = 0;  // 1: the wait icons follow the end of the text
  int32_t font_size = 0;
  int32_t ruby_size = 0;
  int32_t text_x = 0, text_y = 0;
  int32_t text_width = 0, text_height = 0;
  int32_t name_x = 0, name_y = 0;
  uint16_t button_group = kNoButtonGroup;
  std::array<int32_t, 4> page_rect{};  // x, y, width, height
  int32_t page_name_flag = 0;
  int32_t page_line_x = 0, page_end_y = 0;
  int32_t page_icon_x = 0, page_icon_y = 0;
  std::array<char, kTextBytes> page_text{};
  int32_t visible = 0;
  int32_t line_read = 0;
  int32_t auto_word = 0;
  int32_t time_word = 0;  // 0 from the text speed, negative at once, else milliseconds
  int32_t external_word = 0;
  uint32_t line_kind = 0;   // TextLineKind bits
  uint32_t line_state = 0;  // 1 a name was drawn, 2 a voice belongs to the line
  uint32_t wait_start = 0;
  uint32_t wait_time = 0;
  uint32_t reveal_head_start = 0;
  uint32_t click_wait_time = 0, click_wait_start = 0;
  int32_t laid_out_length = 0;
  uint32_t voice_operand = 0, name_operand = 0, text_operand = 0;
  uint32_t set_history_text = 0;
  int32_t cursor_x = 0, cursor_y = 0;
  YelTask* time_check_task = nullptr;
  GraphicSlot* name_slot = nullptr;  // bank 0 entry 5
  GraphicSlot* text_slot = nullptr;  // bank 0 entry 4
  GraphicSlot* page_slot = nullptr;  // bank 0 entry 6
  GraphicSlot* base_slot = nullptr;  // bank 0 entry 0
  std::array<TextIcon, 3> icons{};   // click wait, skip mode, auto mode (entries 1-3)
  RevealMap reveal_map;
  int32_t current_icon = 0;
  std::array<uint32_t, 2> colours{};
  std::array<uint32_t, 2> saved_colours{};
  TextLine line;
};

struct InputBlock {
  uint32_t start = 0;     // frame clock when the block began
  uint32_t duration = 0;  // milliseconds during which button input is ignored
};

inline constexpr int32_t kSystemButtonCount = 32;

struct SystemButton {
  int32_t label = 0;
  int32_t enabled = 0;
  int32_t reserved[2] = {0, 0};
};

struct ButtonManager {
  uint8_t input_mode = 0;  // 0: decide on push, else on release
  InputBlock input_block;
  int32_t run_skip = 0;  // set by btn_run_skip: no reaction runs
  std::array<SystemButton, kSystemButtonCount> system_buttons{};
};

inline constexpr int32_t kHistoryEntryCount = 128;

// One line of the history (492 bytes in a snapshot).
struct HistoryEntry {
  std::array<char, 64> name{};  // the no-name marker is 0x00 0x81
  std::array<char, 384> text{};
  std::array<char, 32> voice{};
  uint32_t script_point = 0;
  int32_t file_number = -1;  // the "hist%08x.dat" current when the line was committed, or -1
  uint32_t face_flag = 0;
};

struct HistoryBlock {
  int32_t count = 0;  // valid entries, 0 to 128
  int32_t off = 0;
  uint32_t restart_label = 0;  // script offset rebuilt to at a history skip; 0 = none
  int32_t save_files = 0;      // history-save option: history snapshots are written
  std::array<HistoryEntry, kHistoryEntryCount> entries{};  // entry 0 the newest
};

struct WaitState {
  int32_t waiting = 0;
};

// Flags of a BGM channel.
inline constexpr uint32_t kBgmRestorePaused = 1u << 28;
inline constexpr uint32_t kBgmNoRestart = 1u << 29;
inline constexpr uint32_t kBgmFadeRunning = 0x40020000;
// A file id with this bit keeps its name in the record itself.
inline constexpr uint32_t kFileIdNameInRecord = 1u << 28;

// One of the two BGM channels (92 bytes in a snapshot).
struct BgmChannel {
  uint32_t handle = 0;  // platform sound handle; 0 none
  uint32_t file_id = 0;
  uint32_t flags = 0;
  int32_t volume = 0;  // percent
  std::array<int32_t, 4> state{};
  std::array<char, 32> name{};
  std::array<int32_t, 6> play_args{};
  int32_t fade_step = 0;  // pending volume step of a running fade
};

// One of the 16 sound-effect channels (64 bytes in a snapshot).
struct SeChannel {
  uint32_t handle = 0;
  uint32_t file_id = 0;
  uint32_t flags = 0;
  std::array<int32_t, 13> state{};
};

// One of the 8 background-voice channels (92 bytes in a snapshot).
inline constexpr uint32_t kBgvLoop = 1;
struct BgvChannel {
  uint32_t handle = 0;
  uint32_t file_id = 0;
  uint32_t flags = 0;
  std::array<int32_t, 20> state{};
};

struct AutopanEntry {
  std::array<int32_t, 10> words{};
};

// The records are stored field by field; these are their sizes in a snapshot.
static_assert(sizeof(HistoryEntry) == 492);
static_assert(sizeof(BgmChannel) == 92);
static_assert(sizeof(SeChannel) == 64);
static_assert(sizeof(BgvChannel) == 92);
static_assert(sizeof(AutopanEntry) == 40);

struct SoundState {
  int32_t initialised = 0;
  int32_t bgm_volume = 10000;  // 0 to 10000
  int32_t bgm_audible = 1;     // 0 while bgm_mute mutes the BGM
  int32_t voice_check = 0;     // voice_check_enable: unreadable voices are logged
  std::array<BgmChannel, 2> bgm{};
  int32_t next_se_pan = 0;
  std::array<int32_t, 44> se_volumes{};
  std::array<int32_t, 48> se_channel_info{};
  std::array<SeChannel, 16> se{};
  std::array<AutopanEntry, 16> autopan{};
  std::array<BgvChannel, 8> bgv{};
};

struct SelectState {
  int32_t item_count = 0;
  int32_t init_image = 0;  // the image word of select_init
  std::array<uint32_t, 3> init_colours{};
  std::array<uint32_t, 3> hooks{};  // select_set_process labels, in the order popped
};

}  // namespace adv
