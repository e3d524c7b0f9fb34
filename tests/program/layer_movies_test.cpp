// Movie sprites on layers and the movie commands, run by assembled scripts on small clips made
// on the spot with the codec libraries.
#include <gtest/gtest.h>

#include <string>

#include "program/game/game_task.h"
#include "program/layers/layer_movies.h"
#include "tests/program/layer_fixture.h"
#include "tests/program/temp_folder.h"
#include "tests/yel/movie_test_support.h"

namespace {

using test::ScriptMachine;

class LayerMovies : public test::LayerScripts {
 protected:
  void SetUp() override {
    LayerScripts::SetUp();
    movietest::ClipRecipe recipe;
    recipe.colours = movietest::FrameColours(50);
    ASSERT_TRUE(movietest::EncodeMovie(folder_ / "CLIP.mpg", recipe));
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(folder_.path().c_str());
  }
  void TearDown() override {
    Drop();
    yel::YelSystemPathUninit();
    LayerScripts::TearDown();
  }
  int32_t Cell(int32_t n) { return context().values.system_memory[n]; }

  test::TempFolder folder_;
};

constexpr const char* kMovieOn3 = "cmd msp_set(f\"CLIP\", 3, 0, 0, 0, 1, 0, 0) -> v1\n";

TEST_F(LayerMovies, MspSetPlaysTheMovieOnItsLayer) {
  ScriptMachine& m = Load(std::string(kMovieOn3) +
                          "cmd msp_get_state(3) -> v2\n"
                          "cmd msp_set_volume(3, 150) -> v3\n");
  m.Run();
  EXPECT_EQ(m.V(1), 1);
  EXPECT_TRUE(m.Logged("msp_set loop[1], sp[0], ep[0]", adv::kLogTrace));
  ASSERT_NE(sprite(3), nullptr);
  EXPECT_TRUE(yel::YelMSpriteCheck(sprite(3)));
  EXPECT_NE(layer(3).flags & adv::kLayerMovie, 0u);
  EXPECT_EQ(layer(3).movie_argument, 1u);
  EXPECT_EQ(m.V(2) & 1, 1);  // playing
  EXPECT_EQ(m.V(3), 1);
}

// The two queries answer -1 with their error line for a layer out of range or empty, 0 for a
// picture.
TEST_F(LayerMovies, QueriesTellMoviesPicturesAndEmptyLayers) {
  struct Case {
    const char* call;
    int32_t result;
    const char* error;  // or null
  } cases[] = {
      {"msp_get_state(200)", -1, "error: msp_get_state 200"},
      {"msp_get_state(-4)", -1, "error: msp_get_state -4"},
      {"msp_get_state(9)", -1, "error: msp_get_state 9 / no image"},
      {"msp_get_state(5)", 0, nullptr},
      {"msp_set_volume(200, 50)", -1, "error: msp_set_volume 200"},
      {"msp_set_volume(9, 50)", -1, "error: msp_set_volume 9 / no image"},
      {"msp_set_volume(5, 50)", 0, nullptr},
  };
  for (const Case& c : cases) {
    ScriptMachine& m =
        Load(std::string("cmd sp_set_ex(f\"#FF000000\", 5, 0, 0, 0)\ncmd ") + c.call + " -> v1\n");
    m.Run();
    EXPECT_EQ(m.V(1), c.result) << c.call;
    if (c.error) {
      EXPECT_TRUE(m.Logged(c.error, adv::kLogError)) << c.call;
    }
  }
}

TEST_F(LayerMovies, VolumeAndMuteLiveInTheSystemMemory) {
  ScriptMachine& m = Load(
      "cmd movie_set_volume(50)\ncmd movie_get_volume() -> v1\n"
      "cmd movie_mute(1)\ncmd movie_get_volume() -> v2\n");
  m.Run();
  EXPECT_EQ(m.V(1), 50);
  EXPECT_EQ(m.V(2), 50);
  EXPECT_EQ(Cell(adv::kMovieVolumeCell), 5000);
  EXPECT_EQ(Cell(adv::kMovieMuteCell), 1);
  EXPECT_TRUE(m.Logged("movie_set_volume  5000", adv::kLogTrace));
}

// With "MOVIESKIP" nothing plays and the script goes on; otherwise the name loses its
// extension and the script yields whether a video played or not.
TEST_F(LayerMovies, MoviePlaySkipsOrYields) {
  adv::MovieSkipFlag = 1;
  ScriptMachine& m = Load("cmd movie_play(f\"CLIP.MPG\", 0)\nmov v1, 1\n");
  m.Run();
  adv::MovieSkipFlag = 0;
  EXPECT_EQ(m.V(1), 1);
  ScriptMachine& missing = Load("cmd movie_play(f\"NOPE.ABC\", 0)\nmov v1, 1\n");
  missing.Run();
  EXPECT_TRUE(missing.Logged("error movie_play [NOPE]", adv::kLogError));
  EXPECT_EQ(missing.V(1), 0);
  missing.Run();
  EXPECT_EQ(missing.V(1), 1);
}

// msp_wait turns the loop off and holds the script; it ends at once while skipping, when the
// layer is cleared or given a new image, and at a reset. A picture is no movie to wait for.
TEST_F(LayerMovies, MspWaitEndsWhenTheMovieLeavesItsLayer) {
  struct Case {
    const char* name;
    void (*change)(adv::AdvContext& context);
  } cases[] = {
      {"skipping", [](adv::AdvContext& c) { c.skip.skip_mode = 1; }},
      {"cleared", [](adv::AdvContext& c) { adv::AdvLayerClear(c, c.layers.layers[3]); }},
      {"new image",
       [](adv::AdvContext& c) { adv::AdvLayerShowColourPlane(c, 3, "#FF00FF00", 8, 8); }},
  };
  for (const Case& c : cases) {
    ScriptMachine& m = Load(std::string(kMovieOn3) + "cmd msp_wait(3)\nmov v2, 1\n");
    m.Run();
    EXPECT_TRUE(m.Logged("msp_wait 3", adv::kLogTrace)) << c.name;
    EXPECT_EQ(yel::YelMSpriteIsLoop(sprite(3)), 0) << c.name;
    m.Run();
    EXPECT_EQ(m.V(2), 0) << c.name;
    c.change(context());
    m.Run();
    m.Run();
    EXPECT_EQ(m.V(2), 1) << c.name;
    EXPECT_EQ(context().values.value_count, 0) << c.name;
    context().skip.skip_mode = 0;
  }
  ScriptMachine& m = Load(std::string(kMovieOn3) + "cmd msp_wait(3)\n");
  m.Run();
  ASSERT_TRUE(adv::MovieWaitRunning(context()));
  adv::AdvResetState(context());
  EXPECT_FALSE(adv::MovieWaitRunning(context()));

  ScriptMachine& picture = Load("cmd sp_set_ex(f\"#FF000000\", 5, 0, 0, 0)\ncmd msp_wait(5)\n");
  picture.Run();
  EXPECT_TRUE(picture.Logged("not msp 5", adv::kLogTrace));
  EXPECT_FALSE(adv::MovieWaitRunning(context()));
}

}  // namespace
