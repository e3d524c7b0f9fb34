// The INI profile commands through the command call: writes land in the save folder and read
// back under the same section and key.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "program/startup/startup_names.h"
#include "tests/program/script_machine.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

// The save folder of the running game, pointed at a temporary folder for one test.
class ProfileCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = adv::Startup().save_folder;
    adv::Startup().save_folder = save_.path();
  }
  void TearDown() override { adv::Startup().save_folder = old_; }

  // Runs the script with s0 holding the profile's name.
  std::unique_ptr<ScriptMachine> Run(const std::string& script, const char* name = "opt.ini") {
    auto machine = std::make_unique<ScriptMachine>(script);
    EXPECT_TRUE(machine->loaded());
    std::snprintf(machine->context().values.string_variables[0].data(), 64, "%s", name);
    machine->Run();
    return machine;
  }

  test::TempFolder save_;
  std::string old_;
};

TEST_F(ProfileCommands, WrittenValuesReadBack) {
  auto m = Run(
      "cmd write_private_profile_string(\"Sound\", \"BGMVolume\", \" 3 \", s0) -> v1\n"
      "cmd write_private_profile_int(\"Sound\", \"Volume\", -5, s0) -> v2\n"
      "cmd get_private_profile_string(\"sound\", \"BGMVolume\", \"d\", s1, s0) -> v3\n"
      "cmd get_private_profile_int(\"Sound\", \"Volume\", 9, s0) -> v4\n"
      "cmd get_private_profile_int(\"Sound\", \"BGMVolume\", 9, s0) -> v5\n"
      "cmd get_private_profile_int(\"Sound\", \"Missing\", 9, s0) -> v6\n"
      "cmd get_private_profile_string(\"Other\", \"Volume\", \"dflt\", s2, s0) -> v7\n");
  EXPECT_EQ(m->V(1), 1);
  EXPECT_EQ(m->V(2), 1);
  EXPECT_STREQ(m->context().values.string_variables[1].data(), " 3 ");  // quotes gone
  EXPECT_EQ(m->V(3), 3);
  EXPECT_EQ(m->V(4), -5);  // not BGMVolume's value
  EXPECT_EQ(m->V(5), 0);   // quoted: no number for the int reader
  EXPECT_EQ(m->V(6), 9);
  EXPECT_STREQ(m->context().values.string_variables[2].data(), "dflt");
  EXPECT_EQ(m->V(7), 4);
  EXPECT_TRUE(save_.Exists("OPT.INI"));  // file names from string variables are upper-cased
}

TEST_F(ProfileCommands, ASaveFolderProfileHidesNothingElseAndEmptyValuesGiveTheDefault) {
  save_.Write("OPT.INI", "[A]\r\nk=\r\nblank=   \r\nn=  12  \r\n");
  auto m = Run(
      "cmd get_private_profile_int(\"A\", \"k\", 4, s0) -> v1\n"
      "cmd get_private_profile_int(\"A\", \"blank\", 5, s0) -> v2\n"
      "cmd get_private_profile_int(\"A\", \"n\", 5, s0) -> v3\n"
      "cmd get_private_profile_string(\"A\", \"k\", \"d\", 7, s0) -> v4\n"
      "cmd get_private_profile_string(\"A\", \"k\", \"d\", 0x10000010, s0) -> v5\n");
  EXPECT_EQ(m->V(1), 4);
  EXPECT_EQ(m->V(2), 5);
  EXPECT_EQ(m->V(3), 12);
  EXPECT_EQ(m->V(4), -1);
  EXPECT_TRUE(m->Logged("get_private_profile_string はstring型を指定していません。", 0));
  EXPECT_EQ(m->V(5), -1);
}

TEST_F(ProfileCommands, WritesNeverLeaveTheSaveFolder) {
  for (const char* name : {"..\\escape.ini", "sub/../../escape.ini", "C:\\escape.ini"}) {
    auto m = Run("mov v1, 7\ncmd write_private_profile_int(\"A\", \"k\", 1, s0) -> v1\n", name);
    EXPECT_EQ(m->V(1), 0) << name;
    EXPECT_FALSE(save_.Exists("../ESCAPE.INI")) << name;
  }
  EXPECT_FALSE(save_.Exists("../ESCAPE.INI"));
}

}  // namespace
