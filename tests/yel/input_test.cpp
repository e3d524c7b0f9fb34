// Input from SDL events through the window, the window procedure and the main thread's poll,
// with the frame clock set by hand.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "YEL/core/frame_loop.h"
#include "YEL/core/system.h"
#include "YEL/input/input.h"
#include "YEL/window/private_messages.h"
#include "YEL/window/window_proc.h"
#include "os/text_input.h"
#include "os/window.h"

namespace {

using yel::kKeyC;
using yel::kKeyEnter;
using yel::kKeyEsc;
using yel::kKeyMouseLeft;
using yel::kKeySpace;

// The pushed, held, released and repeat words of the keys or the joystick.
struct Words {
  uint32_t push, on, pull, repeat;
  bool operator==(const Words&) const = default;
};

void PrintTo(const Words& w, std::ostream* os) {
  *os << std::hex << "{push " << w.push << ", on " << w.on << ", pull " << w.pull << ", repeat "
      << w.repeat << "}";
}

// One hidden window for the whole suite, kept until the process ends: the graphics driver it
// loads then stays loaded for the leak check at exit, which can tell its allocations by name.
os::Window* SharedWindow() {
  static os::Window* const window = [] {
    os::Window::Options options;
    options.width = 1280;
    options.height = 720;
    options.visible = false;
    return os::Window::Create(options).release();
  }();
  return window;
}

// A system record with a hidden window, whose events this thread (the UI thread of the test)
// pumps through the window procedure, and a main-thread queue that Frame() drains.
class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(yel::System(), nullptr);
    os::Window* window = SharedWindow();
    ASSERT_TRUE(window);
    system_.window.reset(window);
    system_.ui_thread_id = std::this_thread::get_id();
    system_.ui_queue = os::MessageQueue::Current();
    system_.main.queue = std::make_shared<os::MessageQueue>();
    system_.param.game_width = 1280;
    system_.param.game_height = 720;
    system_.frame_rate = -1;  // no pacing: the test sets the frame times
    SetWindow(false, os::Rect{0, 0, 1280, 720});
    yel::SetSystem(&system_);
    system_.window->PumpEvents(yel::YelWindowProc);  // whatever the window says about itself
    system_.active = 1;
    system_.inactive = 0;
    // What the window said before the test belongs to no test.
    for (auto& word : system_.input.raw.scancodes) word = 0;
    for (auto& word : system_.input.raw.pressed) word = 0;
    system_.input.raw.buttons = 0;
    system_.input.raw.pointer = 0;
  }
  void TearDown() override {
    system_.input.joystick.reset();
    yel::SetSystem(nullptr);
    (void)system_.window.release();
    os::Message m;
    while (system_.ui_queue->Peek(m)) {
    }
  }

  // A 1280 x 720 client in window mode, or full screen showing the game in `view`.
  void SetWindow(bool full_screen, os::Rect view) {
    system_.window_state.Update([&](yel::WindowState& w) {
      w.full_screen = full_screen ? 1 : 0;
      w.width = 1280;
      w.height = 720;
      w.view = view;
    });
  }
  void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1); }
  void Key(SDL_Scancode scancode, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = scancode;
    Push(e);
  }
  void Button(uint8_t button, bool down, int x, int y, uint8_t clicks = 1,
              uint32_t which = 0) {
    SDL_Event e{};
    e.button.which = which;
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = clicks;
    e.button.x = x;
    e.button.y = y;
    Push(e);
  }
  void Motion(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    Push(e);
  }
  void Wheel(int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = y;
    Push(e);
  }

  // One frame of the real frame loop at a time the test chooses: the window's events reach the
  // window procedure (the UI thread's part), the loop ends the previous frame (clears the words
  // of one frame, applies the posted codes), then runs this one (the poll).
  void Frame(uint32_t time) {
    system_.window->PumpEvents(yel::YelWindowProc);
    loop_.BetweenFrames(system_);
    loop_.RunFrame(system_, time);
  }

  static Words Keys() {
    return Words{YelInputGetKeyPush(), YelInputGetKeyOn(), YelInputGetKeyPull(),
                 YelInputGetKeyOnEx()};
  }
  static Words Joy() {
    return Words{YelInputGetJoyPush(), YelInputGetJoyOn(), YelInputGetJoyPull(),
                 YelInputGetJoyOnEx()};
  }

  yel::YelSystem system_;
  yel::FrameLoop loop_;
};

