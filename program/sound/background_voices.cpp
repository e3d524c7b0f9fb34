#include "program/sound/background_voices.h"

#include <string_view>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/savedata/snapshot_image.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/sound/name_prefix.h"
#include "program/sound/sound_calls.h"
#include "program/sound/sound_services.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

void ZeroSound(BgvChannel& channel) {
  channel.handle = 0;
  channel.file_id = 0;
  channel.flags = 0;
  channel.reserved = {};
}

// Voices pause and resume only the records they own: tied to a key and not paused by the script.
bool FollowsVoices(const BgvChannel& channel) {
  return channel.handle != 0 && channel.auto_pause == 1 && channel.paused == 0;
}

template <size_t N>
bool Terminated(const std::array<char, N>& field) {
  return FieldText(field).size() < N;
}

void WriteAutopan(SnapshotWriter& out, const AutopanEntry& entry) {
  out.I32(entry.source);
  out.I32(entry.mode);
  out.Chars(entry.name);
}

bool ReadAutopan(SnapshotReader& in, AutopanEntry& entry) {
  entry.source = in.I32();
  entry.mode = in.I32();
  in.Chars(entry.name);
  if (!in.Check(Terminated(entry.name), "autopan name not terminated")) return false;
  // A following entry names a graphic slot; -1 (no slot) keeps the voice's pan.
  if (entry.mode == 0 && !FieldText(entry.name).empty()) {
    return in.Bounded(entry.source, -1, kGraphicSlotCount - 1, "autopan slot");
  }
  return in.ok();
}

void WriteRecord(SnapshotWriter& out, const BgvChannel& channel) {
  out.U32(0);  // the handle belongs to this run
  out.U32(channel.file_id);
  out.U32(channel.flags);
  for (size_t i = 0; i < channel.reserved.size(); ++i) out.I32(0);
  out.I32(channel.enable);
  out.I32(channel.paused);
  out.I32(channel.auto_pause);
  out.Chars(channel.key);
}

bool ReadRecord(SnapshotReader& in, BgvChannel& channel) {
  channel.handle = in.U32();
  channel.file_id = in.U32();
  channel.flags = in.U32();
  in.Words(channel.reserved);
  channel.reserved = {};
  channel.enable = in.I32();
  channel.paused = in.I32();
  channel.auto_pause = in.I32();
  in.Chars(channel.key);
  return in.Check(Terminated(channel.key), "background-voice key not terminated");
}

// Starts a restored looping record again; false when it did not load.
bool Reload(AdvContext& context, BgvChannel& channel) {
  char name[kVoiceNameSize + 1] = {};
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), channel.file_id, true);
  if (name[0] == 0) return true;
  channel.handle = AdvSoundLoad(context, name, kSoundTypeBgv, nullptr);
  if (channel.handle == 0) {
    if (context.sound.voice_check) AdvDebugPrint(kLogError, "voice file read : %s", name);
    return false;
  }
  yel::YelSoundPlayFade(channel.handle, 1, kBgvRestoreFadeMs);
  // What the script paused comes back paused.
  if (channel.paused) yel::YelSoundPause(channel.handle, 1, 0);
  return true;
}

}  // namespace

void AdvBgvPauseForVoice(SoundState& state, const char* name) {
  for (BgvChannel& channel : state.bgv) {
    if (!FollowsVoices(channel)) continue;
    if (!name) {
      yel::YelSoundPause(channel.handle, 0, kBgvVoiceResumeFadeMs);
    } else if (NamePrefixMatches(FieldText(channel.key), name)) {
      yel::YelSoundPause(channel.handle, 1, kBgvVoicePauseFadeMs);
    }
  }
}

void AdvBgvUpdate(SoundState& state) {
  for (BgvChannel& channel : state.bgv) {
    if (channel.handle == 0 || yel::YelSoundPlayIs(channel.handle)) continue;
    // Paused and looping records are silent but not over.
    if (channel.auto_pause || channel.paused || (channel.flags & kBgvLoop)) continue;
    yel::YelSoundRelease(channel.handle);
    ZeroSound(channel);
  }
}

void AdvBgvEnableAll(SoundState& state) {
  for (BgvChannel& channel : state.bgv) channel.enable = 1;
}

void AdvBgvStop(SoundState& state, int32_t n) {
  for (int32_t i = 0; i < kBgvChannelCount; ++i) {
    if (n != -1 && n != i) continue;
    BgvChannel& channel = state.bgv[i];
    if (channel.handle != 0) yel::YelSoundRelease(channel.handle);
    ZeroSound(channel);
  }
}

int32_t AdvBgvFindFree(const SoundState& state) {
  for (int32_t i = 0; i < kBgvChannelCount; ++i) {
    if (state.bgv[i].handle == 0) return i;
  }
  return -1;
}

void AdvBgvSave(const SoundState& state, SnapshotWriter& out) {
  for (const AutopanEntry& entry : state.autopan) WriteAutopan(out, entry);
  for (const BgvChannel& channel : state.bgv) WriteRecord(out, channel);
}

bool AdvBgvRead(SnapshotReader& in, AutopanTable& autopan, BgvTable& bgv) {
  for (AutopanEntry& entry : autopan) {
    if (!ReadAutopan(in, entry)) return false;
  }
  for (BgvChannel& channel : bgv) {
    if (!ReadRecord(in, channel)) return false;
  }
  return in.ok();
}

bool AdvBgvLoad(AdvContext& context, const AutopanTable& autopan, const BgvTable& bgv) {
  SoundState& state = context.sound;
  state.autopan = autopan;
  bool reloading = true;
  for (size_t i = 0; i < bgv.size(); ++i) {
    BgvChannel& channel = state.bgv[i];
    channel = bgv[i];
    channel.handle = 0;
    // One-shot background voices are not started again.
    if (!reloading || channel.file_id == 0 || !(channel.flags & kBgvLoop)) continue;
    reloading = Reload(context, channel);
  }
  return reloading;
}

}  // namespace adv
