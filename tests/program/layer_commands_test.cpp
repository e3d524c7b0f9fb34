// The road of a layer image: sp_set and its kin fill a layer's slot and queue the operation that
// shows it, run commits the queue, the frame end hands the slot's sums to the sprite. Scripts
// are assembled and run through the interpreter with the platform library started headless.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "os/picture_codecs.h"
#include "os/plain_file.h"
#include "program/commands/wait_commands.h"
#include "program/data/graphic_dat.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_loads.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/script/script_run.h"
#include "program/script/value_stores.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;
using test::TempFolder;

constexpr int32_t kWidth = 320;  // the game size StartLibraryHidden gives
constexpr int32_t kHeight = 240;
// wait_frame ends the pass here, as the real wait would: the test looks between commands.
int YieldFrame(adv::AdvContext& context) {
  context.script.stop = 1;
  return 1;
}

constexpr const char* kRangeText = "graph error : 範囲外の値を指定しています。no = ";

// The library started, its render lock held as the main thread holds it in the task walk.
class Layers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelRenderLockEnter();
    adv::AdvWindowWidth = kWidth;
    adv::AdvWindowHeight = kHeight;
  }
  void TearDown() override {
    if (machine_) {
      adv::AdvLayerTableReset(machine_->context());
      machine_.reset();
    }
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }

  ScriptMachine& Load(const std::string& source) {
    // The old machine goes first: its end removes the log observer the new one sets.
    if (machine_) {
      adv::AdvLayerTableReset(machine_->context());
      machine_.reset();
    }
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    machine_->SetCommand(0x070005, YieldFrame);
    return *machine_;
  }
  adv::AdvContext& context() { return machine_->context(); }
  adv::LayerRecord& layer(int n) { return context().layers.layers[n]; }
  YelSprite* sprite(int n) { return layer(n).slot ? layer(n).slot->sprite : nullptr; }
  int32_t QueuedOps() { return test::ReturnRecordCount(context(), adv::kListDisplayOp); }
  YelSpriteInfo Info(YelSprite* s) {
    YelSpriteInfo info{};
    yel::YelSpriteGetInfo(s, &info);
    return info;
  }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

TEST_F(Layers, SpSetFillsTheLayersSlotAndQueuesItsDisplay) {
  // ".file" puts a name before the image's: file number 0 reads as "no image" in a slot.
  ScriptMachine& m = Load(".file \"#00000000\"\ncmd sp_set(f\"#FFFF0000\", 3, 21, 1)\n");
  m.Run();
  ASSERT_NE(layer(3).slot, nullptr);
  EXPECT_EQ(layer(3).slot->index, 19u);
  const YelSpriteInfo info = Info(sprite(3));
  EXPECT_EQ(info.priority, 4996);
  EXPECT_EQ(info.image_width, kWidth);
  EXPECT_EQ(yel::YelGetPixel(sprite(3), 5, 5), 0xFFFF0000u);
  // p = 21 stands just outside the right edge; v = 1 puts the lower half below the bottom.
  EXPECT_EQ(layer(3).slot->position[0], kWidth);
  EXPECT_EQ(layer(3).slot->position[1], kHeight - kHeight / 2);
  EXPECT_EQ(info.x, kWidth);
  ASSERT_EQ(QueuedOps(), 1);
  const auto* op = reinterpret_cast<const adv::DisplayOp*>(
      yel::YelListGetData(context().display_queue, adv::kListDisplayOp, 0));
  EXPECT_EQ(op->code, 0x30002u);
  EXPECT_EQ(op->words[0], 3);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(3)), 0);  // hidden until the commit
  EXPECT_TRUE(m.Logged("sp_set  #FFFF0000, 3, 21", adv::kLogTrace));
  uint8_t name[32];
  ASSERT_TRUE(adv::AdvLayerFileName(context(), 3, name));
  EXPECT_STREQ(reinterpret_cast<const char*>(name), "#FFFF0000");
  EXPECT_FALSE(adv::AdvLayerFileName(context(), 4, name));          // an empty layer
  EXPECT_FALSE(adv::AdvLayerFileName(context(), 0x3000003, name));  // no such kind
}