TEST_F(InputTest, KeyWordsPushOnceRepeatAfterTheDelayAndRelease) {
  struct Step {
    std::vector<std::pair<SDL_Scancode, bool>> keys;
    uint32_t time;
    Words expected;
  };
  const Step steps[] = {
      {{{SDL_SCANCODE_SPACE, true}}, 1000, {kKeySpace, 0, 0, 0}},
      {{}, 1016, {0, kKeySpace, 0, 0}},
      {{}, 1500, {0, kKeySpace, 0, 0}},  // exactly 500 ms is not yet past the delay
      {{}, 1501, {0, kKeySpace, 0, kKeySpace}},
      {{}, 1600, {0, kKeySpace, 0, kKeySpace}},
      // Another key restarts the timing, for that key only.
      {{{SDL_SCANCODE_RETURN, true}}, 1700, {kKeyEnter, kKeySpace, 0, 0}},
      {{}, 1800, {0, kKeySpace | kKeyEnter, 0, 0}},
      {{}, 2201, {0, kKeySpace | kKeyEnter, 0, kKeyEnter}},
      {{{SDL_SCANCODE_RETURN, false}}, 2220, {0, kKeySpace, kKeyEnter, 0}},
      {{}, 2240, {0, kKeySpace, 0, 0}},
      {{{SDL_SCANCODE_SPACE, false}}, 2260, {0, 0, kKeySpace, 0}},
      {{}, 2280, {0, 0, 0, 0}},
  };
  for (const Step& step : steps) {
    for (const auto& [scancode, down] : step.keys) Key(scancode, down);
    Frame(step.time);
    EXPECT_EQ(Keys(), step.expected) << "at " << step.time;
  }
}

// Return or Space pressed and let go between two frames: pushed in the next frame and released
// in the one after, as a click is; a key held over several frames is unchanged by this.
TEST_F(InputTest, AKeyTapShorterThanAFrameIsPushedOnce) {
  for (const auto& [scancode, bit] :
       {std::pair{SDL_SCANCODE_RETURN, kKeyEnter}, std::pair{SDL_SCANCODE_SPACE, kKeySpace}}) {
    SCOPED_TRACE(SDL_GetScancodeName(scancode));
    Frame(1000);
    Key(scancode, true);
    Key(scancode, false);
    Frame(1016);
    EXPECT_EQ(Keys(), (Words{bit, 0, 0, 0}));
    Frame(1032);
    EXPECT_EQ(Keys(), (Words{0, 0, bit, 0})) << "the tap ends as a release";
    Frame(1048);
    EXPECT_EQ(Keys(), (Words{0, 0, 0, 0}));
    // Two taps in two frames are two pushes.
    Key(scancode, true);
    Key(scancode, false);
    Frame(1064);
    Frame(1080);
    Key(scancode, true);
    Key(scancode, false);
    Frame(1096);
    EXPECT_EQ(YelInputGetKeyPush(), bit);
    Frame(1112);
  }
  // A tap while the window is inactive is not kept for a later frame.
  system_.inactive = 1;
  Key(SDL_SCANCODE_RETURN, true);
  Key(SDL_SCANCODE_RETURN, false);
  Frame(1128);
  system_.inactive = 0;
  Frame(1144);
  EXPECT_EQ(Keys(), (Words{0, 0, 0, 0}));
}

