// Full-screen video: a movie drawn over the whole game area while the game's own frame is not
// presented. The main thread starts it and steps it each frame (skip keys, fade-out, drawing);
// the decode thread reports its end or failure as a private window message, and the UI thread
// tears it down or restarts it.
//
// Locking: the video lock guards the record below, so the main thread's step and the UI
// thread's stop and restart never see a half-released player. The decode thread never takes it:
// its events go through the event lock, which nothing holds while waiting.
#include "YEL/media/video.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "YEL/core/system.h"
#include "YEL/graphics/screen_effects.h"
#include "YEL/input/input.h"
#include "YEL/input/input_state.h"
#include "YEL/media/movie.h"
#include "YEL/media/sound_system.h"
#include "YEL/render/backend.h"
#include "YEL/render/render.h"
#include "YEL/render/renderer.h"
#include "YEL/window/private_messages.h"
#include "os/clock.h"
#include "os/debug_output.h"

namespace yel {
namespace {

constexpr uint32_t kFadeMs = 1000;
constexpr int kOpenAttempts = 11;
constexpr uint32_t kOpenRetryMs = 100;
// A video whose decoding keeps failing is restarted this often, then left stopped.
constexpr int kMaxErrorRestarts = 3;
constexpr uint32_t kSkipKeys = kKeyEsc | kKeyMouseRight;
constexpr uint32_t kSkipKeysAll = kSkipKeys | kKeySpace | kKeyEnter | kKeyMouseLeft;

enum : int32_t { kFadePlaying = 1, kFadingOut = 2, kFadeSkipped = 3 };
enum : int16_t { kFormatMpeg = 1, kFormatWmv = 2 };

struct FadeWords {
  int32_t state = 0;
  uint32_t start = 0;
  uint32_t duration = kFadeMs;
};

// A player's event, with the number of the player that sent it.
struct VideoEvent {
  uint32_t player = 0;
  int code = 0;
};

struct Video {
  std::mutex lock;  // the video lock: guards every field below but the event list
  std::unique_ptr<MoviePlayer> player;
  YelTexture* texture = nullptr;
  // The number of the current player: events of a player that has been replaced are moot.
  uint32_t player_number = 0;
  int64_t kept_position = 0, kept_stop = 0;
  int16_t format = 0;
  int16_t skip_mode = 0;
  std::string file_name;
  FadeWords fade, saved_fade;
  int error_restarts = 0;
  bool stop_requested = false;

