// What the script reads back of a layer or graphic slot: single values as the command's result,
// several into TempMemory cells; a slot without image reads as 0.
#include <gtest/gtest.h>

#include <string>

#include "tests/program/layer_fixture.h"

namespace {

using test::ScriptMachine;

class LayerQueries : public test::LayerScripts {};

TEST_F(LayerQueries, ScaleGettersRoundToWholePercents) {
  struct Case {
    float x, y;
    int32_t percent_x, percent_y;
  } cases[] = {{1.0f, 1.0f, 100, 100},
               {0.999f, 1.5f, 100, 150},
               {0.5f, 2.0f, 50, 200},
               {0.0049f, 0.0f, 0, 0}};
  for (const Case& c : cases) {
    ScriptMachine& m = Load(
        "cmd sp_create(3, f\"#FFFFFFFF\", 0, 0, 8, 8)\n"
        "cmd wait_frame()\n"
        "cmd sp_get_scale(3) -> v1\n"
        "cmd sp_get_scale_x(3) -> v2\n"
        "cmd sp_get_scale_y(3) -> v3\n");
    m.Run();
    slot(3).scale = {c.x, c.y};
    m.Run();
    EXPECT_EQ(m.V(1), c.percent_x) << c.x;
    EXPECT_EQ(m.V(2), c.percent_x) << c.x;
    EXPECT_EQ(m.V(3), c.percent_y) << c.y;
  }
}

TEST_F(LayerQueries, GetFilenameWritesTheNameAsResolved) {
  ScriptMachine& m = Load(
      ".file \"#00000000\"\n"
      "cmd strcpy(s2, \"#ff00ff00\", -1)\n"
      "cmd sp_set(s2, 3, 10, 2)\n"
      "cmd sp_set(f\"#FFFF0000\", 4, 10, 2)\n"
      "cmd get_filename(3, s5) -> v1\n"
      "cmd get_filename(4, s6) -> v2\n"
      "cmd get_filename(7, s7) -> v3\n"
      "cmd get_filename(0x3000000, s7) -> v4\n");
  m.Run();
  EXPECT_EQ(static_cast<uint32_t>(m.V(1)), 0x10000002u);
  EXPECT_STREQ(context().values.string_variables[5].data(), "#FF00FF00");  // upper-cased
  EXPECT_EQ(m.V(2), 1);                                                    // the "File.dat" number
  EXPECT_STREQ(context().values.string_variables[6].data(), "#FFFF0000");
  EXPECT_EQ(m.V(3), 0);  // an empty layer: no name
  EXPECT_STREQ(context().values.string_variables[7].data(), "");
  EXPECT_EQ(m.V(4), -1);
  EXPECT_TRUE(m.Logged("not image : get_filename 50331648", adv::kLogError));
}

TEST_F(LayerQueries, SingleValuesOfTheSlot) {
  ScriptMachine& m = Load(
      "cmd sp_create(3, f\"#FFFFFFFF\", 0, 0, 40, 20)\n"
      "cmd sp_set_color(3, 0x123456)\n"
      "cmd sp_set_alpha(3, 128)\n"
      "cmd sp_set_rotate(3, 1, 2, 3)\n"
      "cmd sp_get_color(3) -> v1\n"
      "cmd sp_get_alpha(3) -> v2\n"
      "cmd sp_get_rotate(3, 2) -> v3\n"
      "cmd sp_get_rotate(3, 3) -> v4\n"
      "cmd sp_get_width(3) -> v5\n"
      "cmd sp_get_height(3) -> v6\n"
      "cmd sp_get_width(7) -> v7\n"
      "cmd is_sp(5) -> v8\n"
      "cmd is_sp(3) -> v9\n"
      "cmd sp_get_show(3) -> v10\n"
      "cmd run_no_wait()\n"
      "cmd sp_get_show(3) -> v11\n"
      "cmd sp_get_show(7) -> v12\n"
      "cmd is_sp(-1) -> v13\n"
      "mov v14, 1\n");
  context().values.variables[13] = 9;
  m.Run();
  EXPECT_EQ(m.V(1), 0x123456);
  EXPECT_EQ(m.V(2), 128);
  EXPECT_EQ(m.V(3), 3);
  EXPECT_EQ(m.V(4), 3);  // axis 3: the image number itself
  EXPECT_EQ(m.V(5), 40);
  EXPECT_EQ(m.V(6), 20);
  EXPECT_EQ(m.V(7), 0);  // no image
  EXPECT_EQ(m.V(8), 0);
  EXPECT_EQ(m.V(9), 1);
  EXPECT_EQ(m.V(10), 0);  // hidden until the commit
  EXPECT_EQ(m.V(11), 1);
  EXPECT_EQ(m.V(12), 0);
  EXPECT_EQ(m.V(13), 0);  // -1 writes 0 and fails the command; the script goes on
  EXPECT_TRUE(m.Logged("error paramater is_sp -1", adv::kLogTrace));
  EXPECT_TRUE(m.Logged("内部エラー", adv::kLogError));
  EXPECT_EQ(m.V(14), 1);
}

TEST_F(LayerQueries, CellGettersWriteOnlyTheCellsNamed) {
  ScriptMachine& m = Load(
      "cmd sp_create(3, f\"#FFFFFFFF\", 30, 40, 40, 20)\n"
      "cmd sp_set_pos_ex(3, 30, 40, 5)\n"
      "cmd sp_get_pos(3, 10, -1, 12)\n"
      "cmd sp_get_rect(3, 20)\n"
      "cmd sp_get_rect(7, 30)\n");
  context().values.temp_memory[11] = 77;
  context().values.temp_memory[30] = 77;
  m.Run();
  EXPECT_EQ(Cell(10), 30);
  EXPECT_EQ(Cell(11), 77);
  EXPECT_EQ(Cell(12), 5);
  EXPECT_EQ(Cell(20), 0);
  EXPECT_EQ(Cell(22), 40);
  EXPECT_EQ(Cell(23), 20);
  EXPECT_EQ(Cell(30), 0);  // no image reads as 0
}

}  // namespace