TEST_F(Layers, SpSetPosMovesTheSpriteAtTheFrameEnd) {
  ScriptMachine& m = Load(
      "cmd sp_create(2, f\"#FF00FF00\", 0, 0, 40, 20)\n"
      "cmd sp_set_pos(2, 10)\n");
  m.Run();
  // The slot moves at once: centred, standing on the bottom edge.
  EXPECT_EQ(layer(2).slot->position[0], kWidth / 2 - 20);
  EXPECT_EQ(layer(2).slot->position[1], kHeight - 20);
  EXPECT_EQ(Info(sprite(2)).x, 0.0f);  // the sprite follows at the frame end
  adv::AdvGraphicSlotApplyAll(context());
  EXPECT_EQ(Info(sprite(2)).x, static_cast<float>(kWidth / 2 - 20));
  EXPECT_EQ(Info(sprite(2)).y, static_cast<float>(kHeight - 20));
}

TEST_F(Layers, RunCommitsInOrderShowsTheSceneAndYields) {
  ScriptMachine& m = Load(
      "cmd sp_set(f\"#FFFF0000\", 0, 10, 2)\n"
      "cmd sp_create(1, f\"#FF0000FF\", 0, 0, 8, 8)\n"
      "cmd sp_hide(1)\n"
      "cmd run(5, 500, 0)\n"
      "mov v1, 1\n");
  m.Run();
  EXPECT_EQ(context().script.stop, 1);
  EXPECT_EQ(m.V(1), 0);  // the script yielded after run
  EXPECT_EQ(QueuedOps(), 0);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(0)), 1);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(1)), 0);         // shown, then hidden: queued order
  EXPECT_TRUE(m.Logged("run  5, 500", adv::kLogTrace));  // the screen transition started
  EXPECT_EQ(context().buttons.input_block.duration, 100u);
}

TEST_F(Layers, AHigherLayerLiesInFront) {
  ScriptMachine& m = Load(
      "cmd sp_set(f\"#FFFF0000\", 0, 10, 2)\n"
      "cmd sp_create(1, f\"#FF0000FF\", 10, 10, 8, 8)\n"
      "cmd run(0, 0, 0)\n");
  m.Run();
  adv::AdvGraphicSlotApplyAll(context());
  EXPECT_LT(Info(sprite(1)).priority, Info(sprite(0)).priority);
  EXPECT_EQ(yel::YelSpriteGetForeground(12, 12, 0), sprite(1));
  EXPECT_EQ(yel::YelSpriteGetForeground(100, 100, 0), sprite(0));
}

TEST_F(Layers, GraphicDatReplacesTheNameAndStepsThePriorityBack) {
  TempFolder folder;
  adv::GraphicDatRecord record;
  std::strcpy(record.name.data(), "RED");
  std::strcpy(record.file_name.data(), "#FFFF0000");
  record.priority_step = 1;
  std::vector<uint8_t> file;
  ASSERT_TRUE(adv::BuildGraphicDat({record}, true, &file, nullptr));
  folder.Write("graphic.dat", std::string(file.begin(), file.end()));
  yel::YelSystemPathInit();
  yel::YelSystemPathSet(folder.path().c_str());
  ScriptMachine& m = Load("cmd sp_set(f\"RED\", 3, 10, 2)\n");
  adv::AdvGraphicDatLoad(context());
  m.Run();
  adv::AdvGraphicDatRelease(context());
  yel::YelSystemPathUninit();
  ASSERT_NE(sprite(3), nullptr);
  EXPECT_EQ(Info(sprite(3)).priority, 4996 + 134);
  EXPECT_EQ(yel::YelGetPixel(sprite(3), 0, 0), 0xFFFF0000u);
}

TEST_F(Layers, SpClsKeepsTheSpriteUntilTheNextCommit) {
  ScriptMachine& m = Load(
      "cmd sp_create(4, f\"#FF0000FF\", 0, 0, 8, 8)\n"
      "cmd run_no_wait()\n"
      "cmd sp_cls(4)\n"
      "cmd wait_frame()\n"
      "cmd run_no_wait()\n");
  m.Run();
  EXPECT_EQ(layer(4).slot, nullptr);
  EXPECT_NE(yel::YelSpriteGetForeground(2, 2, 0), nullptr);  // still shown
  m.Run();
  EXPECT_EQ(yel::YelSpriteGetForeground(2, 2, 0), nullptr);
}

