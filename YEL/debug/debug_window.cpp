#include "YEL/debug/debug_window.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/debug/control_tools.h"
#include "YEL/debug/debug_canvas.h"
#include "YEL/debug/debug_pages.h"
#include "YEL/debug/debug_status.h"
#include "YEL/files/file_paths.h"
#include "YEL/render/render.h"
#include "YEL/window/private_messages.h"
#include "os/encoding.h"
#include "os/frame_presenter.h"
#include "os/ini_file.h"
#include "os/window.h"

namespace yel {
namespace {

constexpr uint32_t kStatusPeriodMs = 200;
constexpr uint32_t kValuePeriodMs = 1000;
constexpr int kLine = DebugCanvas::kLineHeight;
constexpr int kStatusLabelWidth = 100;
constexpr int kValueLabelWidth = 60;
constexpr size_t kMaxEditBytes = 64;

// Menu commands of the window; any other command is a page key.
enum MenuCommand : int32_t { kShowAll = 40001, kHideAll = 40002, kQuit = 40003 };

// Keyboard usage numbers of the keys a value edit takes.
enum EditKey : uintptr_t {
  kKey1 = 30,
  kKey0 = 39,
  kKeyReturn = 40,
  kKeyEscape = 41,
  kKeyBackspace = 42,
  kKeyMinus = 45,
  kKeypadMinus = 86,
  kKeypadEnter = 88,
  kKeypad1 = 89,
  kKeypad0 = 98,
};

constexpr uint32_t kBackground = 0xFFFFFFFF;
constexpr uint32_t kBar = 0xFFE0E0E0;
constexpr uint32_t kInk = 0xFF000000;
constexpr uint32_t kGrey = 0xFF909090;
constexpr uint32_t kEditFill = 0xFFFFF0B0;

// The camera tool's reset buttons, shown while its page is: the bits of what they reset.
struct CameraButton {
  const char* text;
  int32_t command;
  int reset;
};
constexpr CameraButton kCameraButtons[] = {{"from リセット", 1011, 1},
                                           {"at リセット", 1013, 2},
                                           {"wup リセット", 1014, 4},
                                           {"ALL リセット", 1015, 7}};

struct MenuHit {
  int left, top, right, bottom;
  int32_t command;
  bool page;
};

// The window's state; the UI thread's alone.
struct DebugWindowUi {
  std::unique_ptr<os::Window> window;
  std::unique_ptr<os::FramePresenter> presenter;
  int presenter_width = 0, presenter_height = 0;
  DebugCanvas canvas;
  std::vector<MenuHit> menu;
  int32_t shown_key = 0;
  int rows_top = 0;   // where the page's rows begin
  int first_row = 0;  // the page row drawn first
  int scroll = 0;     // rows scrolled up from the newest (log pages) or down (value pages)
  int32_t edit_key = -1;
  int edit_row = -1;
  std::string edit_text;
};

DebugWindowUi* g_ui = nullptr;  // UI thread only
std::atomic<bool> g_exists{false};
std::atomic<bool> g_redraw_locked{false};
std::atomic<bool> g_repaint_posted{false};

std::string SettingsPath() {
  return BaseFolder() + "/setting.ini";
}

const DebugPage* ShownPage(const std::vector<DebugPage>& pages, int32_t key) {
  const DebugPage* first_visible = nullptr;
  for (auto it = pages.rbegin(); it != pages.rend(); ++it) {
    if (!it->visible) continue;
    if (it->key == key) return &*it;
    if (!first_visible) first_visible = &*it;
  }
  return first_visible;
}

// The menu bar: the three commands, then a tab per page (oldest first), "*" marking a shown one.
int DrawMenu(DebugWindowUi& ui, const std::vector<DebugPage>& pages, const DebugPage* shown) {
  DebugCanvas& c = ui.canvas;
  ui.menu.clear();
  int x = 4, y = 0;
  auto item = [&](const std::string& text, int32_t command, bool page, bool selected) {
    const int width = c.TextWidth(text) + 10;
    if (x + width > c.width() && x > 4) x = 4, y += kLine + 2;
    c.Fill(x, y, width, kLine + 2, selected ? 0xFFC0D0FF : kBar);
    c.Text(x + 5, y + 1, text, kInk, c.width());
    ui.menu.push_back({x, y, x + width, y + kLine + 2, command, page});
    x += width + 2;
  };
  item(os::Utf8ToCp932("全て表示"), kShowAll, false, false);
  item(os::Utf8ToCp932("全て非表示"), kHideAll, false, false);
  item(os::Utf8ToCp932("終了"), kQuit, false, false);
  for (auto it = pages.rbegin(); it != pages.rend(); ++it) {
    item((it->visible ? "*" : " ") + it->title, it->key, true, &*it == shown);
  }
  if (shown && shown->key == kCameraToolPageKey) {
    for (const CameraButton& button : kCameraButtons) {
      item(os::Utf8ToCp932(button.text), button.command, false, false);
    }
  }
  return y + kLine + 4;
}

int DrawStatus(DebugCanvas& c, int y) {
  const auto texts = DebugStatusTexts();
  for (int i = 0; i < kStatusRowCount; ++i, y += kLine) {
    c.Text(4, y, kStatusLabels[static_cast<size_t>(i)], kInk, kStatusLabelWidth);
    c.Text(4 + kStatusLabelWidth, y, texts[static_cast<size_t>(i)], kInk, c.width());
  }
  c.Fill(0, y + 1, c.width(), 1, kGrey);
  return y + 3;
}

void DrawPage(DebugWindowUi& ui, const DebugPage& page, int y) {
  DebugCanvas& c = ui.canvas;
  const bool values = page.kind != kLogPageWithFile;
  c.Fill(0, y, c.width(), kLine, kBar);
  if (values) {
    c.Text(4, y, "VARIABLE", kInk, kValueLabelWidth);
    c.Text(4 + kValueLabelWidth, y, "STATE", kInk, c.width());
  } else {
    c.Text(4, y, "CONTENT", kInk, c.width());
  }
  y += kLine;
  ui.rows_top = y;
  const int fit = std::max((c.height() - y) / kLine, 1);
  const int total = static_cast<int>(page.rows.size());
  ui.scroll = std::clamp(ui.scroll, 0, std::max(total - fit, 0));
  // Log pages follow their newest row; value pages start at row 0.
  ui.first_row = values ? ui.scroll : std::max(total - fit - ui.scroll, 0);
  for (int row = ui.first_row; row < total && y < c.height(); ++row, y += kLine) {
    const auto& [first, second] = page.rows[static_cast<size_t>(row)];
    if (!values) {
      c.Text(4, y, second, kInk, c.width());
      continue;
    }
    c.Text(4, y, first, kInk, kValueLabelWidth);
    const bool editing = ui.edit_key == page.key && ui.edit_row == row;
    if (editing) c.Fill(kValueLabelWidth, y, c.width() - kValueLabelWidth, kLine, kEditFill);
    c.Text(4 + kValueLabelWidth, y, editing ? ui.edit_text + "_" : second, kInk, c.width());
  }
}

void Repaint(DebugWindowUi& ui) {
  const os::Rect client = ui.window->ClientRect();
  const int width = std::max(client.Width(), 1), height = std::max(client.Height(), 1);
  if (!ui.presenter || ui.presenter_width != width || ui.presenter_height != height) {
    ui.presenter = os::FramePresenter::Create(*ui.window, width, height);
    ui.presenter_width = width;
    ui.presenter_height = height;
  }
  ui.canvas.Resize(width, height);
  ui.canvas.Fill(0, 0, width, height, kBackground);
  const std::vector<DebugPage> pages = DebugPagesSnapshot();
  const DebugPage* shown = ShownPage(pages, ui.shown_key);
  const int y = DrawStatus(ui.canvas, DrawMenu(ui, pages, shown));
  if (shown) {
    ui.shown_key = shown->key;
    DrawPage(ui, *shown, y);
  }
  if (ui.presenter) ui.presenter->Present(ui.canvas.pixels(), nullptr, false);
}

void RepaintJob(uintptr_t) {
  g_repaint_posted = false;
  if (g_ui && g_ui->window && !g_redraw_locked.load()) Repaint(*g_ui);
}

void QuitJob(uintptr_t) {
  YelEnd();
}

void EndEdit(DebugWindowUi& ui, bool store) {
  if (ui.edit_key < 0) return;
  if (store) DebugPageEditValue(ui.edit_key, ui.edit_row, ui.edit_text);
  DebugPageSetEditing(ui.edit_key, false);
  ui.edit_key = -1;
  ui.edit_row = -1;
  ui.edit_text.clear();
}

// A double click on a value row edits it; the sound pages' rows are no single values.
void BeginEdit(DebugWindowUi& ui, int y) {
  if (y < ui.rows_top) return;
  const std::vector<DebugPage> pages = DebugPagesSnapshot();
  const DebugPage* shown = ShownPage(pages, ui.shown_key);
  if (!shown || shown->kind != kValuePage || shown->key == kSePageKey ||
      shown->key == kBgmPageKey || shown->key == kBgvPageKey) {
    return;
  }
  const int row = ui.first_row + (y - ui.rows_top) / kLine;
  if (row < 0 || row >= shown->count || row >= static_cast<int>(shown->rows.size())) return;
  EndEdit(ui, false);
  ui.edit_key = shown->key;
  ui.edit_row = row;
  ui.edit_text = shown->rows[static_cast<size_t>(row)].second;
  DebugPageSetEditing(ui.edit_key, true);
}

void EditKey(DebugWindowUi& ui, uintptr_t key) {
  if (ui.edit_key < 0) return;
  char typed = 0;
  if (key >= kKey1 && key < kKey0) typed = static_cast<char>('1' + (key - kKey1));
  if (key >= kKeypad1 && key < kKeypad0) typed = static_cast<char>('1' + (key - kKeypad1));
  if (key == kKey0 || key == kKeypad0) typed = '0';
  if (key == kKeyMinus || key == kKeypadMinus) typed = '-';
  if (typed && ui.edit_text.size() < kMaxEditBytes) ui.edit_text.push_back(typed);
  if (key == kKeyBackspace && !ui.edit_text.empty()) ui.edit_text.pop_back();
  if (key == kKeyReturn || key == kKeypadEnter) EndEdit(ui, true);
  if (key == kKeyEscape) EndEdit(ui, false);
}

void MenuClick(DebugWindowUi& ui, int x, int y, bool right) {
  for (const MenuHit& hit : ui.menu) {
    if (x < hit.left || x >= hit.right || y < hit.top || y >= hit.bottom) continue;
    if (hit.page) {
      if (right) {
        DebugPageToggle(hit.command);
      } else {
        ui.shown_key = hit.command;
        ui.scroll = 0;
      }
    } else if (hit.command == kShowAll || hit.command == kHideAll) {
      DebugPagesShowAll(hit.command == kShowAll);
    } else if (hit.command >= 1011 && hit.command <= 1015) {
      for (const CameraButton& button : kCameraButtons) {
        if (button.command == hit.command) CameraToolRequestReset(button.reset);
      }
    } else if (hit.command == kQuit) {
      // The end destroys this window: it runs once this message is done.
      if (YelSystem* system = System()) {
        system->ui_queue->Post(
            MakeMessage(WindowMessage::WM_YEL_CALL, reinterpret_cast<uintptr_t>(&QuitJob), 0));
      }
    }
    EndEdit(ui, false);
    return;
  }
}

void HandleMessage(const os::Message& m) {
  if (!g_ui) return;
  DebugWindowUi& ui = *g_ui;
  switch (m.id) {
    case os::kWmLButtonDown:
      MenuClick(ui, os::UnpackX(m.lparam), os::UnpackY(m.lparam), false);
      break;
    case os::kWmRButtonDown:
      MenuClick(ui, os::UnpackX(m.lparam), os::UnpackY(m.lparam), true);
      break;
    case os::kWmLButtonDblClk:
      BeginEdit(ui, os::UnpackY(m.lparam));
      break;
    case os::kWmMouseWheel:
      ui.scroll += static_cast<intptr_t>(m.wparam) > 0 ? 3 : -3;
      break;
    case os::kWmKeyDown:
      EditKey(ui, m.wparam);
      break;
    case os::kWmSize:
      break;
    default:
      return;
  }
  if (!g_redraw_locked.load()) Repaint(ui);
}

// Without a display that can take a second window the pages work on without one.
void OpenWindow(DebugWindowUi& ui, bool visible) {
  const std::string path = SettingsPath();
  os::Window::Options options;
  options.title_utf8 = "デバッグウインドウ";
  options.x = std::max(os::ReadIniInt(path, "DebugWindow", "x", 0), 0);
  options.y = std::max(os::ReadIniInt(path, "DebugWindow", "y", 0), 0);
  options.width = std::max(os::ReadIniInt(path, "DebugWindow", "w", 300), 1);
  options.height = std::max(os::ReadIniInt(path, "DebugWindow", "h", 230), 1);
  options.resizable = true;
  options.visible = visible;
  ui.window = os::Window::Create(options);
  if (!ui.window) return;
  ui.window->SetForeignSink(HandleMessage);
}

void SaveWindowPlacement(const DebugWindowUi& ui) {
  if (!ui.window) return;
  const std::string path = SettingsPath();
  const os::Rect r = ui.window->ClientRect();
  os::WriteIniString(path, "DebugWindow", "x", std::to_string(r.left));
  os::WriteIniString(path, "DebugWindow", "y", std::to_string(r.top));
  os::WriteIniString(path, "DebugWindow", "w", std::to_string(r.Width()));
  os::WriteIniString(path, "DebugWindow", "h", std::to_string(r.Height()));
}

}  // namespace

void DebugWindowCreate(YelSystem& system) {
  system.debug_state = 0;
  DebugPageCreate(0, "system", kLogPageWithFile);
  g_ui = new DebugWindowUi();
  OpenWindow(*g_ui, !(system.param.option_bits & YEL_OPTION_HIDDEN));
  g_exists = true;
  if (g_ui->window) Repaint(*g_ui);
}

void DebugWindowDestroy(YelSystem&) {
  if (g_ui) {
    SaveWindowPlacement(*g_ui);
    DebugPagesPlacementSave();
  }
  DebugPagesRelease();
  delete g_ui;
  g_ui = nullptr;
  g_exists = false;
}

bool DebugWindowExists() {
  return g_exists.load();
}

void DebugWindowLockRedraw(bool locked) {
  g_redraw_locked = locked;
}

void DebugFrameStep(YelSystem& system, uint32_t now) {
  static uint32_t last_status = 0;  // main thread only
  static uint32_t last_values = 0;
  if (now - last_status < kStatusPeriodMs) return;
  last_status = now;
  {
    RenderLockScope lock;
    DebugStatusRefresh(system);
    if (now - last_values >= kValuePeriodMs) {
      last_values = now;
      DebugPagesRefresh();
    }
  }
  if (!g_repaint_posted.exchange(true)) {
    system.ui_queue->Post(
        MakeMessage(WindowMessage::WM_YEL_CALL, reinterpret_cast<uintptr_t>(&RepaintJob), 0));
  }
}

}  // namespace yel
