// A small game in a folder of its own: the Game program and its libraries copied beside the data
// that the assembler builds from a script source, with the player's folders kept inside it too.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/program/process_runner.h"

namespace test {

// Environment entries that keep a game's per-user folders (home, settings, lock files) inside
// `root`, which gets the folders "home", "config" and "run".
std::vector<std::string> IsolatedEnvironment(const std::filesystem::path& root);

class GameFolder {
 public:
  // `comments` are the version keywords of the game's "version.ini".
  explicit GameFolder(const std::string& script, const std::string& comments = "-BOOT2SKIP");
  ~GameFolder();
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  // Assembles `script` into the game folder (replacing the script and list files).
  void SetScript(const std::string& script, uint32_t stamp = 1);
  void WriteVersion(const std::string& comments);
  // Starts Game with the command-line `args`; `env` entries ("NAME=value") come on top of the
  // folder's own.
  Process Start(const std::vector<std::string>& env = {},
                const std::vector<std::string>& args = {}) const;
  // Starts Game and waits for its exit code (-1 when it did not end in time).
  int Run(const std::vector<std::string>& env = {}, std::string* err = nullptr) const;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path SaveFolder() const { return root_ / "save"; }
  std::vector<uint8_t> ReadFile(const std::filesystem::path& path) const;

 private:
  std::filesystem::path root_;
};

}  // namespace test
