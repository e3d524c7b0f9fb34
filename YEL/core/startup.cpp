// Start and release of the platform library: the start-up record's defaults, YelInit with the
// system record, and YelUninit.
#include <cstdlib>
#include <cstring>

#include "YEL/core/block_count.h"
#include "YEL/core/system.h"
#include "YEL/debug/debug_log.h"
#include "YEL/debug/debug_pages.h"
#include "YEL/debug/debug_window.h"
#include "YEL/files/file_paths.h"
#include "YEL/graphics/screen_effects.h"
#include "YEL/input/input.h"
#include "YEL/media/sound.h"
#include "YEL/media/video.h"
#include "YEL/render/render.h"
#include "YEL/render/renderer.h"
#include "YEL/window/window_modes.h"
#include "YEL/window/window_proc.h"
#include "os/encoding.h"
#include "os/ini_file.h"
#include "os/message_box.h"
#include "os/paths.h"

namespace yel {
namespace {

constexpr uint32_t kScratchPoolSize = 0x8000001;
constexpr const char* kInitErrorCaption = "initialize error";
constexpr const char* kSystemInitFailed = "系统初始化失败。";

void InitErrorBox(const char* text) {
  os::ShowMessageBox(text, kInitErrorCaption, os::BoxButtons::kOk);
}

void CopyInitParam(YelSystem& system, const YelInitParam& param) {
  system.param = param;
  system.title = param.title ? param.title : "";
  system.class_name = param.class_name ? param.class_name : "";
  system.cmd_line = param.cmd_line ? param.cmd_line : "";
  system.param.title = system.title.c_str();
  system.param.class_name = system.class_name.c_str();
  system.param.cmd_line = param.cmd_line ? system.cmd_line.c_str() : nullptr;
  system.frame_rate = param.frame_rate;
}

// The renderer: the hardware one when asked for, else (or when it cannot start) the software one.
bool StartRenderer(YelSystem& system) {
  // A build without a hardware back-end draws in software without a warning to the player.
  if ((system.param.flags & YEL_FLAG_3D) && !RendererHardwareBuilt()) {
    YelErrorLogPrintf("DIB mode");
    system.param.flags &= ~YEL_FLAG_3D;
  }
  if (system.param.flags & YEL_FLAG_3D) {
    if (RendererCreate(system, true)) {
      YelErrorLogPrintf("Direct3D mode -> OK");
      return true;
    }
    RendererRelease(system);
    YelErrorLogPrintf("DIB mode");
    system.param.flags &= ~YEL_FLAG_3D;
    if (!RendererCreate(system, false)) {
      InitErrorBox(kSystemInitFailed);
      return false;
    }
    os::ShowMessageBox("您使用的显卡不支持 DirectX9", "警告", os::BoxButtons::kOk,
                       os::BoxIcon::kWarning);
    return true;
  }
  if (RendererCreate(system, false)) return true;
  InitErrorBox(kSystemInitFailed);
  return false;
}

void InitGeometry(YelSystem& system) {
  const YelInitParam& p = system.param;
  WindowGeometry& g = system.geometry;
  g.saved_x = p.window_x;
  g.saved_y = p.window_y;
  g.saved_width = p.window_width;
  g.saved_height = p.window_height;
  system.window_state.Update([&](WindowState& w) {
    w.full_screen = p.full_screen;
    w.x = p.window_x;
    w.y = p.window_y;
    w.width = p.window_width;
    w.height = p.window_height;
    w.aspect_mode = p.aspect_mode;
    w.view = os::Rect{0, 0, p.window_width, p.window_height};
  });
  g.adjusted_game = os::Rect{0, 0, p.game_width, p.game_height};
  g.window = system.window->ClientRect();
  g.desktop = DesktopRect();
  g.change_enabled = true;
}

// In debug mode the window goes back where "setting.ini" says it was.
void PlaceFromSettings(YelSystem& system) {
  const std::string path = BaseFolder() + "/setting.ini";
  if (!os::IsFile(path)) return;
  const int x = os::ReadIniInt(path, "MainWindow", "x", system.param.window_x);
  const int y = os::ReadIniInt(path, "MainWindow", "y", system.param.window_y);
  system.window->SetPosition(x, y);
  system.window_state.Update([&](WindowState& w) {
    w.x = x;
    w.y = y;
  });
}

bool InitializeParts(YelSystem& system) {
  if (system.param.debug) ErrorLogOpen(system);
  void* pool = std::malloc(kScratchPoolSize);
  if (!pool) {
    InitErrorBox("内存分配失败。");
    return false;
  }
  Process().pool = pool;
  system.pool_size = kScratchPoolSize;
  ResetLiveBlocks();
  if (!StartRenderer(system)) return false;
  if (!RendererCreateTextureSlots(system)) return InitErrorBox(kSystemInitFailed), false;
  if (!ScreenEffectsInitialize(system) || !RendererCreateCaptureTexture(system)) {
    InitErrorBox("效果初始化失败。");
    return false;
  }
  InputInitialize(system);
  if (!TaskTreeInitialize(system.tasks)) {
    SetLastError(ERROR_INVALID_HANDLE);
    InitErrorBox(kSystemInitFailed);
    return false;
  }
  SetLastError(0);
  if (!SoundInitialize(system)) {
    InitErrorBox("サウンドの初期化に失敗\nスピーカー等の再生環境を確認してください。\n0x09");
    return false;
  }
  if (!RandomTableInitialize(system.random, static_cast<uint32_t>(system.param.random_table_size))) {
    InitErrorBox(kSystemInitFailed);
    return false;
  }
  InitGeometry(system);
  SystemPathInit();
  if (system.param.debug) {
    DebugWindowCreate(system);
    PlaceFromSettings(system);
    YelErrorLogPrintf("%s", os::Utf8ToGbk("库初始化->OK").c_str());
    YelErrorLogPrintf("%s", os::Utf8ToGbk("库调试模式").c_str());
  }
  return true;
}

// Releases the parts in the reverse order of their start (also after a failed start).
void ReleaseParts(YelSystem& system) {
  // The window's end removes the debug window; a start that never ran leaves it to here.
  if (DebugWindowExists()) DebugWindowDestroy(system);
  TaskTreeRelease(system.tasks);
  VideoRelease(system);
  SystemPathRelease();
  RandomTableRelease(system.random);
  SoundUninitialize(system);
  InputRelease(system);
  ScreenEffectsRelease(system);
  RendererRelease(system);
  system.window.reset();
}

void ReleaseRecord(YelSystem* system) {
  system->ui_queue->SetWakeHook(nullptr);
  ErrorLogClose(*system);
  std::free(Process().pool.exchange(nullptr));
  DebugPagesRelease();
  SetSystem(nullptr);
  delete system;
}

bool YelSystemInitialize(std::unique_ptr<os::Window> window, const YelInitParam& param) {
  auto* system = new YelSystem();
  CopyInitParam(*system, param);
  if (!system->param.first_func) {
    os::ShowMessageBox("first func error", kInitErrorCaption, os::BoxButtons::kOk);
    delete system;
    return false;
  }
  system->window = std::move(window);
  system->module_folder = os::ExecutableFolder();
  system->ui_thread_id = std::this_thread::get_id();
  system->ui_queue = os::MessageQueue::Current();
  system->ui_queue->SetSendHandler(YelWindowProc);
  // The idle UI thread sleeps in the window's event wait, so messages for it must end that wait.
  system->ui_queue->SetWakeHook(os::WakeEventWait);
  system->main.queue = std::make_shared<os::MessageQueue>();
  system->work.queue = std::make_shared<os::MessageQueue>();
  SetSystem(system);
  if (!InitializeParts(*system)) {
    ReleaseParts(*system);
    ReleaseRecord(system);
    return false;
  }
  return true;
}

// A window whose corner lies off the virtual screen is centred on the desktop; with a fixed
// desktop the window starts at its corner.
void PlaceWindow(YelInitParam& p) {
  const os::Rect desktop = DesktopRect();
  const os::Rect screen = os::VirtualScreenRect();
  if (p.window_x < screen.left || p.window_y < screen.top ||
      p.window_x > screen.left + desktop.Width() || p.window_y > screen.top + desktop.Height()) {
    YelPoint centre;
    YelWindowGetPosCenter(&centre, p.window_width, p.window_height);
    p.window_x = centre.x;
    p.window_y = centre.y;
  }
  if (YelIsDesktopRectFix()) p.window_x = p.window_y = 0;
}

}  // namespace
}  // namespace yel

