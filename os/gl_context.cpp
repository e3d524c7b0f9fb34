#include "os/gl_context.h"

#include <SDL.h>

namespace os {

std::unique_ptr<GlContext> GlContext::Create(Window& window, std::string* error) {
  auto* sdl = static_cast<SDL_Window*>(window.NativeHandle());
  auto fail = [error](const char* what) {
    if (error) *error = std::string(what) + ": " + SDL_GetError();
    return nullptr;
  };
  if (!sdl) return fail("no window");
  if (!(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL)) return fail("window without OpenGL");
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GLContext context = SDL_GL_CreateContext(sdl);
  if (!context) return fail("context");
  std::unique_ptr<GlContext> gl(new GlContext());
  gl->window_ = sdl;
  gl->context_ = context;
  return gl;
}

GlContext::~GlContext() {
  if (!context_) return;
  // A context is deleted from any thread; it must not stay current on this one.
  if (SDL_GL_GetCurrentContext() == context_) SDL_GL_MakeCurrent(nullptr, nullptr);
  SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
}

bool GlContext::MakeCurrent() {
  return SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_),
                            static_cast<SDL_GLContext>(context_)) == 0;
}

void GlContext::Release() {
  if (SDL_GL_GetCurrentContext() == context_) {
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_), nullptr);
  }
}

void GlContext::Swap() {
  SDL_GL_SwapWindow(static_cast<SDL_Window*>(window_));
}

void GlContext::DrawableSize(int* width, int* height) const {
  SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(window_), width, height);
}

bool GlContext::SetSwapInterval(int interval) {
  return SDL_GL_SetSwapInterval(interval) == 0;
}

}  // namespace os
