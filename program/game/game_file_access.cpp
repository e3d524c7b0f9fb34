#include "program/game/game_file_access.h"

#include <algorithm>

#include "program/startup/yel_import.h"

namespace adv {
namespace {

// The largest file the program reads whole: the scratch pool's size.
constexpr uint64_t kMaxGameFile = 0x8000000;

}  // namespace

std::optional<std::string> ReadGameFile(const std::string& name, uint64_t offset, size_t length) {
  YelFile* file = yel::YelFileCreate(name.c_str(), nullptr);
  if (!file) return std::nullopt;
  const uint64_t size = yel::YelFileGetSize(file);
  std::string data;
  if (offset < size && yel::YelFileSeek(file, static_cast<int64_t>(offset), YEL_FILE_BEGIN) >= 0) {
    const uint64_t wanted = std::min<uint64_t>({size - offset, length, kMaxGameFile});
    data.resize(static_cast<size_t>(wanted));
    size_t done = 0;
    while (done < data.size()) {
      uint32_t got = 0;
      const uint32_t chunk = static_cast<uint32_t>(std::min<size_t>(data.size() - done, 1 << 20));
      if (!yel::YelFileRead(file, data.data() + done, chunk, &got) || got == 0) break;
      done += got;
    }
    data.resize(done);
  }
  yel::YelFileClose(file);
  return data;
}

std::optional<std::vector<uint8_t>> ReadGameFileBytes(const std::string& name) {
  std::optional<std::string> data = ReadGameFile(name, 0, kWholeFile);
  if (!data) return std::nullopt;
  return std::vector<uint8_t>(data->begin(), data->end());
}

GameFileRead GameFileReader() { return ReadGameFile; }

ErrorLog PlatformErrorLog() {
  return [](const std::string& line) { yel::YelErrorLogPrintf("%s", line.c_str()); };
}

}  // namespace adv
