#include "program/layers/layer_loads.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/layers/sprite_loader.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {

struct LayerLoadJob {
  AdvContext* context = nullptr;
  int32_t layer = 0;
  uint32_t generation = 0;
  uint32_t file = 0;
  int32_t immediate = 0;
  bool forced_skip = false;
  int32_t priority = 0;
  std::array<uint8_t, 32> name{};    // the resolved name, as the script gave it
  std::array<char, 33> load_name{};  // the name loaded ("graphic.dat" may replace it)
  GraphicDatRecord record;
};

namespace {

struct PendingLoad {
  uint32_t generation = 0;
  bool pending = false;
};

// Guards the pending table; the condition is signalled when a load ends or is forgotten.
std::mutex g_pending_lock;
std::condition_variable g_pending_done;
std::array<PendingLoad, kLayerCount> g_pending{};
uint32_t g_last_generation = 0;

uint32_t BeginPending(int32_t layer) {
  std::lock_guard lock(g_pending_lock);
  g_pending[layer] = {++g_last_generation, true};
  return g_last_generation;
}

// True when the load is still the layer's; it is then no longer pending.
bool EndPending(int32_t layer, uint32_t generation) {
  std::lock_guard lock(g_pending_lock);
  PendingLoad& entry = g_pending[layer];
  const bool current = entry.pending && entry.generation == generation;
  if (current) entry.pending = false;
  g_pending_done.notify_all();
  return current;
}

// Render lock held. Puts the sprite into the layer, or drops it when the layer moved on.
void Finish(LayerLoadJob& job, YelSprite* sprite) {
  if (!EndPending(job.layer, job.generation)) {
    if (sprite) yel::YelSpriteRelease(yel::YelRenderGetActive(), sprite);
    return;
  }
  LayerRecord& record = job.context->layers.layers[job.layer];
  GraphicSlot* slot = record.slot;
  record.flags &= ~kLayerLoadPending;
  if (!slot || !sprite) {
    if (sprite) yel::YelSpriteRelease(yel::YelRenderGetActive(), sprite);
    AdvGraphicSlotFreeNow(slot);
    record.slot = nullptr;
  } else {
    YelSpriteInfo info{};
    yel::YelSpriteGetInfo(sprite, &info);
    const int32_t x = static_cast<int32_t>(info.x) + job.record.x;
    const int32_t y = static_cast<int32_t>(info.y) + job.record.y;
    slot->position = {x, y, 0};
    slot->float_position = {info.x + job.record.x, info.y + job.record.y, 0};
    AdvSlotTakeSprite(*slot, sprite, info, job.record, job.file, job.name.data());
  }
  AdvDebugPrint(kLogTrace, "sp_load  %s, %d, %d", job.load_name.data(), job.layer, job.immediate);
}

}  // namespace

LayerLoadJob* AdvLayerLoadPrepare(AdvContext& context, uint32_t file, int32_t layer,
                                  int32_t immediate) {
  LayerRecord& record = context.layers.layers[layer];
  if (record.slot) AdvLayerRelease(context, record);
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankLayer, layer);
  if (!slot) return nullptr;
  auto job = std::make_unique<LayerLoadJob>();
  job->context = &context;
  job->layer = layer;
  job->file = file;
  job->immediate = immediate;
  job->forced_skip = AdvFastForwarding(context);
  AdvGetFileName(context, job->name.data(), file, true);
  std::memcpy(job->load_name.data(), job->name.data(), job->name.size());
  if (AdvGraphicDatFind(job->load_name.data(), &job->record)) {
    std::memcpy(job->load_name.data(), job->record.file_name.data(), kGraphicDatNameSize);
  }
  job->priority = AdvLayerPriority(context, layer, job->record.priority_step);
  slot->image_word = 0;
  record.slot = slot;
  record.flags = kLayerLoadPending;
  job->generation = BeginPending(layer);
  return job.release();
}

void AdvLayerLoadRun(uintptr_t word) {
  std::unique_ptr<LayerLoadJob> job(reinterpret_cast<LayerLoadJob*>(word));
  if (!job) return;
  YelSprite* sprite = AdvSpriteLoadWithoutLock(job->load_name.data(), AdvWindowWidth,
                                               AdvWindowHeight, job->priority, job->forced_skip);
  // The lock only around the writes into the layer.
  yel::YelRenderLockEnter();
  Finish(*job, sprite);
  yel::YelRenderLockLeave();
}

void AdvLayerLoadRunHere(LayerLoadJob* raw) {
  std::unique_ptr<LayerLoadJob> job(raw);
  if (!job) return;
  YelSprite* sprite = nullptr;
  if (yel::YelIsWorkThreadId()) {
    // The interpreter's work-thread mode: the main thread draws while the image loads.
    RenderLockLeft unlocked;
    sprite = AdvSpriteLoadWithoutLock(job->load_name.data(), AdvWindowWidth, AdvWindowHeight,
                                      job->priority, job->forced_skip);
  } else {
    sprite = AdvSpriteLoadWithoutLock(job->load_name.data(), AdvWindowWidth, AdvWindowHeight,
                                      job->priority, job->forced_skip);
  }
  Finish(*job, sprite);
}

uint32_t LayerLoadWait(int32_t layer, uint32_t timeout_ms) {
  if (layer < 0 || layer >= kLayerCount) return 0;
  const auto start = std::chrono::steady_clock::now();
  {
    std::lock_guard lock(g_pending_lock);
    if (!g_pending[layer].pending) return 0;
  }
  // The loader needs the render lock to finish: leave it while waiting.
  RenderLockLeft unlocked;
  std::unique_lock lock(g_pending_lock);
  g_pending_done.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                          [layer] { return !g_pending[layer].pending; });
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - start)
                                   .count());
}

void LayerLoadForget(int32_t layer) {
  if (layer < 0 || layer >= kLayerCount) return;
  std::lock_guard lock(g_pending_lock);
  g_pending[layer].pending = false;
  g_pending_done.notify_all();
}

}  // namespace adv
