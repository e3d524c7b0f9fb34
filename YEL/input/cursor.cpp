// The cursor. Any thread may ask for a cursor, move the pointer or set the auto-hide time; the
// UI thread makes and shows cursors, moves the pointer and runs the timer, because only the
// window's thread may touch the windowing system. A request made elsewhere reaches it as a
// posted message.
#include "YEL/input/cursor.h"

#include "YEL/files/files.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "YEL/core/system.h"
#include "YEL/files/file_paths.h"
#include "YEL/input/input.h"
#include "YEL/window/private_messages.h"
#include "os/byte_order.h"
#include "os/cursor.h"
#include "os/debug_output.h"
#include "os/encoding.h"
#include "os/window.h"

namespace yel {

CursorState::CursorState() = default;
CursorState::~CursorState() = default;

namespace {

constexpr size_t kTgaWidthOffset = 12;
constexpr size_t kTgaHeightOffset = 14;


// Runs fn(arg) on the UI thread: at once when called there, else through the window's queue.
void RunOnUiThread(YelSystem& system, YelProcessFunc fn, uintptr_t arg) {
  if (OnUiThread()) {
    fn(arg);
  } else if (system.ui_queue) {
    system.ui_queue->Post(MakeMessage(WindowMessage::WM_YEL_CALL, reinterpret_cast<uintptr_t>(fn),
                                      static_cast<intptr_t>(arg)));
  }
}

// Has the UI thread show what the cursor state now asks for.
void ApplySoon(YelSystem& system) {
  if (OnUiThread()) {
    CursorApplyCustom(system);
  } else if (system.ui_queue) {
    system.ui_queue->Post(MakeMessage(WindowMessage::WM_YEL_SET_CURSOR));
  }
}

void WarpJob(uintptr_t packed) {
  YelSystem* system = System();
  if (system && system->window) {
    os::WarpMouse(*system->window, os::UnpackX(static_cast<intptr_t>(packed)),
                  os::UnpackY(static_cast<intptr_t>(packed)));
  }
}

void RestartAutoHideJob(uintptr_t) {
  if (YelSystem* system = System()) CursorRestartAutoHide(*system);
}

std::unique_ptr<os::Cursor> MakeCursor(const CursorImage& image) {
  if (image.system_id) return os::Cursor::FromSystemId(image.system_id);
  // A hot spot off the image would make the system refuse the cursor: it is kept on the image.
  return os::Cursor::FromPixels(image.pixels.data(), image.width, image.height,
                                std::clamp(image.hot_x, 0, image.width - 1),
                                std::clamp(image.hot_y, 0, image.height - 1));
}

// Replaces the wanted cursor; null forgets it.
void SetWanted(CursorState& cursor, std::shared_ptr<const CursorImage> image) {
  std::lock_guard lock(cursor.mutex);
  cursor.on_window = image != nullptr;
  cursor.wanted = std::move(image);
  ++cursor.generation;
}

// A game coordinate on one axis to a client coordinate, kept within what a window can hold.
int GameToClient(int32_t value, int game_extent, int extent, int origin) {
  if (game_extent <= 0) return origin;
  const float scaled =
      static_cast<float>(value) / static_cast<float>(game_extent) * static_cast<float>(extent);
  const int client = static_cast<int>(std::clamp(scaled, -32768.0f, 32767.0f)) + origin;
  return std::clamp(client, -32768, 32767);
}

}  // namespace

bool DecodeCursorTga(const uint8_t* data, size_t size, CursorImage& out) {
  if (!data || size < kTgaHeaderSize || size > kMaxCursorFileSize) return false;
  const int width = os::LoadLe16(data + kTgaWidthOffset);
  const int height = os::LoadLe16(data + kTgaHeightOffset);
  if (width == 0 || height == 0 || width > kMaxCursorSide || height > kMaxCursorSide) return false;
  const size_t row_bytes = static_cast<size_t>(width) * 4;
  if (size - kTgaHeaderSize < row_bytes * static_cast<size_t>(height)) return false;
  out.width = width;
  out.height = height;
  out.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int row = 0; row < height; ++row) {
    // The file's last row is the top one.
    const uint8_t* src = data + kTgaHeaderSize + row_bytes * static_cast<size_t>(height - 1 - row);
    uint32_t* dst = out.pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(width);
    for (int x = 0; x < width; ++x, src += 4) {
      dst[x] = os::LoadLe32(src);
    }
  }
  return true;
}

