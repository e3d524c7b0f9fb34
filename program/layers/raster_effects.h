// Raster effects on layers: the platform's raster wave drawn over one layer's sprite, at most
// eight at a time. Each runs in an entry linked to its layer, so that it goes with the layer,
// is saved in snapshots and starts again on restore. The entries are process-wide and touched
// only by the thread that holds the render lock.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace adv {

struct AdvContext;
struct LayerRecord;

inline constexpr int32_t kRasterEffectSlots = 8;

enum RasterEffectState : uint32_t {
  kRasterFree = 0,
  kRasterRunning = 1,
  kRasterStopping = 2,
};

struct RasterEffectSlot {
  int32_t layer = 0;
  uint32_t state = kRasterFree;
  uint32_t reserved = 0;                // written and saved as 0
  std::array<int32_t, 3> parameters{};  // a, b, c as the script gave them
  uint32_t order = 0;                   // larger = linked later (nearer the head of the list)
};

// Starts the wave on the layer's sprite; a layer that runs one already has it released first.
// 1, also for a layer without an image (nothing starts then); 0 when all eight entries are
// taken, before anything changes.
int RasterEffectStart(AdvContext& context, int32_t layer, int32_t a, int32_t b, int32_t c);
// Fades the layer's wave out over `time` ms; nothing when it has none.
void RasterEffectStop(AdvContext& context, int32_t layer, int32_t time);
// The first call of a wait remembers the layer; true once its wave has ended (or the script
// skips), which also ends the wait.
bool RasterEffectWaitBegun();
void RasterEffectWaitBegin(int32_t layer);
bool RasterEffectWaitOver(AdvContext& context);
// Entries still in the list, from the head (the newest) on.
std::vector<RasterEffectSlot> RasterEffectList();
// Entries the platform reports faded out become free.
void RasterEffectPrune(AdvContext& context);

}  // namespace adv
