#include "program/layers/layer_compositions.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/image_decode.h"
#include "program/layers/layer_table.h"
#include "program/layers/sprite_loader.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kAnyImage = -1;
constexpr int32_t kTurn = 4096;
constexpr size_t kNameSize = 32;
// A mask file larger than this is refused before it is read: no mask of a game screen comes
// near it.
constexpr uint32_t kMaskFileLimit = 256u << 20;

using Executor = int (*)(AdvContext&, LayerRecord&, const CompositionEntry&);

YelSprite* SpriteOf(const LayerRecord& record) {
  return record.slot ? record.slot->sprite : nullptr;
}

YelSprite* LayerSprite(AdvContext& context, uint32_t layer) {
  if (layer >= static_cast<uint32_t>(kLayerCount)) return nullptr;
  return SpriteOf(context.layers.layers[layer]);
}

// The operation's file name: the kept name of a string-variable argument, else its "File.dat"
// name (marked as seen).
std::string FileName(AdvContext& context, const CompositionEntry& entry) {
  uint8_t name[kNameSize + 1] = {};
  if (entry.target & kStringVariableBit) {
    std::memcpy(name, entry.name.data(), kNameSize);
  } else {
    AdvGetFileName(context, name, entry.target, true);
  }
  return std::string(reinterpret_cast<const char*>(name));
}

// A file image loaded for one operation and released after it.
class FileSprite {
 public:
  FileSprite(AdvContext& context, const CompositionEntry& entry)
      : sprite_(AdvSpriteLoadUnlocked(context, FileName(context, entry).c_str(), AdvWindowWidth,
                                      AdvWindowHeight, 0)) {}
  ~FileSprite() {
    if (sprite_) yel::YelSpriteRelease(yel::YelRenderGetActive(), sprite_);
  }
  FileSprite(const FileSprite&) = delete;
  FileSprite& operator=(const FileSprite&) = delete;
  YelSprite* get() const { return sprite_; }

 private:
  YelSprite* sprite_;
};

using MixFn = const yel::Import<decltype(::YelMixSpriteToSprite)>&;

int MixFile(AdvContext& context, LayerRecord& record, const CompositionEntry& e, MixFn mix) {
  FileSprite file(context, e);
  if (!file.get()) return 0;
  const auto& p = e.parameters;
  mix(SpriteOf(record), p[0], p[1], p[4], p[5], file.get(), p[2], p[3]);
  return 1;
}

int RunMixFile(AdvContext& context, LayerRecord& record, const CompositionEntry& e) {
  return MixFile(context, record, e, yel::YelMixSpriteToSprite);
}

int RunMixFileEx(AdvContext& context, LayerRecord& record, const CompositionEntry& e) {
  return MixFile(context, record, e, yel::YelMixSpriteToSpriteEx);
}

int RunCopyLayer(AdvContext& context, LayerRecord& record, const CompositionEntry& e) {
  const auto& p = e.parameters;
  yel::YelCopySpriteToSpriteRGB(SpriteOf(record), p[0], p[1], LayerSprite(context, e.target), p[2],
                                p[3], p[4], p[5]);
  return 1;
}

// A file that does not load is handed on as no sprite, which the platform refuses.
int RunCopyFile(AdvContext& context, LayerRecord& record, const CompositionEntry& e) {
  FileSprite file(context, e);
  const auto& p = e.parameters;
  yel::YelCopySpriteToSpriteRGB(SpriteOf(record), p[0], p[1], file.get(), p[2], p[3], p[4], p[5]);
  return 1;
}

// The mask file read whole into a buffer of its own: the platform's scratch pool is shared with
// the loads of the work thread.
bool ReadMask(AdvContext& context, const CompositionEntry& e, DecodedImage& mask) {
  const std::string name = FileName(context, e) + ".tga";
  YelFileEntry entry{};
  YelFile* file = yel::YelFileCreate(name.c_str(), &entry);
  if (!file) return false;
  const uint32_t size = yel::YelFileGetSize(file);
  if (size > kMaskFileLimit) {
    yel::YelFileClose(file);
    return false;
  }
  std::vector<uint8_t> bytes(size);
  size_t filled = 0;
  uint32_t read = 0;
  while (filled < bytes.size() &&
         yel::YelFileRead(file, bytes.data() + filled, static_cast<uint32_t>(bytes.size() - filled),
                          &read) &&
         read > 0) {
    filled += read;
  }
  yel::YelFileClose(file);
  return filled == bytes.size() && AdvDecodeTgaBmp(&mask, bytes.data(), bytes.size());
}