TEST_F(Layers, RunWithAKindAbove100FailsAndLeavesTheQueue) {
  ScriptMachine& m = Load(
      "cmd sp_set(f\"#FFFF0000\", 0, 10, 2)\n"
      "cmd run(101, 0, 0)\n");
  m.Run();
  EXPECT_TRUE(m.Logged("run error : 範囲外の値を指定しています。no = 101", adv::kLogError));
  EXPECT_EQ(QueuedOps(), 1);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(0)), 0);
}

// A commit that meets a layer gone since its operation was queued names the line on screen, so
// that the report says where in the game it happened.
TEST_F(Layers, ACommitOnAGoneLayerReportsTheCurrentLine) {
  struct Case {
    const char* name;
    uint32_t code;
    const char* report;
  };
  const Case cases[] = {
      {"shown", adv::kDisplayShowLayer, "drawlayer = 6"},
      {"a transition", 0x3000D, "tran layer = 6"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptMachine& m = Load("");
    adv::TextLine& line = context().text_window.line;
    std::strcpy(line.name.data(), "Hanako");
    std::strcpy(line.voice.data(), "VO0012");
    std::strcpy(line.text.data(), "Good morning.");
    layer(6).transition_state = adv::kTransitionChangePending;
    adv::DisplayOp op;
    op.code = c.code;
    op.words[0] = 6;
    ASSERT_EQ(adv::DisplayQueueAppend(context(), op), 1);
    adv::RunDisplayQueue(context());
    EXPECT_TRUE(m.Logged(c.report, adv::kLogError));
    EXPECT_TRUE(m.Logged("name=Hanako / voice=VO0012 / Good morning.", adv::kLogError));
    layer(6).transition_state = adv::kTransitionNone;
  }
}

// wait_click_no_anim on a clock the test moves.
uint32_t g_clock = 0;
int WaitClickNoAnimOnTheTestClock(adv::AdvContext& context) {
  return adv::AdvWaitClickNoAnimStep(context, g_clock, 0);
}

// text_set_auto advances the line it came with; the commit of run clears it, so a wait after
// the run lasts its own time.
TEST_F(Layers, RunClearsTheAutoAdvanceOfTheTextWindow) {
  ScriptMachine& m = Load(
      "cmd text_set_auto()\n"
      "cmd run(0, 0, 0)\n"
      "cmd wait_click_no_anim(1000)\n"
      "mov v1, 1\n");
  m.SetCommand(0x070007, WaitClickNoAnimOnTheTestClock);
  g_clock = 10000;
  m.Run();  // up to the run, which yields
  ASSERT_EQ(m.V(1), 0);
  EXPECT_EQ(context().text_window.auto_word, 0u);
  uint32_t waited = 0;
  for (int frame = 0; frame < 100 && m.V(1) == 0; ++frame, g_clock += 16, waited += 16) m.Run();
  EXPECT_EQ(m.V(1), 1);
  EXPECT_GE(waited, 1000u);
  EXPECT_LE(waited, 1040u);
}

TEST_F(Layers, RunStackCommitsOnceAtTheClose) {
  ScriptMachine& m = Load(
      "cmd run_stack(1)\n"
      "cmd sp_set(f\"#FFFF0000\", 0, 10, 2)\n"
      "cmd run(5, 500, 0)\n"
      "cmd sp_create(1, f\"#FF0000FF\", 0, 0, 8, 8)\n"
      "cmd wait_frame()\n"
      "cmd run_stack(0)\n"
      "mov v2, 1\n");
  m.Run();
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(0)), 0);
  EXPECT_EQ(QueuedOps(), 2);
  m.Run();
  EXPECT_EQ(QueuedOps(), 0);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(0)), 1);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(1)), 1);
  EXPECT_EQ(m.CountLogged("run_stack[1][5][500][0]"), 1);
  EXPECT_EQ(m.V(2), 0);  // the close of a pending run yields
}

TEST_F(Layers, ForcedSkipMakesInformationOnlySprites) {
  ScriptMachine& m = Load("cmd sp_set(f\"#FFFF0000\", 3, 10, 2)\n");
  context().skip.scene_skip = 1;
  m.Run();
  ASSERT_NE(sprite(3), nullptr);
  EXPECT_EQ(Info(sprite(3)).image_width, kWidth);
  EXPECT_EQ(yel::YelGetPixel(sprite(3), 0, 0), 0u);          // no pixels
  EXPECT_EQ(yel::YelSpriteGetForeground(5, 5, 0), nullptr);  // in no render list
}

