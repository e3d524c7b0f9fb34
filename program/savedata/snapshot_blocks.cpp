// The blocks of the snapshot image in their fixed order, each with its writer and its reader.
// Readers only decode into the SnapshotImage and check every count and length; applying the
// image to the game is RestoreSnapshot's (snapshot_restore.cpp).
#include <cstdint>
#include <cstring>
#include <new>

#include "program/layers/action_snapshot.h"
#include "program/layers/layer_snapshot.h"
#include "program/layers/raster_effects.h"
#include "program/layers/screen_effects.h"
#include "program/savedata/snapshot_image.h"
#include "program/sound/background_voices.h"
#include "program/startup/yel_import.h"
#include "program/text/text_snapshot.h"

namespace adv {

void SnapshotWriter::Bytes(const void* data, uint32_t length) {
  if (length > capacity_ - cursor_) {
    overflow_ = true;
    return;
  }
  if (length > 0) std::memcpy(buffer_ + cursor_, data, length);
  cursor_ += length;
}

void SnapshotWriter::U32(uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  Bytes(bytes, 4);
}

void SnapshotWriter::U16(uint16_t value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  Bytes(bytes, 2);
}

bool SnapshotReader::Bounded(int64_t value, int64_t low, int64_t high, const char* what) {
  if (!reader_.ok()) return false;
  if (value >= low && value <= high) return true;
  return Refuse(std::string(what) + " " + std::to_string(value) + " out of range");
}

bool SnapshotReader::Refuse(const std::string& why) {
  if (error_.empty()) error_ = why;
  return false;
}

namespace {

// Head.

void WriteHead(const AdvContext& context, SnapshotWriter& out) {
  const SaveState& save = context.save;
  out.U32(0);  // lock word: only save_lock changes it, inside a slot file
  out.U32(save.title);
  out.Chars(save.save_text);
  out.I32(save.mosaic);
  out.U32(save.resume_offset);
  out.U32(save.load_after);
  out.I32(save.thumbnail_width);
  out.I32(save.thumbnail_height);
  out.U32(static_cast<uint32_t>(save.thumbnail.size()));
  out.I32(save.capture);
  out.Bytes(save.thumbnail.data(), static_cast<uint32_t>(save.thumbnail.size()));
}

bool ReadHead(SnapshotReader& in, SnapshotImage& image) {
  in.U32();
  image.title = in.U32();
  in.Chars(image.save_text);
  image.mosaic = in.I32();
  image.resume_offset = in.U32();
  image.load_after = in.U32();
  image.thumbnail_width = in.I32();
  image.thumbnail_height = in.I32();
  const uint32_t count = in.U32();
  image.capture = in.I32();
  if (!in.Bounded(image.thumbnail_width, 0, kSnapshotBufferSize / 4, "thumbnail width") ||
      !in.Bounded(image.thumbnail_height, 0, kSnapshotBufferSize / 4, "thumbnail height")) {
    return false;
  }
  const int64_t expected = int64_t{image.thumbnail_width} * image.thumbnail_height * 4;
  if (!in.Check(count == expected, "thumbnail byte count does not match its size") ||
      !in.Bounded(count, 0, static_cast<int64_t>(in.remaining()), "thumbnail byte count")) {
    return false;
  }
  try {
    image.thumbnail.resize(count);
  } catch (const std::bad_alloc&) {
    return in.Refuse("no memory for the thumbnail");
  }
  return in.Bytes(image.thumbnail.data(), count);
}

// Blocks 1 to 11: the script's values.

void WriteUserMemory(const AdvContext& context, SnapshotWriter& out) {
  out.Words(context.values.user_memory);
}

bool ReadUserMemory(SnapshotReader& in, SnapshotImage& image) {
  in.Words(image.user_memory);
  return in.ok();
}

void WriteMemoryStack(const AdvContext& context, SnapshotWriter& out) {
  out.I32(context.values.memory_stack_depth);
  for (const auto& level : context.values.memory_stack) out.Words(level);
}

bool ReadMemoryStack(SnapshotReader& in, SnapshotImage& image) {
  image.memory_stack_depth = in.I32();
  for (auto& level : image.memory_stack) in.Words(level);
  return in.Bounded(image.memory_stack_depth, 0, kMemoryStackLevels, "memory stack depth");
}

void WriteStrings(const AdvContext& context, SnapshotWriter& out) {
  out.I32(context.values.string_cursor);
  for (const auto& text : context.values.string_variables) out.Chars(text);
}

bool ReadStrings(SnapshotReader& in, SnapshotImage& image) {
  image.string_cursor = in.I32();
  for (auto& text : image.string_variables) in.Chars(text);
  return in.Bounded(image.string_cursor, 0, kStringVariableCount - 1, "string cursor");
}

void WriteSceneWords(const AdvContext& context, SnapshotWriter& out) {
  out.I32(context.skip.priority_base);
  out.I32(context.skip.key_cancel);
  out.I32(context.skip.history_point[1]);
  out.I32(context.skip.history_point[2]);
  out.I32(context.values.system_memory[509]);
  out.I32(context.values.system_memory[511]);
}

bool ReadSceneWords(SnapshotReader& in, SnapshotImage& image) {
  image.priority_base = in.I32();
  image.key_cancel = in.I32();
  image.history_point[0] = in.I32();
  image.history_point[1] = in.I32();
  image.history_position = in.I32();
  image.history_counter = in.I32();
  return in.ok();
}

void WriteValueStack(const AdvContext& context, SnapshotWriter& out) {
  out.I32(context.values.value_count);
  out.Words(context.values.value_stack);
}

bool ReadValueStack(SnapshotReader& in, SnapshotImage& image) {
  image.value_count = in.I32();
  in.Words(image.value_stack);
  return in.Bounded(image.value_count, 0, kValueStackSize, "value stack count");
}

void WriteFrameStack(const AdvContext& context, SnapshotWriter& out) {
  out.I32(context.values.frame_base);
  out.I32(context.values.frame_top);
  out.Words(context.values.frame_stack);
}

// The frame base indexes temporary memory, the top the frame stack.
bool ReadFrameStack(SnapshotReader& in, SnapshotImage& image) {
  image.frame_base = in.I32();
  image.frame_top = in.I32();
  in.Words(image.frame_stack);
  return in.Bounded(image.frame_base, 0, kTempMemoryCells, "frame base") &&
         in.Bounded(image.frame_top, 0, kFrameStackSize, "frame top");
}

void WritePlayerName(const AdvContext& context, SnapshotWriter& out) {
  out.Chars(context.player_name.name);
  out.I32(context.player_name.name_length);
  out.I32(context.player_name.changed);
}

bool ReadPlayerName(SnapshotReader& in, SnapshotImage& image) {
  in.Chars(image.player_name);
  image.player_name_length = in.I32();
  image.player_name_changed = in.I32();
  return in.Bounded(image.player_name_length, 0, 32, "player name length");
}

// Block 12: button groups 0 to 3, written and read by the buttons' own block code.
void WriteButtons(const AdvContext& context, SnapshotWriter& out) {
  AdvButtonSave(context, out);
}

bool ReadButtons(SnapshotReader& in, SnapshotImage& image) {
  return AdvButtonRead(in, image.buttons);
}

// Blocks 13 and 14: the choice state and the script thread.
void WriteSelect(const AdvContext& context, SnapshotWriter& out) {
  out.I32(context.select.init_image);
  out.Words(context.select.init_colours);
  out.Words(context.select.hooks);
}

bool ReadSelect(SnapshotReader& in, SnapshotImage& image) {
  image.select_image = in.I32();
  in.Words(image.select_colours);
  in.Words(image.select_hooks);
  return in.ok();
}

void WriteThread(const AdvContext& context, SnapshotWriter& out) {
  const ScriptThread& thread = context.thread;
  out.I32(thread.active);
  out.I32(thread.enabled);
  out.I32(thread.turn_count);
  out.U32(thread.entry);
  out.I32(thread.label);
}

bool ReadThread(SnapshotReader& in, SnapshotImage& image) {
  ScriptThread& thread = image.thread;
  thread.active = in.I32();
  thread.enabled = in.I32();
  thread.turn_count = in.I32();
  thread.entry = in.U32();
  thread.label = in.I32();
  return in.ok();
}

// Block 15: the face table and layers 0 to 63, written and read by the layers' own block code.
void WriteLayers(const AdvContext& context, SnapshotWriter& out) {
  AdvGraphicSave(context, out);
}

bool ReadLayers(SnapshotReader& in, SnapshotImage& image) {
  return AdvGraphicRead(in, image.layers);
}

// Block 16: the flag word of the running screen effects and the four argument words of each, in
// the order shake, snow, blossoms, raster (the flag bits' order; the flush is never saved).
void WriteEffects(const AdvContext& context, SnapshotWriter& out) {
  const EffectSnapshot saved = AdvEffectSave(context);
  out.U32(saved.flags);
  for (int32_t part = 0; part < kEffectSnapshotParts; ++part) {
    if (saved.flags & kEffectPartBits[part]) out.Words(saved.parts[part]);
  }
}

bool ReadEffects(SnapshotReader& in, SnapshotImage& image) {
  EffectSnapshot& saved = image.effects;
  saved.flags = in.U32();
  if (!in.Check((saved.flags & ~0x1Du) == 0, "unknown screen effect")) return false;
  for (int32_t part = 0; part < kEffectSnapshotParts; ++part) {
    if (saved.flags & kEffectPartBits[part]) in.Words(saved.parts[part]);
  }
  return in.ok();
}

// Block 17: the raster effects from the head of their list (the newest first), closed by the
// end mark: the state, and for a running effect its layer, the reserved word and its three
// parameters.
void WriteFx(const AdvContext&, SnapshotWriter& out) {
  for (const RasterEffectSlot& entry : RasterEffectList()) {
    out.U32(entry.state);
    if (entry.state != kRasterRunning) continue;
    out.I32(entry.layer);
    out.U32(entry.reserved);
    out.Words(entry.parameters);
  }
  out.U32(kFxEndMark);
}

bool ReadFx(SnapshotReader& in, SnapshotImage& image) {
  for (;;) {
    const uint32_t kind = in.U32();
    if (!in.ok()) return false;
    if (kind == kFxEndMark) return true;
    if (image.fx.size() == kFxSlotCount) return in.Refuse("more than 8 raster effects");
    FxEntry entry;
    entry.kind = kind;
    if (kind == 1) {
      entry.a = in.I32();
      entry.b = in.I32();
      if (entry.b == 0) in.Words(entry.args);
    }
    image.fx.push_back(entry);
  }
}

// Blocks 18 to 20: sound channels.

// A platform sound handle belongs to the run that made it: images store 0 in its place, and a
// restore gets a new handle from a new load.
void WriteBgmRecord(const BgmChannel& channel, SnapshotWriter& out) {
  out.U32(0);
  out.U32(channel.file_id);
  out.U32(channel.flags);
  out.I32(channel.volume);
  out.Words(channel.reserved);
  out.Chars(channel.name);
  out.I32(channel.loop_points.use);
  out.I32(channel.loop_points.start);
  out.I32(channel.loop_points.loop);
  out.I32(channel.loop_points.end);
  out.I32(channel.fade_delta);
  out.U32(channel.fade_time);
  out.U32(channel.fade_start);
}

// A name field is used as a string: one without its terminator is damage.
template <size_t N>
bool ReadName(SnapshotReader& in, std::array<char, N>& name, const char* what) {
  in.Chars(name);
  return in.Check(std::memchr(name.data(), 0, N) != nullptr, what);
}

bool ReadBgmRecord(SnapshotReader& in, BgmChannel& channel) {
  channel.handle = in.U32();
  channel.file_id = in.U32();
  channel.flags = in.U32();
  channel.volume = in.I32();
  in.Words(channel.reserved);
  const bool named = ReadName(in, channel.name, "BGM name without an end");
  channel.loop_points.use = in.I32();
  channel.loop_points.start = in.I32();
  channel.loop_points.loop = in.I32();
  channel.loop_points.end = in.I32();
  channel.fade_delta = in.I32();
  channel.fade_time = in.U32();
  channel.fade_start = in.U32();
  return named;
}

// A channel without a file, or one that is fading out, is stored empty; a running volume fade is
// stored as finished, at the volume it is heading for.
void WriteBgm(const AdvContext& context, SnapshotWriter& out) {
  constexpr int32_t kFadingOut = 2;
  for (const BgmChannel& channel : context.sound.bgm) {
    BgmChannel copy;
    if (channel.file_id != 0 && yel::YelSoundGetState(channel.handle) != kFadingOut) {
      copy = channel;
      if ((copy.flags & kBgmFadeRunning) == kBgmFadeRunning) {
        copy.flags &= ~kBgmFadeRunning;
        copy.volume += copy.fade_delta;
      }
    }
    WriteBgmRecord(copy, out);
  }
}

bool ReadBgm(SnapshotReader& in, SnapshotImage& image) {
  for (BgmChannel& channel : image.bgm) {
    if (!ReadBgmRecord(in, channel)) return false;
  }
  return in.ok();
}

void WriteSe(const AdvContext& context, SnapshotWriter& out) {
  const SoundState& sound = context.sound;
  out.I32(sound.next_se_pan);
  for (const SeInfoEntry& entry : sound.se_info) {
    out.I32(entry.in_use);
    out.I32(entry.enable);
    out.I32(entry.volume);
    out.Chars(entry.name);
  }
  for (const SeChannelSetting& setting : sound.se_settings) {
    out.U32(setting.flags);
    out.I32(setting.volume);
    out.I32(setting.frequency);
  }
  for (const SeChannel& channel : sound.se) {
    out.U32(0);  // handle
    out.U32(channel.file_id);
    out.U32(channel.flags);
    out.U32(channel.kind);
    out.Words(channel.reserved);
    out.I32(channel.pan);
    out.Chars(channel.name);
  }
}

bool ReadSeChannel(SnapshotReader& in, SeChannel& channel) {
  channel.handle = in.U32();
  channel.file_id = in.U32();
  channel.flags = in.U32();
  channel.kind = in.U32();
  in.Words(channel.reserved);
  channel.pan = in.I32();
  // The kind picks a row of the three-row type table.
  return ReadName(in, channel.name, "SE name without an end") &&
         in.Bounded(channel.kind, 0, kSeKindCount - 1, "SE kind");
}

bool ReadSe(SnapshotReader& in, SnapshotImage& image) {
  image.next_se_pan = in.I32();
  for (SeInfoEntry& entry : image.se_info) {
    entry.in_use = in.I32();
    entry.enable = in.I32();
    entry.volume = in.I32();
    if (!ReadName(in, entry.name, "SE class prefix without an end")) return false;
  }
  for (SeChannelSetting& setting : image.se_settings) {
    setting.flags = in.U32();
    setting.volume = in.I32();
    setting.frequency = in.I32();
    // The commands never store a negative setting; the frequency goes to the platform unsigned.
    if (!in.Bounded(setting.volume, 0, INT32_MAX, "SE channel volume") ||
        !in.Bounded(setting.frequency, 0, INT32_MAX, "SE channel frequency")) {
      return false;
    }
  }
  for (SeChannel& channel : image.se) {
    if (!ReadSeChannel(in, channel)) return false;
  }
  return in.ok();
}

void WriteBgv(const AdvContext& context, SnapshotWriter& out) {
  AdvBgvSave(context.sound, out);
}

bool ReadBgv(SnapshotReader& in, SnapshotImage& image) {
  return AdvBgvRead(in, image.autopan, image.bgv);
}

// Block 21: the history.
void WriteHistory(const AdvContext& context, SnapshotWriter& out) {
  out.I32(context.history.count);
  for (const HistoryEntry& entry : context.history.entries) {
    out.Chars(entry.name);
    out.Chars(entry.text);
    out.Chars(entry.voice);
    out.U32(entry.script_point);
    out.I32(entry.file_number);
    out.U32(entry.face_flag);
  }
}

bool ReadHistory(SnapshotReader& in, SnapshotImage& image) {
  image.history_count = in.I32();
  for (HistoryEntry& entry : image.history) {
    in.Chars(entry.name);
    in.Chars(entry.text);
    in.Chars(entry.voice);
    entry.script_point = in.U32();
    entry.file_number = in.I32();
    entry.face_flag = in.U32();
    HistoryEntryTerminate(entry);  // the page and the commands read them as strings
  }
  return in.Bounded(image.history_count, 0, kHistoryEntryCount, "history count");
}

// Block 22: the message window, written and read by the window's own block code.
void WriteTextWindow(const AdvContext& context, SnapshotWriter& out) {
  AdvTextSave(context, out);
}

bool ReadTextWindow(SnapshotReader& in, SnapshotImage& image) {
  return AdvTextRead(in, image.text_window);
}

// Block 23: the action sets.
void WriteActions(const AdvContext& context, SnapshotWriter& out) {
  AdvActionSave(context.actions, out);
}

bool ReadActions(SnapshotReader& in, SnapshotImage& image) {
  return AdvActionRead(in, image.actions);
}

// Block 24: the return records of the display-queue list, oldest first.
void WriteReturnList(const AdvContext& context, SnapshotWriter& out) {
  YelList* list = context.display_queue;
  const int32_t count = list ? yel::YelListGetDataCount(list, kListReturnPoint) : 0;
  out.I32(count);
  for (int32_t i = count - 1; i >= 0; --i) {
    const auto* entry =
        reinterpret_cast<const DataEntry*>(yel::YelListGetData(list, kListReturnPoint, i));
    out.U32(entry ? entry->offset : 0);
  }
}

bool ReadReturnList(SnapshotReader& in, SnapshotImage& image) {
  const int32_t count = in.I32();
  if (!in.Bounded(count, 0, static_cast<int64_t>(in.remaining() / 4), "return count")) {
    return false;
  }
  image.return_offsets.resize(static_cast<size_t>(count));
  for (uint32_t& offset : image.return_offsets) offset = in.U32();
  return in.ok();
}

}  // namespace

const std::vector<SnapshotBlock>& SnapshotBlocks() {
  static const std::vector<SnapshotBlock> kBlocks = {
      {"head", WriteHead, ReadHead},
      {"user memory", WriteUserMemory, ReadUserMemory},
      {"memory stack", WriteMemoryStack, ReadMemoryStack},
      {"string variables", WriteStrings, ReadStrings},
      {"scene words", WriteSceneWords, ReadSceneWords},  // blocks 4 to 8
      {"value stack", WriteValueStack, ReadValueStack},
      {"frame stack", WriteFrameStack, ReadFrameStack},
      {"player name", WritePlayerName, ReadPlayerName},
      {"buttons", WriteButtons, ReadButtons},
      {"choice", WriteSelect, ReadSelect},
      {"script thread", WriteThread, ReadThread},
      {"layers", WriteLayers, ReadLayers},
      {"screen effects", WriteEffects, ReadEffects},
      {"raster effects", WriteFx, ReadFx},
      {"bgm", WriteBgm, ReadBgm},
      {"se", WriteSe, ReadSe},
      {"bgv", WriteBgv, ReadBgv},
      {"history", WriteHistory, ReadHistory},
      {"text window", WriteTextWindow, ReadTextWindow},
      {"actions", WriteActions, ReadActions},
      {"return list", WriteReturnList, ReadReturnList},
  };
  return kBlocks;
}

bool EncodeSnapshot(const AdvContext& context, uint8_t* buffer, uint32_t capacity,
                    uint32_t* length) {
  SnapshotWriter out(buffer, capacity, 0);
  for (const SnapshotBlock& block : SnapshotBlocks()) block.write(context, out);
  *length = out.cursor();
  return !out.overflow();
}

std::unique_ptr<SnapshotImage> DecodeSnapshot(std::string_view bytes, std::string* error) {
  std::unique_ptr<SnapshotImage> image(new (std::nothrow) SnapshotImage);
  if (!image) {
    *error = "no memory to restore";
    return nullptr;
  }
  SnapshotReader in(bytes);
  for (const SnapshotBlock& block : SnapshotBlocks()) {
    if (!block.read(in, *image) || !in.ok()) {
      *error = std::string(block.name) + ": " + in.error();
      return nullptr;
    }
  }
  if (in.remaining() != 0) {
    *error = std::to_string(in.remaining()) + " bytes after the last block";
    return nullptr;
  }
  return image;
}

}  // namespace adv
