// Mouse cursors over the window. Cursors are made, shown and freed on the thread that owns the
// window (the UI thread).
#pragma once

#include <cstdint>
#include <memory>

namespace os {

class Window;

class Cursor {
 public:
  // A cursor from pixels 0xAARRGGBB, rows top-down; the alpha decides the shape. Null on failure.
  static std::unique_ptr<Cursor> FromPixels(const uint32_t* pixels, int width, int height,
                                            int hot_x, int hot_y);
  // One of the system's cursors by its resource number (32512 the arrow, 32513 the text beam,
  // ...); null for a number the system does not have.
  static std::unique_ptr<Cursor> FromSystemId(uint32_t id);
  ~Cursor();
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  // Shows this cursor over the window from now on.
  void Show() const;

 private:
  Cursor() = default;
  void* cursor_ = nullptr;  // SDL_Cursor
};

// Shows the system's default cursor over the window.
void ShowDefaultCursor();
// Moves the pointer to a client position of the window.
void WarpMouse(const Window& window, int x, int y);

}  // namespace os