TEST_F(Layers, AMissingImageLeavesTheLayerEmpty) {
  ScriptMachine& m = Load(
      "cmd sp_set(f\"#FFFF0000\", 3, 10, 2)\n"
      "cmd sp_set(f\"NOPE\", 3, 10, 2)\n"
      "mov v1, 1\n"
      "cmd sp_set(NONE, 4, 10, 2)\n"
      "cmd sp_show(3)\n");
  m.Run();
  EXPECT_TRUE(m.Logged("sprite load error [NOPE]", adv::kLogError));
  EXPECT_EQ(layer(3).slot, nullptr);
  EXPECT_EQ(layer(4).slot, nullptr);
  EXPECT_EQ(m.V(1), 1);
  EXPECT_EQ(adv::AdvGraphicSlotFromIndex(19)->sprite, nullptr);
  // The old image's release and the first show are queued; sp_show found no slot.
  EXPECT_EQ(QueuedOps(), 2);
}

TEST_F(Layers, IndexesOutsideTheirRangeAreRefused) {
  const char* calls[] = {
      "cmd sp_set(f\"#FFFF0000\", 128, 0, 0)",
      "cmd sp_set_ex(f\"#FFFF0000\", -1, 0, 0, 0)",
      "cmd sp_cls(-2)",
      "cmd sp_cls_ex(128, 1)",
      "cmd sp_show(-1)",
      "cmd sp_get_value(500)",
      "cmd sp_load(f\"#FFFF0000\", 128, 1)",
      "cmd 0x12002D(-1, \"a.png\")",
      "cmd 0x120087(128, \"a.png\")",
      "cmd 0x12002B(7, \"a.jpg\")",
      "cmd 0x120030(7, \"a.png\") -> v1",
  };
  for (const char* call : calls) {
    ScriptMachine& m = Load(std::string(call) + "\n");
    m.Run();
    EXPECT_TRUE(m.Logged(kRangeText, adv::kLogError)) << call;
    EXPECT_TRUE(m.Logged("内部エラー", adv::kLogError)) << call;  // the command failed
    EXPECT_EQ(QueuedOps(), 0) << call;
  }
}

TEST_F(Layers, SavedPng32ReadsBackWithThePixelsShown) {
  TempFolder folder;
  const std::string path = folder.path() + "/shot.png";
  ScriptMachine& m = Load(
      "cmd sp_create(5, f\"#80FF2010\", 0, 0, 4, 3)\n"
      "cmd 0x12002D(5, \"" +
      path +
      "\")\n"
      "cmd 0x120087(5, \"" +
      path + "24\")\n");
  m.Run();
  EXPECT_TRUE(m.Logged("Save Png 5, " + path, adv::kLogTrace));
  std::string data;
  ASSERT_EQ(os::ReadWholeFile(path, data, 1 << 20), os::FileReadStatus::kOk);
  const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
  int32_t w = 0, h = 0;
  ASSERT_TRUE(os::PngReadSize(bytes, data.size(), w, h));
  ASSERT_EQ(w, 4);
  ASSERT_EQ(h, 3);
  std::vector<uint32_t> pixels(12);
  ASSERT_TRUE(os::PngDecode(bytes, data.size(), pixels.data(), 4));
  for (uint32_t pixel : pixels) EXPECT_EQ(pixel, yel::YelGetPixel(sprite(5), 0, 0));
  EXPECT_EQ(pixels[11], 0x80FF2010u);
  // The 24-bit file is opaque, its colour darkened by the alpha.
  ASSERT_EQ(os::ReadWholeFile(path + "24", data, 1 << 20), os::FileReadStatus::kOk);
  bytes = reinterpret_cast<const uint8_t*>(data.data());
  ASSERT_TRUE(os::PngDecode(bytes, data.size(), pixels.data(), 4));
  const uint32_t shown = yel::YelGetPixel(sprite(5), 0, 0);
  uint32_t darkened = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    darkened |= ((shown >> shift & 0xFF) * (shown >> 24) / 255) << shift;
  }
  EXPECT_EQ(pixels[0], darkened);
}

