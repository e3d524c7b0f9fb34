// The line commands on the platform library started headless, with the sample voices beside the
// script: `text` holds the script until a decide key, the history records name, text and voice,
// the line's voice plays within the command or, on the voiced road, once the work thread has
// loaded it (heard in the mixer's output, which SDL's disk driver writes to a file), a failed or
// never-run load shows the line without voice, the variants hold, record and reveal as their
// kinds say, and a scene skip gives every line its own arguments back.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/layers/layer_services.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/voice_channels.h"
#include "program/sound/voice_load_worker.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_line.h"
#include "program/text/text_reveal.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/program/temp_folder.h"
#include "tests/wait_until.h"

namespace {

using test::ScriptMachine;

constexpr uint32_t kEnterKey = 1u << 2;
constexpr const char* kInit = "  cmd text_init(24, 0, 0, 480, 96, 0, 0, 0)\n";

using test::Eventually;

std::string Field(const char* bytes, size_t size) {
  return std::string(bytes, strnlen(bytes, size));
}

class TextLines : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(folder_.path().c_str());
    const std::filesystem::path clips = SAMPLE_PACK_DIR;
    for (const char* clip : {"VOICE01.ogg", "VOICE03.wav"}) {
      std::filesystem::copy_file(clips / clip, folder_ / clip);
    }
    yel::YelRenderLockEnter();
    adv::TextLayout() = adv::TextSettings{};
  }
  void TearDown() override {
    if (machine_) {
      adv::AdvVoiceReleaseAll(c());
      adv::AdvSetAsyncFunction(nullptr);
      adv::AdvTextWindowRelease(c());
      adv::AdvLayerTableReset(c());
      machine_.reset();
    }
    adv::TextLayout() = adv::TextSettings{};
    yel::YelInputSetKeyPush(0);
    yel::YelRenderLockLeave();
    yel::YelSystemPathUninit();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }

  ScriptMachine& Load(const std::string& source) {
    if (machine_) {
      adv::AdvVoiceReleaseAll(c());
      adv::AdvTextWindowRelease(c());
      adv::AdvLayerTableReset(c());
      machine_.reset();  // before the next machine takes the log over
    }
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    return *machine_;
  }
  adv::AdvContext& c() { return machine_->context(); }
  const adv::HistoryEntry& Newest() { return c().history.entries[0]; }

  // The loudest sample the mixer has written so far.
  int MixPeak() {
    std::ifstream in(folder_ / "mix.raw", std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    int peak = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const auto sample = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                               (static_cast<uint8_t>(bytes[i + 1]) << 8));
      peak = std::max(peak, std::abs(int{sample}));
    }
    return peak;
  }

  // The library runs no work thread here: a posted load runs when the test runs it.
  static void RunLoadJob() {
    std::thread(adv::ThreadBaseWorkerProc, reinterpret_cast<uintptr_t>(&adv::VoiceLoadJob()))
        .join();
  }

  test::TempFolder folder_;
  // The mixer's output goes to a file that the tests read; both are restored for the next suite.
  test::ScopedEnv audio_driver_{"SDL_AUDIODRIVER", "disk"};
  test::ScopedEnv audio_file_{"SDL_DISKAUDIOFILE", folder_ / "mix.raw"};
  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

TEST_F(TextLines, TextHoldsTheScriptUntilADecideKey) {
  ScriptMachine& m = Load(std::string(kInit) +
                          "  cmd text(NONE, \"名前\", \"あいう\", 0)\n"
                          "  mov v1, 1\n");
  m.Run();
  ASSERT_EQ(c().script.point_count, 1);
  // The reveal runs its time out on the wait's clock; then the line waits for the reader.
  uint32_t now = yel::YeltimeGetTime();
  for (int frame = 0; frame < 3; ++frame) {
    now += 60000;
    adv::AdvTextWaitStep(c(), adv::AdvSkipState(c()), now);
    m.Run();
  }
  EXPECT_EQ(m.V(1), 0);
  EXPECT_EQ(c().text_window.line_kind, adv::kLineHolds | adv::kLineClickWait);
  yel::YelInputSetKeyPush(kEnterKey);
  adv::AdvTextWaitStep(c(), adv::AdvSkipState(c()), now);
  yel::YelInputSetKeyPush(0);
  EXPECT_EQ(c().script.point_count, 0);
  m.Run();
  EXPECT_EQ(m.V(1), 1);
}

