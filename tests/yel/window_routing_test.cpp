// Every window's events come through one system queue: the window that pumps hands another
// window's events to that window's sink, so a click in the debug window never reaches the game.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "os/window.h"

namespace {

std::unique_ptr<os::Window> HiddenWindow() {
  os::Window::Options options;
  options.width = 64;
  options.height = 48;
  options.visible = false;
  return os::Window::Create(options);
}

void PushClick(os::Window& window, int x) {
  SDL_Event event{};
  event.type = SDL_MOUSEBUTTONDOWN;
  event.button.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window.NativeHandle()));
  event.button.button = SDL_BUTTON_LEFT;
  event.button.state = SDL_PRESSED;
  event.button.clicks = 1;
  event.button.x = x;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
}

TEST(WindowRouting, EventsOfAnotherWindowGoToItsSink) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  std::unique_ptr<os::Window> game = HiddenWindow();
  std::unique_ptr<os::Window> panel = HiddenWindow();
  if (!game || !panel) GTEST_SKIP() << "no video driver";
  std::vector<int> game_clicks, panel_clicks;
  auto collect = [](std::vector<int>& into) {
    return [&into](const os::Message& m) {
      if (m.id == os::kWmLButtonDown) into.push_back(os::UnpackX(m.lparam));
    };
  };
  // Without a sink the other window's events are dropped, not given to the game.
  PushClick(*panel, 1);
  PushClick(*game, 2);
  game->PumpEvents(collect(game_clicks));
  EXPECT_EQ(game_clicks, std::vector<int>{2});

  panel->SetForeignSink(collect(panel_clicks));
  PushClick(*panel, 3);
  PushClick(*game, 4);
  game->PumpEvents(collect(game_clicks));
  EXPECT_EQ(game_clicks, (std::vector<int>{2, 4}));
  EXPECT_EQ(panel_clicks, std::vector<int>{3});
}

}  // namespace
