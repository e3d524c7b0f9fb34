// The custom cursor: TGA data decoded into top-down pixels, damaged files refused, and the
// cursor in use kept when a new one cannot be had.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/files/file_paths.h"
#include "YEL/input/cursor.h"

namespace {

// A TGA file of width x height pixels; pixel i (in file order, bottom row first) has the bytes
// i, i + 1, i + 2, 0x80 + i (blue, green, red, alpha).
std::vector<uint8_t> Tga(int width, int height, size_t trailing = 0) {
  std::vector<uint8_t> data(yel::kTgaHeaderSize, 0);
  data[2] = 2;
  data[12] = static_cast<uint8_t>(width);
  data[13] = static_cast<uint8_t>(width >> 8);
  data[14] = static_cast<uint8_t>(height);
  data[15] = static_cast<uint8_t>(height >> 8);
  data[16] = 32;
  for (int i = 0; i < width * height; ++i) {
    const auto b = static_cast<uint8_t>(i);
    data.insert(data.end(), {b, static_cast<uint8_t>(b + 1), static_cast<uint8_t>(b + 2),
                             static_cast<uint8_t>(0x80 + b)});
  }
  data.resize(data.size() + trailing, 0xEE);
  return data;
}

TEST(CursorTga, RowsComeOutTopDownAsArgb) {
  const std::vector<uint8_t> data = Tga(2, 2, 26);  // a file footer after the pixels is fine
  yel::CursorImage image;
  ASSERT_TRUE(yel::DecodeCursorTga(data.data(), data.size(), image));
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 2);
  // The file's second row (pixels 2 and 3) is the top one.
  const std::vector<uint32_t> expected = {0x82040302, 0x83050403, 0x80020100, 0x81030201};
  EXPECT_EQ(image.pixels, expected);
}

TEST(CursorTga, DamagedOrOversizedDataIsRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
  };
  std::vector<uint8_t> short_by_one = Tga(4, 3);
  short_by_one.pop_back();
  std::vector<uint8_t> huge_claim = Tga(1, 1);
  huge_claim[12] = huge_claim[13] = huge_claim[14] = huge_claim[15] = 0xFF;  // 65535 x 65535
  std::vector<uint8_t> too_wide = Tga(1, 1);
  too_wide[12] = (yel::kMaxCursorSide + 1) & 0xFF;
  too_wide[13] = (yel::kMaxCursorSide + 1) >> 8;
  const Case cases[] = {
      {"no header", std::vector<uint8_t>(yel::kTgaHeaderSize - 1, 0)},
      {"a pixel short", short_by_one},
      {"header only", Tga(0, 0)},
      {"empty height", Tga(5, 0, 64)},
      {"size beyond the data", huge_claim},
      {"wider than any cursor", too_wide},
      {"a file larger than any cursor", Tga(1, 1, yel::kMaxCursorFileSize)},
  };
  for (const Case& c : cases) {
    yel::CursorImage image;
    EXPECT_FALSE(yel::DecodeCursorTga(c.data.data(), c.data.size(), image)) << c.what;
  }
}

// YelSetCursor reads the file from the base folder; the cursor it asked for is what the window
// is to show.
class SetCursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(yel::System(), nullptr);
    folder_ = std::filesystem::temp_directory_path() /
              ("yel_cursor_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_ / "SYS");
    old_base_ = yel::BaseFolder();
    yel::SetBaseFolder(folder_.string());
    system_.ui_thread_id = std::this_thread::get_id();
    yel::SetSystem(&system_);
  }
  void TearDown() override {
    yel::SetSystem(nullptr);
    yel::SetBaseFolder(old_base_);
    std::filesystem::remove_all(folder_);
  }
  void Write(const std::string& name, const std::vector<uint8_t>& data) {
    std::FILE* f = std::fopen((folder_ / name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
  std::shared_ptr<const yel::CursorImage> Wanted() {
    std::lock_guard lock(system_.input.cursor.mutex);
    return system_.input.cursor.wanted;
  }

  std::filesystem::path folder_;
  std::string old_base_;
  yel::YelSystem system_;
};

TEST_F(SetCursorTest, AGoodFileReplacesTheCursorAndABadOneLeavesIt) {
  std::vector<uint8_t> data = Tga(3, 2);
  // Names are looked up by their file-name part, so the files lie in the base folder itself.
  Write("hand.tga", data);
  data.pop_back();
  Write("cut.tga", data);
  ASSERT_EQ(YelSetCursor("SYS\\HAND.TGA", 0, 1, 1), 1);
  const auto hand = Wanted();
  ASSERT_TRUE(hand);
  EXPECT_EQ(hand->width, 3);
  EXPECT_EQ(hand->hot_x, 1);

  EXPECT_EQ(YelSetCursor("SYS\\CUT.TGA", 0, 0, 0), 0);
  EXPECT_EQ(YelSetCursor("SYS\\NONE.TGA", 0, 0, 0), 0);
  EXPECT_EQ(Wanted(), hand) << "the cursor in use stays";

  ASSERT_EQ(YelSetCursor(reinterpret_cast<const char*>(uintptr_t{YEL_CURSOR_ARROW}), 1, 0, 0), 1);
  EXPECT_EQ(Wanted()->system_id, static_cast<uint32_t>(YEL_CURSOR_ARROW));
  YelReleaseCursor();
  EXPECT_EQ(Wanted(), nullptr);
}

TEST_F(SetCursorTest, AFileLargerThanAnyCursorIsNotRead) {
  Write("BIG.TGA", Tga(1, 1, yel::kMaxCursorFileSize));
  EXPECT_EQ(YelSetCursor("BIG.TGA", 0, 0, 0), 0);
  EXPECT_EQ(Wanted(), nullptr);
}

}  // namespace
