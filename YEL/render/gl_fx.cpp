// FX effects of the GL back-end: a quad drawn through an effect (plain, radial blur), the raster
// wave drawn as a displaced grid over the whole target, and the whole frame passed through an
// effect.
#include <array>
#include <cmath>

#include "YEL/render/gl_api.h"
#include "YEL/render/gl_renderer.h"

namespace yel {
namespace {

// sin(2 pi k / 512): the wave's steps come from this table, not from the maths library.
const std::array<float, 512>& WaveTable() {
  static const std::array<float, 512> table = [] {
    std::array<float, 512> t{};
    for (int k = 0; k < 512; ++k) t[k] = static_cast<float>(std::sin(2.0 * M_PI * k / 512.0));
    return t;
  }();
  return table;
}

void SetUniform(uint32_t program, const char* name, float value) {
  glUniform1f(glGetUniformLocation(program, name), value);
}

}  // namespace

// The grid: columns Tw / 16 + 1 and rows Th / 16 + 1 cells over the whole target, two triangles
// a cell. Indices are 32-bit so that targets of any width fit.
void GlRenderer::BuildRasterGrid() {
  if (grid_.index_buffer) glDeleteBuffers(1, &grid_.index_buffer);
  grid_ = GlRasterGrid{};
  grid_.columns = target_size_ / 16 + 1;
  grid_.rows = target_size_ / 16 + 1;
  const int32_t across = grid_.columns + 1;
  std::vector<uint32_t> indices;
  indices.reserve(static_cast<size_t>(grid_.columns) * grid_.rows * 6);
  for (int32_t i = 0; i < grid_.rows; ++i) {
    for (int32_t j = 0; j < grid_.columns; ++j) {
      const uint32_t top_left = i * across + j, top_right = top_left + 1;
      const uint32_t bottom_left = top_left + across, bottom_right = bottom_left + 1;
      for (uint32_t index :
           {top_right, bottom_right, bottom_left, top_right, bottom_left, top_left}) {
        indices.push_back(index);
      }
    }
  }
  glGenBuffers(1, &grid_.index_buffer);
  glBindVertexArray(vertex_array_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, grid_.index_buffer);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 4), indices.data(),
               GL_STATIC_DRAW);
  grid_.index_count = static_cast<int32_t>(indices.size());
}

// The grid displaced by the wave: start = trunc(offset x 511); vertex row i moves right by
// sin[start + (i + 1) x row step] x amplitude x x 0.1 and vertex column j moves up by
// sin[start + (j + 1) x column step] x amplitude y x 0.1 (clip units, 2 across the target).
void GlRenderer::DisplaceRasterGrid(const float params[3], std::vector<GlVertex>& out) const {
  const auto& table = WaveTable();
  const int32_t row_step = 511 / (grid_.rows + 1), column_step = 511 / (grid_.columns + 1);
  const int32_t start = TruncateFloat(params[0] * 511.0f);
  const float nc = static_cast<float>(grid_.columns), nr = static_cast<float>(grid_.rows);
  out.resize(static_cast<size_t>(grid_.columns + 1) * (grid_.rows + 1));
  size_t k = 0;
  for (int32_t i = 0; i <= grid_.rows; ++i) {
    const float dx = table[(start + (i + 1) * row_step) & 511] * params[1] * 0.1f;
    for (int32_t j = 0; j <= grid_.columns; ++j, ++k) {
      const float dy = table[(start + (j + 1) * column_step) & 511] * params[2] * 0.1f;
      const float u = static_cast<float>(j) / nc, v = static_cast<float>(i) / nr;
      // Target rows count from the bottom, so v runs down from 1.
      out[k] = GlVertex{2.0f * u - 1.0f + dx, 1.0f - 2.0f * v + dy, 0, 1, 0xFFFFFFFF, u, 1.0f - v};
    }
  }
}

// Draws `texture` (a target) through the displaced grid into the bound target with the current
// blending.
void GlRenderer::DrawRasterGrid(uint32_t texture, const float params[3]) {
  std::vector<GlVertex> vertices;
  DisplaceRasterGrid(params, vertices);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  glUseProgram(programs_.sprite);
  glBindVertexArray(vertex_array_);
  glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(GlVertex)),
               vertices.data(), GL_STREAM_DRAW);
  stream_offset_ = INT32_MAX;  // the next quad starts a fresh stream buffer
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, grid_.index_buffer);
  glDrawElements(GL_TRIANGLES, grid_.index_count, GL_UNSIGNED_INT, nullptr);
}

// Draws the quad, whose texture is bound to unit 0, through an effect: type 0 "DrawPrimitiveUP_2D",
// 1 the raster wave, 2 "DrawRadialBlur". False when the type's effect is not loaded (nothing is
// drawn); any other type draws nothing and counts as drawn.
bool GlRenderer::DrawWithEffect(int32_t tex_w, int32_t tex_h, const FxEffect& effect,
                                const GlVertex* quad) {
  switch (effect.type) {
    case 0:
      if (!(programs_.fx_loaded & 1)) return false;
      DrawQuad(programs_.draw, quad, 4);
      return true;
    case 2: {
      if (!(programs_.fx_loaded & 4)) return false;
      const uint32_t p = programs_.radial_blur;
      glUseProgram(p);
      SetUniform(p, "g_TextureWidth", static_cast<float>(tex_w));
      SetUniform(p, "g_TextureHeight", static_cast<float>(tex_h));
      SetUniform(p, "offset_x", effect.params[0]);
      SetUniform(p, "offset_y", effect.params[1]);
      SetUniform(p, "level", effect.params[2]);
      DrawQuad(p, quad, 4);
      return true;
    }
    case 1: {
      if (!effect_targets_[0].framebuffer) return false;
      // The sprite alone into effect target 0, then that target through the wave into the frame.
      const int32_t mode = render_mode_;
      BindTarget(effect_targets_[0], 0, true);
      glBlendEquation(GL_FUNC_ADD);
      glBlendFunc(GL_ONE, GL_ZERO);
      DrawQuad(programs_.sprite, quad, 4);
      BindTarget(render_target_, 0, false);
      SetRenderMode(mode);
      DrawRasterGrid(effect_targets_[0].texture, effect.params);
      glBindTexture(GL_TEXTURE_2D, 0);
      return true;
    }
    default:
      return true;
  }
}

// The frame so far through an effect into effect target 0 (cleared to transparent black), then
// laid back over the frame. An effect that is not loaded leaves the frame as it was. The raster
// wave displaces the frame itself, so the wave shows.
bool GlRenderer::DrawScreenFx(const FxEffect& effect) {
  if (!in_frame_ || !effect_targets_[0].framebuffer) return false;
  GlVertex area[4];
  GameAreaQuad(0xFFFFFFFF, area);
  BindTarget(effect_targets_[0], 0, true);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, render_target_.texture);
  glBlendEquation(GL_FUNC_ADD);
  glBlendFunc(GL_ONE, GL_ZERO);
  bool drawn = true;
  if (effect.type == 1) {
    DrawRasterGrid(render_target_.texture, effect.params);
  } else {
    drawn = DrawWithEffect(target_size_, target_size_, effect, area);
  }
  BindTarget(render_target_, 0, false);
  SetRenderMode(1);
  glBindTexture(GL_TEXTURE_2D, effect_targets_[0].texture);
  DrawQuad(programs_.sprite, area, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  return drawn;
}

}  // namespace yel