TEST_F(InputTest, EveryKeyOfTheTableReachesItsBit) {
  const std::pair<SDL_Scancode, uint32_t> cases[] = {
      {SDL_SCANCODE_ESCAPE, 1u << 0},  {SDL_SCANCODE_SPACE, 1u << 1},
      {SDL_SCANCODE_RETURN, 1u << 2},  {SDL_SCANCODE_KP_ENTER, 1u << 2},
      {SDL_SCANCODE_LCTRL, 1u << 3},   {SDL_SCANCODE_RCTRL, 1u << 3},
      {SDL_SCANCODE_LSHIFT, 1u << 4},  {SDL_SCANCODE_RSHIFT, 1u << 4},
      {SDL_SCANCODE_LALT, 1u << 5},    {SDL_SCANCODE_TAB, 1u << 6},
      {SDL_SCANCODE_UP, 1u << 7},      {SDL_SCANCODE_DOWN, 1u << 8},
      {SDL_SCANCODE_LEFT, 1u << 9},    {SDL_SCANCODE_RIGHT, 1u << 10},
      {SDL_SCANCODE_F1, 1u << 11},     {SDL_SCANCODE_F6, 1u << 16},
      {SDL_SCANCODE_F12, 1u << 22},    {SDL_SCANCODE_Y, 1u << 26},
      {SDL_SCANCODE_N, 1u << 27},      {SDL_SCANCODE_Z, 1u << 28},
      {SDL_SCANCODE_X, 1u << 29},      {SDL_SCANCODE_C, 1u << 30},
      {SDL_SCANCODE_A, 0},             {SDL_SCANCODE_KP_5, 0},
  };
  // Bit 30 (C) also counts as a click, so it too needs the pointer over the game view.
  Motion(10, 10);
  uint32_t time = 0;
  for (const auto& [scancode, bit] : cases) {
    Key(scancode, true);
    Frame(time += 16);
    EXPECT_EQ(YelInputGetKeyPush(), bit) << SDL_GetScancodeName(scancode);
    Key(scancode, false);
    Frame(time += 16);
    EXPECT_EQ(YelInputGetKeyPull(), bit) << SDL_GetScancodeName(scancode);
  }
}

TEST_F(InputTest, AClickShorterThanAFrameIsPushedOnceAndDoubleClicksAndWheelLastOneFrame) {
  Motion(100, 100);
  Button(SDL_BUTTON_LEFT, true, 100, 100);
  Button(SDL_BUTTON_LEFT, false, 100, 100);
  Wheel(-1);  // toward the user
  Frame(16);
  EXPECT_EQ(YelInputGetKeyPush(), kKeyMouseLeft);
  EXPECT_EQ(YelInputGetWheel(), 1);
  Frame(32);
  EXPECT_EQ(YelInputGetKeyPush(), 0u) << "one frame only";
  EXPECT_EQ(YelInputGetWheel(), 0);
  Frame(48);
  EXPECT_EQ(Keys(), (Words{0, 0, kKeyMouseLeft, 0})) << "the click ends as a release";

  Button(SDL_BUTTON_RIGHT, true, 100, 100, 2);
  Button(SDL_BUTTON_RIGHT, false, 100, 100, 2);
  Wheel(1);
  Frame(64);
  EXPECT_EQ(YelInputGetKeyEx(), static_cast<uint32_t>(yel::kInputRightDoubleClick));
  EXPECT_EQ(YelInputGetWheel(), -1);
  Frame(80);
  EXPECT_EQ(YelInputGetKeyEx(), 0u);
}

TEST_F(InputTest, AClickOutsideTheGameViewIsNotPushedButAHeldButtonShows) {
  // Full screen with bars left and right of the game picture.
  SetWindow(true, os::Rect{160, 0, 1120, 720});
  Button(SDL_BUTTON_LEFT, true, 50, 300);
  Wheel(-1);
  Frame(16);
  EXPECT_EQ(YelInputGetKeyPush(), 0u);
  EXPECT_EQ(YelInputGetWheel(), 0);
  Frame(32);
  EXPECT_EQ(YelInputGetKeyOn(), kKeyMouseLeft);
  Button(SDL_BUTTON_LEFT, false, 50, 300);
  Frame(48);
  Button(SDL_BUTTON_LEFT, true, 160, 300);  // the edge belongs to the view
  Frame(64);
  EXPECT_EQ(YelInputGetKeyPush(), kKeyMouseLeft);
}

