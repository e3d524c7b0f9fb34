// The GL back-end drawing 64 full-screen alpha sprites per frame (then its copy onto the window
// and the swap), beside a minimal GL loop that draws the same quads with one program and one
// texture per quad straight onto the window, and the software back-end composing the same frame.
// Each frame ends with glFinish so that the GL figures include the drawing itself. Run with
// SDL_VIDEODRIVER=offscreen where there is no display.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "YEL/render/gl_api.h"
#include "YEL/render/gl_renderer.h"
#include "YEL/render/soft_renderer.h"
#include "os/gl_context.h"
#include "os/window.h"

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 540;
constexpr int kSprites = 64;
constexpr size_t kPixels = size_t{kWidth} * kHeight;

std::vector<uint32_t> Layer(int seed) {
  std::mt19937 random(static_cast<uint32_t>(seed));
  std::vector<uint32_t> pixels(kPixels);
  for (uint32_t& p : pixels) p = random();
  return pixels;
}

std::unique_ptr<os::Window> HiddenGlWindow() {
  os::Window::Options options;
  options.width = kWidth;
  options.height = kHeight;
  options.visible = false;
  options.opengl = true;
  return os::Window::Create(options);
}

yel::RendererParams Params(os::Window* window) {
  yel::RendererParams params;
  params.window = window;
  params.game_width = params.window_width = kWidth;
  params.game_height = params.window_height = kHeight;
  params.texture_slot_count = kSprites;
  return params;
}

// 64 textures of the frame's size filled with the layers; their sprites cover the frame.
std::vector<yel::SpriteQuad> Sprites(YelCore& core) {
  std::vector<yel::SpriteQuad> quads;
  for (int i = 0; i < kSprites; ++i) {
    YelTexture* texture = core.TextureCreate(kWidth, kHeight);
    int32_t w = 0, h = 0;
    uint32_t* pixels = yel::TextureLockPixels(texture, &w, &h);
    const std::vector<uint32_t> layer = Layer(i);
    std::copy(layer.begin(), layer.end(), pixels);
    yel::TextureUnlockPixels(texture, true);
    yel::SpriteQuad quad;
    quad.texture = texture;
    quad.rect = YelRect{0, 0, kWidth, kHeight};
    quads.push_back(quad);
  }
  return quads;
}

void BM_GlRendererFrame(benchmark::State& state) {
  auto window = HiddenGlWindow();
  auto gl = window ? yel::GlRenderer::Create(Params(window.get()), {}, false, nullptr) : nullptr;
  if (!gl) return state.SkipWithError("no OpenGL 3.3 context");
  const std::vector<yel::SpriteQuad> quads = Sprites(*gl);
  auto frame = [&] {
    gl->BeginFrame(0xFF000000);
    for (const yel::SpriteQuad& quad : quads) gl->DrawSprite(quad);
    gl->EndFrame();
    glFinish();
  };
  frame();  // the textures' first upload is not part of a frame's cost
  for (auto _ : state) frame();
  for (const yel::SpriteQuad& quad : quads) gl->TextureRelease(quad.texture);
}
BENCHMARK(BM_GlRendererFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

GLuint Shader(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return shader;
}

// The least a GL program can do for the same picture: a textured full-screen quad per layer
// with alpha blending, no per-sprite state beyond binding its texture.
void BM_MinimalGlLoop(benchmark::State& state) {
  auto window = HiddenGlWindow();
  auto context = window ? os::GlContext::Create(*window, nullptr) : nullptr;
  if (!context) return state.SkipWithError("no OpenGL 3.3 context");
  const GLuint program = glCreateProgram();
  glAttachShader(program, Shader(GL_VERTEX_SHADER, R"(#version 330 core
layout(location = 0) in vec2 p;
out vec2 uv;
void main() { uv = vec2(p.x * 0.5 + 0.5, 0.5 - p.y * 0.5); gl_Position = vec4(p, 0, 1); })"));
  glAttachShader(program, Shader(GL_FRAGMENT_SHADER, R"(#version 330 core
uniform sampler2D t;
in vec2 uv;
out vec4 c;
void main() { c = texture(t, uv); })"));
  glLinkProgram(program);
  const float strip[8] = {-1, 1, 1, 1, -1, -1, 1, -1};
  GLuint vao = 0, vbo = 0;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glBufferData(GL_ARRAY_BUFFER, sizeof strip, strip, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  std::vector<GLuint> textures(kSprites);
  glGenTextures(kSprites, textures.data());
  for (int i = 0; i < kSprites; ++i) {
    glBindTexture(GL_TEXTURE_2D, textures[i]);
    const std::vector<uint32_t> layer = Layer(i);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, layer.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  }
  glUseProgram(program);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glViewport(0, 0, kWidth, kHeight);
  for (auto _ : state) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    for (GLuint texture : textures) {
      glBindTexture(GL_TEXTURE_2D, texture);
      glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    context->Swap();
    glFinish();
  }
  glDeleteTextures(kSprites, textures.data());
  glDeleteBuffers(1, &vbo);
  glDeleteVertexArrays(1, &vao);
  glDeleteProgram(program);
}
BENCHMARK(BM_MinimalGlLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_SoftRendererFrame(benchmark::State& state) {
  auto soft = yel::SoftRenderer::Create(Params(nullptr));
  const std::vector<yel::SpriteQuad> quads = Sprites(*soft);
  for (auto _ : state) {
    soft->BeginFrame(0xFF000000);
    for (const yel::SpriteQuad& quad : quads) soft->DrawSprite(quad);
    soft->EndFrame();
    benchmark::DoNotOptimize(soft->Frame());
  }
  for (const yel::SpriteQuad& quad : quads) soft->TextureRelease(quad.texture);
}
BENCHMARK(BM_SoftRendererFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