// Name, text and voice reach the history through the command, cut to whole characters; a line
// without a name carries the no-name marker; the store keeps the newest 128.
TEST_F(TextLines, TheHistoryRecordsEachLine) {
  // The script is UTF-8; the lines are kept in CP932, two bytes a character.
  std::string name, name_cp932;
  for (int i = 0; i < 40; ++i) name += "名", name_cp932 += "\x96\xBC";
  std::string text = "a", text_cp932 = "a";
  for (int i = 0; i < 250; ++i) text += "あ", text_cp932 += "\x82\xA0";
  ScriptMachine& m =
      Load(std::string(kInit) + "  cmd text_w(f\"VOICE01\", \"" + name + "\", \"" + text +
           "\", 0)\n"
           "  mov v2, 129\n"
           "more:\n"
           "  cmd text_w(NONE, NONE, \"行\", 0)\n"
           "  sub v2, 1\n"
           "  jz done, v2\n"
           "  jmp more\n"
           "done:\n");
  c().script_position = 0;
  m.Run();
  EXPECT_EQ(Field(Newest().name.data(), 64), name_cp932.substr(0, 62));
  EXPECT_EQ(Field(Newest().text.data(), 384), text_cp932.substr(0, 383));
  EXPECT_STREQ(Newest().voice.data(), "VOICE01");
  EXPECT_EQ(c().history.count, 1);
  EXPECT_EQ(Newest().file_number, -1);
  EXPECT_STREQ(c().save.save_text.data(), c().text_window.line.text.data());
  for (int line = 0; line < 129; ++line) m.Run();
  EXPECT_EQ(c().history.count, 128);
  EXPECT_EQ(Newest().name[0], 0);
  EXPECT_EQ(static_cast<uint8_t>(Newest().name[1]), 0x81);
  EXPECT_EQ(Field(Newest().text.data(), 384), "\x8Ds");
  EXPECT_EQ(Newest().voice[0], 0);
}

// A line's voice starts within the command when the voiced-text switch is off.
TEST_F(TextLines, TheLineVoiceStartsWithinTheCommand) {
  struct Case {
    const char* voice;
    int32_t speaker_switch;  // on: speaker volumes apply, and no entry is enabled
    bool plays;
    const char* recorded;
  };
  const Case kCases[] = {
      {"f\"VOICE01\"", 0, true, "VOICE01"},
      {"f\"VOICE01\"", 1, false, "VOICE01"},  // a muted speaker: named, not played
      {"f\"MISSING\"", 0, false, ""},
      {"NONE", 0, false, ""},
  };
  for (const Case& k : kCases) {
    Load(std::string(kInit) + "  cmd text(" + k.voice + ", NONE, \"あ\", 0)\n");
    c().sound.speaker_volume_switch = k.speaker_switch;
    machine_->Run();
    const uint32_t handle = c().sound.voice[0].handle;
    EXPECT_EQ(handle != 0 && yel::YelSoundPlayIs(handle), k.plays) << k.voice;
    EXPECT_STREQ(Newest().voice.data(), k.recorded) << k.voice;
    EXPECT_STREQ(c().text_window.line.voice.data(), k.recorded) << k.voice;
    EXPECT_EQ((c().text_window.line_state & 2) != 0, k.recorded[0] != 0) << k.voice;
  }
}

