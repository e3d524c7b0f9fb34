#include "tests/program/game_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

#include "tools/assembler/assembler.h"

namespace test {
namespace {

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

std::filesystem::path FreshRoot() {
  static std::atomic<int> counter{0};
  const auto root = std::filesystem::temp_directory_path() /
                    ("game_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root);
  return root;
}

}  // namespace

std::vector<std::string> IsolatedEnvironment(const std::filesystem::path& root) {
  for (const char* folder : {"home", "config", "run"}) {
    std::filesystem::create_directories(root / folder);
  }
  return {"HOME=" + (root / "home").string(), "XDG_CONFIG_HOME=" + (root / "config").string(),
          "XDG_RUNTIME_DIR=" + (root / "run").string()};
}

GameFolder::GameFolder(const std::string& script, const std::string& comments)
    : root_(FreshRoot()) {
  const auto copy = std::filesystem::copy_options::overwrite_existing;
  std::filesystem::copy_file(GAME_BINARY, root_ / "Game", copy);
  std::filesystem::create_directories(root_ / "dll");
  std::filesystem::copy_file(YEL_LIBRARY, root_ / "dll" / "libyel.so", copy);
  std::filesystem::copy_file(OS_LIBRARY, root_ / "dll" / "libos.so", copy);
  WriteBytes(root_ / "data" / "archive.dat", "data");
  WriteVersion(comments);
  SetScript(script);
}

GameFolder::~GameFolder() {
  std::filesystem::remove_all(root_);
}

void GameFolder::SetScript(const std::string& script, uint32_t stamp) {
  advasm::AssembleOptions options;
  options.stamp = stamp;
  const advasm::AssembleResult result = advasm::Assemble(script, "test.asm", options);
  ASSERT_TRUE(result.ok) << result.ErrorText();
  WriteBytes(root_ / "Script.src", result.files.script);
  WriteBytes(root_ / "File.dat", result.files.file_list);
  WriteBytes(root_ / "Text.dat", result.files.text_list);
  WriteBytes(root_ / "Mem.dat", result.files.table_list);
  WriteBytes(root_ / "Point.dat", result.files.point_list);
}

void GameFolder::WriteVersion(const std::string& comments) {
  WriteBytes(root_ / "version.ini",
             "[Version]\nCompanyName=Test/Suite\nProductName=TestGame\n"
             "OriginalFilename=Game\nComments=" +
                 comments + "\n");
}

Process GameFolder::Start(const std::vector<std::string>& env,
                          const std::vector<std::string>& args) const {
  std::vector<std::string> all = IsolatedEnvironment(root_);
  all.insert(all.end(), env.begin(), env.end());
  std::vector<std::string> argv = {(root_ / "Game").string()};
  argv.insert(argv.end(), args.begin(), args.end());
  return Process::Start(argv, all, root_.string());
}

int GameFolder::Run(const std::vector<std::string>& env, std::string* err) const {
  Process game = Start(env);
  const int code = game.Wait(test::kHungMs);
  if (err) *err = game.Stderr();
  return code;
}

std::vector<uint8_t> GameFolder::ReadFile(const std::filesystem::path& path) const {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace test