  std::mutex event_lock;  // guards events; taken by the decode thread
  std::deque<VideoEvent> events;
};

Video& TheVideo() {
  static Video video;
  return video;
}

std::atomic<int32_t> g_volume_type{0};

void PostEvent(Video& video, uint32_t player, int code) {
  {
    std::lock_guard lock(video.event_lock);
    video.events.push_back({player, code});
  }
  YelSystem* system = System();
  if (system && system->ui_queue) {
    system->ui_queue->Post(MakeMessage(WindowMessage::WM_YEL_GRAPHNOTIFY));
  }
}

// The next event of the current player (video lock held); those of earlier players are dropped.
bool TakeEvent(Video& video, int& code) {
  std::lock_guard lock(video.event_lock);
  while (!video.events.empty()) {
    const VideoEvent event = video.events.front();
    video.events.pop_front();
    if (event.player != video.player_number) continue;
    code = event.code;
    return true;
  }
  return false;
}

const char* VideoEventName(int code) {
  switch (code) {
    case kMovieComplete:
      return "EC_COMPLETE: \n";
    case kMovieUserAbort:
      return "EC_USERABORT: \n";
    case kMovieErrorAbort:
      return "EC_ERRORABORT: \n";
    default:
      return "EC_UNKNOWN: \n";
  }
}

// The video's loudness (0..10000) from the sound-type volumes 3 and 0.
int32_t VideoVolume() {
  int32_t music = kFullVolume, base = kFullVolume, primary = kFullVolume;
  MovieSoundVolumes(3, music, primary);
  MovieSoundVolumes(0, base, primary);
  int64_t volume = music;
  switch (g_volume_type.load() & 3) {
    case 1:
      volume = base;
      break;
    case 2:
      volume = int64_t{music} * base / kFullVolume;
      break;
    case 3:
      volume = int64_t{music} - base;
      break;
    default:
      break;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(volume, 0, kFullVolume));
}

// The decibel form of the loudness scaled to `percent`: the loudness is scaled, not the
// decibels, so a fade gets quieter as it goes.
int32_t VideoDecibels(int32_t percent) {
  int32_t type_volume = kFullVolume, primary = kFullVolume;
  MovieSoundVolumes(0, type_volume, primary);
  return MovieDecibels(int64_t{VideoVolume()} * primary / kFullVolume * percent / 100);
}

void Log(const char* text, const std::string& detail = {}) {
  YelErrorLogPrintf("%s%s%s", text, detail.empty() ? "" : detail.c_str(),
                    detail.empty() ? "" : "\n");
  os::DebugOutput(text);
}

// A player and the texture it draws into.
struct Movie {
  std::unique_ptr<MoviePlayer> player;
  YelTexture* texture = nullptr;
};

void ReleaseMovie(Movie& movie) {
  movie.player.reset();
  if (movie.texture) {
    YelSystem* system = System();
    YelCore* core = system ? system->core.load() : nullptr;
    if (core) {
      core->TextureRelease(movie.texture);
    } else {
      YelMemoryFree(movie.texture);
    }
    movie.texture = nullptr;
  }
}

// Opens `name` into a player whose events carry `number`, at full loudness; false (logged, with
// nothing left open) when the movie or its texture cannot be made.
bool OpenMovie(Video& video, const std::string& name, uint32_t number, Movie& movie) {
  std::string error;
  auto decoder = MovieDecoder::Open(name.c_str(), error);
  if (!decoder) {
    Log("Video : Load \n", name + " : " + error);
    return false;
  }
  YelSystem* system = System();
  YelCore* core = system ? system->core.load() : nullptr;
  movie.texture = core ? core->TextureCreate(decoder->Width(), decoder->Height()) : nullptr;
  if (!movie.texture) {
    Log("Video : CreateTexture \n", name);
    return false;
  }
  movie.player = std::make_unique<MoviePlayer>(std::move(decoder), movie.texture, true);
  movie.player->SetEventSink([&video, number](int code) { PostEvent(video, number, code); });
  movie.player->SetVolume(VideoDecibels(100));
  return true;
}

// Lets go of the player and its texture (video lock held).
void VideoReleaseGraph(Video& video) {
  Movie movie{std::move(video.player), video.texture};
  video.texture = nullptr;
  ReleaseMovie(movie);
}

// Makes `movie` the video's player (video lock held), ready to play from the start.
void VideoTakeMovie(Video& video, Movie& movie, uint32_t number) {
  video.player = std::move(movie.player);
  video.texture = movie.texture;
  movie.texture = nullptr;
  video.player_number = number;
  video.fade = FadeWords{kFadePlaying, 0, kFadeMs};
  video.stop_requested = false;
}

// Opens the video's file again (video lock held); false (logged) when it fails.
bool VideoOpen(Video& video) {
  Movie movie;
  const uint32_t number = video.player_number + 1;
  if (!OpenMovie(video, video.file_name, number, movie)) {
    ReleaseMovie(movie);
    return false;
  }
  VideoTakeMovie(video, movie, number);
  return true;
}

void ClearEvents(Video& video) {
  std::lock_guard lock(video.event_lock);
  video.events.clear();
}

// Ends the video (video lock held); `keep` leaves the movie flag set for a restart.
void VideoStop(YelSystem& system, Video& video, bool keep) {
  VideoReleaseGraph(video);
  ClearEvents(video);  // what the released player reported is moot now
  system.movie = keep ? 1 : 0;
  if (system.ui_queue) system.ui_queue->Post(MakeMessage(WindowMessage::WM_YEL_SHOW_CURSOR, 1));
}

// Opens the video again (up to 11 tries) and plays on from the kept position; false when every
// try failed, which leaves the video stopped.
bool VideoRestart(YelSystem& system, Video& video) {
  bool opened = VideoOpen(video);
  for (int attempt = 1; !opened && attempt < kOpenAttempts; ++attempt) {
    os::SleepMs(kOpenRetryMs);
    opened = VideoOpen(video);
  }
  if (opened && video.kept_position > 0) {
    video.player->SetPositions(video.kept_position, video.kept_stop);
  }
  if (!opened || !video.player->Run()) {
    VideoStop(system, video, false);
    return false;
  }
  system.movie = 1;
  return true;
}

// The player asked to stop: the input is cleared and the user-abort event posted once.
void RequestStop(Video& video) {
  if (video.stop_requested) return;
  video.stop_requested = true;
  YelInputClear();
  PostEvent(video, video.player_number, kMovieUserAbort);
}

// Skip keys and the fade-out; the share of picture and sound left, in percent.
int32_t StepFade(YelSystem& system, Video& video) {
  FadeWords& fade = video.fade;
  const uint32_t now = system.frame_time.load();
  if (fade.state == kFadingOut) {
    const uint32_t t = now - fade.start;
    if (t < fade.duration) {
      const int32_t left = 100 - static_cast<int32_t>(uint64_t{t} * 100 / fade.duration);
      video.player->SetVolume(VideoDecibels(left));
      return left;
    }
    fade.state = kFadeSkipped;
    RequestStop(video);
    return 0;
  }
  if (fade.state != kFadePlaying) return fade.state == kFadeSkipped ? 0 : 100;
  // Alt+Enter is the window-mode key, never a skip.
  if ((YelInputGetKeyOn() & (kKeyAlt | kKeyEnter)) == (kKeyAlt | kKeyEnter)) return 100;
  const uint32_t keys = YelInputGetKeyPush() & (video.skip_mode ? kSkipKeysAll : kSkipKeys);
  if (!keys) return 100;
  if (ScreenEffectsEnabled()) {
    fade.state = kFadingOut;
    fade.start = now;
    return 100;
  }
  fade.state = kFadeSkipped;
  RequestStop(video);
  return 0;
}

// Draws the current picture over the game area, `percent` opaque, and shows the frame.
void DrawVideo(YelSystem& system, Video& video, int32_t percent) {
  YelRender* render = system.active_render.load();
  if (!render || !video.texture || !render->lock.try_lock()) return;
  if (RendererBeginFrame(system, 0xFF000000)) {
    if (YelCore* core = RendererCore(system); core && percent > 0) {
      SpriteQuad quad;
      quad.texture = video.texture;
      quad.rect = YelRect{0, 0, video.texture->width, video.texture->height};
      quad.scale_x = static_cast<float>(system.param.game_width) / video.texture->width;
      quad.scale_y = static_cast<float>(system.param.game_height) / video.texture->height;
      // Sprites scale about their centre: the centre goes to the game area's centre.
      quad.x = (system.param.game_width - video.texture->width) / 2.0f;
      quad.y = (system.param.game_height - video.texture->height) / 2.0f;
      quad.colour = static_cast<uint32_t>(percent * 255 / 100) << 24 | 0xFFFFFF;
      // Waits for a picture being written (a moment) rather than drawing a black frame.
      uint32_t* pixels = TextureLockPixels(video.texture, nullptr, nullptr);
      core->DrawSprite(quad);
      if (pixels) TextureUnlockPixels(video.texture, false);
    }
    RendererEndFrame(system);
  }
  render->lock.unlock();
}

// The extension from the last dot, compared without regard to ASCII case.
bool HasExtension(const std::string& name, const char* extension) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.size() - dot != std::strlen(extension)) return false;
  return std::equal(name.begin() + dot, name.end(), extension, [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

}  // namespace

void VideoStep(YelSystem& system) {
  Video& video = TheVideo();
  std::lock_guard lock(video.lock);
  if (!video.player) return;
  // Kept for a restart after an error or a device change.
  if (video.player->PositionMs() > 0) {
    video.kept_position = video.player->PositionMs();
    video.kept_stop = video.player->StopMs();
  }
  DrawVideo(system, video, StepFade(system, video));
}

void VideoSuspend(YelSystem& system) {
  Video& video = TheVideo();
  std::lock_guard lock(video.lock);
  video.saved_fade = video.fade;
  VideoStop(system, video, true);
}

void VideoResume(YelSystem& system) {
  Video& video = TheVideo();
  std::lock_guard lock(video.lock);
  if (VideoRestart(system, video)) video.fade = video.saved_fade;
}

void VideoHandleEvents(YelSystem& system) {
  Video& video = TheVideo();
  std::lock_guard lock(video.lock);
  for (int code = 0; TakeEvent(video, code);) {
    os::DebugOutput(VideoEventName(code));
    if (code == kMovieComplete || code == kMovieUserAbort) {
      VideoStop(system, video, false);
      return;
    }
    if (code != kMovieErrorAbort) continue;
    if (video.error_restarts >= kMaxErrorRestarts) {
      Log("Video : ErrorAbort \n", video.file_name + " : gave up after repeated errors");
      VideoStop(system, video, false);
      return;
    }
    ++video.error_restarts;
    VideoStop(system, video, true);
    VideoRestart(system, video);
  }
}

void VideoRelease(YelSystem& system) {
  MovieStopAll();
  Video& video = TheVideo();
  std::lock_guard lock(video.lock);
  if (!video.player && !video.texture) return;
  VideoReleaseGraph(video);
  ClearEvents(video);
  system.movie = 0;
}

}  // namespace yel

extern "C" {

YEL_API int YelVideoPlay(const char* name, int32_t skip_mode) {
  yel::YelSystem* system = yel::System();
  if (!system || !name) return 0;
  const std::string file_name = name;
  int16_t format = 0;
  if (system->param.video_flag && yel::HasExtension(file_name, ".wmv")) {
    format = yel::kFormatWmv;
  } else if (yel::HasExtension(file_name, ".mpg")) {
    format = yel::kFormatMpeg;
  } else {
    return 0;
  }
  yel::Video& video = yel::TheVideo();
  std::lock_guard lock(video.lock);
  // A video still playing gives way to the new one only once that one runs: a call that fails
  // leaves the old video, its settings and the movie flag as they were.
  yel::Movie movie;
  const uint32_t number = video.player_number + 1;
  if (!yel::OpenMovie(video, file_name, number, movie) || !movie.player->Run()) {
    yel::ReleaseMovie(movie);
    return 0;
  }
  yel::VideoReleaseGraph(video);  // what it reported is dropped by its number
  yel::VideoTakeMovie(video, movie, number);
  video.kept_position = video.kept_stop = 0;
  video.skip_mode = skip_mode ? 1 : 0;
  video.file_name = file_name;
  video.format = format;
  video.error_restarts = 0;
  system->movie = 1;
  if (system->ui_queue && yel::CursorOverGameView(*system)) {
    system->ui_queue->Post(yel::MakeMessage(yel::WindowMessage::WM_YEL_SHOW_CURSOR, 0));
  }
  return 1;
}

YEL_API void YelSetVideoVolumeType(int32_t type) {
  yel::g_volume_type = type & 3;
}

YEL_API void YelVideoSaveState(void) {
  yel::Video& video = yel::TheVideo();
  std::lock_guard lock(video.lock);
  video.saved_fade = video.fade;
}

YEL_API void YelVideoRestoreState(void) {
  yel::Video& video = yel::TheVideo();
  std::lock_guard lock(video.lock);
  video.fade = video.saved_fade;
}

}  // extern "C"
