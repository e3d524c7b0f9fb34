// The records of text, interaction and sound that the script engine keeps in its context and
// touches from the game task and the interpreter.
#pragma once

#include <array>
#include <cstdint>

namespace adv {

struct TextWindow {
  int32_t shown = 0;
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
  int32_t run_skip = 0;    // set by btn_run_skip: no reaction runs
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
