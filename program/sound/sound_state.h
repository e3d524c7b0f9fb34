// The records of the script's sound: the sound-effect, BGM, voice and background-voice channels
// with the volumes, switches and voice tables that shape them, all in the context's SoundState.
// The platform holds the real channels; a record keeps the platform handle, the file argument
// that produced it and what the script can see.
#pragma once

#include <array>
#include <cstdint>

namespace adv {

// Platform sound types the program loads into.
inline constexpr int32_t kSoundTypeVoice = 1;
inline constexpr int32_t kSoundTypeBgv = 2;
inline constexpr int32_t kSoundTypeBgm = 3;
inline constexpr int32_t kSoundTypeSe1 = 4;
inline constexpr int32_t kSoundTypeSe0 = 5;
inline constexpr int32_t kSoundTypeSe2 = 6;

inline constexpr int32_t kSeChannelCount = 16;
inline constexpr int32_t kBgmChannelCount = 2;
inline constexpr int32_t kVoiceChannelCount = 9;
inline constexpr int32_t kVoiceSetChannelCount = 8;  // channels 0-7; 8 stands apart
inline constexpr int32_t kBgvChannelCount = 8;
inline constexpr int32_t kSpeakerVolumeCount = 64;
inline constexpr int32_t kVoiceHookCount = 8;
inline constexpr int32_t kAutopanCount = 16;

// A record loaded by a load command (not started) carries this flag and is not released when
// it is silent.
inline constexpr uint32_t kSoundLoadedOnly = 1u << 29;

// Flags of a BGM channel: the script's play flags in the low bits, the engine's above.
inline constexpr uint32_t kBgmLoop = 1u << 0;
inline constexpr uint32_t kBgmFadeIn = 1u << 2;
inline constexpr uint32_t kBgmUseLoopPoints = 1u << 4;
inline constexpr uint32_t kBgmRestorePaused = 1u << 28;  // paused by bgm_pause
inline constexpr uint32_t kBgmNoRestart = 1u << 29;      // loaded by bgm_load, not started
inline constexpr uint32_t kBgmFadeRunning = 0x40020000;  // a volume fade runs
// A file id with this bit keeps its name in the record itself.
inline constexpr uint32_t kFileIdNameInRecord = 1u << 28;

// Where a BGM stream starts, loops and ends, applied when `use` is not 0.
struct BgmLoopPoints {
  int32_t use = 0;
  int32_t start = 0;
  int32_t loop = 0;
  int32_t end = 0;
};

// One of the two BGM channels (92 bytes in a snapshot).
struct BgmChannel {
  uint32_t handle = 0;  // platform sound handle; 0 none
  uint32_t file_id = 0;
  uint32_t flags = 0;
  int32_t volume = 0;  // percent
  std::array<int32_t, 4> reserved{};
  std::array<char, 32> name{};  // kept only for a string-variable file argument
  BgmLoopPoints loop_points;
  int32_t fade_delta = 0;   // target volume minus the volume at the fade's start
  uint32_t fade_time = 0;   // ms
  uint32_t fade_start = 0;  // frame clock
};

// Flags of a sound-effect channel: the script's play flags in the low 16 bits.
inline constexpr uint32_t kSeLoop = 1u << 0;
inline constexpr uint32_t kSeWait = 1u << 1;
inline constexpr uint32_t kSeFadeIn = 1u << 2;
inline constexpr uint32_t kSePlayWhileSkipping = 1u << 3;
inline constexpr uint32_t kSeApplyPan = 1u << 5;
inline constexpr int32_t kSeKindCount = 3;

// One of the 16 sound-effect channels (64 bytes in a snapshot).
struct SeChannel {
  uint32_t handle = 0;
  uint32_t file_id = 0;
  uint32_t flags = 0;
  uint32_t kind = 0;  // 0-2
  std::array<int32_t, 3> reserved{};
  int32_t pan = 0;              // applied when flag bit 5 was given
  std::array<char, 32> name{};  // kept only for a string-variable file argument
};

// A volume class of sound effects: while in use, its volume replaces the channel volume of
// every effect whose file name begins with the prefix.
struct SeInfoEntry {
  int32_t in_use = 0;
  int32_t enable = 0;
  int32_t volume = 0;  // percent
  std::array<char, 32> name{};
};
inline constexpr int32_t kSeInfoCount = 4;

// A channel's own volume (flag bit 0) and frequency (bit 1).
struct SeChannelSetting {
  uint32_t flags = 0;
  int32_t volume = 0;  // percent
  int32_t frequency = 0;
};

// One of the 8 background-voice channels (92 bytes in a snapshot). The first three fields are
// the channel's sound; the last four its settings, which survive a stop.
inline constexpr uint32_t kBgvLoop = 1;
inline constexpr uint32_t kBgvFadeIn = 1u << 2;
struct BgvChannel {
  uint32_t handle = 0;
  uint32_t file_id = 0;
  uint32_t flags = 0;
  std::array<int32_t, 9> reserved{};  // zero
  int32_t enable = 0;                 // bgv_enable; playback does not consult it
  int32_t paused = 0;                 // paused by the script (bgv_pause)
  int32_t auto_pause = 0;             // pauses while a voice that begins with `key` plays
  std::array<char, 32> key{};         // voice-name prefix, terminated
};

// A voice that follows a layer image (mode 0: source is a graphic slot index) or sits at a fixed
// position (mode not 0: source is a position 0-20).
struct AutopanEntry {
  int32_t source = 0;
  int32_t mode = 0;
  std::array<char, 32> name{};  // name prefix, terminated; empty: the entry is unused
};

// How a voice channel's pan follows its autopan entry.
struct VoicePanBlock {
  int32_t source = 0;
  int32_t mode = 0;
  int32_t last_pan = 0;
  int32_t state = 0;  // 2: the voice follows an autopan entry
};

// Flags of a voice start (voice_play and the voiced line).
inline constexpr uint32_t kVoiceLoop = 1u << 0;
inline constexpr uint32_t kVoiceWait = 1u << 1;
inline constexpr uint32_t kVoiceFadeIn = 1u << 2;
inline constexpr uint32_t kVoicePlayWhileSkipping = 1u << 3;
inline constexpr uint32_t kVoiceNoSpeakerVolume = 0x40;
inline constexpr uint32_t kVoiceNoAutopan = 0x80;
inline constexpr uint32_t kVoiceNoDucking = 0x100;

inline constexpr int32_t kVoiceNameSize = 32;

struct VoiceChannel {
  uint32_t handle = 0;
  // The file name as AdvVoicePlay started it, at most 31 bytes and a terminator.
  std::array<char, kVoiceNameSize> name{};
  VoicePanBlock pan;
};

// The seven volume (0-10000) or switch (1 audible, 0 muted) words, in this order.
struct SoundLevels {
  int32_t master = 0;  // the platform's primary volume
  int32_t bgm = 0;     // type 3
  int32_t voice = 0;   // type 1
  int32_t bgv = 0;     // type 2
  int32_t se0 = 0;     // type 5
  int32_t se1 = 0;     // type 4
  int32_t se2 = 0;     // type 6
};

struct VoiceMixHook {
  int32_t fired = 0;         // 1 after its start label ran for the current voice
  uint32_t start_label = 0;  // code offsets from the code origin; 0 none
  uint32_t end_label = 0;
  std::array<char, 32> name{};  // name prefix
};

// Voice ducking of the BGM.
struct BgmAutoVolume {
  int32_t enable = 0;
  int32_t level = 0;  // percent
  int32_t on = 0;     // the switch
};

struct SpeakerVolume {
  int32_t in_use = 0;
  int32_t enable = 0;
  int32_t volume = 0;           // percent
  std::array<char, 32> name{};  // name prefix
};

static_assert(sizeof(BgmChannel) == 92);
static_assert(sizeof(SeChannel) == 64);
static_assert(sizeof(SeInfoEntry) == 44);
static_assert(sizeof(SeChannelSetting) == 12);
static_assert(sizeof(BgvChannel) == 92);
static_assert(sizeof(AutopanEntry) == 40);
static_assert(sizeof(VoiceChannel) == 52);
static_assert(sizeof(SpeakerVolume) == 44);
static_assert(sizeof(VoiceMixHook) == 44);

struct SoundState {
  // The channel arrays as the debug window shows them.
  const void* se_table = nullptr;
  const void* bgm_table = nullptr;
  const void* bgv_table = nullptr;
  uint32_t voice_wait_mask = 0;  // bit n: the script waits for voice channel n
  uint32_t se_wait_channel = 0;  // 0 none, else 1 + the SE channel waited for
  int32_t next_se_pan = 0;
  std::array<SeChannel, kSeChannelCount> se{};
  std::array<BgmChannel, kBgmChannelCount> bgm{};
  std::array<VoiceChannel, kVoiceChannelCount> voice{};
  std::array<BgvChannel, kBgvChannelCount> bgv{};
  std::array<AutopanEntry, kAutopanCount> autopan{};
  SoundLevels volumes;
  SoundLevels switches;
  std::array<VoiceMixHook, kVoiceHookCount> voice_hooks{};
  BgmAutoVolume auto_volume;
  int32_t voice_cut = 0;  // the end of a text wait stops the voices
  int32_t speaker_volume_switch = 0;
  std::array<SpeakerVolume, kSpeakerVolumeCount> speaker_volumes{};
  SpeakerVolume default_speaker_volume;
  int32_t autopan_enable = 0;
  int32_t pan_range = 0;
  std::array<SeInfoEntry, kSeInfoCount> se_info{};              // the four SE volume classes
  std::array<SeChannelSetting, kSeChannelCount> se_settings{};  // one per SE channel
  int32_t voice_check = 0;  // voice_check_enable: unreadable voices are logged
};

}  // namespace adv
