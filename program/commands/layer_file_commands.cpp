// Graphics file commands of group 0x12: a layer's pixels saved as JPEG, 32-bit PNG or 24-bit
// PNG, or replaced from an image file. A relative path lies in the game folder, as for the other
// file commands; saves keep to the folders ScriptDiskPath allows.
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "os/encoding.h"
#include "os/file_system.h"
#include "program/commands/extra_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_table.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/script/script_paths.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr size_t kSavePathSize = 260;
constexpr size_t kLoadPathSize = 4096;
constexpr size_t kTextNumberSize = 4;

using SpriteFileFn = const yel::Import<int(YelSprite*, const char*)>&;

// The script's path argument (CP932, "\" or "/" between folders).
std::string PathArgument(AdvContext& context, uint32_t reference, size_t size) {
  std::vector<uint8_t> text(size + kTextNumberSize, 0);
  AdvGetString(context, text.data(), text.size(), reference);
  return reinterpret_cast<const char*>(text.data()) + kTextNumberSize;
}

// The path of a file to read: a relative one in the game folder.
std::string ReadPath(const std::string& given) {
  const std::string disk = os::DiskPath(given);
  if (disk.empty() || disk[0] == '/') return disk;
  return os::Cp932ToUtf8(Startup().program_folder) + "/" + disk;
}

// The layer's sprite, or null after the range text: the layer must be 0-127 and hold an image.
YelSprite* LayerSprite(AdvContext& context, int32_t layer) {
  const bool valid = layer >= 0 && layer < kLayerCount;
  GraphicSlot* slot = valid ? context.layers.layers[layer].slot : nullptr;
  if (!slot || !slot->sprite) {
    AdvDebugPrint(kLogError, "graph error : 範囲外の値を指定しています。no = %d", layer);
    return nullptr;
  }
  return slot->sprite;
}

int SaveLayer(AdvContext& context, SpriteFileFn save, const char* command, const char* done,
              const char* failed) {
  const auto [layer, reference] = PopArgs<2>(context);
  YelSprite* sprite = LayerSprite(context, layer);
  if (!sprite) return 0;
  const std::string given = PathArgument(context, static_cast<uint32_t>(reference), kSavePathSize);
  const std::optional<std::string> path = ScriptDiskPath(command, given);
  if (path && save(sprite, path->c_str())) {
    AdvDebugPrint(kLogTrace, done, layer, path->c_str());
  } else {
    AdvDebugPrint(kLogError, failed, layer, path ? path->c_str() : given.c_str());
  }
  return 1;
}

int CmdSaveJpeg(AdvContext& context) {
  return SaveLayer(context, yel::YelSpriteSaveTextureToFile, "save_jpeg", "Save Jpeg %d, %s",
                   "Can't Save Jpeg %d, %s");
}

int CmdSavePng(AdvContext& context) {
  return SaveLayer(context, yel::YelSpriteSaveTextureToPngFile, "save_png", "Save Png %d, %s",
                   "Can't Save Png %d, %s");
}

int CmdSavePng24(AdvContext& context) {
  return SaveLayer(context, yel::YelSpriteSaveTextureToPng24File, "save_png24", "Save Png24 %d, %s",
                   "Can't Save Png24 %d, %s");
}

int CmdLoadTexture(AdvContext& context) {
  const auto [layer, reference] = PopArgs<2>(context);
  YelSprite* sprite = LayerSprite(context, layer);
  if (!sprite) return 0;
  const std::string path =
      ReadPath(PathArgument(context, static_cast<uint32_t>(reference), kLoadPathSize));
  const bool loaded = yel::YelSpriteLoadTextureToFile(sprite, path.c_str()) == 1;
  if (loaded) {
    AdvDebugPrint(kLogTrace, "Load File %d, %s", layer, path.c_str());
  } else {
    AdvDebugPrint(kLogError, "Can't Load File %d, %s", layer, path.c_str());
  }
  SetCommandResult(context, loaded ? 1 : 0);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x2B, CmdSaveJpeg},
    {0x2D, CmdSavePng},
    {0x30, CmdLoadTexture},
    {0x87, CmdSavePng24},
};

}  // namespace

const CommandSlotList kLayerFileCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