TEST_F(Layers, SavingIntoAMissingFolderIsLoggedAndTheScriptGoesOn) {
  ScriptMachine& m = Load(
      "cmd sp_create(3, f\"#FFFF0000\", 0, 0, 4, 4)\n"
      "cmd 0x12002D(3, \"/nonexistent/folder/a.png\")\n"
      "cmd 0x120030(3, \"/nonexistent/b.png\") -> v1\n"
      "mov v2, 1\n");
  m.context().values.variables[1] = 7;
  m.Run();
  EXPECT_TRUE(m.Logged("Can't Save Png 3, /nonexistent/folder/a.png", adv::kLogError));
  EXPECT_EQ(m.V(1), 0);
  EXPECT_EQ(m.V(2), 1);
}

// A relative path names a file in the game folder, for saves and loads alike; a save that would
// leave the folders a script may write in is refused.
TEST_F(Layers, RelativeImagePathsLieInTheGameFolder) {
  TempFolder folder;
  const adv::StartupNames saved_names = adv::Startup();
  adv::Startup().program_folder = folder / "game";
  adv::Startup().save_folder = folder / "save";
  std::filesystem::create_directories(folder / "game/shots");
  std::filesystem::create_directories(folder / "save");
  ScriptMachine& m = Load(
      "cmd sp_create(5, f\"#FFFF2010\", 0, 0, 4, 3)\n"
      "cmd 0x12002D(5, \"shots/a.png\")\n"
      "cmd 0x12002B(5, \"b.jpg\")\n"
      "cmd sp_create(6, f\"#FF000000\", 0, 0, 8, 8)\n"
      "cmd 0x120030(6, \"shots/a.png\") -> v1\n"
      "cmd 0x120087(5, \"../c.png\")\n");
  m.Run();
  adv::Startup() = saved_names;
  EXPECT_TRUE(folder.Exists("game/shots/a.png"));
  EXPECT_TRUE(folder.Exists("game/b.jpg"));
  EXPECT_FALSE(folder.Exists("save/shots"));
  EXPECT_EQ(m.V(1), 1);
  EXPECT_TRUE(m.Logged("path refused [../c.png]", adv::kLogError));
  EXPECT_TRUE(m.Logged("Can't Save Png24 5, ../c.png", adv::kLogError));
  EXPECT_FALSE(folder.Exists("c.png"));
}

// An image that is missing or cannot be read leaves a line that names the file: the name with
// its extension when a file was there, the name the script gave when none was.
TEST_F(Layers, ImageLoadFailuresNameTheFile) {
  std::vector<uint8_t> png;
  const uint32_t pixels[16] = {};
  ASSERT_TRUE(os::PngEncode(pixels, 4, 4, 4, png));
  TempFolder folder;
  folder.Write("GIFPIC.png", std::string("GIF89a\x04\x00\x04\x00\x80\x00\x00", 13));
  folder.Write("WEBPPIC.png", std::string("RIFF\x1a\x00\x00\x00WEBPVP8 \x0e\x00\x00\x00", 20));
  folder.Write("CUT.png",
               std::string(png.begin(), png.begin() + static_cast<long>(png.size() / 2)));
  folder.Write("WHOLE.png", std::string(png.begin(), png.end()));
  const std::pair<const char*, const char*> rows[] = {
      {"NOPE", "sprite load error [NOPE] : no file NOPE.mkt"},
      {"GIFPIC", "sprite load error [GIFPIC.png] : not an image"},
      {"WEBPPIC", "sprite load error [WEBPPIC.png] : not an image"},
      {"CUT", "sprite load error [CUT.png] : not an image"},
  };
  yel::YelSystemPathInit();
  yel::YelSystemPathSet(folder.path().c_str());
  for (const auto& [name, line] : rows) {
    ScriptMachine& m = Load(std::string("cmd sp_set(f\"") + name + "\", 3, 10, 2)\n");
    m.Run();
    EXPECT_TRUE(m.Logged(line, adv::kLogError)) << name;
    EXPECT_EQ(layer(3).slot, nullptr) << name;
  }
  ScriptMachine& m = Load("cmd sp_set(f\"WHOLE\", 3, 10, 2)\n");
  m.Run();
  yel::YelSystemPathUninit();
  EXPECT_FALSE(m.Logged("sprite load error", adv::kLogError));
  EXPECT_NE(sprite(3), nullptr);
}

