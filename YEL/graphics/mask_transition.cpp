// The mask wipes: the old frame is cut away through a grey mask image, the brightest parts of
// the mask first, with a soft edge that follows the falling threshold.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/files/files.h"
#include "YEL/graphics/image_codecs.h"
#include "YEL/graphics/screen_effect_draws.h"
#include "YEL/render/backend.h"
#include "YEL/render/texture.h"

namespace yel {
namespace {

constexpr int32_t kFirstMaskEffect = 10;
// The forms a mask is looked for in, in this order.
constexpr const char* kMaskExtensions[] = {".bmp", ".png", ".mkt", ".tga"};
// The width of the soft edge, in mask levels.
constexpr int32_t kEdge = 31;

bool FileOpens(const std::string& name) {
  YelFile* file = YelFileCreateEx(name.c_str(), YEL_GENERIC_READ, YEL_FILE_SHARE_READ,
                                  YEL_OPEN_EXISTING, YEL_FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (!file) return false;
  YelFileClose(file);
  return true;
}

bool IsDelta(const std::vector<uint8_t>& bytes) {
  const bool ge = bytes.size() >= 2 && bytes[0] == 'G' && bytes[1] == 'E';
  return !ge && IsDeltaImage(bytes.data(), bytes.size());
}

// A delta image becomes its base with the differences applied; a base is never a delta itself.
YelTexture* DecodeDelta(YelCore& core, const std::string& name, const std::vector<uint8_t>& delta) {
  DeltaHeader header;
  std::vector<uint8_t> base;
  if (!DeltaReadHeader(delta.data(), delta.size(), header) || header.base_name.empty() ||
      !ReadWholeFile(header.base_name.c_str(), base) || IsDelta(base)) {
    return nullptr;
  }
  YelTexture* texture = core.TextureFromImage(name.c_str(), base.data(), base.size());
  if (!texture) return nullptr;
  int32_t width = 0, height = 0;
  uint32_t* pixels = TextureLockPixels(texture, &width, &height);
  const bool applied =
      pixels && DeltaApply(delta.data(), delta.size(), pixels, width, height, width);
  if (pixels) TextureUnlockPixels(texture, applied);
  if (applied) return texture;
  core.TextureRelease(texture);
  return nullptr;
}

// The mask of an effect number in the first form found, decoded by what its bytes are (a ".mkt"
// mask may be any image the decoders read); null when none opens or it cannot be decoded.
YelTexture* LoadMask(int32_t number) {
  YelSystem* system = System();
  YelCore* core = system ? system->core.load() : nullptr;
  if (!core) return nullptr;
  char base[32];
  std::snprintf(base, sizeof base, "Mask\\Mask%02d", number - kFirstMaskEffect);
  for (const char* extension : kMaskExtensions) {
    const std::string name = std::string(base) + extension;
    if (!FileOpens(name)) continue;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(name.c_str(), bytes)) return nullptr;
    if (IsDelta(bytes)) return DecodeDelta(*core, base, bytes);
    return core->TextureFromImage(base, bytes.data(), bytes.size());
  }
  return nullptr;
}

uint8_t MaskAlpha(uint32_t mask_value, int32_t threshold) {
  const int32_t m = static_cast<int32_t>(mask_value & 0xFF);
  const int32_t upper = std::min(threshold + kEdge, 255);
  if (m < threshold) return 255;
  if (m < upper) return static_cast<uint8_t>((upper - m) * 8);
  return 0;
}

}  // namespace

void MaskThreshold(uint32_t* capture, int32_t capture_width, int32_t capture_height,
                   int32_t capture_pitch, const uint32_t* mask, int32_t mask_width,
                   int32_t mask_height, int32_t mask_pitch, uint8_t threshold) {
  const int32_t width = std::min(capture_width, mask_width);
  const int32_t height = std::min(capture_height, mask_height);
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* row = capture + static_cast<size_t>(y) * capture_pitch;
    const uint32_t* mask_row = mask + static_cast<size_t>(y) * mask_pitch;
    for (int32_t x = 0; x < width; ++x) {
      row[x] = (row[x] & 0x00FFFFFFu) | uint32_t{MaskAlpha(mask_row[x], threshold)} << 24;
    }
  }
}

bool MaskTransitionDraw(ScreenEffectState& state) {
  if (!state.started) {
    state.scratch = std::make_unique<ScreenEffectScratch>();
    state.scratch->mask = LoadMask(state.number);
    // Without a mask the transition ends at its first frame, drawing nothing.
    if (!state.scratch->mask) {
      state.started = 1;
      state.scratch.reset();
      return true;
    }
  }
  const EffectTime time = EffectClock(state);
  const auto threshold =
      static_cast<uint8_t>(static_cast<int32_t>((1.0f - time.progress) * 255.0f));
  YelTexture* mask = state.scratch ? state.scratch->mask : nullptr;
  int32_t width = 0, height = 0, mask_width = 0, mask_height = 0;
  if (uint32_t* pixels = TextureLockPixels(state.capture, &width, &height)) {
    if (const uint32_t* mask_pixels = TextureLockPixels(mask, &mask_width, &mask_height)) {
      MaskThreshold(pixels, width, height, width, mask_pixels, mask_width, mask_height, mask_width,
                    threshold);
      TextureUnlockPixels(mask, false);
    }
    TextureUnlockPixels(state.capture, true);
  }
  DrawCapture(state, YelRect{0, 0, state.capture_width, state.capture_height}, 0, 0, 0xFFFFFFFF);
  if (time.last) state.scratch.reset();
  return time.last;
}

}  // namespace yel