TEST_F(InputTest, PointerMapsIntoTheSmallerGameScreen) {
  struct Case {
    bool full_screen;
    int x, y;
    int32_t game_x, game_y;
  };
  const Case cases[] = {
      // Window mode: a 1280 x 720 client shows a 640 x 360 game.
      {false, 0, 0, 0, 0},
      {false, 640, 360, 320, 180},
      {false, 1279, 719, 639, 359},
      {false, 1281, 10, -1, 5},       // past the right edge
      {false, -10, 10, -5, 5},        // left of the window still maps
      {false, -1290, 10, -1, 5},      // beyond minus the game width
      // Full screen: the picture fills the view rectangle 160..1120 x 0..540.
      {true, 160, 0, 0, 0},
      {true, 1119, 539, 639, 359},
      {true, 100, 270, -40, 180},
      {true, 1130, 600, -1, -1},
  };
  system_.param.game_width = 640;
  system_.param.game_height = 360;
  for (const Case& c : cases) {
    SetWindow(c.full_screen,
              c.full_screen ? os::Rect{160, 0, 1120, 540} : os::Rect{0, 0, 1280, 720});
    Motion(c.x, c.y);
    Frame(0);
    EXPECT_EQ(YelInputGetMouseX(), c.game_x) << c.x << "," << c.y;
    EXPECT_EQ(YelInputGetMouseY(), c.game_y) << c.x << "," << c.y;
  }
}

TEST_F(InputTest, MovementFollowsThePointerAndSetPosIsReadAtOnce) {
  system_.param.game_width = 640;
  system_.param.game_height = 360;
  Motion(640, 360);
  Frame(0);
  Motion(644, 366);
  Frame(16);
  EXPECT_EQ(YelInputGetMouseMoveX(), 2);
  EXPECT_EQ(YelInputGetMouseMoveY(), 3);

  YelCursorSetPos(100, 50);
  EXPECT_EQ(YelInputGetMouseX(), 100);
  EXPECT_EQ(YelInputGetMouseY(), 50);
  Frame(32);
  EXPECT_EQ(YelInputGetMouseX(), 100) << "the pointer was moved to the client point of (100, 50)";
  EXPECT_EQ(YelInputGetMouseY(), 50);

  SDL_Event leave{};
  leave.type = SDL_WINDOWEVENT;
  leave.window.event = SDL_WINDOWEVENT_LEAVE;
  leave.window.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(system_.window->NativeHandle()));
  Push(leave);
  Frame(48);
  EXPECT_EQ(YelInputGetMouseX(), -1);
  EXPECT_EQ(YelInputGetMouseMoveX(), 0);
}

TEST_F(InputTest, CancelMasksHoldUntilChangedAndAnInactiveWindowReadsNothing) {
  Motion(10, 10);
  Frame(0);
  YelInputKeyCancel(kKeyEsc, yel::kInputWheel);
  Key(SDL_SCANCODE_ESCAPE, true);
  Key(SDL_SCANCODE_SPACE, true);
  Wheel(-1);
  Frame(16);
  EXPECT_EQ(YelInputGetKeyPush(), kKeySpace);
  EXPECT_EQ(YelInputGetWheel(), 0);
  Frame(32);
  EXPECT_EQ(YelInputGetKeyOn(), kKeySpace);
  YelInputKeyCancel(0, 0);
  Frame(48);
  EXPECT_EQ(YelInputGetKeyOn(), kKeySpace | kKeyEsc);

  system_.active = 0;
  Frame(64);
  EXPECT_EQ(Keys(), (Words{0, 0, 0, 0}));
  EXPECT_EQ(YelInputGetMouseX(), -1);
}

TEST_F(InputTest, TouchPointsAddAClickWithCAndAPenPressAddsEscOnce) {
  Motion(10, 10);
  system_.touch.bits = yel::kTouchPoint0Down | yel::kTouchRightPress;
  Frame(0);
  EXPECT_EQ(YelInputGetKeyPush(), kKeyMouseLeft | kKeyC | kKeyEsc);
  Frame(16);
  EXPECT_EQ(YelInputGetKeyOn(), kKeyMouseLeft | kKeyC);
  EXPECT_EQ(YelInputGetKeyPull(), kKeyEsc) << "the pen's press is taken by one poll";
}

