// Ogg Vorbis through libvorbisfile: the whole file is read into memory through the file layer
// (plain file or archive entry alike) and decoded from there, so the streaming thread never
// waits for the disk.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "YEL/media/sound_system.h"

namespace yel {

// The decoder of one channel and the memory copy it reads.
struct OggDecoder {
  OggVorbis_File file;
  vorbis_info* info = nullptr;
  struct MemorySource {
    uint8_t* data = nullptr;  // YelMemoryAlloc'd copy of the whole file
    uint32_t size = 0;
    uint32_t position = 0;
  } source;
  uint64_t total_bytes = 0;  // decoded PCM bytes of the whole stream
};

namespace {

// A decoded whole sound larger than this is refused rather than allocated.
constexpr uint64_t kWholeSoundLimit = uint64_t{512} << 20;

using MemorySource = OggDecoder::MemorySource;

size_t SourceRead(void* destination, size_t element_size, size_t count, void* opaque) {
  auto* source = static_cast<MemorySource*>(opaque);
  if (element_size == 0 || source->position >= source->size) return 0;
  const size_t elements = std::min<size_t>(count, (source->size - source->position) / element_size);
  std::memcpy(destination, source->data + source->position, elements * element_size);
  source->position += static_cast<uint32_t>(elements * element_size);
  return elements;
}

int SourceSeek(void* opaque, ogg_int64_t offset, int whence) {
  auto* source = static_cast<MemorySource*>(opaque);
  int64_t target;
  switch (whence) {
    case SEEK_SET:
      target = offset;
      break;
    case SEEK_CUR:
      target = int64_t{source->position} + offset;
      break;
    case SEEK_END:
      target = int64_t{source->size} + offset;
      break;
    default:
      return -1;
  }
  if (target < 0 || target > source->size) return -1;
  source->position = static_cast<uint32_t>(target);
  return 0;
}

int SourceClose(void* opaque) {
  auto* source = static_cast<MemorySource*>(opaque);
  YelMemoryFree(source->data);
  source->data = nullptr;
  return 0;
}

long SourceTell(void* opaque) {
  return static_cast<long>(static_cast<MemorySource*>(opaque)->position);
}

constexpr ov_callbacks kMemoryCallbacks = {SourceRead, SourceSeek, SourceClose, SourceTell};

bool ReadCopy(const char* name, MemorySource& source) {
  YelFileEntry entry{};
  YelFile* file = YelFileCreateEx(name, YEL_GENERIC_READ, YEL_FILE_SHARE_READ, YEL_OPEN_EXISTING,
                                  YEL_FILE_FLAG_SEQUENTIAL_SCAN, &entry);
  if (!file) {
    YelErrorLogPrintf("Ogg File Open Error %s", name);
    return false;
  }
  source.data = static_cast<uint8_t*>(YelMemoryAlloc(entry.size, 0));
  uint32_t got = 0;
  const bool read = source.data && YelFileRead(file, source.data, entry.size, &got);
  YelFileClose(file);
  if (!source.data) {
    YelErrorLogPrintf("Ogg Callback Memory Aloacte Error");
    return false;
  }
  source.size = read ? got : 0;
  return true;
}

// Opens the decoder over its copy; on failure everything is freed.
OggDecoder* OpenDecoder(const char* name) {
  auto* decoder = static_cast<OggDecoder*>(YelMemoryAlloc(sizeof(OggDecoder), 1));
  if (!decoder) {
    YelErrorLogPrintf("Ogg Memory Alocate Error");
    return nullptr;
  }
  new (decoder) OggDecoder();
  if (!ReadCopy(name, decoder->source)) {
    YelMemoryFree(decoder);
    return nullptr;
  }
  if (ov_open_callbacks(&decoder->source, &decoder->file, nullptr, 0, kMemoryCallbacks) != 0) {
    // A failed open leaves the source to its owner.
    SourceClose(&decoder->source);
    YelMemoryFree(decoder);
    return nullptr;
  }
  decoder->info = ov_info(&decoder->file, -1);
  const ogg_int64_t frames = ov_pcm_total(&decoder->file, -1);
  if (!decoder->info || frames < 0 || decoder->info->channels < 1) {
    OggClose(decoder);
    return nullptr;
  }
  decoder->total_bytes = static_cast<uint64_t>(frames) * decoder->info->channels * 2;
  return decoder;
}

uint32_t FrameBytes(const OggDecoder* decoder) {
  return static_cast<uint32_t>(decoder->info->channels) * 2;
}

bool OpenWholeOgg(SoundSystem& sound, SoundChannel& channel) {
  OggDecoder* decoder = channel.ogg;
  os::PcmFormat format;
  format.rate = static_cast<uint32_t>(decoder->info->rate);
  format.channels = static_cast<uint16_t>(decoder->info->channels);
  format.bits = 16;
  if (decoder->total_bytes > kWholeSoundLimit) return false;
  channel.buffer = sound.mixer.CreateBuffer(format, static_cast<uint32_t>(decoder->total_bytes));
  if (!channel.buffer) return false;
  channel.buffer_size = channel.buffer->Size();
  channel.stream_start = channel.loop_start = channel.read_position = 0;
  channel.end = channel.buffer_size;
  channel.loaded = 1;
  SoundFillPart(channel, 0);
  return true;
}

}  // namespace

void OggClose(OggDecoder* decoder) {
  if (!decoder) return;
  ov_clear(&decoder->file);  // closes the source, which frees the copy
  decoder->~OggDecoder();
  YelMemoryFree(decoder);
}

uint32_t OggRead(OggDecoder* decoder, uint8_t* destination, uint32_t length) {
  uint32_t done = 0;
  int section = 0;
  while (done < length) {
    const long got =
        ov_read(&decoder->file, reinterpret_cast<char*>(destination + done),
                static_cast<int>(std::min<uint32_t>(length - done, 1u << 30)), 0, 2, 1, &section);
    if (got <= 0) break;
    done += static_cast<uint32_t>(got);
  }
  return done;
}

void OggSeek(OggDecoder* decoder, uint32_t byte_position) {
  ov_pcm_seek(&decoder->file, byte_position / FrameBytes(decoder));
}

bool SoundOpenOgg(SoundSystem& sound, const char* name, SoundChannel& channel,
                  const LoopPoints& points) {
  OggDecoder* decoder = OpenDecoder(name);
  if (!decoder) {
    YelErrorLogPrintf("YelSoundOggCreate Fail");
    channel.ogg = nullptr;
    return false;
  }
  channel.ogg = decoder;
  SoundCopyName(channel, name);
  channel.is_ogg = 1;
  if (Group(channel.group).streamed) {
    const uint32_t total =
        static_cast<uint32_t>(std::min<uint64_t>(decoder->total_bytes, UINT32_MAX));
    SoundSetStreamPositions(channel, 0, total, points);
    SoundSeekSource(channel, channel.stream_start);
    channel.loaded = 1;
    return true;
  }
  if (!OpenWholeOgg(sound, channel)) {
    YelErrorLogPrintf("Create 2nd buffer Fail");
    OggClose(decoder);
    channel.ogg = nullptr;
    return false;
  }
  return true;
}

}  // namespace yel
