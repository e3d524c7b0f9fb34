#include "program/layers/sprite_loader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "program/data/string_helpers.h"
#include "program/layers/layer_services.h"
#include "program/script/engine_log.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

using LoadFn = YelSprite* (*)(YelRender* render, const char* name, int32_t priority);
using InfoFn = YelSprite* (*)(const char* name, int32_t width, int32_t height, int32_t priority);

YelSprite* LoadPicture(YelRender* render, const char* name, int32_t priority) {
  return yel::YelSpriteLoad(render, name, priority);
}

YelSprite* PictureInfo(const char* name, int32_t width, int32_t height, int32_t priority) {
  return yel::YelSpriteInfoCreate(name, width, height, priority);
}

struct ImageLoaderRow {
  const char* extension;
  LoadFn load;
  InfoFn info;
};

// The order of trial: the engine's own format, movies, then the ordinary formats.
constexpr ImageLoaderRow ImageLoaderTable[] = {
    {".mkt", LoadPicture, PictureInfo}, {".mpg", AdvMovieSpriteLoad, AdvMovieSpriteInfoCreate},
    {".tga", LoadPicture, PictureInfo}, {".bmp", LoadPicture, PictureInfo},
    {".png", LoadPicture, PictureInfo}, {".jpg", LoadPicture, PictureInfo},
};

// The platform reads every image into its one scratch pool, so only one load runs at a time,
// whichever thread asks. Never held while waiting for the render lock.
std::mutex g_load_lock;

constexpr size_t kNameLimit = 32;
constexpr char kDeltaMagic[] = "MKT3";
constexpr size_t kDeltaBaseName = 14;

// The platform's image limits, which every renderer keeps within.
bool WithinImageLimits(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kTextureSideMax && height <= kTextureSideMax &&
         width * height <= kTexturePixelsMax;
}

// A plane of a size no texture may have is refused while fast-forwarding too, so that no
// size-only sprite carries it into a snapshot.
YelSprite* ColourPlane(const char* name, int32_t width, int32_t height, int32_t priority,
                       bool forced_skip) {
  if (!WithinImageLimits(width, height)) {
    AdvDebugPrint(kLogError, "sprite size error [%s] %d x %d", name, width, height);
    return nullptr;
  }
  if (forced_skip) return yel::YelSpriteInfoCreate(nullptr, width, height, priority);
  const uint32_t colour = ParseHex(name + 1);
  YelSprite* sprite = yel::YelSpriteCreate(yel::YelRenderGetActive(), width, height, priority);
  if (sprite) yel::YelSpritePaint(sprite, nullptr, colour);
  return sprite;
}

// The base image name of a delta image left in the platform's scratch pool, if any. A later
// row's read clears the pool, so it is taken right after the row that read the delta.
std::string DeltaBaseInPool() {
  const auto* pool = static_cast<const char*>(yel::YelGetlpPool());
  if (!pool || std::memcmp(pool, kDeltaMagic, 4) != 0) return {};
  return std::string(pool + kDeltaBaseName, strnlen(pool + kDeltaBaseName, kNameLimit));
}

YelSprite* TryRows(const std::string& base, int32_t priority, bool forced_skip,
                   std::string* delta_base) {
  YelRender* render = yel::YelRenderGetActive();
  for (const ImageLoaderRow& row : ImageLoaderTable) {
    const std::string name = base + row.extension;
    YelSprite* sprite = forced_skip ? row.info(name.c_str(), 0, 0, priority)
                                    : row.load(render, name.c_str(), priority);
    if (sprite) return sprite;
    if (delta_base->empty()) *delta_base = DeltaBaseInPool();
  }
  return nullptr;
}

// The first name of the rows that the file layer finds, or empty when there is none: the file
// that was there but could not be read as an image.
std::string FoundFileName(const std::string& base) {
  for (const ImageLoaderRow& row : ImageLoaderTable) {
    const std::string name = base + row.extension;
    if (YelFile* file = yel::YelFileCreate(name.c_str(), nullptr)) {
      yel::YelFileClose(file);
      return name;
    }
  }
  return {};
}

// A delta image whose base is missing names the base, not itself; a file that is there names
// itself with its extension, so that a GIF or a damaged PNG is told apart from a missing image.
void LogLoadError(const std::string& name, const std::string& delta_base) {
  if (!delta_base.empty()) {
    AdvDebugPrint(kLogError, "sprite base load error [%s]", delta_base.c_str());
    return;
  }
  const std::string found = FoundFileName(name);
  if (found.empty()) {
    AdvDebugPrint(kLogError,
                  "sprite load error [%s] : no file %s.mkt, .mpg, .tga, .bmp, .png or .jpg",
                  name.c_str(), name.c_str());
  } else {
    AdvDebugPrint(kLogError, "sprite load error [%s] : not an image the engine reads",
                  found.c_str());
  }
}

}  // namespace

bool AdvTextureFits(const char* command, int64_t width, int64_t height) {
  YelTextureCaps caps{};
  if (!yel::YelGetTextureCaps(&caps) || caps.max_width <= 0 || caps.max_height <= 0) {
    caps = YelTextureCaps{kTextureSideMax, kTextureSideMax, 0, 0};
  }
  const int32_t max_width = std::min(caps.max_width, kTextureSideMax);
  const int32_t max_height = std::min(caps.max_height, kTextureSideMax);
  if (WithinImageLimits(width, height) && width <= max_width && height <= max_height) return true;
  AdvDebugPrint(kLogError, "%s : a texture of %lld x %lld is refused (1 to %d x %d, %lld pixels)",
                command, static_cast<long long>(width), static_cast<long long>(height), max_width,
                max_height, static_cast<long long>(kTexturePixelsMax));
  return false;
}

bool AdvFastForwarding(AdvContext& context) {
  return (AdvSkipState(context) & SKIP_MASK_FORCED) != 0;
}

YelSprite* AdvSpriteLoadWithoutLock(const char* name, int32_t width, int32_t height,
                                    int32_t priority, bool forced_skip) {
  if (!name || !*name) return nullptr;
  std::lock_guard load(g_load_lock);
  if (name[0] == '#') return ColourPlane(name, width, height, priority, forced_skip);
  const std::string base(name, strnlen(name, kNameLimit));
  std::string delta_base;
  YelSprite* sprite = TryRows(base, priority, forced_skip, &delta_base);
  if (!sprite) LogLoadError(base, delta_base);
  return sprite;
}

YelSprite* AdvSpriteLoad(AdvContext& context, const char* name, int32_t width, int32_t height,
                         int32_t priority) {
  return AdvSpriteLoadWithoutLock(name, width, height, priority, AdvFastForwarding(context));
}

YelSprite* AdvSpriteLoadUnlocked(AdvContext& context, const char* name, int32_t width,
                                 int32_t height, int32_t priority) {
  const bool forced_skip = AdvFastForwarding(context);
  if (!yel::YelIsWorkThreadId()) {
    return AdvSpriteLoadWithoutLock(name, width, height, priority, forced_skip);
  }
  RenderLockLeft unlocked;
  return AdvSpriteLoadWithoutLock(name, width, height, priority, forced_skip);
}

RenderLockLeft::RenderLockLeft() {
  yel::YelRenderLockLeave();
}
RenderLockLeft::~RenderLockLeft() {
  yel::YelRenderLockEnter();
}

}  // namespace adv
