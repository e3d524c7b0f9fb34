// Sprite drawing of the GL back-end: each sprite is one textured quad whose corners are moved
// by the world transform (pivot, scale, three rotations, skew, position) and projected
// orthographically or in perspective on the processor, then drawn with the sprite's blend mode.
//
// Units: positions are in clip space of the square render target, where 2 units span its Tw
// pixels; the game area sits in it with integer margins, so texel and pixel centres line up.
#include <array>
#include <cmath>
#include <cstring>

#include "YEL/render/camera.h"
#include "YEL/render/gl_api.h"
#include "YEL/render/gl_renderer.h"

namespace yel {
namespace {

constexpr float kTurn = 6.28318530718f / 512.0f;  // one unit of the angles, in radians

// A 4 x 4 matrix applied to row vectors: p' = p x M.
struct Matrix {
  float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

Matrix operator*(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                  a.m[i][3] * b.m[3][j];
    }
  }
  return r;
}

Matrix Translation(float x, float y, float z) {
  Matrix t;
  t.m[3][0] = x, t.m[3][1] = y, t.m[3][2] = z;
  return t;
}

Matrix Scaling(float x, float y, float z) {
  Matrix s;
  s.m[0][0] = x, s.m[1][1] = y, s.m[2][2] = z;
  return s;
}

// Rotations about one axis, left-handed: a positive angle about Z turns counter-clockwise on
// screen, as the software back-end turns.
Matrix Rotation(int axis, float units) {
  const float c = std::cos(units * kTurn), s = std::sin(units * kTurn);
  Matrix r;
  const int a = (axis + 1) % 3, b = (axis + 2) % 3;
  r.m[a][a] = c, r.m[a][b] = s;
  r.m[b][a] = -s, r.m[b][b] = c;
  return r;
}

Matrix Skew(float horizontal, float vertical) {
  Matrix k;
  k.m[0][1] = std::tan(vertical * kTurn);
  k.m[1][0] = std::tan(horizontal * kTurn);
  return k;
}

using Vector = std::array<float, 3>;

Vector Cross(const Vector& a, const Vector& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float Dot(const Vector& a, const Vector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// False for a vector too short to give a direction.
bool Normalise(Vector& v) {
  const float length = std::sqrt(Dot(v, v));
  if (!(length > 1e-12f)) return false;
  for (float& c : v) c /= length;
  return true;
}

// A left-handed look-at view. A camera that gives no direction (its position on the point it
// looks at, or an up vector along the view, as the debug camera's resets make it) keeps the
// standard camera instead of a view of NaNs.
Matrix LookAt(const CameraVectors& camera) {
  Vector z{camera.at[0] - camera.from[0], camera.at[1] - camera.from[1],
           camera.at[2] - camera.from[2]};
  Vector x = Cross(camera.up, z);
  if (!Normalise(z) || !Normalise(x)) return Translation(0, 0, 5);
  const Vector y = Cross(z, x);
  Matrix view;
  for (int i = 0; i < 3; ++i) {
    view.m[i][0] = x[static_cast<size_t>(i)];
    view.m[i][1] = y[static_cast<size_t>(i)];
    view.m[i][2] = z[static_cast<size_t>(i)];
  }
  const Vector& eye = camera.from;
  view.m[3][0] = -Dot(x, eye), view.m[3][1] = -Dot(y, eye), view.m[3][2] = -Dot(z, eye);
  return view;
}

// The frame's camera (at first at (0, 0, -5) looking at the origin), then the projection:
// orthographic (width 2, height 2, near 1, far 1000), or a perspective of a quarter turn's
// field of view scaled so that z = 0 lands where the orthographic one puts it.
Matrix ViewProjection(bool perspective) {
  const Matrix view = LookAt(CameraGet());
  Matrix projection;
  if (perspective) {
    projection.m[0][0] = 5.0f, projection.m[1][1] = 5.0f;
    projection.m[2][2] = 1.0001f, projection.m[2][3] = 1.0f;
    projection.m[3][2] = -0.10001f, projection.m[3][3] = 0.0f;
  } else {
    projection.m[2][2] = 1.0f / 999.0f;
    projection.m[3][2] = -1.0f / 999.0f;
  }
  return view * projection;
}

void Transform(const Matrix& m, float x, float y, GlVertex& v) {
  v.x = x * m.m[0][0] + y * m.m[1][0] + m.m[3][0];
  v.y = x * m.m[0][1] + y * m.m[1][1] + m.m[3][1];
  const float z = x * m.m[0][2] + y * m.m[1][2] + m.m[3][2];
  v.w = x * m.m[0][3] + y * m.m[1][3] + m.m[3][3];
  v.z = 2.0f * z - v.w;  // depth from 0..w to GL's -w..w
}

}  // namespace

// Quads go one after another into one stream buffer, written without waiting for the draws
// that still read earlier parts of it; a full buffer is replaced by a fresh one. Replacing or
// rewriting the buffer for every quad would make the driver finish the queued draws first.
void GlRenderer::DrawQuad(uint32_t program, const GlVertex* vertices, int32_t count) {
  constexpr GLsizeiptr kStreamBytes = sizeof(GlVertex) * 4096;
  const GLsizeiptr bytes = static_cast<GLsizeiptr>(sizeof(GlVertex) * count);
  glUseProgram(program);
  glBindVertexArray(vertex_array_);
  glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
  if (stream_offset_ + bytes > kStreamBytes) {
    glBufferData(GL_ARRAY_BUFFER, kStreamBytes, nullptr, GL_STREAM_DRAW);
    stream_offset_ = 0;
  }
  void* target =
      glMapBufferRange(GL_ARRAY_BUFFER, stream_offset_, bytes,
                       GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
  if (!target) return;
  std::memcpy(target, vertices, static_cast<size_t>(bytes));
  glUnmapBuffer(GL_ARRAY_BUFFER);
  glDrawArrays(GL_TRIANGLE_STRIP, static_cast<GLint>(stream_offset_ / sizeof(GlVertex)), count);
  stream_offset_ += bytes;
}

// The blend equation and factors of render modes 1 to 10; any other mode blends like 1.
void GlRenderer::SetRenderMode(int32_t mode) {
  struct Blend {
    GLenum equation, source, destination;
  };
  static const Blend kModes[11] = {
      {GL_FUNC_ADD, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
      {GL_FUNC_ADD, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
      {GL_FUNC_ADD, GL_SRC_ALPHA, GL_ONE},
      {GL_FUNC_ADD, GL_ZERO, GL_SRC_COLOR},
      {GL_FUNC_ADD, GL_ZERO, GL_DST_COLOR},
      {GL_FUNC_ADD, GL_ZERO, GL_SRC_COLOR},
      {GL_FUNC_ADD, GL_ONE_MINUS_DST_COLOR, GL_ONE},
      {GL_MIN, GL_ONE, GL_ONE},
      {GL_MAX, GL_ONE, GL_ONE},
      {GL_FUNC_ADD, GL_ONE, GL_ONE},
      {GL_FUNC_REVERSE_SUBTRACT, GL_ONE, GL_ONE},
  };
  render_mode_ = (mode >= 1 && mode <= 10) ? mode : 1;
  const Blend& b = kModes[render_mode_];
  glBlendEquation(b.equation);
  glBlendFunc(b.source, b.destination);
}

// The four corners of the sprite in strip order (top-left, top-right, bottom-left,
// bottom-right). In a pair the skew is left out and z moves the quad. False for an empty
// rectangle.
bool GlRenderer::BuildSpriteVertices(const SpriteQuad& q, int32_t tex_w, int32_t tex_h, bool pair,
                                     GlVertex out[4]) const {
  const float w = static_cast<float>(q.rect.right - q.rect.left);
  const float h = static_cast<float>(q.rect.bottom - q.rect.top);
  if (w == 0.0f || h == 0.0f || tex_w <= 0 || tex_h <= 0) return false;
  const float ts = static_cast<float>(target_size_);
  const float mx = static_cast<float>((target_size_ - params_.game_width) / 2);
  const float my = static_cast<float>((target_size_ - params_.game_height) / 2);
  const float x = q.x + static_cast<float>(q.offset_x), y = q.y + static_cast<float>(q.offset_y);
  // The centre offset is the pivot of scaling and turning: moved to the origin and back.
  const float cx = 2.0f * static_cast<float>(q.centre_x) / ts;
  const float cy = -2.0f * static_cast<float>(q.centre_y) / ts;
  Matrix world = Translation(cx, cy, 0) * Scaling(q.scale_x, q.scale_y, 1) *
                 Rotation(0, q.rotation_x) * Rotation(1, q.rotation_y) * Rotation(2, q.angle);
  if (!pair) world = world * Skew(q.skew_x, q.skew_y);
  world = world * Translation(-cx, -cy, 0) *
          Translation((2.0f * (x + mx) + w) / ts - 1.0f, 1.0f - (2.0f * (y + my) + h) / ts,
                      pair ? q.z : 0.0f);
  const Matrix m = world * ViewProjection(q.perspective != 0);
  const float hx = w / ts, hy = h / ts;
  const float u0 = static_cast<float>(q.rect.left) / static_cast<float>(tex_w);
  const float u1 = static_cast<float>(q.rect.right) / static_cast<float>(tex_w);
  const float v0 = static_cast<float>(q.rect.top) / static_cast<float>(tex_h);
  const float v1 = static_cast<float>(q.rect.bottom) / static_cast<float>(tex_h);
  const float corners[4][4] = {
      {-hx, hy, u0, v0}, {hx, hy, u1, v0}, {-hx, -hy, u0, v1}, {hx, -hy, u1, v1}};
  for (int i = 0; i < 4; ++i) {
    Transform(m, corners[i][0], corners[i][1], out[i]);
    out[i].colour = q.colour;
    out[i].u = corners[i][2];
    out[i].v = corners[i][3];
  }
  return true;
}

// Wrap or clamp by the address mode; the second filter picks point or linear sampling (linear
// only for a scaled sprite). A filter of 0 ("none") samples the nearest texel.
void GlRenderer::SetSampling(const SpriteQuad& q) {
  const GLint wrap = q.address_mode == 1 ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  const bool scaled = q.scale_x != 1.0f || q.scale_y != 1.0f;
  const GLint filter = (filters_.second_filter == 2 && scaled) ? GL_LINEAR : GL_NEAREST;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
}

void GlRenderer::DrawSprite(const SpriteQuad& quad) {
  if (!in_frame_ || !quad.texture || !quad.texture->slot) return;
  int32_t tex_w = 0, tex_h = 0;
  if (!BindSlotTexture(quad.texture->slot, 0, &tex_w, &tex_h)) return;
  GlVertex vertices[4];
  if (BuildSpriteVertices(quad, tex_w, tex_h, false, vertices)) {
    SetRenderMode(quad.render_mode);
    SetSampling(quad);
    if (quad.fx) {
      DrawWithEffect(tex_w, tex_h, *quad.fx, vertices);
    } else {
      const bool weighed = render_mode_ == 1 || render_mode_ == 2;
      DrawQuad(weighed ? programs_.sprite_blend : programs_.sprite, vertices, 4);
    }
    if (quad.render_mode != 1) SetRenderMode(1);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
}

// The game area of a target as one quad (strip order), for copies between targets. Target rows
// count from the bottom, so the game's top row has the larger v.
void GlRenderer::GameAreaQuad(uint32_t colour, GlVertex out[4]) const {
  const float ts = static_cast<float>(target_size_);
  const float gw = static_cast<float>(params_.game_width) / ts;
  const float gh = static_cast<float>(params_.game_height) / ts;
  const float u0 = static_cast<float>((target_size_ - params_.game_width) / 2) / ts;
  const float my = static_cast<float>((target_size_ - params_.game_height) / 2) / ts;
  const float v_top = 1.0f - my, v_bottom = v_top - gh;
  const float x0 = 2.0f * u0 - 1.0f, x1 = x0 + 2.0f * gw;
  const float y0 = 1.0f - 2.0f * my, y1 = y0 - 2.0f * gh;
  out[0] = GlVertex{x0, y0, 0, 1, colour, u0, v_top};
  out[1] = GlVertex{x1, y0, 0, 1, colour, u0 + gw, v_top};
  out[2] = GlVertex{x0, y1, 0, 1, colour, u0, v_bottom};
  out[3] = GlVertex{x1, y1, 0, 1, colour, u0 + gw, v_bottom};
}

}  // namespace yel