using yel::System;
using yel::YelSystem;

extern "C" {

YEL_API void YelDefaultCreate(YelInitParam* param) {
  if (!param) return;
  const os::Rect desktop = yel::DesktopRect();
  *param = YelInitParam{};
  param->title = "WindowTitle";
  param->class_name = "CLASS";
  param->window_style = 0x2CF0000;
  param->frame_rate = 60;
  param->window_x = (desktop.right - 1280) >> 1;
  param->window_y = (desktop.bottom - 720) >> 1;
  param->window_width = 1280;
  param->window_height = 720;
  param->game_width = 1280;
  param->game_height = 720;
  param->texture_slot_count = 256;
  param->reserved_count = 512;
  param->random_table_size = 2048;
  param->flags = YEL_FLAG_DEFAULT;
  param->pacing_mode = 2;
  param->aspect_mode = 1;
  param->video_flag = 1;
}

YEL_API int YelInit(YelInitParam* param) {
  if (!param || param->window_width == 0 || param->window_height == 0 || System()) return 0;
  yel::Process().system_end = false;
  yel::Process().end_requested = false;
  yel::PlaceWindow(*param);
  os::Window::Options options;
  options.title_utf8 = os::Cp932ToUtf8(param->title ? param->title : "");
  options.x = param->window_x;
  options.y = param->window_y;
  options.width = param->window_width;
  options.height = param->window_height;
  options.visible = !(param->option_bits & YEL_OPTION_HIDDEN);
  // The hardware renderer draws through a GL context on the window. Where the system has no GL
  // at all the window opens without it and the software renderer draws.
  options.opengl = (param->flags & YEL_FLAG_3D) != 0 && yel::RendererHardwareBuilt();
  auto window = os::Window::Create(options);
  if (!window && options.opengl) {
    options.opengl = false;
    window = os::Window::Create(options);
  }
  if (!window &&
      (param->window_width != param->game_width || param->window_height != param->game_height)) {
    // A size the system cannot give a window (a stored one, say) must not stop every start:
    // the window opens at the game size instead, centred.
    param->window_width = options.width = param->game_width;
    param->window_height = options.height = param->game_height;
    YelPoint centre;
    YelWindowGetPosCenter(&centre, param->window_width, param->window_height);
    param->window_x = options.x = centre.x;
    param->window_y = options.y = centre.y;
    window = os::Window::Create(options);
  }
  if (!window) {
    os::ShowMessageBox("在系统初始化时出现了问题。", "警告", os::BoxButtons::kOk,
                       os::BoxIcon::kWarning);
    return 0;
  }
  if (!yel::YelSystemInitialize(std::move(window), *param)) return 0;
  YelSystem* system = System();
  yel::YelWindowProc(os::Message{os::kWmCreate, 0, 0});
  // A window shown at its creation starts active, as it would once the system gives it the
  // focus. Where the focus never comes (a display without a window manager, the offscreen
  // driver), a game stored to pause while inactive ("/NA") would otherwise never run a frame.
  if (options.visible) yel::YelWindowProc(os::Message{os::kWmActivate, 1, 0});
  // The window may be sized from a quarter to twice the game size.
  system->window->SetSizeLimits(param->game_width / 4, param->game_height / 4,
                                2 * param->game_width, 2 * param->game_height);
  yel::ShowCursorNow();
  const os::Rect desktop = yel::DesktopRect();
  const bool full_screen = YelIsDesktopRectFix() || desktop.Width() <= param->window_width ||
                           desktop.Height() <= param->window_height;
  system->window_state.Update([&](yel::WindowState& w) {
    if (full_screen) w.full_screen = 1;
    w.x = param->window_x;
    w.y = param->window_y;
  });
  return 1;
}

YEL_API int YelUninit(void) {
  YelSystem* system = System();
  if (!system) return 0;
  system->running = 0;
  if (system->threads_abandoned.load()) {
    // A thread that would not stop may still use the record and its parts: keep them.
    yel::ErrorLogClose(*system);
    yel::SetSystem(nullptr);
    return 1;
  }
  yel::ReleaseParts(*system);
  const int32_t open_blocks = YelGetAllocCount() - 1;
  if (system->param.debug && open_blocks > 0) {
    YelErrorLogPrintf(os::Sjis("メモリの解放忘れが %d 個あります"), open_blocks);
  }
  yel::ReleaseRecord(system);
  return 1;
}

}  // extern "C"