// The rectangle and the mask offset cut to the decoded mask, so no row or column past it is
// read; a corner left of or above the mask moves the rectangle along. False when nothing is
// left.
bool ClipToMask(std::array<int64_t, 6>& r, const DecodedImage& mask) {
  int64_t &x = r[0], &y = r[1], &mx = r[2], &my = r[3], &w = r[4], &h = r[5];
  if (mx < 0) x -= mx, w += mx, mx = 0;
  if (my < 0) y -= my, h += my, my = 0;
  w = std::min<int64_t>(w, int64_t{mask.width} - mx);
  h = std::min<int64_t>(h, int64_t{mask.height} - my);
  return w > 0 && h > 0 && x <= INT32_MAX && y <= INT32_MAX;
}

int RunMask(AdvContext& context, LayerRecord& record, const CompositionEntry& e) {
  DecodedImage mask;
  if (!ReadMask(context, e, mask)) return 0;
  const auto& p = e.parameters;
  std::array<int64_t, 6> r{p[0], p[1], p[2], p[3], p[4], p[5]};
  if (!ClipToMask(r, mask)) return 1;
  const YelMaskImage image{static_cast<int32_t>(mask.width), static_cast<int32_t>(mask.height),
                           mask.pixels.data()};
  yel::YelSpriteMaskAlpha(SpriteOf(record), static_cast<int32_t>(r[0]), static_cast<int32_t>(r[1]),
                          static_cast<int32_t>(r[4]), static_cast<int32_t>(r[5]), &image,
                          static_cast<int32_t>(r[2]), static_cast<int32_t>(r[3]));
  return 1;
}

int RunChannelCopy(AdvContext& context, LayerRecord& record, const CompositionEntry& e) {
  const auto& p = e.parameters;
  yel::YelCopySpriteToSpriteChannel(SpriteOf(record), p[0], p[1], p[6],
                                    LayerSprite(context, e.target), p[2], p[3], p[4], p[5], p[7]);
  return 1;
}

int RunDeleteNoAlpha(AdvContext&, LayerRecord& record, const CompositionEntry& e) {
  const auto& p = e.parameters;
  yel::YelSpriteDeleteNoAlpha(SpriteOf(record), p[0], p[1], p[4], p[5]);
  return 1;
}

int RunDeleteNoAlpha255(AdvContext&, LayerRecord& record, const CompositionEntry& e) {
  const auto& p = e.parameters;
  yel::YelSpriteDeleteNoAlpha255(SpriteOf(record), p[0], p[1], p[4], p[5]);
  return 1;
}

int RunNothing(AdvContext&, LayerRecord&, const CompositionEntry&) {
  return 1;
}

// The two images of a filter: p0 (the layer itself as recorded) and the source layer, each a
// layer 0-127 (or -1, which names no image) converted as an image number.
struct FilterImages {
  YelSprite* target = nullptr;
  YelSprite* source = nullptr;
};

bool FindFilterImages(const CompositionEntry& e, FilterImages& images) {
  const int32_t target = e.parameters[0];
  const int32_t source = static_cast<int32_t>(e.target);
  for (int32_t layer : {target, source}) {
    if (layer != kAnyImage && !AdvCheckLayer(layer)) return false;
  }
  if (AdvImageNoToSlot(static_cast<uint32_t>(target)) < 0 ||
      AdvImageNoToSlot(static_cast<uint32_t>(source)) < 0) {
    return false;
  }
  const GraphicSlot* t = AdvImageNoSlot(static_cast<uint32_t>(target));
  const GraphicSlot* s = AdvImageNoSlot(static_cast<uint32_t>(source));
  images.target = t ? t->sprite : nullptr;
  images.source = s ? s->sprite : nullptr;
  return true;
}

template <typename Filter>
int RunFilter(AdvContext& context, const CompositionEntry& e, Filter filter) {
  FilterImages images;
  if (!FindFilterImages(e, images)) return 0;
  if (AdvFastForwarding(context)) return 1;
  return filter(images, e.parameters);
}

int RunBoxBlur(AdvContext& context, LayerRecord&, const CompositionEntry& e) {
  return RunFilter(context, e, [](const FilterImages& i, const std::array<int32_t, 8>& p) {
    return yel::YelBoxBlurFilter(i.target, i.source, p[1], p[2], p[3]);
  });
}

int RunGaussBlur(AdvContext& context, LayerRecord&, const CompositionEntry& e) {
  return RunFilter(context, e, [](const FilterImages& i, const std::array<int32_t, 8>& p) {
    return yel::YelGaussianBlurFilter(i.target, i.source, p[1]);
  });
}