// On the voiced road the line waits for the work thread's load and appears a frame later with
// its voice playing.
TEST_F(TextLines, AVoicedLineAppearsWhenItsVoiceHasLoaded) {
  ScriptMachine& m = Load(std::string(kInit) +
                          "  cmd text_set_voice_async(1) -> v9\n"
                          "  cmd text(f\"VOICE01\", \"名前\", \"あいう\", 0)\n"
                          "  mov v1, 1\n");
  adv::TextWindow& window = c().text_window;
  m.Run();
  EXPECT_TRUE(adv::AdvHasAsyncFunction());
  EXPECT_TRUE(adv::AdvVoiceLoadPendingGet());
  EXPECT_EQ(window.line.text[0], 0);
  EXPECT_EQ(window.line_kind, 0u);
  adv::AdvScriptFrame(c());  // the load has not run: nothing shows, the script waits
  EXPECT_EQ(window.line.text[0], 0);
  EXPECT_EQ(m.V(1), 0);
  RunLoadJob();
  const uint32_t handle = c().sound.voice[0].handle;
  ASSERT_NE(handle, 0u);
  EXPECT_FALSE(yel::YelSoundPlayIs(handle));  // loaded, not yet started
  EXPECT_LT(MixPeak(), 100);
  adv::AdvScriptFrame(c());
  EXPECT_FALSE(adv::AdvHasAsyncFunction());
  EXPECT_FALSE(adv::AdvVoiceLoadPendingGet());
  EXPECT_STREQ(window.line.text.data(), "\x82\xA0\x82\xA2\x82\xA4");
  EXPECT_EQ(window.line_kind, adv::kLineHolds | adv::kLineRevealing);
  EXPECT_EQ(c().script.point_count, 1);
  EXPECT_STREQ(window.line.voice.data(), "VOICE01");
  EXPECT_STREQ(Newest().voice.data(), "VOICE01");
  EXPECT_EQ(c().history.count, 1);
  EXPECT_TRUE(yel::YelSoundPlayIs(handle));
  EXPECT_TRUE(Eventually([&] { return MixPeak() > 3000; })) << "the voice is heard";
  EXPECT_EQ(m.V(1), 0);  // held by the line
}

// A load that fails shows the line without voice.
TEST_F(TextLines, AVoicedLineWithoutItsVoiceIsShownAnyway) {
  Load(std::string(kInit) +
       "  cmd text_set_voice_async(1) -> v9\n"
       "  cmd text(f\"MISSING\", NONE, \"あ\", 0)\n");
  machine_->Run();
  ASSERT_TRUE(adv::AdvHasAsyncFunction());
  RunLoadJob();
  EXPECT_EQ(adv::AdvTextVoicePollStep(c(), yel::YeltimeGetTime()), 1);
  EXPECT_FALSE(adv::AdvHasAsyncFunction());
  EXPECT_FALSE(adv::AdvVoiceLoadPendingGet());
  const adv::TextWindow& window = c().text_window;
  EXPECT_STREQ(window.line.text.data(), "\x82\xA0");
  EXPECT_EQ(window.line.voice[0], 0);
  EXPECT_EQ(window.line_state & 2, 0u);
  EXPECT_EQ(Newest().voice[0], 0);
  EXPECT_EQ(c().script.point_count, 1);
}

