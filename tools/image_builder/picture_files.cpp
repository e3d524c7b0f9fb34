#include "tools/image_builder/picture_files.h"

#include <cstdio>

#include "os/picture_codecs.h"
#include "os/plain_file.h"
#include "tools/common/read_file.h"

namespace imgbuild {

// Larger than any picture a game shows; a bigger file is not a picture meant for the engine.
constexpr size_t kMaxPictureFileBytes = size_t{256} << 20;

bool LoadPng(const std::string& path, Picture& picture, std::string& error) {
  std::string data;
  if (!tools::ReadRegularFile(path, kMaxPictureFileBytes, &data, &error)) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
  Picture loaded;
  if (!os::PngReadSize(bytes, data.size(), loaded.width, loaded.height) || loaded.width <= 0 ||
      loaded.height <= 0 || static_cast<int64_t>(loaded.width) * loaded.height > (1 << 28)) {
    error = path + " is not a PNG picture the builder can read";
    return false;
  }
  loaded.pixels.resize(static_cast<size_t>(loaded.width) * loaded.height);
  if (!os::PngDecode(bytes, data.size(), loaded.pixels.data(), loaded.width)) {
    error = path + " is damaged";
    return false;
  }
  picture = std::move(loaded);
  return true;
}

bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file) written = std::fclose(file) == 0 && written;
  if (!written || !os::RenameFile(temporary, path)) {
    os::RemoveFile(temporary);
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace imgbuild
