// Cursors through SDL.
#include "os/cursor.h"

#include <SDL.h>

#include "os/window.h"

namespace os {
namespace {

SDL_Cursor* Sdl(void* cursor) { return static_cast<SDL_Cursor*>(cursor); }

struct SystemCursorRow {
  uint32_t id;
  SDL_SystemCursor cursor;
};

// The system cursors by the resource numbers that name them.
constexpr SystemCursorRow kSystemCursors[] = {
    {32512, SDL_SYSTEM_CURSOR_ARROW},    {32513, SDL_SYSTEM_CURSOR_IBEAM},
    {32514, SDL_SYSTEM_CURSOR_WAIT},     {32515, SDL_SYSTEM_CURSOR_CROSSHAIR},
    {32642, SDL_SYSTEM_CURSOR_SIZENWSE}, {32643, SDL_SYSTEM_CURSOR_SIZENESW},
    {32644, SDL_SYSTEM_CURSOR_SIZEWE},   {32645, SDL_SYSTEM_CURSOR_SIZENS},
    {32646, SDL_SYSTEM_CURSOR_SIZEALL},  {32648, SDL_SYSTEM_CURSOR_NO},
    {32649, SDL_SYSTEM_CURSOR_HAND},     {32650, SDL_SYSTEM_CURSOR_WAITARROW},
};

}  // namespace

std::unique_ptr<Cursor> Cursor::FromPixels(const uint32_t* pixels, int width, int height,
                                           int hot_x, int hot_y) {
  if (!pixels || width <= 0 || height <= 0) return nullptr;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(pixels), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return nullptr;
  // The cursor keeps a copy of the pixels; the surface only lends them.
  SDL_Cursor* sdl = SDL_CreateColorCursor(surface, hot_x, hot_y);
  SDL_FreeSurface(surface);
  if (!sdl) return nullptr;
  std::unique_ptr<Cursor> cursor(new Cursor());
  cursor->cursor_ = sdl;
  return cursor;
}

std::unique_ptr<Cursor> Cursor::FromSystemId(uint32_t id) {
  for (const SystemCursorRow& row : kSystemCursors) {
    if (row.id != id) continue;
    SDL_Cursor* sdl = SDL_CreateSystemCursor(row.cursor);
    if (!sdl) return nullptr;
    std::unique_ptr<Cursor> cursor(new Cursor());
    cursor->cursor_ = sdl;
    return cursor;
  }
  return nullptr;
}

Cursor::~Cursor() {
  // Freeing the cursor on show puts the default cursor back.
  SDL_FreeCursor(Sdl(cursor_));
}

void Cursor::Show() const { SDL_SetCursor(Sdl(cursor_)); }

void ShowDefaultCursor() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_SetCursor(SDL_GetDefaultCursor());
}

void WarpMouse(const Window& window, int x, int y) {
  SDL_WarpMouseInWindow(static_cast<SDL_Window*>(window.NativeHandle()), x, y);
}

}  // namespace os