// The work thread may be busy with a long job: the line waits for its voice however long that
// takes on the frame clock, and only the end (or a reset) gives the wait up.
TEST_F(TextLines, AVoicedLineWaitsForItsLoadUntilTheEnd) {
  const std::string script = std::string(kInit) +
                             "  cmd text_set_voice_async(1) -> v9\n"
                             "  cmd text(f\"VOICE01\", NONE, \"あ\", 0)\n";
  Load(script);
  const uint32_t posted = yel::YeltimeGetTime();
  machine_->Run();
  ASSERT_TRUE(adv::AdvHasAsyncFunction());
  for (uint32_t later : {1000u, 5000u, 60000u, 3600000u}) {
    EXPECT_EQ(adv::AdvTextVoicePollStep(c(), posted + later), 0) << later;
  }
  EXPECT_TRUE(adv::AdvHasAsyncFunction());
  EXPECT_EQ(c().text_window.line.text[0], 0);
  RunLoadJob();
  EXPECT_EQ(adv::AdvTextVoicePollStep(c(), posted + 3600016), 1);
  EXPECT_FALSE(adv::AdvHasAsyncFunction());
  EXPECT_STREQ(c().text_window.line.text.data(), "\x82\xA0");
  EXPECT_STREQ(c().text_window.line.voice.data(), "VOICE01");
  EXPECT_NE(c().sound.voice[0].handle, 0u);
  EXPECT_EQ(c().text_window.wait_start, posted + 3600016) << "the line's time starts when it shows";

  // The end settles a load the work thread has not begun: the wait ends without the line, and
  // a late run of the dropped job touches nothing.
  Load(script);
  machine_->Run();
  ASSERT_TRUE(adv::AdvHasAsyncFunction());
  adv::AdvVoiceReleaseAll(c());
  EXPECT_EQ(adv::AdvTextVoicePollStep(c(), posted), 0);
  EXPECT_FALSE(adv::AdvHasAsyncFunction());
  RunLoadJob();
  EXPECT_EQ(c().sound.voice[0].handle, 0u);
}

// While skipping no load is posted: the line shows at once, its voice named but not played.
TEST_F(TextLines, SkippingShowsAVoicedLineAtOnceWithItsVoiceNamed) {
  Load(std::string(kInit) +
       "  cmd text_set_voice_async(1) -> v9\n"
       "  cmd text(f\"VOICE01\", NONE, \"あ\", 0)\n");
  c().skip.skip_mode = 1;
  const adv::ThreadBaseWorker::Phase phase = adv::VoiceLoadJob().GetPhase();
  machine_->Run();
  EXPECT_FALSE(adv::AdvHasAsyncFunction());
  EXPECT_EQ(adv::VoiceLoadJob().GetPhase(), phase);  // no job posted
  EXPECT_STREQ(c().text_window.line.voice.data(), "VOICE01");
  EXPECT_STREQ(Newest().voice.data(), "VOICE01");
  EXPECT_EQ(c().sound.voice[0].handle, 0u);
  EXPECT_EQ(c().text_window.line_state & 2, 2u);
  c().skip.skip_mode = 0;
}

// Each variant's kind, hold and history; lines that are not recorded switch recording on again.
TEST_F(TextLines, VariantsHoldRecordAndRevealAsTheirKindsSay) {
  struct Case {
    const char* line;
    uint32_t kind;
    bool held;
    bool recorded;
    int32_t latch;
  };
  const Case kCases[] = {
      {"text(NONE, NONE, \"あ\", 0)", 0x10001, true, true, 0},
      {"text_w(NONE, NONE, \"あ\", 0)", 0x20001, false, true, 1},
      {"text_a(NONE, NONE, \"あ\")", 0x40001, true, true, 0},
      {"text_wa(NONE, NONE, \"あ\")", 0x60001, false, true, 1},
      {"text_n(NONE, NONE, \"あ\", 0)", 0x80001, true, false, 1},
      {"text_cat(NONE, NONE, \"あ\", 0)", 0x10001, true, false, 0},
      {"text_h(NONE, NONE, \"あ\", 0)", 0x10001, true, false, 0},
      {"text_h(NONE, NONE, \"あ\", -2)", 0x40009, true, false, 0},
      {"text_wh(NONE, NONE, \"あ\", 0)", 0x20001, false, false, 1},
  };
  for (const Case& k : kCases) {
    Load(std::string(kInit) + "  cmd " + k.line + "\n");
    c().history.off = k.recorded ? 0 : 1;
    adv::Advance().on = 1 - k.latch;
    machine_->Run();
    EXPECT_EQ(c().text_window.line_kind, k.kind) << k.line;
    EXPECT_EQ(c().script.point_count, k.held ? 1 : 0) << k.line;
    EXPECT_EQ(c().history.count, k.recorded ? 1 : 0) << k.line;
    EXPECT_EQ(c().history.off, 0) << k.line;
    EXPECT_EQ(adv::Advance().on, k.latch) << k.line;
    EXPECT_EQ(c().script.stop, 1) << k.line;
  }
  // text_h with -2 ends in the next wait step without a click.
  EXPECT_EQ(c().text_window.time_word, 0);
  Load(std::string(kInit) + "  cmd text_h(NONE, NONE, \"あ\", -2)\n");
  machine_->Run();
  EXPECT_EQ(c().text_window.time_word, -1);
  EXPECT_EQ(adv::AdvTextWaitStep(c(), 0, yel::YeltimeGetTime()), 1);
  EXPECT_EQ(c().script.point_count, 0);
  // Before text_init every line command refuses.
  Load("  cmd text_n(NONE, NONE, \"あ\", 0)\n");
  machine_->Run();
  EXPECT_TRUE(machine_->Logged("text initialize error : _text_n", adv::kLogError));
}

