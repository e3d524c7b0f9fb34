// Game as a process: started headless, ended by a signal, and without its library.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
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
  // The os layer is there (without it the system's loader refuses the program before it runs).
  std::filesystem::create_directories(dir / "dll");
  std::filesystem::copy_file(OS_LIBRARY, dir / "dll" / "libos.so");
  test::Process game = test::Process::Start({copy.string()});
  EXPECT_EQ(game.Wait(test::kHungMs), 1);
  EXPECT_NE(game.Stderr().find("DLL NOT FOUND"), std::string::npos) << game.Stderr();
  std::filesystem::remove_all(dir);
}

// The functions declared with YEL_API: in each declaration, the word right before its first "("
// (compiler words such as __attribute__ left out).
std::set<std::string> DeclaredFunctions(const std::string& source) {
  const auto is_word = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  };
  std::set<std::string> names;
  for (size_t at = source.find("YEL_API"); at != std::string::npos;
       at = source.find("YEL_API", at + 1)) {
    const size_t paren = source.find_first_of(";(", at);
    if (paren == std::string::npos || source[paren] != '(') continue;
    size_t last = paren;
    while (last > at && std::isspace(static_cast<unsigned char>(source[last - 1]))) --last;
    size_t first = last;
    while (first > at && is_word(source[first - 1])) --first;
    const std::string name = source.substr(first, last - first);
    if (!name.empty() && name.rfind("__", 0) != 0) names.insert(name);
  }
  return names;
}

// The library exports exactly the functions its header declares, and nothing else.
TEST(LibraryExports, MatchTheDeclaredInterface) {
  std::ifstream header(YEL_HEADER);
  std::stringstream text;
  text << header.rdbuf();
  const std::set<std::string> declared = DeclaredFunctions(text.str());
  ASSERT_GT(declared.size(), 50u);

  test::Process nm = test::Process::Start({"nm", "-D", "--defined-only", YEL_LIBRARY});
  ASSERT_EQ(nm.Wait(test::kHungMs), 0);
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

// The os layer exports its own namespace and nothing else (no standard-library instances that
// another module could bind to instead of its own).
TEST(LibraryExports, OsLayerExportsOnlyItsNamespace) {
  test::Process nm = test::Process::Start({"nm", "-D", "-C", "--defined-only", OS_LIBRARY});
  ASSERT_EQ(nm.Wait(test::kHungMs), 0);
  // A line is "ADDRESS TYPE NAME"; the name may be prefixed by what kind of type data it is.
  auto own = [](const std::string& line) {
    const size_t name_at = line.find(' ', line.find(' ') + 1);
    if (name_at == std::string::npos) return false;
    std::string name = line.substr(name_at + 1);
    for (const char* prefix : {"typeinfo name for ", "typeinfo for ", "vtable for "}) {
      if (name.rfind(prefix, 0) == 0) name = name.substr(std::strlen(prefix));
    }
    return name.rfind("os::", 0) == 0;
  };
  std::string foreign;
  int count = 0;
  std::istringstream lines(nm.Stdout());
  for (std::string line; std::getline(lines, line); ++count) {
    if (!own(line)) foreign += line + "\n";
  }
  EXPECT_GT(count, 50);
  EXPECT_EQ(foreign, "");
}

}  // namespace
