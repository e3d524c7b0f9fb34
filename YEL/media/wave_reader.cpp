// WAVE files and type-0 stream files: their headers, and the opening of a channel on them. The
// WAVE reader walks the RIFF chunks, so a longer "fmt " chunk, a "fact" or "LIST" chunk before
// the data, and a data size larger than the file are all read right.
#include <algorithm>
#include <cstring>

#include "YEL/media/sound_system.h"
#include "os/byte_order.h"

namespace yel {

namespace {

struct WaveLayout {
  os::PcmFormat format;
  uint16_t format_tag = 0;
  uint32_t data_offset = 0;  // from the start of the file's data
  uint32_t data_size = 0;
};

constexpr uint16_t kPcmTag = 1;

bool ReadAt(YelFile* file, uint32_t offset, void* out, uint32_t size) {
  uint32_t got = 0;
  return YelFileSeek(file, offset, YEL_FILE_BEGIN) == offset &&
         YelFileRead(file, out, size, &got) && got == size;
}

void ReadFormat(const uint8_t* chunk, WaveLayout& layout) {
  layout.format_tag = os::LoadLe16(chunk);
  layout.format.channels = os::LoadLe16(chunk + 2);
  layout.format.rate = os::LoadLe32(chunk + 4);
  layout.format.bits = os::LoadLe16(chunk + 14);
}

// Finds the format and the data chunk; false for anything that is not a WAVE file with both.
bool ReadWaveLayout(YelFile* file, uint32_t file_size, WaveLayout& layout) {
  uint8_t head[16];
  if (!ReadAt(file, 0, head, sizeof(head))) return false;
  if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0 ||
      std::memcmp(head + 12, "fmt ", 4) != 0) {
    return false;
  }
  bool have_format = false;
  uint64_t at = 12;
  while (at + 8 <= file_size) {
    uint8_t chunk[8];
    if (!ReadAt(file, static_cast<uint32_t>(at), chunk, 8)) return false;
    const uint32_t size = os::LoadLe32(chunk + 4);
    const uint64_t body = at + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t format[16];
      if (size < 16 || !ReadAt(file, static_cast<uint32_t>(body), format, 16)) return false;
      ReadFormat(format, layout);
      have_format = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!have_format) return false;
      layout.data_offset = static_cast<uint32_t>(body);
      layout.data_size = static_cast<uint32_t>(std::min<uint64_t>(size, file_size - body));
      return true;
    }
    at = body + size + (size & 1);  // chunks are padded to even sizes
  }
  return false;
}

void Refuse(SoundChannel& channel) {
  if (channel.file) YelFileClose(channel.file);
  channel.file = nullptr;
}

YelFile* OpenSoundFile(const char* name, YelFileEntry& entry) {
  return YelFileCreateEx(name, YEL_GENERIC_READ, YEL_FILE_SHARE_READ, YEL_OPEN_EXISTING,
                         YEL_FILE_FLAG_SEQUENTIAL_SCAN, &entry);
}

bool OpenWholeWave(SoundSystem& sound, SoundChannel& channel, uint32_t data_start,
                   const WaveLayout& layout) {
  if (layout.format_tag != kPcmTag) return false;
  channel.buffer = sound.mixer.CreateBuffer(layout.format, layout.data_size);
  if (!channel.buffer) return false;
  channel.buffer_size = channel.buffer->Size();
  channel.stream_start = channel.loop_start = data_start;
  channel.end = data_start + channel.buffer_size;
  SoundSeekSource(channel, data_start);
  channel.loaded = 1;
  SoundFillPart(channel, 0);
  return true;
}

}  // namespace

void SoundCopyName(SoundChannel& channel, const char* name) {
  std::strncpy(channel.name, name, sizeof(channel.name) - 1);
  channel.name[sizeof(channel.name) - 1] = '\0';
}

bool SoundOpenWave(SoundSystem& sound, const char* name, SoundChannel& channel,
                   const LoopPoints& points) {
  YelFileEntry entry{};
  channel.file = OpenSoundFile(name, entry);
  if (!channel.file) return false;
  channel.read_position = entry.start;
  channel.loaded = channel.is_ogg = channel.reserved = 0;
  WaveLayout layout;
  if (!ReadWaveLayout(channel.file, entry.size, layout)) {
    YelErrorLogPrintf("Wave Format Error %s", name);
    Refuse(channel);
    return false;
  }
  SoundCopyName(channel, name);
  const uint32_t data_start = entry.start + layout.data_offset;
  if (Group(channel.group).streamed) {
    // A stream plays its bytes as 44100 Hz 16-bit stereo whatever the header says.
    SoundSetStreamPositions(channel, data_start, layout.data_size, points);
    SoundSeekSource(channel, channel.stream_start);
    channel.loaded = 1;
    return true;
  }
  if (!OpenWholeWave(sound, channel, data_start, layout)) {
    YelErrorLogPrintf("Wave Format Error %s", name);
    Refuse(channel);
    return false;
  }
  return true;
}

// A type-0 stream file: a header with n eight-byte entries, the loop in units of data size / n,
// then the data size and the 16-bit stereo data. A file with no units is refused.
bool SoundOpenTypeZero(const char* name, SoundChannel& channel) {
  YelFileEntry entry{};
  channel.file = OpenSoundFile(name, entry);
  if (!channel.file) return false;
  uint8_t head[36];
  uint8_t size_word[4];
  const bool read = ReadAt(channel.file, 0, head, sizeof(head));
  const uint32_t units = read ? os::LoadLe32(head + 4) : 0;
  const uint64_t size_at = 54 + uint64_t{units} * 8;
  if (units == 0 || size_at + 4 > entry.size ||
      !ReadAt(channel.file, static_cast<uint32_t>(size_at), size_word, 4)) {
    YelErrorLogPrintf("Sound Stream Format Error %s", name);
    Refuse(channel);
    return false;
  }
  const uint64_t data_offset = size_at + 4;
  const uint32_t data_size =
      static_cast<uint32_t>(std::min<uint64_t>(os::LoadLe32(size_word), entry.size - data_offset));
  const uint64_t unit = data_size / units;
  const uint64_t loop_start = os::LoadLe32(head + 24) * unit;
  const uint64_t loop_end = os::LoadLe32(head + 28) * unit;
  LoopPoints points{true, 0, static_cast<uint32_t>(std::min<uint64_t>(loop_start, UINT32_MAX)),
                    static_cast<uint32_t>(std::min<uint64_t>(loop_end, UINT32_MAX))};
  SoundCopyName(channel, name);
  SoundSetStreamPositions(channel, entry.start + static_cast<uint32_t>(data_offset), data_size,
                          points);
  // The stream starts at the data's first byte; its loop points only mark where it turns.
  channel.stream_start = channel.read_position = entry.start + static_cast<uint32_t>(data_offset);
  SoundSeekSource(channel, channel.stream_start);
  channel.loaded = 1;
  channel.is_ogg = 0;
  return true;
}

}  // namespace yel
