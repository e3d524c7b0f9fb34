#include "program/savedata/config_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "os/message_box.h"
#include "tests/program/temp_folder.h"

namespace {

using std::string_literals::operator""s;

// Rules of a 1920 x 1080 desktop with a 1280 x 720 game.
adv::ConfigWindowRules Rules() {
  adv::ConfigWindowRules rules;
  rules.min_track_width = 136;
  rules.min_track_height = 39;
  rules.max_track_width = 2560;
  rules.max_track_height = 1440;
  rules.game_window_width = 1280;
  rules.game_window_height = 720;
  rules.center = [](int32_t width, int32_t height, int32_t& x, int32_t& y) {
    x = (1920 - width) / 2;
    y = (1080 - height) / 2;
  };
  return rules;
}

YelInitParam Param() {
  YelInitParam param{};
  param.window_x = 7;
  param.window_y = 8;
  param.window_width = 1280;
  param.window_height = 720;
  param.flags = YEL_FLAG_DEFAULT;
  param.pacing_mode = 2;
  return param;
}

const adv::ConfigRecord kStored = {-5, 40, 1024, 576, 0x4413, 1, 2, 0, 1};

TEST(ConfigFile, TheRecordIsNineLittleEndianWords) {
  const std::string bytes = adv::SerializeConfig(kStored);
  EXPECT_EQ(bytes,
            "\xFB\xFF\xFF\xFF\x28\0\0\0\x00\x04\0\0\x40\x02\0\0\x13\x44\0\0"
            "\x01\0\0\0\x02\0\0\0\0\0\0\0\x01\0\0\0"s);
  adv::ConfigRecord back;
  ASSERT_TRUE(adv::ParseConfig(bytes, back));
  EXPECT_EQ(adv::SerializeConfig(back), bytes);
  EXPECT_FALSE(adv::ParseConfig(bytes.substr(0, 35), back));
}

TEST(ConfigFile, AStoredRecordIsAppliedAndATooSmallOrTooLargeWindowTakesTheGameSize) {
  test::TempFolder save;
  save.Write("config.dat", adv::SerializeConfig(kStored));
  YelInitParam param = Param();
  EXPECT_EQ(adv::ConfigLoad(save.path(), param, Rules()), adv::ConfigLoadResult::kLoaded);
  EXPECT_EQ(adv::SerializeConfig(adv::ConfigFromInitParam(param)), adv::SerializeConfig(kStored));

  adv::ConfigRecord tiny = kStored;
  tiny.window_width = 100;
  tiny.window_height = 20;
  save.Write("config.dat", adv::SerializeConfig(tiny) + "extra");
  EXPECT_EQ(adv::ConfigLoad(save.path(), param, Rules()), adv::ConfigLoadResult::kLoaded);
  EXPECT_EQ(param.window_width, 1280);
  EXPECT_EQ(param.window_height, 720);

  for (const auto& [width, height] : {std::pair{100000, 576}, std::pair{1024, 100000},
                                      std::pair{2561, 1441}, std::pair{-1, INT32_MIN}}) {
    adv::ConfigRecord huge = kStored;
    huge.window_width = width;
    huge.window_height = height;
    save.Write("config.dat", adv::SerializeConfig(huge));
    EXPECT_EQ(adv::ConfigLoad(save.path(), param, Rules()), adv::ConfigLoadResult::kLoaded);
    EXPECT_EQ(param.window_width, width == 1024 ? 1024 : 1280) << width << " x " << height;
    EXPECT_EQ(param.window_height, height == 576 ? 576 : 720) << width << " x " << height;
  }
  adv::ConfigRecord largest = kStored;
  largest.window_width = 2560;
  largest.window_height = 1440;
  save.Write("config.dat", adv::SerializeConfig(largest));
  adv::ConfigLoad(save.path(), param, Rules());
  EXPECT_EQ(param.window_width, 2560);
  EXPECT_EQ(param.window_height, 1440);
}

TEST(ConfigFile, AMissingEmptyOrShortFileIsReplacedByACentredDefault) {
  for (const std::optional<std::string>& content :
       {std::optional<std::string>(), std::optional<std::string>(""),
        std::optional<std::string>(std::string(35, '\x7F')),
        std::optional<std::string>(std::string(adv::kConfigFileLimit + 1, '\x7F'))}) {
    test::TempFolder save;
    if (content) save.Write("config.dat", *content);
    YelInitParam param = Param();
    EXPECT_EQ(adv::ConfigLoad(save.path(), param, Rules()),
              adv::ConfigLoadResult::kDefaultsWritten);
    EXPECT_EQ(param.window_x, 320);
    EXPECT_EQ(param.window_y, 180);
    adv::ConfigRecord written;
    ASSERT_TRUE(adv::ParseConfig(save.Read("config.dat"), written));
    EXPECT_EQ(written.window_x, 320);
    EXPECT_EQ(written.flags, static_cast<uint32_t>(YEL_FLAG_DEFAULT));
    EXPECT_EQ(written.pacing_mode, 2);
    EXPECT_EQ(written.video_flag, 1);
  }
}

TEST(ConfigFile, AFileThatCannotBeReadIsNotOverwrittenByTheDefaults) {
  test::TempFolder save;
  std::filesystem::create_symlink("config.dat", save / "config.dat");  // opens with ELOOP
  YelInitParam param = Param();
  EXPECT_EQ(adv::ConfigLoad(save.path(), param, Rules()),
            adv::ConfigLoadResult::kDefaultsNotWritten);
  EXPECT_EQ(param.window_x, 320);
  EXPECT_TRUE(std::filesystem::is_symlink(save / "config.dat"));
}

TEST(ConfigFile, SaveKeepsTheDirect3DBitAndAFailedSaveLeavesTheOldFileWhole) {
  test::TempFolder save;
  YelInitParam param = Param();
  param.flags &= ~static_cast<uint32_t>(YEL_FLAG_3D);  // a run with the software renderer
  ASSERT_TRUE(adv::ConfigSave(save.path(), param));
  adv::ConfigRecord written;
  ASSERT_TRUE(adv::ParseConfig(save.Read("config.dat"), written));
  EXPECT_EQ(written.flags, static_cast<uint32_t>(YEL_FLAG_DEFAULT));

  std::vector<std::string> boxes;
  os::SetMessageBoxHook([&](const std::string& text, const std::string& caption, os::BoxButtons) {
    boxes.push_back(caption + ":" + text);
    return os::BoxAnswer::kOk;
  });
  const std::string before = save.Read("config.dat");
  std::filesystem::create_directory(save / "config.dat.tmp");  // the new file cannot be made
  param.window_x = 99;
  EXPECT_FALSE(adv::ConfigSave(save.path(), param));
  os::SetMessageBoxHook(nullptr);
  EXPECT_EQ(save.Read("config.dat"), before);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "エラー報告:コンフィグ情報の保存に失敗しました。\n" + save / "config.dat");
}

}  // namespace
