// Game as a process: started headless, ended by a signal, and without its library.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "tests/program/process_runner.h"

namespace {

TEST(GameProcess, MissingLibraryShowsTheBoxAndExitsWithOne) {
  const auto dir = std::filesystem::temp_directory_path() / ("nodll_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto copy = dir / "Game";
  std::filesystem::copy_file(GAME_BINARY, copy, std::filesystem::copy_options::overwrite_existing);
  test::Process game = test::Process::Start({copy.string()});
  EXPECT_EQ(game.Wait(10000), 1);
  EXPECT_NE(game.Stderr().find("DLL NOT FOUND"), std::string::npos) << game.Stderr();
  std::filesystem::remove_all(dir);
}

// The library exports exactly the functions its header declares, and nothing else.
TEST(LibraryExports, MatchTheDeclaredInterface) {
  std::ifstream header(YEL_HEADER);
  std::stringstream text;
  text << header.rdbuf();
  std::set<std::string> declared;
  const std::regex declaration(R"(YEL_API[^;(]*?\b(\w+)\s*\()");
  const std::string source = text.str();
  for (std::sregex_iterator it(source.begin(), source.end(), declaration), end; it != end; ++it) {
    if ((*it)[1].str().rfind("__", 0) != 0) declared.insert((*it)[1]);
  }
  ASSERT_GT(declared.size(), 50u);

  test::Process nm = test::Process::Start({"nm", "-D", "--defined-only", YEL_LIBRARY});
  ASSERT_EQ(nm.Wait(10000), 0);
  std::set<std::string> exported;
  std::istringstream lines(nm.Stdout());
  for (std::string address, type, name; lines >> address >> type >> name;) {
    if (type == "T" || type == "D" || type == "B" || type == "W" || type == "V") {
      exported.insert(name);
    }
  }
  std::string missing, extra;
  for (const std::string& name : declared) {
    if (!exported.count(name)) missing += name + " ";
  }
  for (const std::string& name : exported) {
    if (!declared.count(name)) extra += name + " ";
  }
  EXPECT_EQ(missing, "") << "declared but not exported";
  EXPECT_EQ(extra, "") << "exported but not declared";
}

}  // namespace
