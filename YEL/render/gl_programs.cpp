// The GL back-end's programs. The quad, pair and present programs are needed to draw at all; the
// bicubic copy and the FX techniques are this port's effect module, loaded at start, and a
// technique that does not build is missing the way an effect of a missing module is.
#include <string>

#include "YEL/render/gl_api.h"
#include "YEL/render/gl_renderer.h"
#include "os/debug_output.h"

namespace yel {
namespace {

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec2 uv;
out vec4 v_colour;
out vec2 v_uv;
void main() {
  gl_Position = position;
  v_colour = colour;
  v_uv = uv;
})";

// Texture times vertex colour; fragments whose alpha is below 1 of 255 are dropped (the alpha
// test every draw runs with).
constexpr const char* kSpriteShader = R"(#version 330 core
uniform sampler2D g_Texture;
in vec4 v_colour;
in vec2 v_uv;
out vec4 frag;
void main() {
  vec4 c = texture(g_Texture, v_uv) * v_colour;
  if (c.a < 0.5 / 255.0) discard;
  frag = c;
})";

// The same without the alpha test, for blend modes that weigh the source by its alpha (1 and 2):
// there a fragment of alpha 0 changes nothing, so dropping it costs more than drawing it.
constexpr const char* kSpriteBlendShader = R"(#version 330 core
uniform sampler2D g_Texture;
in vec4 v_colour;
in vec2 v_uv;
out vec4 frag;
void main() { frag = texture(g_Texture, v_uv) * v_colour; })";

// A transition: the incoming image (unit 0, modulated by the vertex colour) with the outgoing
// image (unit 1) laid over it by the outgoing image's alpha; the alphas add.
constexpr const char* kPairShader = R"(#version 330 core
uniform sampler2D g_Texture;
uniform sampler2D g_Texture1;
in vec4 v_colour;
in vec2 v_uv;
out vec4 frag;
void main() {
  vec4 a = texture(g_Texture, v_uv) * v_colour;
  vec4 b = texture(g_Texture1, v_uv);
  vec4 c = vec4(b.rgb * b.a + a.rgb * (1.0 - b.a), min(a.a + b.a, 1.0));
  if (c.a < 0.5 / 255.0) discard;
  frag = c;
})";

constexpr const char* kPresentShader = R"(#version 330 core
uniform sampler2D g_Texture;
in vec2 v_uv;
out vec4 frag;
void main() { frag = vec4(texture(g_Texture, v_uv).rgb, 1.0); })";

// "BiCubic": a Catmull-Rom filter over the 4 x 4 texels around the sample point. TexSize is the
// texture's size in texels; TexDiffU one texel step in u, doubled as the kernel's reach.
constexpr const char* kBicubicShader = R"(#version 330 core
uniform sampler2D g_Texture;
uniform vec4 TexSize;
uniform vec4 TexDiffU;
in vec2 v_uv;
out vec4 frag;
vec4 Weights(float t) {
  float t2 = t * t, t3 = t2 * t;
  return vec4(-0.5 * t3 + t2 - 0.5 * t, 1.5 * t3 - 2.5 * t2 + 1.0,
              -1.5 * t3 + 2.0 * t2 + 0.5 * t, 0.5 * t3 - 0.5 * t2);
}
void main() {
  vec2 size = TexSize.xy;
  vec2 p = v_uv * size - 0.5;
  vec2 base = floor(p);
  vec2 f = p - base;
  vec4 wx = Weights(f.x), wy = Weights(f.y);
  vec3 sum = vec3(0.0);
  for (int j = 0; j < 4; ++j) {
    vec3 row = vec3(0.0);
    for (int i = 0; i < 4; ++i) {
      vec2 at = (base + vec2(float(i) - 1.0, float(j) - 1.0) + 0.5) / size;
      row += wx[i] * texture(g_Texture, at).rgb;
    }
    sum += wy[j] * row;
  }
  frag = vec4(clamp(sum, 0.0, 1.0), 1.0);
})";

