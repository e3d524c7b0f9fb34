// Filling sound buffers from a channel's source: the parts of a streaming buffer, a whole
// sound at load, the loop of a stream, and the close of a source.
#include <algorithm>
#include <cstring>

#include "YEL/media/sound_system.h"

namespace yel {

namespace {

// Bytes from the source at its current place, WAVE (or type-0) file or Ogg decoder alike.
uint32_t ReadSource(SoundChannel& channel, uint8_t* destination, uint32_t length) {
  if (channel.is_ogg) return OggRead(channel.ogg, destination, length);
  uint32_t got = 0;
  if (!YelFileRead(channel.file, destination, length, &got)) return 0;
  return got;
}

// What a read reaching the end point does: a looping stream goes back to its loop start, a
// type-0 stream goes back there and leaves the rest of the part silent, any other stream ends.
// True when the read goes on.
bool ReachEnd(SoundChannel& channel) {
  if (channel.group == 3 && channel.loop && channel.loop_start < channel.end) {
    SoundSeekSource(channel, channel.loop_start);
    return true;
  }
  if (channel.group == 0) {
    SoundSeekSource(channel, channel.loop_start);
  } else if (channel.group == 3) {
    channel.stream_ended = 1;
  }
  return false;
}

void Silence(SoundChannel& channel, uint32_t offset, uint32_t length) {
  const bool unsigned_bytes = channel.buffer->Format().bits == 8;
  std::memset(channel.buffer->Data() + offset, unsigned_bytes ? 0x80 : 0, length);
}

}  // namespace

void SoundSeekSource(SoundChannel& channel, uint32_t position) {
  channel.read_position = position;
  if (channel.is_ogg) {
    OggSeek(channel.ogg, position);
  } else if (channel.file) {
    YelFileSetFilePointer(channel.file, static_cast<int32_t>(position), 0, 0, YEL_FILE_BEGIN);
  }
}

// Reads up to `length` bytes, never past the end point; at the end point a looping stream
// continues from its loop start, as often as the request needs.
uint32_t SoundReadStream(SoundChannel& channel, uint8_t* destination, uint32_t length) {
  uint32_t done = 0;
  bool after_loop = false;
  while (done < length) {
    const uint32_t left =
        channel.end > channel.read_position ? channel.end - channel.read_position : 0;
    const uint32_t got =
        left ? ReadSource(channel, destination + done, std::min(length - done, left)) : 0;
    channel.read_position += got;
    done += got;
    if (got == 0) channel.read_position = channel.end;  // the data ended before its end point
    if (channel.read_position < channel.end) continue;
    // A loop that yields nothing would turn for ever: end it.
    if ((got == 0 && after_loop) || !ReachEnd(channel)) {
      if (after_loop && got == 0 && channel.group == 3) channel.stream_ended = 1;
      break;
    }
    after_loop = true;
  }
  return done;
}

// Once a stream has ended, the part after its last one is silenced and the stream plays on
// until the cursor reaches that silent part: then the last part has been heard whole and the
// channel is released.
void SoundFillPart(SoundChannel& channel, int part) {
  if (!channel.loaded || !channel.buffer) return;
  const bool streamed = Group(channel.group).streamed;
  const uint32_t part_size = streamed ? channel.buffer_size / 2 : channel.buffer_size;
  const uint32_t offset = streamed ? part * part_size : 0;
  if (channel.stream_ended) {
    if (channel.tail_playing) {
      channel.command = kSoundCommandRelease;
    } else {
      Silence(channel, offset, part_size);
      channel.tail_playing = true;
    }
    return;
  }
  Silence(channel, offset, part_size);
  SoundReadStream(channel, channel.buffer->Data() + offset, part_size);
}

void SoundPrime(SoundChannel& channel) {
  if (!channel.loaded || !channel.buffer) return;
  const uint32_t part_size = channel.buffer_size / 2;
  Silence(channel, 0, part_size);
  SoundReadStream(channel, channel.buffer->Data(), part_size);
  Silence(channel, 0, std::min<uint32_t>(128, part_size));
}

// Only a streaming buffer is silenced: it plays on for the next stream. A whole sound's memory
// may be shared with copies of the channel that still play it.
void SoundCloseStream(SoundChannel& channel) {
  if (channel.buffer) {
    channel.buffer->Stop();
    if (channel.loaded && Group(channel.group).streamed)
      Silence(channel, 0, channel.buffer->Size());
  }
  if (channel.ogg) OggClose(channel.ogg);
  if (channel.file) YelFileClose(channel.file);
  channel.ogg = nullptr;
  channel.file = nullptr;
}

void SoundSetStreamPositions(SoundChannel& channel, uint32_t data_start, uint32_t data_size,
                             const LoopPoints& points) {
  if (!points.use) {
    channel.stream_start = channel.loop_start = data_start;
    channel.end = data_start + data_size;
  } else {
    // Loop points are taken as given. A point beyond the data stands at the data's end, where
    // the reader gets no more bytes and a looping stream turns back to its loop start; no read
    // goes past the data and no sum wraps. Positions fall on whole stereo frames, so left and
    // right never swap.
    const auto inside = [data_size](uint32_t point) { return std::min(point, data_size) & ~3u; };
    channel.stream_start = data_start + inside(points.stream_start);
    channel.loop_start = data_start + inside(points.loop_start);
    channel.end = data_start + inside(points.end);
  }
  channel.read_position = channel.stream_start;
}

}  // namespace yel
