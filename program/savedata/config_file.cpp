#include "program/savedata/config_file.h"

#include "os/encoding.h"
#include "os/message_box.h"
#include "program/data/byte_io.h"
#include "program/savedata/save_folder_file.h"

namespace adv {
namespace {

constexpr char kConfigName[] = "config.dat";
// Window x, y, width, height, flags, display adapter, aspect mode, pacing mode, video flag.
constexpr size_t kConfigWords = 9;
static_assert(kConfigWords * sizeof(uint32_t) == kConfigFileSize);

void CenterWindow(YelInitParam& param, const ConfigWindowRules& rules) {
  if (rules.center) {
    rules.center(param.window_width, param.window_height, param.window_x, param.window_y);
  }
}

}  // namespace

std::string SerializeConfig(const ConfigRecord& record) {
  ByteWriter out;
  out.I32(record.window_x);
  out.I32(record.window_y);
  out.I32(record.window_width);
  out.I32(record.window_height);
  out.U32(record.flags);
  out.I32(record.display_adapter);
  out.I32(record.aspect_mode);
  out.I32(record.pacing_mode);
  out.I32(record.video_flag);
  return out.Take();
}

bool ParseConfig(std::string_view bytes, ConfigRecord& record) {
  if (bytes.size() < kConfigFileSize) return false;
  ByteReader in(bytes);
  record.window_x = in.I32();
  record.window_y = in.I32();
  record.window_width = in.I32();
  record.window_height = in.I32();
  record.flags = in.U32();
  record.display_adapter = in.I32();
  record.aspect_mode = in.I32();
  record.pacing_mode = in.I32();
  record.video_flag = in.I32();
  return in.ok();
}

ConfigRecord ConfigFromInitParam(const YelInitParam& param) {
  return {param.window_x,      param.window_y,    param.window_width,
          param.window_height, param.flags,       param.display_adapter,
          param.aspect_mode,   param.pacing_mode, param.video_flag};
}

void ApplyConfig(const ConfigRecord& record, YelInitParam& param) {
  param.window_x = record.window_x;
  param.window_y = record.window_y;
  param.window_width = record.window_width;
  param.window_height = record.window_height;
  param.flags = record.flags;
  param.display_adapter = record.display_adapter;
  param.aspect_mode = record.aspect_mode;
  param.pacing_mode = record.pacing_mode;
  param.video_flag = record.video_flag;
}

ConfigLoadResult ConfigLoad(const std::string& save_folder, YelInitParam& param,
                            const ConfigWindowRules& rules) {
  SaveFolderFile file(save_folder, kConfigName, kConfigFileLimit);
  std::string bytes;
  const SaveFolderFile::ReadStatus status = file.Read(bytes);
  ConfigRecord record;
  if (status == SaveFolderFile::ReadStatus::kOk && ParseConfig(bytes, record)) {
    ApplyConfig(record, param);
    if (param.window_width < rules.min_track_width || param.window_width > rules.max_track_width) {
      param.window_width = rules.game_window_width;
    }
    if (param.window_height < rules.min_track_height ||
        param.window_height > rules.max_track_height) {
      param.window_height = rules.game_window_height;
    }
    return ConfigLoadResult::kLoaded;
  }
  if (status == SaveFolderFile::ReadStatus::kFailed) {
    CenterWindow(param, rules);
    return ConfigLoadResult::kDefaultsNotWritten;
  }
  return ConfigDefaults(save_folder, param, rules) ? ConfigLoadResult::kDefaultsWritten
                                                   : ConfigLoadResult::kDefaultsNotWritten;
}

bool ConfigDefaults(const std::string& save_folder, YelInitParam& param,
                    const ConfigWindowRules& rules) {
  CenterWindow(param, rules);
  ConfigRecord record = ConfigFromInitParam(param);
  record.video_flag = 1;
  SaveFolderFile file(save_folder, kConfigName, kConfigFileLimit);
  return file.Write(SerializeConfig(record));
}

bool ConfigSave(const std::string& save_folder, const YelInitParam& current) {
  ConfigRecord record = ConfigFromInitParam(current);
  record.flags |= YEL_FLAG_3D;
  SaveFolderFile file(save_folder, kConfigName, kConfigFileLimit);
  if (file.Write(SerializeConfig(record))) return true;
  os::ShowMessageBox("コンフィグ情報の保存に失敗しました。\n" + os::Cp932ToUtf8(file.path()),
                     "エラー報告", os::BoxButtons::kOk, os::BoxIcon::kWarning);
  return false;
}

}  // namespace adv