TEST_F(Layers, SetPriorityMovesTheBaseUntilTheFront) {
  ScriptMachine& m = Load(
      "cmd set_priority(1)\n"
      "cmd set_priority(1)\n"
      "cmd get_priority() -> v1\n"
      "cmd sp_create(0, f\"#FFFF0000\", 0, 0, 4, 4)\n"
      "cmd set_priority(-100)\n"
      "cmd get_priority() -> v2\n");
  m.Run();
  EXPECT_EQ(m.V(1), 268);
  EXPECT_EQ(Info(sprite(0)).priority, 268 + 4999);
  EXPECT_TRUE(m.Logged("set_priorityで一番手前に設定されています", adv::kLogError));
  EXPECT_EQ(m.V(2), 268);
}

// A background load and a release of the same layer racing each other: the release waits for
// the load or forgets it, and the loader never writes into a slot the layer no longer owns.
TEST_F(Layers, BackgroundLoadRacingAReleaseLeavesNoSlotBehind) {
  const uint32_t kGreen = 0;  // the one name of "File.dat"
  for (int round = 0; round < 20; ++round) {
    const bool clears = round % 2 != 0;
    ScriptMachine& m = Load(clears ? ".file \"#FF00FF00\"\ncmd sp_cls(6)\n"
                                   : "cmd sp_set(f\"#FF00FF00\", 6, 10, 2)\n");
    adv::LayerLoadJob* job = adv::AdvLayerLoadPrepare(context(), kGreen, 6, 0);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(layer(6).flags, adv::kLayerLoadPending);
    // This thread plays the work thread, the test body the main thread.
    std::thread loader([job] { adv::AdvLayerLoadRun(reinterpret_cast<uintptr_t>(job)); });
    m.Run();
    loader.join();
    if (clears) {
      EXPECT_EQ(layer(6).slot, nullptr);
    } else {
      ASSERT_NE(sprite(6), nullptr);
      EXPECT_EQ(yel::YelGetPixel(sprite(6), 0, 0), 0xFF00FF00u);
    }
    EXPECT_EQ(layer(6).flags & adv::kLayerLoadPending, 0u);
    adv::AdvLayerTableReset(context());
    adv::RunDisplayQueue(context());
  }
}

TEST_F(Layers, SpLoadAtOnceShowsOnlyAfterADrawAndACommit) {
  ScriptMachine& m = Load(
      "cmd sp_load(f\"#FF00FF00\", 6, 1)\n"
      "cmd sp_load_wait(6)\n"
      "cmd wait_frame()\n"
      "cmd sp_draw(6)\n"
      "cmd run_no_wait()\n");
  m.Run();
  ASSERT_NE(sprite(6), nullptr);
  EXPECT_EQ(QueuedOps(), 0);
  EXPECT_EQ(layer(6).slot->image_word, 0u);  // the file argument: the one name, number 0
  EXPECT_TRUE(m.Logged("sp_load  #FF00FF00, 6, 1", adv::kLogTrace));
  EXPECT_TRUE(m.Logged("sp_load_wait  6 : time 0", adv::kLogTrace));
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(6)), 0);
  m.Run();
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(6)), 1);
}

TEST(LayerGrid, PlacesByTheGridRule) {
  struct Case {
    int32_t p, width;
    bool grid;
    int32_t x;
  } cases[] = {
      {10, 100, true, 640 - 50}, {21, 100, true, 1280},         {-1, 100, true, -100},
      {0, 101, true, -50},       {5, 100, false, 160 * 4 - 50}, {0, 100, false, -100},
      {10, 100, false, 1280},
  };
  for (const Case& c : cases) EXPECT_EQ(adv::AdvGridX(c.p, c.width, 1280, c.grid), c.x) << c.p;
  EXPECT_EQ(adv::AdvGridY(0, 100, 720), 0);
  EXPECT_EQ(adv::AdvGridY(1, 101, 720), 720 - 50);
  EXPECT_EQ(adv::AdvGridY(2, 100, 720), 620);
}

}  // namespace

