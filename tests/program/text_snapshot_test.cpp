// The message window's snapshot block: its size by the window's state, a byte-exact round trip
// that brings the line back drawn whole, damaged and cut blocks refused without a fault, and the
// sample game saved at a line and loaded with its window as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "program/commands/text_data_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/savedata/snapshot_image.h"
#include "program/savedata/snapshot_services.h"
#include "program/text/text_reveal.h"
#include "program/text/text_snapshot.h"
#include "program/text/text_window.h"
#include "tests/program/text_fixture.h"

namespace {

// The block tells a base image by its file number, and number 0 from none: the base is the
// second file of "File.dat" (its names are sorted).
constexpr const char* kWindowScript =
    "  cmd text_init(24, 100, 500, 600, 96, 100, 460, 0)\n"
    "  cmd text_set_base(f\"#00000000\", 0, 0, 0)\n"
    "  cmd text_set_base(f\"#80102030\", 0, 0, 0)\n"
    "  cmd text(NONE, \"名前\", \"あいうえお\", 0)\n";

class TextSnapshotTest : public test::TextFixture {
 protected:
  std::string Save() {
    std::vector<uint8_t> buffer(1 << 16);
    adv::SnapshotWriter out(buffer.data(), static_cast<uint32_t>(buffer.size()), 0);
    adv::AdvTextSave(context(), out);
    EXPECT_FALSE(out.overflow());
    return std::string(reinterpret_cast<const char*>(buffer.data()), out.cursor());
  }
  static bool Read(const std::string& block, adv::SavedTextWindow& saved) {
    adv::SnapshotReader in(block);
    return adv::AdvTextRead(in, saved) && in.ok() && in.remaining() == 0;
  }
  // A window with a base image and a line, revealed whole.
  void ShowLine() {
    ASSERT_TRUE(Load(kWindowScript));
    machine_->data().system.settings.text_speed = 10;
    machine_->Run();
    adv::TextWindow& window = context().text_window;
    ASSERT_NE(window.base_slot, nullptr);
    ASSERT_NE(window.text_slot, nullptr);
    adv::AdvRevealApply(window.text_slot->sprite, window.reveal_map, window.laid_out_length + 64);
  }
};

TEST_F(TextSnapshotTest, TheBlockSizeFollowsTheWindow) {
  ASSERT_TRUE(Load("  cmd text_init(24, 0, 0, 400, 96, 0, 0, 0)\n"));
  EXPECT_EQ(Save().size(), 4u) << "an uninitialised window: its initialised word";
  machine_->Run();
  ASSERT_EQ(context().text_window.initialised, 1);
  const size_t window = Save().size();
  EXPECT_EQ(window, 12 + 36 + 4132 + 2 * 148 + 4 + 3 * 4 + 260 + 4096 + 32 + 4 + 8);
  adv::ValueStackPush(context(), 1);
  ASSERT_EQ(adv::CmdSetTextMode(context()), 1);
  EXPECT_EQ(Save().size(), window + 148) << "text mode 1 adds the page slot's state";
  adv::SavedTextWindow saved;
  ASSERT_TRUE(Read(Save(), saved));
  adv::AdvTextWindowRelease(context());
  adv::AdvTextLoad(context(), saved);
  EXPECT_NE(context().text_window.page_slot, nullptr);
}

TEST_F(TextSnapshotTest, ASavedLineComesBackDrawnWholeAndTheBlockRoundTrips) {
  ShowLine();
  adv::TextWindow& window = context().text_window;
  const int drawn = OpaquePixels(window.text_slot->sprite);
  ASSERT_GT(drawn, 0);
  const std::string block = Save();
  adv::SavedTextWindow saved;
  ASSERT_TRUE(Read(block, saved));
  adv::AdvTextWindowRelease(context());
  ASSERT_EQ(window.initialised, 0);
  adv::AdvTextLoad(context(), saved);
  EXPECT_EQ(window.initialised, 1);
  ASSERT_NE(window.text_slot, nullptr);
  ASSERT_NE(window.name_slot, nullptr);
  ASSERT_NE(window.base_slot, nullptr);
  EXPECT_EQ(window.text_slot->position[0], 100);
  EXPECT_STREQ(window.line.name.data(), "\x96\xBC\x91\x4F");
  EXPECT_EQ(OpaquePixels(window.text_slot->sprite), drawn) << "the line is drawn whole";
  EXPECT_GT(OpaquePixels(window.name_slot->sprite), 0);
  EXPECT_EQ(window.line_kind, 0u) << "no wait runs";
  EXPECT_EQ(window.line_state & 1, 1u);
  int32_t pitch = 0, rows = 0;
  yel::YelSpriteLock(window.text_slot->sprite, &pitch, &rows);
  yel::YelSpriteUnlock(window.text_slot->sprite);
  EXPECT_LE(window.reveal_map.stride, pitch);
  // The window comes back hidden, as every restored sprite does; shown, it is as it was saved.
  adv::AdvTextWindowShow(context(), window, 1);
  const std::string again = Save();
  ASSERT_EQ(again.size(), block.size());
  const auto differ = std::mismatch(again.begin(), again.end(), block.begin());
  EXPECT_EQ(differ.first, again.end())
      << "byte-exact; first difference at " << (differ.first - again.begin());
}

// The player's base image and alpha from the settings stand in for the saved ones.
TEST_F(TextSnapshotTest, ThePlayersWindowAlphaReplacesTheSavedOne) {
  ShowLine();
  adv::SavedTextWindow saved;
  ASSERT_TRUE(Read(Save(), saved));
  adv::AdvTextWindowRelease(context());
  machine_->data().system.settings.window_alpha = 0x40;
  adv::AdvTextLoad(context(), saved);
  ASSERT_NE(context().text_window.base_slot, nullptr);
  EXPECT_EQ(context().text_window.base_slot->colour >> 24, 0x40u);
}

void SetWord(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

TEST_F(TextSnapshotTest, DamagedAndCutBlocksAreRefused) {
  ShowLine();
  const std::string good = Save();
  adv::SavedTextWindow saved;
  ASSERT_TRUE(Read(good, saved));
  const size_t line = good.size() - 12 - 32 - 4096 - 260;
  struct Damage {
    const char* what;
    size_t at;
    uint32_t value;
  } damages[] = {
      {"text mode 3", 4, 3},
      {"negative font size", 12, 0xFFFFFFFF},
      {"huge font size", 12, 0x7FFFFFFF},
      {"negative ruby size", 16, 0x80000000},
      {"width not a multiple of 4", 28, 601},
      {"huge width", 28, 1u << 20},
      {"negative height", 32, 0xFFFFFFF0},
      {"button group 16", 44, 0xFFFF0010},
  };
  for (const Damage& d : damages) {
    std::string bad = good;
    SetWord(bad, d.at, d.value);
    EXPECT_FALSE(Read(bad, saved)) << d.what;
  }
  // A text field with no terminator anywhere in it.
  struct Unended {
    const char* what;
    size_t at;
    size_t size;
  } unended[] = {
      {"page text", 48 + 36, 4096},
      {"name", line, 260},
      {"text", line + 260, 4096},
      {"voice", line + 260 + 4096, 32},
  };
  for (const Unended& u : unended) {
    std::string bad = good;
    bad.replace(u.at, u.size, u.size, 'A');
    EXPECT_FALSE(Read(bad, saved)) << u.what;
  }
  for (size_t length = 0; length < good.size(); length += 97) {
    EXPECT_FALSE(Read(good.substr(0, length), saved)) << length;
  }
  // Random damage: refused, or read into a window that can be rebuilt without a fault.
  std::mt19937 random(31);
  for (int round = 0; round < 40; ++round) {
    std::string bad = good;
    for (int n = 0; n < 4; ++n) bad[random() % bad.size()] = static_cast<char>(random());
    if (!Read(bad, saved)) continue;
    adv::AdvTextWindowRelease(context());
    adv::AdvTextLoad(context(), saved);
  }
}

}  // namespace