TEST_F(InputTest, TouchModeTurnsTouchesIntoMouseClicksAndBack) {
  system_.touch.available = true;
  system_.touch.registered = true;
  system_.touch.enabled = 1;
  // The system's mouse events for a touch.
  auto touch_click = [&](uint8_t button) {
    Button(button, true, 100, 100, 1, SDL_TOUCH_MOUSEID);
    Button(button, false, 100, 100, 1, SDL_TOUCH_MOUSEID);
  };
  YelTouchMode(1);
  EXPECT_EQ(YelIsTouchMode(), 1);
  EXPECT_EQ(YelIsTouch(), 0);
  touch_click(SDL_BUTTON_MIDDLE);
  Frame(0);
  EXPECT_EQ(YelInputGetKeyPush(), yel::kKeyMouseMiddle);

  YelTouchMode(0);
  EXPECT_EQ(YelIsTouch(), 1) << "registered for touch again";
  Frame(16);
  Frame(32);
  touch_click(SDL_BUTTON_MIDDLE);
  SDL_Event finger{};
  finger.type = SDL_FINGERDOWN;
  Push(finger);
  Frame(48);
  EXPECT_EQ(YelInputGetKeyPush(), kKeyMouseLeft | kKeyC) << "the touch, not the mouse click";

  YelSetGesture(5);
  uint8_t record[yel::kGestureRecordSize];
  std::fill(std::begin(record), std::end(record), 0xCC);
  YelGetGesture(record);
  EXPECT_EQ(record[0], 5);
  EXPECT_EQ(std::count(std::begin(record) + 1, std::end(record), 0), 47);
  EXPECT_EQ(YelGestureCheck(), 0);
}

// SDL's virtual joystick stands in for a device.
class JoystickTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
    device_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 10, 0);
    ASSERT_GE(device_, 0) << SDL_GetError();
    stick_ = SDL_JoystickOpen(device_);
    ASSERT_NE(stick_, nullptr);
    system_.input.joystick = os::Joystick::OpenFirst();
    ASSERT_TRUE(system_.input.joystick);
    system_.input.joystick_present = true;
  }
  void TearDown() override {
    system_.input.joystick.reset();
    if (stick_) SDL_JoystickClose(stick_);
    if (device_ >= 0) SDL_JoystickDetachVirtual(device_);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    InputTest::TearDown();
  }
  void Set(int16_t x, int16_t y) {
    SDL_JoystickSetVirtualAxis(stick_, 0, x);
    SDL_JoystickSetVirtualAxis(stick_, 1, y);
  }

  int device_ = -1;
  SDL_Joystick* stick_ = nullptr;
};

TEST_F(JoystickTest, AxesCountPastEightHundredOfAThousand) {
  struct Case {
    int16_t x, y;
    uint32_t word;
  };
  // 26214 scales to 800 (not past the threshold), 26250 to 801.
  const Case cases[] = {
      {0, 0, 0},
      {0, -26214, 0},
      {0, -26250, yel::kJoyUp},
      {0, 26250, yel::kJoyDown},
      {26214, 0, 0},
      {26250, 0, yel::kJoyRight},
      {-32768, 32767, yel::kJoyLeft | yel::kJoyDown},
  };
  uint32_t time = 0;
  for (const Case& c : cases) {
    Set(c.x, c.y);
    Frame(time += 16);
    Frame(time += 16);
    EXPECT_EQ(YelInputGetJoyOn(), c.word) << c.x << "," << c.y;
  }
}