int RunAlphaCopy(AdvContext& context, LayerRecord&, const CompositionEntry& e) {
  return RunFilter(context, e, [](const FilterImages& i, const std::array<int32_t, 8>& p) {
    return yel::YelAlphaCopyFilter(i.target, i.source, std::clamp(p[1], 0, 255));
  });
}

int RunMotionBlur(AdvContext& context, LayerRecord&, const CompositionEntry& e) {
  return RunFilter(context, e, [](const FilterImages& i, const std::array<int32_t, 8>& p) {
    return yel::YelMotionBlurFilter(i.target, i.source, p[1], AdvMotionBlurAngle(p[2]), p[3]);
  });
}

int RunStretch(AdvContext& context, LayerRecord& record, const CompositionEntry& e) {
  return AdvLayerStretch(context, record, static_cast<int32_t>(&e - record.compositions.data()));
}

// Kinds 1 to 14 in order; kind 11 records nothing that could be done.
constexpr Executor kExecutors[kCompositionLastKind] = {
    RunMixFile,       RunCopyLayer, RunCopyFile,         RunMask,      RunBoxBlur, RunChannelCopy,
    RunDeleteNoAlpha, RunStretch,   RunDeleteNoAlpha255, RunGaussBlur, RunNothing, RunAlphaCopy,
    RunMotionBlur,    RunMixFileEx,
};

bool IsFilter(uint32_t kind) {
  return kind == kCompositionBoxBlur || kind == kCompositionGaussBlur ||
         kind == kCompositionAlphaCopy || kind == kCompositionMotionBlur ||
         kind == kCompositionStretch;
}

}  // namespace

int AdvCompositionRun(AdvContext& context, LayerRecord& record, uint32_t kind, int32_t k) {
  if (kind < 1 || kind > static_cast<uint32_t>(kCompositionLastKind)) return 1;
  if (k < 0 || k >= kCompositionCount) return 0;
  // The filters and the stretch check their layers first and skip their pixels themselves.
  if (!IsFilter(kind) && AdvFastForwarding(context)) return 1;
  return kExecutors[kind - 1](context, record, record.compositions[k]);
}

void AdvLayerReplayCompositions(AdvContext& context, LayerRecord& record) {
  for (int32_t k = 0; k < kCompositionCount; ++k) {
    AdvCompositionRun(context, record, record.compositions[k].kind & ~kCompositionChildLink, k);
  }
}

int AdvLayerStretch(AdvContext& context, LayerRecord& record, int32_t k) {
  if (k < 0 || k >= kCompositionCount) return 0;
  const CompositionEntry& e = record.compositions[k];
  const int32_t destination = e.parameters[0];
  const int32_t source = static_cast<int32_t>(e.target);
  // -1 names no layer here: it is refused with the others.
  if (!AdvCheckLayer(destination) || !AdvCheckLayer(source)) return 0;
  if (AdvFastForwarding(context)) return 1;
  yel::StretchImage(LayerSprite(context, static_cast<uint32_t>(destination)),
                    LayerSprite(context, static_cast<uint32_t>(source)), e.parameters[1]);
  return 1;
}

bool AdvCompositionRectPlausible(uint32_t kind, const std::array<int32_t, 8>& p) {
  const uint32_t operation = kind & ~kCompositionChildLink;
  switch (operation) {
    case kCompositionMixFile:
    case kCompositionCopyLayer:
    case kCompositionCopyFile:
    case kCompositionMask:
    case kCompositionChannelCopy:
    case kCompositionDeleteNoAlpha:
    case kCompositionDeleteNoAlpha255:
    case kCompositionMixFileEx:
      break;
    default:
      return true;
  }
  const bool own =
      operation == kCompositionDeleteNoAlpha || operation == kCompositionDeleteNoAlpha255;
  // One axis: the corners moved in, then whether pixels are left and where they start.
  struct Axis {
    bool left;    // pixels left after the move
    bool beyond;  // a corner past the largest image
  };
  const auto axis = [](int64_t at, int64_t source_at, int64_t size) {
    const int64_t under = std::max<int64_t>({0, -at, -source_at});
    return Axis{size - under > 0,
                at + under >= kTextureSideMax || source_at + under >= kTextureSideMax};
  };
  const Axis x = axis(p[0], own ? p[0] : p[2], p[4]);
  const Axis y = axis(p[1], own ? p[1] : p[3], p[5]);
  return !(x.left && y.left) || !(x.beyond || y.beyond);
}

double AdvMotionBlurAngle(int32_t angle) {
  int32_t a = angle % kTurn;
  if (a < 0) a += kTurn;
  const double pi = static_cast<double>(3.1415927f);
  return a * pi / 2048.0;
}

}  // namespace adv
