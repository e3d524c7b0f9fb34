// The sprite state record (YelSpriteInfo) as snapshots store it: 368 bytes of little-endian
// 32-bit words in the record's field order, the file name as 260 raw bytes.
#pragma once

#include <cstddef>

#include "YEL/yel.h"
#include "program/data/byte_io.h"

namespace adv {

inline constexpr size_t kSpriteInfoWords = 21 + 6;
inline constexpr size_t kSpriteInfoNameSize = sizeof(YelSpriteInfo::file_name);
inline constexpr size_t kSpriteInfoSize = kSpriteInfoWords * 4 + kSpriteInfoNameSize;
static_assert(kSpriteInfoSize == 368);

void WriteSpriteInfo(ByteWriter& out, const YelSpriteInfo& info);
// False (and `info` partly filled) when fewer than 368 bytes remain.
bool ReadSpriteInfo(ByteReader& in, YelSpriteInfo& info);

}  // namespace adv
