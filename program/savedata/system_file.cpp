#include "program/savedata/system_file.h"

#include "os/encoding.h"
#include "os/file_system.h"
#include "os/message_box.h"
#include "os/plain_file.h"
#include "program/data/byte_io.h"

namespace adv {
namespace {

constexpr char kSystemName[] = "system.dat";
constexpr size_t kListHeaderSize = 16;
constexpr size_t kListCountOffset = 12;
constexpr size_t kStampOffset = 4;  // of "Script.src"

void Log(const SystemDataIo& io, const char* utf8_text) {
  if (io.log) io.log(os::Sjis(utf8_text));
}

void WriteSettings(ByteWriter& out, const SystemSettings& s) {
  out.U32(s.build_stamp);
  for (const int32_t word : {s.thumbnail_mosaic, s.full_screen, s.skip_switch, s.effects_on,
                             s.aspect_position, s.newest_save_slot, s.auto_speed, s.text_speed,
                             s.cursor_hide_time, s.text_base, s.window_alpha}) {
    out.I32(word);
  }
  for (const int32_t word : s.reserved) out.I32(word);
}

void ReadSettings(ByteReader& in, SystemSettings& s) {
  s.build_stamp = in.U32();
  for (int32_t* word : {&s.thumbnail_mosaic, &s.full_screen, &s.skip_switch, &s.effects_on,
                        &s.aspect_position, &s.newest_save_slot, &s.auto_speed, &s.text_speed,
                        &s.cursor_hide_time, &s.text_base, &s.window_alpha}) {
    *word = in.I32();
  }
  for (int32_t& word : s.reserved) word = in.I32();
}

// A map of `size` bytes, or false when the size runs past the end of the file.
bool ReadMap(ByteReader& in, std::vector<uint8_t>& map) {
  const uint32_t size = in.U32();
  if (!in.ok() || size > in.remaining()) return false;
  map.assign(size, 0);
  return in.Bytes(map.data(), size);
}

void FitMap(std::vector<uint8_t>& map, uint32_t size) {
  map.resize(size, 0);
}

void WarnCount(const char* utf8_text) {
  os::ShowMessageBox(utf8_text, "警告", os::BoxButtons::kOk, os::BoxIcon::kWarning);
}

}  // namespace

std::string SerializeSystemData(const SystemData& data) {
  ByteWriter out;
  out.U16(kSystemDataVersion);
  WriteSettings(out, data.settings);
  out.Bytes(data.sound.data(), data.sound.size());
  for (const int32_t cell : data.system_memory) out.I32(cell);
  out.U32(static_cast<uint32_t>(data.text_read_bitmap.size()));
  out.Bytes(data.text_read_bitmap.data(), data.text_read_bitmap.size());
  out.U32(static_cast<uint32_t>(data.file_state_map.size()));
  out.Bytes(data.file_state_map.data(), data.file_state_map.size());
  return out.Take();
}

bool ParseSystemData(std::string_view bytes, SystemData& data) {
  ByteReader in(bytes);
  SystemData parsed;
  in.U16();  // the version; older layouts are read the same way
  ReadSettings(in, parsed.settings);
  in.Bytes(parsed.sound.data(), parsed.sound.size());
  for (int32_t& cell : parsed.system_memory) cell = in.I32();
  if (!in.ok() || !ReadMap(in, parsed.text_read_bitmap) || !ReadMap(in, parsed.file_state_map)) {
    return false;
  }
  data = std::move(parsed);
  return true;
}

FlagMapSizes FlagMapSizesFor(uint32_t text_count, uint32_t file_count) {
  return {text_count / 8 + 1, file_count / 4 + 1};
}

void FitFlagMaps(SystemData& data, const FlagMapSizes& sizes) {
  FitMap(data.text_read_bitmap, sizes.text_bitmap);
  FitMap(data.file_state_map, sizes.file_map);
}

std::optional<uint32_t> ReadListCount(const GameFileRead& read, const std::string& name) {
  const std::optional<std::string> bytes = read(name, 0, kWholeFile);
  if (!bytes || bytes->size() < kListHeaderSize) return std::nullopt;
  ByteReader in(std::string_view(*bytes).substr(kListCountOffset));
  const uint32_t count = in.U32();
  // Every entry takes at least a byte of the body, so a larger count is damage, and the maps
  // sized from it stay within what the file itself could justify.
  if (count > bytes->size() - kListHeaderSize) return std::nullopt;
  return count;
}

SystemDataIo MakeSystemDataIo(const std::string& save_folder, GameFileRead read_game_file,
                              ErrorLog log) {
  return {SaveFolderFile(save_folder, kSystemName, kSystemFileLimit), std::move(read_game_file),
          std::move(log)};
}

SystemDataStatus SystemDataLoad(SystemDataIo& io, SystemData& data) {
  std::string bytes;
  switch (io.file.Read(bytes)) {
    case SaveFolderFile::ReadStatus::kOk:
      break;
    case SaveFolderFile::ReadStatus::kMissing:
      Log(io, "システムファイルの読み込みに失敗。[file open error]");
      return SystemDataStatus::kMissing;
    case SaveFolderFile::ReadStatus::kFailed:
      Log(io, "システムファイルの読み込みに失敗。[file open error]");
      return SystemDataStatus::kUnreadable;
    case SaveFolderFile::ReadStatus::kDamaged:
      Log(io, "システムファイルの読み込みに失敗。[file open error]");
      return SystemDataStatus::kDamaged;
  }
  if (!ParseSystemData(bytes, data)) {
    Log(io, "システムファイルの読み込みに失敗。[file size error]");
    return SystemDataStatus::kDamaged;
  }
  const std::optional<uint32_t> texts = ReadListCount(io.read_game_file, "Text.dat");
  const std::optional<uint32_t> files = ReadListCount(io.read_game_file, "File.dat");
  if (texts && files) FitFlagMaps(data, FlagMapSizesFor(*texts, *files));
  return SystemDataStatus::kLoaded;
}

bool SystemDataCreate(SystemDataIo& io, const SoundSettingsBlock& sound_defaults,
                      SystemData& data) {
  data = SystemData();
  data.sound = sound_defaults;
  const std::optional<std::string> stamp = io.read_game_file("Script.src", kStampOffset, 4);
  if (!stamp || stamp->size() < 4) {
    Log(io, "システムファイルの作成に失敗。[Script.rc]");
    return false;
  }
  const std::optional<uint32_t> texts = ReadListCount(io.read_game_file, "Text.dat");
  if (!texts) {
    Log(io, "システムファイルの作成に失敗。[Text.dat]");
    return false;
  }
  if (*texts > kTextCountLimit) {
    WarnCount("テキストワード数が基準値をオーバーしました。\n管理者に報告してください。");
  }
  const std::optional<uint32_t> files = ReadListCount(io.read_game_file, "File.dat");
  if (!files) {
    Log(io, "システムファイルの作成に失敗。[File.dat]");
    return false;
  }
  if (*files >= kFileCountLimit) {
    WarnCount("画像ファイル数が基準値をオーバーしました。\n管理者に報告してください。");
  }
  FitFlagMaps(data, FlagMapSizesFor(*texts, *files));
  data.settings.build_stamp = ByteReader(*stamp).U32();
  SystemDataSave(io, data);
  Log(io, "システムファイルを作成。");
  return true;
}

bool SystemDataSave(SystemDataIo& io, const SystemData& data) {
  if (io.file.Write(SerializeSystemData(data))) return true;
  Log(io, "システムファイルの書き込みに失敗。");
  return false;
}

bool SystemDataLoadOrCreate(SystemDataIo& io, const SoundSettingsBlock& sound_defaults,
                            SystemData& data) {
  switch (SystemDataLoad(io, data)) {
    case SystemDataStatus::kLoaded:
      return true;
    case SystemDataStatus::kDamaged:
      io.file.SetAsideDamaged();
      break;
    case SystemDataStatus::kMissing:
    case SystemDataStatus::kUnreadable:
      break;
  }
  return SystemDataCreate(io, sound_defaults, data);
}

bool ScriptStampMatches(const std::string& save_folder, const GameFileRead& read_game_file) {
  SaveFolderFile file(save_folder, kSystemName, kSystemFileLimit);
  std::string bytes;
  if (file.Read(bytes) != SaveFolderFile::ReadStatus::kOk || bytes.size() < 6) return true;
  const uint32_t stored = ByteReader(std::string_view(bytes).substr(2)).U32();
  const std::optional<std::string> stamp = read_game_file("Script.src", kStampOffset, 4);
  if (!stamp || stamp->size() < 4) return false;
  return ByteReader(*stamp).U32() == stored;
}

bool IsEngineSaveFileName(std::string_view name) {
  for (const char* fixed :
       {"system.dat", "config.dat", "access.dat", "continue.dat", "save_tmp.dat"}) {
    if (name == fixed) return true;
  }
  const auto all_of = [](std::string_view digits, const char* set) {
    return !digits.empty() && digits.find_first_not_of(set) == std::string_view::npos;
  };
  if (name.size() < 8 || name.substr(name.size() - 4) != ".dat") return false;
  const std::string_view stem = name.substr(0, name.size() - 4);
  if (stem.substr(0, 4) == "save") return stem.size() >= 7 && all_of(stem.substr(4), "0123456789");
  return stem.size() == 12 && stem.substr(0, 4) == "hist" &&
         all_of(stem.substr(4), "0123456789abcdef");
}

namespace {

// Removes the regular files of the folder whose names `wanted` picks; false when the folder
// cannot be listed or any of them could not be removed.
template <typename Wanted>
bool RemoveFilesNamed(const std::string& save_folder, Wanted wanted) {
  const std::string folder = os::DiskPath(save_folder);
  std::vector<os::FolderEntry> entries;
  if (!os::ListFolder(folder, entries)) return false;
  bool all_removed = true;
  for (const os::FolderEntry& entry : entries) {
    if (entry.is_folder || !wanted(std::string_view(entry.name))) continue;
    if (!os::RemoveFile(folder + "/" + entry.name)) all_removed = false;
  }
  return all_removed;
}

}  // namespace

bool DeleteSaveData(const std::string& save_folder) {
  return RemoveFilesNamed(save_folder, IsEngineSaveFileName);
}

void RemoveStaleTemporaries(const std::string& save_folder) {
  RemoveFilesNamed(save_folder, [](std::string_view name) {
    return name.size() > 4 && name.substr(name.size() - 4) == ".tmp" &&
           IsEngineSaveFileName(name.substr(0, name.size() - 4));
  });
}

}  // namespace adv
