// Command group 0x0A, what a save screen draws of a slot into a layer: its thumbnail, title,
// save text, and the date and time it was written. Every size read from the file is checked
// against the file before anything is read or drawn.
#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "os/encoding.h"
#include "program/commands/save_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/layer_services.h"
#include "program/savedata/save_files.h"
#include "program/savedata/snapshot_image.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

constexpr uint32_t kThumbnailSet = 0x0A0005;
constexpr uint32_t kSaveGetTitle = 0x0A0006;
constexpr uint32_t kGetSaveTime = 0x0A000D;
constexpr uint32_t kGetSaveDate = 0x0A000E;
constexpr uint32_t kGetSaveText = 0x0A0010;
constexpr int32_t kTitleSize = 260;

bool ValidLayer(int32_t layer, const char* command) {
  if (layer >= 0 && layer < kLayerCount) return true;
  AdvDebugPrint(kLogError, "%s : layer %d out of range", command, layer);
  return false;
}

uint32_t Word(const uint8_t* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

// The layer shows what was drawn with the next run.
void QueueShow(AdvContext& context, uint32_t code, int32_t layer) {
  DisplayOp show;
  show.code = code;
  show.words[0] = layer;
  DisplayQueueAppend(context, show);
}

// The save font for the drawing of one slot text: the platform font's settings are put back when
// the drawing ends. The title takes only the save font's size.
class SaveFont {
 public:
  enum Part { kWhole, kSizeOnly };
  SaveFont(const SaveState& save, Part part) : part_(part) {
    size_ = yel::YelFontGetFontSize();
    if (part_ == kWhole) {
      type_ = yel::YelFontGetType();
      effect_ = yel::YelFontGetEffect();
      yel::YelFontGetColor(&colours_[0], &colours_[1]);
      yel::YelFontSetColor(save.text_colour, save.effect_colour);
    }
    yel::YelFontSetFontSize(save.font_size);
    if (part_ == kWhole) {
      yel::YelFontSetType(save.font_type);
      yel::YelFontSetEffect(save.font_effect);
    }
  }
  ~SaveFont() {
    if (part_ == kWhole) {
      yel::YelFontSetColor(colours_[0], colours_[1]);
      yel::YelFontSetType(type_);
      yel::YelFontSetEffect(effect_);
    }
    yel::YelFontSetFontSize(size_);
  }
  SaveFont(const SaveFont&) = delete;
  SaveFont& operator=(const SaveFont&) = delete;

 private:
  Part part_;
  int32_t size_ = 0;
  int32_t type_ = 0;
  int32_t effect_ = 0;
  uint32_t colours_[2] = {0, 0};
};

void DrawText(AdvContext& context, uint32_t code, int32_t layer, const std::string& text, int32_t x,
              int32_t y) {
  if (text.empty()) return;
  const SaveFont font(context.save, code == kSaveGetTitle ? SaveFont::kSizeOnly : SaveFont::kWhole);
  if (AdvLayerDrawText(context, layer, text.c_str(), x, y)) QueueShow(context, code, layer);
}

// The thumbnail's width, height and byte count must agree with each other and with the file.
bool ReadThumbnail(const os::ReadOnlyFile& file, int32_t* width, int32_t* height,
                   std::vector<uint8_t>* pixels) {
  uint8_t head[12];
  if (!file.ReadExactAt(kImageThumbnailWidthOffset, head, sizeof head)) return false;
  const uint32_t w = Word(head);
  const uint32_t h = Word(head + 4);
  const uint32_t count = Word(head + 8);
  if (w > kSnapshotBufferSize || h > kSnapshotBufferSize || uint64_t{w} * h * 4 != count ||
      count > kSnapshotBufferSize || file.Size() < uint64_t{kImageThumbnailOffset} + count) {
    return false;
  }
  pixels->resize(count);
  if (!file.ReadExactAt(kImageThumbnailOffset, pixels->data(), count)) return false;
  *width = static_cast<int32_t>(w);
  *height = static_cast<int32_t>(h);
  return true;
}

int CmdThumbnailSet(AdvContext& context) {
  const auto [layer, slot, x, y] = PopArgs<4>(context);
  AdvDebugPrint(kLogTrace, "thumbnail_set  %d, %d, %d, %d", layer, slot, x, y);
  if (!ValidLayer(layer, "thumbnail_set")) return 1;
  std::unique_ptr<os::ReadOnlyFile> file = OpenSlotFile(slot);
  if (!file) return 1;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
  if (!ReadThumbnail(*file, &width, &height, &pixels)) {
    AdvDebugPrint(kLogError, "thumbnail_set : damaged thumbnail in SaveFileNo(%d)", slot);
    return 1;
  }
  if (AdvLayerDrawPixels(context, layer, pixels.data(), width, height, x, y)) {
    QueueShow(context, kThumbnailSet, layer);
  }
  return 1;
}

int CmdSaveGetTitle(AdvContext& context) {
  const auto [layer, slot, x, y] = PopArgs<4>(context);
  AdvDebugPrint(kLogTrace, "save_get_title  %d, %d, %d, %d", layer, slot, x, y);
  if (!ValidLayer(layer, "save_get_title")) return 1;
  std::unique_ptr<os::ReadOnlyFile> file = OpenSlotFile(slot);
  uint8_t word[4];
  if (!file || !file->ReadExactAt(kImageTitleOffset, word, 4)) return 1;
  uint8_t title[kTitleSize] = {};
  AdvGetString(context, title, sizeof title, Word(word));
  DrawText(context, kSaveGetTitle, layer, reinterpret_cast<const char*>(title + 4), x, y);
  return 1;
}

int CmdGetSaveText(AdvContext& context) {
  const auto [layer, slot, x, y] = PopArgs<4>(context);
  AdvDebugPrint(kLogTrace, "get_save_text  %d, %d, %d, %d", layer, slot, x, y);
  if (!ValidLayer(layer, "get_save_text")) return 1;
  std::unique_ptr<os::ReadOnlyFile> file = OpenSlotFile(slot);
  std::array<char, kSaveTextSize + 1> text{};
  if (!file || !file->ReadExactAt(kImageSaveTextOffset, text.data(), kSaveTextSize)) return 1;
  std::array<char, kSaveTextSize> stripped{};
  const SaveState& save = context.save;
  AdvTextStripTags(context, stripped.data(), stripped.size(), text.data(), save.text_rect_width,
                   save.text_rect_height, save.font_size);
  DrawText(context, kGetSaveText, layer, stripped.data(), x, y);
  return 1;
}

int CmdGetSaveTime(AdvContext& context) {
  const auto [layer, slot, x, y, format] = PopArgs<5>(context);
  if (!ValidLayer(layer, "get_save_time")) return 1;
  os::LocalDateTime time;
  if (!SlotFileTime(slot, &time)) return 1;
  DrawText(context, kGetSaveTime, layer, SaveTimeText(format, time), x, y);
  return 1;
}

int CmdGetSaveDate(AdvContext& context) {
  const auto [layer, slot, x, y, format] = PopArgs<5>(context);
  if (!ValidLayer(layer, "get_save_date")) return 1;
  os::LocalDateTime time;
  if (!SlotFileTime(slot, &time)) return 1;
  DrawText(context, kGetSaveDate, layer, SaveDateText(format, time), x, y);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x05, CmdThumbnailSet}, {0x06, CmdSaveGetTitle}, {0x0D, CmdGetSaveTime},
    {0x0E, CmdGetSaveDate},  {0x10, CmdGetSaveText},
};

std::string Format(const char* format, int32_t a, int32_t b, int32_t c = 0, const char* d = "") {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return os::Utf8ToCp932(text);
}

}  // namespace

const CommandSlotList kSaveDrawCommandSlots = {kSlots, std::size(kSlots)};

std::string SaveTimeText(int32_t format, const os::LocalDateTime& t) {
  switch (format) {
    case 0:
      return Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
    case 1:
      return Format("%02d時%02d分%02d秒", t.hour, t.minute, t.second);
    case 2:
      return Format("%02d:%02d", t.hour, t.minute);
    case 3:
      return Format("%02d時%02d分", t.hour, t.minute);
    default:
      return "";
  }
}

std::string SaveDateText(int32_t format, const os::LocalDateTime& t) {
  static const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
  switch (format) {
    case 0:
      return Format("%02d/%02d/%02d", t.year, t.month, t.day);
    case 1:
      return Format("%02d/%02d/%02d (%s)", t.year, t.month, t.day, kWeekdays[t.weekday % 7]);
    default:
      return "";
  }
}

}  // namespace adv
