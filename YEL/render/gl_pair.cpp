// Sprite pairs of the GL back-end: a transition draws the outgoing image into effect target 1
// and the incoming one into effect target 0 (over a copy of the frame with alpha 0), then lays
// the two over the frame in one two-texture pass.
#include "YEL/render/gl_api.h"
#include "YEL/render/gl_renderer.h"

namespace yel {

// Draws one record of a pair into `target` as a plain copy (source one, destination zero), with
// the scale and rotations of `shape`.
bool GlRenderer::DrawPairSide(const SpriteQuad& record, const SpriteQuad& shape,
                              const GlTarget& target) {
  int32_t tex_w = 0, tex_h = 0;
  if (!BindSlotTexture(record.texture->slot, 0, &tex_w, &tex_h)) return false;
  SpriteQuad q = record;
  q.scale_x = shape.scale_x, q.scale_y = shape.scale_y;
  q.rotation_x = shape.rotation_x, q.rotation_y = shape.rotation_y, q.angle = shape.angle;
  GlVertex vertices[4];
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  if (BuildSpriteVertices(q, tex_w, tex_h, true, vertices)) {
    SetSampling(q);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_ONE, GL_ZERO);
    DrawQuad(programs_.sprite, vertices, 4);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  return true;
}

bool GlRenderer::DrawSpritePair(const SpriteQuad& incoming, const SpriteQuad& outgoing,
                                float /*factor: the records' colours carry the weights*/) {
  if (!in_frame_) return true;
  const bool has_in = incoming.texture && incoming.texture->slot;
  const bool has_out = outgoing.texture && outgoing.texture->slot;
  if (!has_in || !has_out) {
    if (has_in || has_out) DrawSprite(has_in ? incoming : outgoing);
    return true;
  }
  if (!effect_targets_[0].framebuffer || !effect_targets_[1].framebuffer) return true;
  GlVertex area[4];
  GameAreaQuad(0xFFFFFFFF, area);
  // The outgoing image alone on transparent black.
  BindTarget(effect_targets_[1], 0, true);
  DrawPairSide(outgoing, incoming, effect_targets_[1]);
  // The incoming image over the frame's colours with alpha 0.
  BindTarget(effect_targets_[0], 0, true);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, render_target_.texture);
  glBlendEquation(GL_FUNC_ADD);
  glBlendColor(1, 1, 1, 0);
  glBlendFunc(GL_CONSTANT_COLOR, GL_ZERO);
  DrawQuad(programs_.present, area, 4);
  DrawPairSide(incoming, incoming, effect_targets_[0]);
  // Back in the frame: one side alone when the other is invisible, else both in one pass.
  BindTarget(render_target_, 0, false);
  glActiveTexture(GL_TEXTURE0);
  if ((outgoing.colour >> 24) == 0 || (incoming.colour >> 24) == 0) {
    const bool first = (outgoing.colour >> 24) == 0;
    SetRenderMode(first ? incoming.render_mode : outgoing.render_mode);
    glBindTexture(GL_TEXTURE_2D, effect_targets_[first ? 0 : 1].texture);
    DrawQuad(programs_.sprite, area, 4);
  } else {
    SetRenderMode(outgoing.render_mode);
    glBindTexture(GL_TEXTURE_2D, effect_targets_[0].texture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, effect_targets_[1].texture);
    DrawQuad(programs_.pair, area, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  SetRenderMode(1);
  return true;
}

}  // namespace yel