namespace {

// The sample game's archive: its image index maps GUIDE to the picture CHARA01, placed on the
// grid; the background, wider than the screen by its sway both ways, covers the screen.
TEST_F(Layers, SampleImagesLoadThroughTheImageIndex) {
  yel::YelSystemPathInit();
  yel::YelSystemPathSet((std::string(SAMPLE_GAME_DIR) + "/sample").c_str());
  adv::AdvWindowWidth = 1280;
  adv::AdvWindowHeight = 720;
  ScriptMachine& m = Load(
      "cmd sp_set(f\"BG01\", 0, 10, 0)\n"
      "cmd sp_set(f\"GUIDE\", 10, 14, 2)\n"
      "cmd run(0, 0, 0)\n");
  adv::AdvGraphicDatLoad(context());
  m.Run();
  adv::AdvGraphicDatRelease(context());
  yel::YelSystemPathUninit();
  ASSERT_NE(sprite(0), nullptr);
  ASSERT_NE(sprite(10), nullptr);  // no file is named GUIDE: the index named CHARA01
  EXPECT_EQ(Info(sprite(0)).image_width, 1280 + 2 * 6);
  EXPECT_EQ(layer(0).slot->position[0], -6);
  const YelSpriteInfo guide = Info(sprite(10));
  EXPECT_EQ(layer(10).slot->position[0], 1280 / 20 * 14 - guide.image_width / 2);
  EXPECT_EQ(layer(10).slot->position[1], 720 - guide.image_height);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(10)), 1);
  // The guide's middle is drawn (opaque), in front of the background.
  const int32_t cx = layer(10).slot->position[0] + guide.image_width / 2;
  const int32_t cy = layer(10).slot->position[1] + guide.image_height / 2;
  adv::AdvGraphicSlotApplyAll(context());
  EXPECT_EQ(yel::YelSpriteGetForeground(cx, cy, 1), sprite(10));
}

}  // namespace

namespace {

// The forced black screen empties layer 65 at once, dropping the operations queued for its old
// sprite, and shows a black plane of the window's size.
TEST_F(Layers, ForcedCommitShowsBlackOverALayerWithQueuedOperations) {
  ScriptMachine& m = Load(
      "cmd sp_create(65, f\"#FF0000FF\", 0, 0, 8, 8)\n"
      "cmd sp_hide(65)\n");
  m.Run();
  EXPECT_EQ(QueuedOps(), 2);
  adv::ForceRunNoWait(context());
  EXPECT_EQ(QueuedOps(), 0);
  ASSERT_NE(sprite(65), nullptr);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(65)), 1);
  EXPECT_EQ(yel::YelGetPixel(sprite(65), kWidth - 1, kHeight - 1), 0xFF000000u);
  EXPECT_TRUE(m.Logged("force run_no_wait", adv::kLogTrace));
}

}  // namespace

namespace {

// A queue dropped without a commit (a reset) still releases the sprites it was to release.
TEST_F(Layers, ADroppedQueueStillReleasesItsSprites) {
  ScriptMachine& m = Load(
      "cmd sp_create(4, f\"#FF0000FF\", 0, 0, 8, 8)\n"
      "cmd run_no_wait()\n"
      "cmd sp_cls(4)\n");
  m.Run();
  const int32_t blocks = yel::YelGetAllocCount();
  EXPECT_NE(yel::YelSpriteGetForeground(2, 2, 0), nullptr);
  adv::DisplayQueueClear(context());
  EXPECT_EQ(yel::YelSpriteGetForeground(2, 2, 0), nullptr);
  EXPECT_LT(yel::YelGetAllocCount(), blocks);
}

}  // namespace

namespace {

// A damaged index is refused whole, with the reason, and images load under their own names.
TEST_F(Layers, ADamagedGraphicDatIsRefusedWithItsReason) {
  TempFolder folder;
  folder.Write("graphic.dat", std::string(100, '\0'));
  yel::YelSystemPathInit();
  yel::YelSystemPathSet(folder.path().c_str());
  ScriptMachine& m = Load("cmd sp_set(f\"#FFFF0000\", 3, 10, 2)\n");
  adv::AdvGraphicDatLoad(context());
  m.Run();
  yel::YelSystemPathUninit();
  EXPECT_TRUE(
      m.Logged("graphic.dat is damaged and is not used: shorter than its header", adv::kLogError));
  EXPECT_NE(sprite(3), nullptr);
  EXPECT_FALSE(adv::AdvGraphicDatFind("#FFFF0000", nullptr));
}

}  // namespace

