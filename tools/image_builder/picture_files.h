// PNG pictures and output files for the image builder.
#pragma once

#include <string>
#include <vector>

#include "tools/image_builder/image_writers.h"

namespace imgbuild {

bool LoadPng(const std::string& path, Picture& picture, std::string& error);
// Written to `path`.tmp and renamed over `path` only when complete.
bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace imgbuild