// text_cat puts its text after the shown text and keeps the shown glyphs revealed.
TEST_F(TextLines, TextCatAppendsToTheShownLine) {
  Load(std::string(kInit) +
       "  cmd text(NONE, \"名前\", \"あいう\", 0)\n"
       "  cmd text_cat(NONE, \"名前\", \"えお\", 0)\n");
  machine_->Run();
  adv::AdvTextWaitEnd(c());
  machine_->Run();
  EXPECT_STREQ(c().text_window.line.text.data(), "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8");
  EXPECT_EQ(adv::ShownGlyphList().size(), 3u);
  EXPECT_EQ(adv::NewGlyphList().size(), 2u);
  EXPECT_EQ(c().history.count, 1);  // only the first line
}

// A scene skip that reaches an unread line gives the command its own arguments back and
// reloads the save point there: the line then runs again as the script wrote it.
TEST_F(TextLines, ASceneSkipStopsAtAnUnreadLineWithItsOwnArguments) {
  struct Case {
    const char* line;
    bool voiced;
    uint32_t kind;
    int32_t time;
    int32_t stored_time;
  };
  const Case kCases[] = {
      {"text(NONE, NONE, \"あ\", 7)", true, 0x10001, 7, 7},
      {"text_h(NONE, NONE, \"あ\", -2)", false, 0x40009, -2, -1},
      {"text_cat(NONE, NONE, \"あ\", 7)", false, 0x10001, 7, 7},
  };
  for (const Case& k : kCases) {
    ScriptMachine& m =
        Load(std::string(kInit) + "  cmd text_set_voice_async(" + (k.voiced ? "1" : "0") +
             ") -> v9\n  cmd " + k.line + "\nafter:\n  end\nreinit:\n" + kInit);
    c().skip.scene_skip = 1;
    m.Run();
    EXPECT_TRUE(m.Logged("cancel scene skip text\n", adv::kLogTrace)) << k.line;
    EXPECT_EQ(c().skip.scene_skip, 0) << k.line;
    const uint32_t resume = m.LabelPc("after") - 12;  // the command call
    EXPECT_EQ(c().script.pc, resume) << k.line;
    const adv::ValueStores& v = c().values;
    ASSERT_EQ(v.value_count, 4) << k.line;
    EXPECT_EQ(v.value_stack[0], k.time) << k.line;
    EXPECT_EQ(static_cast<uint32_t>(v.value_stack[1]), m.TextOffset(0)) << k.line;
    // The reload reset the scene: the window is set up again (as a load-after label would),
    // and the line runs from the command call with what the stop gave back.
    c().script.pc = m.LabelPc("reinit");
    m.Steps(9);
    c().script.pc = resume;
    m.Run();
    EXPECT_FALSE(m.Logged("not stack", adv::kLogError)) << k.line;
    EXPECT_EQ(v.value_count, 0) << k.line;
    EXPECT_EQ(c().text_window.line_kind, k.kind) << k.line;
    EXPECT_EQ(c().text_window.time_word, k.stored_time) << k.line;
    EXPECT_STREQ(c().text_window.line.text.data(), "\x82\xA0") << k.line;
  }
}

}  // namespace
