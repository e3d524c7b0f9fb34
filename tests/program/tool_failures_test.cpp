// The data tools end every failure with a message that names the file and says why, and exit
// status 1; nothing they are pointed at makes them crash or wait.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/program/process_runner.h"
#include "tests/program/temp_folder.h"

namespace {

struct Failure {
  std::vector<std::string> argv;
  std::string message;  // what stderr must hold
};

TEST(ToolFailures, AreReportedWithTheFileAndTheReasonAndExitOne) {
  test::TempFolder folder;
  folder.Write("includes_zero.asm", ".include \"/dev/zero\"\n");
  folder.Write("includes_fifo.asm", "nop\n.include \"fifo\"\n");
  folder.Write("main.asm", "nop\n");
  folder.Write("fly.txt", "fly 1\n");
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  const std::string missing = folder / "nothere.asm";
  const Failure failures[] = {
      {{ADVASM_TOOL, missing}, "cannot read '" + missing + "': No such file or directory"},
      {{ADVASM_TOOL, folder.path()}, "cannot read '" + folder.path() + "': not a regular file"},
      {{ADVASM_TOOL, folder / "fifo"},
       "cannot read '" + (folder / "fifo") + "': not a regular file"},
      {{ADVASM_TOOL, folder / "includes_zero.asm"},
       ":1: cannot read '/dev/zero': not a regular file"},
      {{ADVASM_TOOL, folder / "includes_fifo.asm"},
       ":2: cannot read '" + (folder / "fifo") + "': not a regular file"},
      {{ADVASM_TOOL, "--out", folder / "main.asm", folder / "main.asm"},
       "advasm: cannot create the folder '" + (folder / "main.asm") + "'"},
      {{PACBUILD_TOOL, "-l", folder.path()},
       "pacbuild: cannot read '" + folder.path() + "': not a regular file"},
      {{PACBUILD_TOOL, "-l", missing},
       "pacbuild: cannot read '" + missing + "': No such file or directory"},
      {{PACBUILD_TOOL, "-l", folder / "main.asm"}, "is shorter than an archive index"},
      {{PACBUILD_TOOL, missing}, "pacbuild: cannot read the folder " + missing},
      {{CMDREF_TOOL, "--check", missing},
       "cmdref: cannot read '" + missing + "': No such file or directory"},
      {{CMDREF_TOOL, "--check", folder / "main.asm"}, "does not match the command catalog"},
      {{ANIASM_TOOL, missing, folder / "out.ani"},
       "aniasm: cannot read '" + missing + "': No such file or directory"},
      {{ANIASM_TOOL, folder / "fly.txt", folder / "out.ani"}, "fly.txt:1: unknown instruction"},
      {{ANIASM_TOOL, "-d", folder / "fifo"},
       "aniasm: cannot read '" + (folder / "fifo") + "': not a regular file"},
      {{ANIASM_TOOL, "-d", folder / "main.asm"}, "shorter than the 12-byte trailer"},
  };
  for (const Failure& failure : failures) {
    test::Process tool = test::Process::Start(failure.argv);
    const std::string command = failure.argv[0] + " " + failure.argv[1];
    EXPECT_EQ(tool.Wait(test::kHungMs), 1) << command << "\n" << tool.Stderr();
    EXPECT_NE(tool.Stderr().find(failure.message), std::string::npos) << command << " said:\n"
                                                                      << tool.Stderr();
  }
}

// An empty folder still gives an archive, without entries, and a warning that says so.
TEST(ToolFailures, AnEmptyFolderGivesAnEmptyArchiveWithAWarning) {
  test::TempFolder folder;
  const std::string empty = folder / "empty";
  ASSERT_EQ(mkdir(empty.c_str(), 0700), 0);
  for (const char* quiet : {"", "-q"}) {
    std::vector<std::string> argv = {PACBUILD_TOOL};
    if (*quiet) argv.emplace_back(quiet);
    argv.push_back(empty);
    argv.push_back(folder / "empty.pac");
    test::Process tool = test::Process::Start(argv);
    EXPECT_EQ(tool.Wait(10000), 0) << tool.Stderr();
    EXPECT_NE(tool.Stderr().find("pacbuild: warning: the folder " + empty + " holds no files"),
              std::string::npos)
        << quiet << " said:\n"
        << tool.Stderr();
    struct stat info {};
    EXPECT_EQ(stat((folder / "empty.pac").c_str(), &info), 0);
  }
}

}  // namespace
