// The life cycle's view of the renderer with no drawing back-end: the window shows nothing and
// every device operation succeeds.
#include "YEL/render/renderer.h"

#include "YEL/core/system.h"

namespace yel {

bool RendererCreate(YelSystem&, bool) { return true; }
void RendererRelease(YelSystem&) {}
bool RendererCreateTextureSlots(YelSystem&) { return true; }
bool RendererCreateCaptureTexture(YelSystem&) { return true; }
bool RendererResize(YelSystem&, int, int) { return true; }

os::Rect RendererSetAspect(YelSystem&, int, int width, int height) {
  return os::Rect{0, 0, width, height};
}

int RendererRestoreDevice(YelSystem&) { return 0; }
YelCore* RendererCore(YelSystem&) { return nullptr; }
bool RendererBeginFrame(YelSystem&, uint32_t) { return true; }
void RendererEndFrame(YelSystem&) {}
bool RendererBeginTarget(YelSystem&, uint32_t) { return false; }
void RendererEndTarget(YelSystem&) {}

}  // namespace yel