namespace {

// sp_set_ex at x = y = 0xFFFF places the image where its file says (CHARA01 of the sample game:
// 512, 336), plus the index's offset; without the grid, " -GRPOS" columns are 1/8 apart.
TEST_F(Layers, OwnPositionsAddTheIndexOffset) {
  TempFolder folder;
  adv::GraphicDatRecord record;
  std::strcpy(record.name.data(), "GUIDE2");
  std::strcpy(record.file_name.data(), "CHARA01");
  record.flags = 0x20000;
  record.x = 10;
  record.y = 20;
  std::vector<uint8_t> file;
  ASSERT_TRUE(adv::BuildGraphicDat({record}, false, &file, nullptr));
  folder.Write("graphic.dat", std::string(file.begin(), file.end()));
  yel::YelSystemPathInit();
  yel::YelSystemPathSet((std::string(SAMPLE_GAME_DIR) + "/sample").c_str());
  yel::YelSystemPathSet(folder.path().c_str());
  ScriptMachine& m = Load(
      "cmd sp_set_ex(f\"GUIDE2\", 4, 0xFFFF, 0xFFFF, 0)\n"
      "cmd sp_set(f\"#FFFF0000\", 5, 5, 0)\n");
  adv::AdvGraphicDatLoad(context());
  adv::GrposEnabled = 0;
  m.Run();
  adv::GrposEnabled = 1;
  adv::AdvGraphicDatRelease(context());
  yel::YelSystemPathUninit();
  ASSERT_NE(sprite(4), nullptr);
  EXPECT_EQ(layer(4).slot->position[0], 512 + 10);
  EXPECT_EQ(layer(4).slot->position[1], 336 + 20);
  EXPECT_EQ(layer(4).slot->float_position[1], 356.0f);
  EXPECT_EQ(layer(4).slot->record.x, 10);  // the applied record is kept with the slot
  ASSERT_NE(sprite(5), nullptr);
  EXPECT_EQ(layer(5).slot->position[0], kWidth / 8 * 4 - kWidth / 2);
}

}  // namespace

namespace {

// A delta image found without its base names the base in the load error; a name with no file
// names itself.
TEST_F(Layers, LoadErrorsNameTheMissingFile) {
  TempFolder folder;
  std::string delta;
  ASSERT_EQ(
      os::ReadWholeFile(std::string(SAMPLE_GAME_DIR) + "/../sample/CHARA01B.mkt", delta, 1 << 24),
      os::FileReadStatus::kOk);
  folder.Write("WINK.mkt", delta);
  yel::YelSystemPathInit();
  yel::YelSystemPathSet(folder.path().c_str());
  ScriptMachine& m = Load(
      "cmd sp_set(f\"WINK\", 3, 10, 2)\n"
      "cmd sp_set(f\"NOTHING\", 4, 10, 2)\n");
  m.Run();
  yel::YelSystemPathUninit();
  EXPECT_TRUE(m.Logged("sprite base load error [CHARA01.mkt]", adv::kLogError));
  EXPECT_TRUE(m.Logged("sprite load error [NOTHING]", adv::kLogError));
  EXPECT_EQ(m.CountLogged("load error"), 2);
}

}  // namespace

namespace {

// While skipping, run commits without a transition or an input block; a second run_stack(1)
// drops the run it had stored.
TEST_F(Layers, SkippingRunsAndReopenedBatches) {
  ScriptMachine& m = Load(
      "cmd sp_set(f\"#FFFF0000\", 0, 10, 2)\n"
      "cmd run(5, 500, 0)\n"
      "cmd run_stack(1)\n"
      "cmd run(5, 500, 0)\n"
      "cmd run_stack(1)\n"
      "cmd run_stack(0)\n"
      "mov v1, 1\n");
  context().skip.skip_mode = 1;
  m.Run();
  EXPECT_EQ(context().script.stop, 1);
  EXPECT_EQ(m.V(1), 0);
  EXPECT_TRUE(m.Logged("run  skip", adv::kLogTrace));
  EXPECT_EQ(context().buttons.input_block.duration, 0u);
  EXPECT_EQ(QueuedOps(), 0);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(0)), 1);
  context().skip.skip_mode = 0;
  context().script.stop = 0;
  m.Run();
  EXPECT_EQ(m.V(1), 1);  // the close had no run left to commit: no yield
  EXPECT_EQ(m.CountLogged("run_stack[1]"), 0);
}

}  // namespace
