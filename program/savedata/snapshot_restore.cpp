// Applying a decoded snapshot image to the game, block by block in image order. The image was
// checked whole before the scene was reset, so nothing here can meet a bad count or length.
#include <cstring>

#include "program/game/adv_context.h"
#include "program/layers/action_snapshot.h"
#include "program/layers/layer_snapshot.h"
#include "program/layers/screen_effects.h"
#include "program/savedata/snapshot_image.h"
#include "program/script/command_table.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/sound/bgm_channels.h"
#include "program/sound/background_voices.h"
#include "program/sound/sound_calls.h"
#include "program/sound/sound_effects.h"
#include "program/sound/sound_services.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "program/text/text_snapshot.h"

namespace adv {
namespace {

constexpr uint32_t kFxRasterStart = 0x130003;

void ApplyHead(SaveState& save, SnapshotImage& image) {
  save.title = image.title;
  save.save_text = image.save_text;
  save.save_text.back() = 0;
  save.mosaic = image.mosaic;
  save.resume_offset = image.resume_offset;
  save.load_after = image.load_after;
  // The thumbnail takes the size the image recorded, with its own pixels.
  save.thumbnail_width = image.thumbnail_width;
  save.thumbnail_height = image.thumbnail_height;
  save.capture = image.capture;
  save.thumbnail.swap(image.thumbnail);
}

void ApplyValues(AdvContext& context, const SnapshotImage& image) {
  ValueStores& v = context.values;
  v.user_memory = image.user_memory;
  v.memory_stack_depth = image.memory_stack_depth;
  v.memory_stack = image.memory_stack;
  v.string_cursor = image.string_cursor;
  v.string_variables = image.string_variables;
  context.skip.priority_base = image.priority_base;
  context.skip.key_cancel = image.key_cancel;
  context.skip.history_point[1] = image.history_point[0];
  context.skip.history_point[2] = image.history_point[1];
  context.save.restored_history_position = image.history_position;
  context.save.restored_history_counter = image.history_counter;
  v.value_count = image.value_count;
  v.value_stack = image.value_stack;
  v.frame_base = image.frame_base;
  v.frame_top = image.frame_top;
  v.frame_stack = image.frame_stack;
  context.player_name.name = image.player_name;
  context.player_name.name_length = image.player_name_length;
  context.player_name.changed = image.player_name_changed;
}

// A raster effect whose parameters were saved starts again through its command.
void RestartFx(AdvContext& context, const SnapshotImage& image) {
  const CommandHandler start = CommandFor(*context.script.commands, kFxRasterStart);
  for (const FxEntry& entry : image.fx) {
    if (entry.kind != 1 || entry.b != 0 || !start) continue;
    ValueStackPush(context, entry.args[2]);
    ValueStackPush(context, entry.args[1]);
    ValueStackPush(context, entry.args[0]);
    ValueStackPush(context, entry.a);
    start(context);
  }
}

// The file name of a channel record: kept in the record, or named by "File.dat".
void ChannelName(AdvContext& context, uint32_t file_id, const std::array<char, 32>* own,
                 char (&name)[33]) {
  std::memset(name, 0, sizeof name);
  if ((file_id & kFileIdNameInRecord) && own) {
    std::memcpy(name, own->data(), strnlen(own->data(), own->size()));
    return;
  }
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), file_id, true);
}

// A handle read from the image belongs to a run that has ended: every channel starts without
// one and gets a new handle only from a load that succeeded.
void ApplyBgm(AdvContext& context, const SnapshotImage& image) {
  AdvBgmTypeVolumeApply(context.sound);  // no voice plays now: the ducking ends
  for (size_t i = 0; i < image.bgm.size(); ++i) {
    BgmChannel& channel = context.sound.bgm[i];
    channel = image.bgm[i];
    channel.handle = 0;
    if (channel.file_id == 0) continue;
    char name[33];
    ChannelName(context, channel.file_id, &channel.name, name);
    channel.handle = AdvBgmLoadStream(context, name, channel.loop_points);
    if (channel.handle == 0) {
      AdvDebugPrint(kLogError, "bgm load error [%s]", name);
      continue;
    }
    AdvBgmResume(context, channel,
                 !context.save.history_restore && !(channel.flags & kBgmNoRestart));
  }
}

// Looping and loaded effects load again; the others keep their records without a sound.
void ApplySe(AdvContext& context, const SnapshotImage& image) {
  SoundState& sound = context.sound;
  sound.next_se_pan = image.next_se_pan;
  sound.se_info = image.se_info;
  sound.se_settings = image.se_settings;
  sound.se = image.se;
  AdvSeRestore(context);
}

// Records come back with tag 0, the most recent at the front.
void ApplyReturnList(AdvContext& context, const SnapshotImage& image) {
  for (uint32_t offset : image.return_offsets) {
    PushDataEntry(context, kListReturnPoint, offset, kReturnContinue);
  }
}

}  // namespace

void ApplySnapshot(AdvContext& context, SnapshotImage& image) {
  ApplyHead(context.save, image);
  ApplyValues(context, image);
  AdvButtonLoad(context, image.buttons);
  context.select.init_image = image.select_image;
  context.select.init_colours = image.select_colours;
  context.select.hooks = image.select_hooks;
  context.thread = image.thread;
  AdvGraphicLoad(context, image.layers);
  // A timed shake holds the script at the point it resumes from.
  context.script.pc = image.resume_offset;
  AdvEffectLoad(context, image.effects);
  RestartFx(context, image);
  ApplyBgm(context, image);
  ApplySe(context, image);
  AdvBgvLoad(context, image.autopan, image.bgv);
  context.history.count = image.history_count;
  context.history.entries = image.history;
  AdvTextLoad(context, image.text_window);
  yel::YelUpdateTime();
  AdvActionLoad(context, image.actions, yel::YeltimeGetTime());
  ApplyReturnList(context, image);
  context.script.pc = image.resume_offset;
}

}  // namespace adv