void CursorApplyCustom(YelSystem& system) {
  CursorState& cursor = system.input.cursor;
  std::shared_ptr<const CursorImage> wanted;
  bool on_window = false;
  uint64_t generation = 0;
  {
    std::lock_guard lock(cursor.mutex);
    wanted = cursor.wanted;
    on_window = cursor.on_window;
    generation = cursor.generation;
  }
  if (generation != cursor.made_generation) {
    // The new cursor is shown before the old one is freed, so a freed one is never on show.
    std::unique_ptr<os::Cursor> fresh = wanted ? MakeCursor(*wanted) : nullptr;
    if (fresh && on_window) {
      fresh->Show();
    } else {
      os::ShowDefaultCursor();
    }
    cursor.made = std::move(fresh);
    cursor.made_generation = generation;
  } else if (cursor.made && on_window) {
    cursor.made->Show();
  } else {
    os::ShowDefaultCursor();
  }
}

void CursorRelease(YelSystem& system) {
  SetWanted(system.input.cursor, nullptr);
  CursorApplyCustom(system);
}

bool CursorOverGameView(const YelSystem& system) {
  int x = 0, y = 0;
  if (!PointerPosition(system, x, y)) return false;
  const WindowState state = system.window_state.Get();
  if (state.full_screen) {
    const os::Rect& view = state.view;
    return x >= view.left && x <= view.right && y >= view.top && y <= view.bottom;
  }
  return x >= 0 && x <= state.width && y >= 0 && y <= state.height;
}

void CursorRestartAutoHide(YelSystem& system) {
  const CursorState& cursor = system.input.cursor;
  if (system.window) system.window->SetTimer(cursor.auto_hide ? cursor.auto_hide_ms.load() : 0);
}

}  // namespace yel

using yel::System;
using yel::YelSystem;

extern "C" {

YEL_API int YelSetCursor(const char* name, uint16_t type, int32_t hot_x, int32_t hot_y) {
  YelSystem* system = System();
  if (!system) return 0;
  auto image = std::make_shared<yel::CursorImage>();
  if (type == 1) {
    // A system cursor the windowing system lacks shows as its default cursor.
    image->system_id = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(name));
  } else {
    std::vector<uint8_t> data;
    if (!name || !yel::ReadWholeFile(name, data, yel::kMaxCursorFileSize)) return 0;
    if (!yel::DecodeCursorTga(data.data(), data.size(), *image)) {
      YelErrorLogPrintf("cursor file refused: %s", name);
      os::DebugOutputf("cursor file refused: %s\n", name);
      return 0;
    }
    image->hot_x = hot_x;
    image->hot_y = hot_y;
  }
  yel::SetWanted(system->input.cursor, std::move(image));
  yel::ApplySoon(*system);
  return 1;
}

YEL_API void YelReleaseCursor(void) {
  YelSystem* system = System();
  if (!system) return;
  yel::SetWanted(system->input.cursor, nullptr);
  yel::ApplySoon(*system);
}

// The window stops showing the custom cursor, which stays made until it is released.
YEL_API void YelDeleteCursor(void) {
  YelSystem* system = System();
  if (!system) return;
  {
    std::lock_guard lock(system->input.cursor.mutex);
    system->input.cursor.on_window = false;
  }
  yel::ApplySoon(*system);
}

YEL_API void YelCursorSetPos(int32_t x, int32_t y) {
  YelSystem* system = System();
  if (!system) return;
  const YelInitParam& p = system->param;
  const yel::WindowState state = system->window_state.Get();
  int client_x = 0, client_y = 0;
  if (state.full_screen) {
    const os::Rect& view = state.view;
    client_x = yel::GameToClient(x, p.game_width, view.Width(), view.left);
    client_y = yel::GameToClient(y, p.game_height, view.Height(), view.top);
  } else {
    client_x = yel::GameToClient(x, p.game_width, state.width, 0);
    client_y = yel::GameToClient(y, p.game_height, state.height, 0);
  }
  // The pointer is known to be there at once, before the window reports the move.
  yel::SetPointerPosition(*system, client_x, client_y);
  system->input.mouse_x = x;
  system->input.mouse_y = y;
  yel::RunOnUiThread(*system, yel::WarpJob,
                     static_cast<uint32_t>(os::PackXY(client_x, client_y)));
}

YEL_API void YelCursorSetAutoHideTime(uint32_t ms) {
  YelSystem* system = System();
  if (!system) return;
  system->input.cursor.auto_hide_ms = ms;
  system->input.cursor.auto_hide = ms != 0;
  yel::RunOnUiThread(*system, yel::RestartAutoHideJob, 0);
}

}  // extern "C"
