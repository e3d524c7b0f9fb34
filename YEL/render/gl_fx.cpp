// FX effects and sprite pairs of the GL back-end.
#include "YEL/render/gl_api.h"
#include "YEL/render/gl_renderer.h"

namespace yel {

bool GlRenderer::DrawSpritePair(const SpriteQuad& incoming, const SpriteQuad& outgoing, float) {
  const bool has_in = incoming.texture && incoming.texture->slot;
  const bool has_out = outgoing.texture && outgoing.texture->slot;
  if (has_in) DrawSprite(incoming);
  if (has_out) DrawSprite(outgoing);
  return true;
}

bool GlRenderer::DrawWithEffect(uint32_t, const FxEffect&, const GlVertex*) { return false; }
bool GlRenderer::DrawScreenFx(const FxEffect&) { return false; }
void GlRenderer::BuildRasterGrid() {}
void GlRenderer::DisplaceRasterGrid(const float*, std::vector<GlVertex>&) const {}

}  // namespace yel