TEST_F(JoystickTest, ButtonsArePushedHeldAndReleasedAndAGoneDeviceKeepsTheWords) {
  SDL_JoystickSetVirtualButton(stick_, 0, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(stick_, 9, SDL_PRESSED);
  const uint32_t buttons = yel::kJoyButton0 | (yel::kJoyButton0 << 9);
  Frame(0);
  EXPECT_EQ(Joy(), (Words{buttons, 0, 0, 0}));
  Frame(16);
  EXPECT_EQ(Joy(), (Words{0, buttons, 0, 0}));
  SDL_JoystickSetVirtualButton(stick_, 9, SDL_RELEASED);
  const Words released{0, yel::kJoyButton0, yel::kJoyButton0 << 9, 0};
  Frame(32);
  EXPECT_EQ(Joy(), released);

  SDL_JoystickDetachVirtual(device_);
  device_ = -1;
  Frame(48);
  EXPECT_EQ(Joy(), released);
  YelInputClear();
  EXPECT_EQ(Joy(), (Words{0, 0, 0, 0}));
}

TEST_F(InputTest, KeysTypedIntoAnEditFieldStayOutOfTheKeyWords) {
  os::BeginTextInput({0, 0, 100, 20});
  Key(SDL_SCANCODE_RETURN, true);
  Key(SDL_SCANCODE_A, true);  // types its text through the input method instead
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  std::strcpy(text.text.text, "あ");
  Push(text);
  SDL_Event editing{};
  editing.type = SDL_TEXTEDITING;
  std::strcpy(editing.edit.text, "い");
  editing.edit.start = 1;
  Push(editing);
  Frame(1000);
  EXPECT_EQ(Keys(), (Words{0, 0, 0, 0}));
  std::vector<os::TextInputEvent> typed;
  while (std::optional<os::TextInputEvent> event = os::TakeTextInput()) typed.push_back(*event);
  ASSERT_EQ(typed.size(), 3u);
  EXPECT_EQ(typed[0].kind, os::TextInputEvent::Kind::kKey);
  EXPECT_EQ(typed[0].key, os::TextKey::kReturn);
  EXPECT_EQ(typed[1].utf8, "あ");
  EXPECT_EQ(typed[2].kind, os::TextInputEvent::Kind::kComposition);
  EXPECT_EQ(typed[2].utf8, "い");
  EXPECT_EQ(typed[2].cursor, 1);
  // Let go while the field is open, the key still reaches the game, so nothing stays down.
  Key(SDL_SCANCODE_RETURN, false);
  Frame(1016);
  os::EndTextInput();
  Key(SDL_SCANCODE_RETURN, true);
  Frame(1032);
  EXPECT_EQ(Keys().push, kKeyEnter) << "the game has its keys back";
  Key(SDL_SCANCODE_RETURN, false);
  Frame(1048);
}

// A key is down for YelInputGetAsyncKey as soon as the window's message says so, before any
// frame polls it, under each virtual key that stands for it.
TEST_F(InputTest, AsyncKeysFollowTheWindowsMessagesByVirtualKey) {
  const std::pair<SDL_Scancode, uint32_t> cases[] = {
      {SDL_SCANCODE_A, 0x41},        {SDL_SCANCODE_0, 0x30},         {SDL_SCANCODE_9, 0x39},
      {SDL_SCANCODE_LSHIFT, 0x10},   {SDL_SCANCODE_RSHIFT, 0x10},    {SDL_SCANCODE_RSHIFT, 0xA1},
      {SDL_SCANCODE_KP_0, 0x60},     {SDL_SCANCODE_KP_7, 0x67},      {SDL_SCANCODE_F13, 0x7C},
      {SDL_SCANCODE_F24, 0x87},      {SDL_SCANCODE_SEMICOLON, 0xBA}, {SDL_SCANCODE_RETURN, 0x0D},
      {SDL_SCANCODE_KP_ENTER, 0x0D},
  };
  for (const auto& [scancode, virtual_key] : cases) {
    Key(scancode, true);
    system_.window->PumpEvents(yel::YelWindowProc);
    EXPECT_EQ(YelInputGetAsyncKey(virtual_key), 1) << SDL_GetScancodeName(scancode);
    EXPECT_EQ(YelInputGetAsyncKey(0x07), 0) << "a number the table does not know";
    Key(scancode, false);
    system_.window->PumpEvents(yel::YelWindowProc);
    EXPECT_EQ(YelInputGetAsyncKey(virtual_key), 0) << SDL_GetScancodeName(scancode);
  }
  Motion(10, 10);
  Button(SDL_BUTTON_LEFT, true, 10, 10);
  system_.window->PumpEvents(yel::YelWindowProc);
  EXPECT_EQ(YelInputGetAsyncKey(0x01), 1);
  EXPECT_EQ(YelInputGetAsyncKey(0x02), 0);
  Button(SDL_BUTTON_LEFT, false, 10, 10);
  system_.window->PumpEvents(yel::YelWindowProc);
  EXPECT_EQ(YelInputGetAsyncKey(0x01), 0);
}

}  // namespace