// "DrawRadialBlur": samples toward the centre (offset_x, offset_y, in texels of the texture),
// reaching `level` of the way there, averaged.
constexpr const char* kRadialBlurShader = R"(#version 330 core
uniform sampler2D g_Texture;
uniform float g_TextureWidth;
uniform float g_TextureHeight;
uniform float offset_x;
uniform float offset_y;
uniform float level;
in vec4 v_colour;
in vec2 v_uv;
out vec4 frag;
void main() {
  vec2 centre = vec2(offset_x / g_TextureWidth, offset_y / g_TextureHeight);
  vec4 sum = vec4(0.0);
  for (int i = 0; i < 16; ++i) {
    sum += texture(g_Texture, mix(v_uv, centre, clamp(level, 0.0, 1.0) * float(i) / 16.0));
  }
  vec4 c = sum / 16.0 * v_colour;
  if (c.a < 0.5 / 255.0) discard;
  frag = c;
})";

uint32_t Compile(GLenum kind, const char* source, std::string* log) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return shader;
  char text[512] = {};
  glGetShaderInfoLog(shader, sizeof text, nullptr, text);
  if (log) *log = text;
  glDeleteShader(shader);
  return 0;
}

// A program of the common vertex stage and `fragment`, its samplers on units 0 and 1; 0 when it
// does not build (`log` says why).
uint32_t BuildProgram(const char* fragment, std::string* log) {
  const GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader, log);
  const GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, fragment, log) : 0;
  if (!fs) {
    if (vs) glDeleteShader(vs);
    return 0;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    char text[512] = {};
    glGetProgramInfoLog(program, sizeof text, nullptr, text);
    if (log) *log = text;
    glDeleteProgram(program);
    return 0;
  }
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "g_Texture"), 0);
  glUniform1i(glGetUniformLocation(program, "g_Texture1"), 1);
  glUseProgram(0);
  return program;
}

void DropProgram(uint32_t& program) {
  if (program) glDeleteProgram(program);
  program = 0;
}

}  // namespace

bool GlRenderer::BuildPrograms(std::string* error) {
  std::string log;
  programs_.sprite = BuildProgram(kSpriteShader, &log);
  if (programs_.sprite) programs_.sprite_blend = BuildProgram(kSpriteBlendShader, &log);
  if (programs_.sprite_blend) programs_.pair = BuildProgram(kPairShader, &log);
  if (programs_.pair) programs_.present = BuildProgram(kPresentShader, &log);
  if (!programs_.present) {
    if (error) *error = "shader: " + log;
    return false;
  }
  // The bicubic copy is loaded only for that final filter; without it the filter is none.
  if (filters_.final_filter == 3) {
    programs_.bicubic = BuildProgram(kBicubicShader, &log);
    if (!programs_.bicubic) {
      os::DebugOutput("Load Library Error : FX.dll \n");
      filters_.final_filter = 0;
    }
  }
  return true;
}

// The FX techniques, built only when the start-up record asks for the effects. The raster wave
// draws through the grid with the quad program; it is there whenever the effects are.
void GlRenderer::LoadFxEffects() {
  programs_.fx_loaded = 0;
  if (!(params_.option_bits & 4)) return;
  std::string log;
  programs_.draw = BuildProgram(kSpriteShader, &log);
  if (programs_.draw) {
    programs_.fx_loaded |= 1;
  } else {
    os::DebugOutput("Load Effect Error : YEL3D_EFFECT_TYPE_DRAW");
  }
  programs_.fx_loaded |= 2;
  programs_.radial_blur = BuildProgram(kRadialBlurShader, &log);
  if (programs_.radial_blur) {
    programs_.fx_loaded |= 4;
  } else {
    os::DebugOutput("Load Effect Error : YEL3D_EFFECT_TYPE_RADIAL_BLUE");
  }
}

void GlRenderer::ReleasePrograms() {
  for (uint32_t* program :
       {&programs_.sprite, &programs_.sprite_blend, &programs_.pair, &programs_.present,
        &programs_.bicubic, &programs_.draw, &programs_.radial_blur}) {
    DropProgram(*program);
  }
  programs_.fx_loaded = 0;
  if (grid_.index_buffer) glDeleteBuffers(1, &grid_.index_buffer);
  grid_ = GlRasterGrid{};
}

}  // namespace yel
