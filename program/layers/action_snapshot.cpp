#include "program/layers/action_snapshot.h"

#include "program/game/adv_context.h"
#include "program/layers/action_manager.h"
#include "program/savedata/snapshot_image.h"

namespace adv {
namespace {

constexpr uint32_t kLinesEnd = 0xFFFFFFFF;
// Section count, kind-state word, 120 sections of 18 words.
constexpr uint32_t kLineImageSize = 8 + kActionSectionCount * sizeof(ActionSection);
static_assert(kLineImageSize == 8648, "a line image is 8,648 bytes");

void WriteLine(const ActionLine& line, SnapshotWriter& out) {
  out.U32(line.count);
  out.U32(0);  // the kind-state word: a reference means nothing in a file
  for (const ActionSection& section : line.sections) {
    out.Words(section.parameters);
    out.U32(section.kind);
    out.U32(section.duration);
  }
}

bool ReadLine(SnapshotReader& in, ActionLine& line) {
  line.count = in.U32();
  in.U32();
  line.kind_state = nullptr;
  for (ActionSection& section : line.sections) {
    in.Words(section.parameters);
    section.kind = in.U32();
    section.duration = in.U32();
  }
  if (!in.Bounded(line.count, 0, kActionSectionCount, "action section count")) return false;
  for (uint32_t s = 0; s < line.count; ++s) {
    if (!in.Bounded(line.sections[s].kind, 0, kActionKindCount - 1, "action kind")) return false;
  }
  return in.ok();
}

bool ReadSet(SnapshotReader& in, SavedActionSet& set) {
  set.cycle = in.U32();
  set.line_mark = in.U32();
  set.reserved = in.U32();
  set.start_time = in.U32();
  set.length = in.U32();
  set.mode = in.U32();
  while (in.ok()) {
    const uint32_t index = in.U32();
    if (index == kLinesEnd) return in.ok();
    if (!in.Bounded(index, 0, kActionLineCount - 1, "action line")) return false;
    set.lines.emplace_back(index, ActionLine{});
    if (!ReadLine(in, set.lines.back().second)) return false;
  }
  return false;
}

}  // namespace

void AdvActionSave(const ActionManager& actions, SnapshotWriter& out) {
  out.U32(actions.active);
  out.Words(actions.clear_requests);
  out.Words(actions.stop_flags);
  for (const ActionSet& set : actions.sets) {
    out.U32(set.running);
    if (!set.running) continue;
    for (uint32_t word :
         {set.cycle, set.line_mark, set.reserved, set.start_time, set.length, set.mode}) {
      out.U32(word);
    }
    for (uint32_t i = 0; i < kActionLineCount; ++i) {
      if (set.lines[i].count == 0) continue;
      out.U32(i);
      WriteLine(set.lines[i], out);
    }
    out.U32(kLinesEnd);
  }
}

bool AdvActionRead(SnapshotReader& in, SavedActions& saved) {
  saved.active = in.U32();
  in.Words(saved.clear_requests);
  in.Words(saved.stop_flags);
  if (!in.Bounded(saved.active, 0, kActionSetCount - 1, "active action set")) return false;
  for (uint32_t index = 0; index < kActionSetCount; ++index) {
    const uint32_t running = in.U32();
    if (!in.ok()) return false;
    if (running == 0) continue;
    SavedActionSet& set = saved.sets.emplace_back();
    set.index = index;
    set.running = running;
    if (!ReadSet(in, set)) return false;
  }
  return in.ok();
}

void AdvActionLoad(AdvContext& context, const SavedActions& saved, uint32_t now) {
  ActionManager& actions = context.actions;
  actions.active = saved.active;
  actions.clear_requests = saved.clear_requests;
  actions.stop_flags = saved.stop_flags;
  for (const SavedActionSet& from : saved.sets) {
    ActionSet& set = actions.sets[from.index];
    ActionSetClear(set);
    set.running = from.running;
    set.cycle = from.cycle;
    set.line_mark = from.line_mark;
    set.reserved = from.reserved;
    set.length = from.length;
    set.mode = from.mode;
    for (const auto& [index, line] : from.lines) set.lines[index] = line;
    set.start_time = now;
  }
}

}  // namespace adv
