// Sprite transitions: a cross-fade from an outgoing to an incoming sprite, drawn by a render node
// of its own in place of the two sprites' nodes, stepped on the frame clock.
#include "YEL/graphics/sprite_transitions.h"

#include <mutex>
#include <new>

#include "YEL/graphics/sprite.h"
#include "YEL/render/render.h"

struct YelTransition {
  int32_t kind = 0;   // only 1, the cross-fade, is drawn
  int32_t state = 0;  // 0 none, 1 running, 2 finished
  YelRender* render = nullptr;
  YelSprite* incoming = nullptr;
  YelSprite* outgoing = nullptr;
  uint32_t duration = 0;
  uint32_t start = 0;
  // The started transitions, so that a sprite released under one can leave it.
  YelTransition* next_started = nullptr;
  YelTransition* prev_started = nullptr;
};

namespace yel {
namespace {

constexpr uint32_t ERROR_INVALID_FUNCTION = 1;
constexpr int32_t kCrossFade = 1;
constexpr int32_t kRunning = 1;
constexpr int32_t kFinished = 2;

// The first started transition; guarded by RenderListLock(), which sprite releases hold too.
YelTransition* g_started = nullptr;

void Register(YelTransition* transition) {
  std::lock_guard list_lock(RenderListLock());
  transition->prev_started = nullptr;
  transition->next_started = g_started;
  if (g_started) g_started->prev_started = transition;
  g_started = transition;
}

void Unregister(YelTransition* transition) {
  std::lock_guard list_lock(RenderListLock());
  if (transition->prev_started) {
    transition->prev_started->next_started = transition->next_started;
  } else if (g_started == transition) {
    g_started = transition->next_started;
  }
  if (transition->next_started) transition->next_started->prev_started = transition->prev_started;
  transition->next_started = transition->prev_started = nullptr;
}

uint32_t Alpha(uint32_t colour) {
  return colour >> 24;
}

uint32_t WithAlpha(uint32_t colour, uint32_t alpha) {
  return (colour & 0x00FFFFFFu) | alpha << 24;
}

bool Drawable(const YelSprite* sprite) {
  return !sprite || (sprite->visible && sprite->lock_flag.load() == 0);
}

// Both sprites: the incoming one with alpha a x x and the outgoing one with the rest of a (a
// the incoming sprite's alpha), laid centred on the incoming one.
void DrawBoth(YelCore* core, const YelSprite& in, const YelSprite& out, float x) {
  SpriteQuad incoming, outgoing;
  FillSpriteQuad(in, incoming);
  FillSpriteQuad(out, outgoing);
  const uint32_t a = Alpha(in.colour);
  const auto in_alpha = static_cast<uint32_t>(TruncateFloat(static_cast<float>(a) * x));
  incoming.colour = WithAlpha(in.colour, in_alpha);
  outgoing.colour = WithAlpha(out.colour, a - in_alpha);
  const int32_t in_width = in.rect.right - in.rect.left, in_height = in.rect.bottom - in.rect.top;
  const int32_t out_width = out.rect.right - out.rect.left;
  const int32_t out_height = out.rect.bottom - out.rect.top;
  outgoing.x = in.x + static_cast<float>(in_width - out_width) / 2.0f;
  outgoing.y = in.y + static_cast<float>(in_height - out_height) / 2.0f;
  outgoing.offset_x = in.offset_x;
  outgoing.offset_y = in.offset_y;
  core->DrawSpritePair(incoming, outgoing, x);
}

// The state follows the frame clock whether or not a frame draws the transition: the caller that
// ends it on its own frame step must see it finished once its time has passed, also when nothing
// presents (a minimised window, a run without a window) or its kind draws nothing. The part of
// the time passed, 0 to 1.
float StepState(YelTransition& transition) {
  const uint32_t elapsed = YeltimeGetTime() - transition.start;
  if (elapsed >= transition.duration) {
    if (transition.state == kRunning) transition.state = kFinished;
    return 1.0f;
  }
  return static_cast<float>(elapsed) / static_cast<float>(transition.duration);
}

// Draws the cross-fade at this frame's time x (0 to 1). The node stays until the transition is
// cancelled, showing the final picture once it has finished.
int SpriteTransitionDraw(YelCore* core, void* object) {
  auto* transition = static_cast<YelTransition*>(object);
  if (!transition || transition->kind != kCrossFade || !core) return 1;
  const float x = StepState(*transition);
  YelSprite* in = transition->incoming;
  YelSprite* out = transition->outgoing;
  // A hidden sprite stops the whole picture; one being written is drawn in a later frame.
  if (!Drawable(in) || !Drawable(out)) return 1;
  SpriteQuad quad;
  if (in && out && transition->duration != 0) {
    DrawBoth(core, *in, *out, x);
  } else if (in) {
    FillSpriteQuad(*in, quad);
    quad.colour = WithAlpha(in->colour, TruncateFloat(static_cast<float>(Alpha(in->colour)) * x));
    core->DrawSprite(quad);
  } else if (out) {
    FillSpriteQuad(*out, quad);
    const float left = static_cast<float>(Alpha(out->colour)) * (1.0f - x);
    quad.colour = WithAlpha(out->colour, TruncateFloat(left));
    core->DrawSprite(quad);
  }
  return 1;
}

void Mark(YelSprite* sprite, int32_t kind) {
  if (sprite) sprite->transition_mark = kind;
}

// Links the handle's node where the sprites are drawn: just before the incoming sprite (or
// the outgoing one alone), at its priority; by priority when there is no other node to follow.
YelRenderNode* LinkNode(YelRender* render, YelTransition* transition, YelSprite* in,
                        YelSprite* out) {
  if (in && out) {
    return YelRenderInsertNext(render, transition, SpriteTransitionDraw, in->priority, in);
  }
  if (in) return YelRenderInsert(render, transition, SpriteTransitionDraw, in->priority);
  return YelRenderInsertNext(render, transition, SpriteTransitionDraw, out->priority, out);
}

YelTransition* TransitionOrError(YelTransition* transition) {
  if (!transition) SetLastError(ERROR_INVALID_HANDLE);
  return transition;
}

}  // namespace

void TransitionsForgetSprite(YelSprite* sprite) {
  for (YelTransition* t = g_started; t; t = t->next_started) {
    if (t->incoming == sprite) t->incoming = nullptr;
    if (t->outgoing == sprite) t->outgoing = nullptr;
  }
}

}  // namespace yel

using yel::TransitionOrError;

extern "C" {

YEL_API YelTransition* YelSpriteCreateTransitionHandle(void) {
  void* block = YelMemoryAlloc(sizeof(YelTransition), 1);
  if (!block) {
    yel::SetLastError(yel::ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return new (block) YelTransition();
}

YEL_API int YelSpriteSetTransition(YelRender* render, YelSprite* incoming, YelSprite* outgoing,
                                   int32_t kind, uint32_t start, uint32_t duration,
                                   YelTransition* transition) {
  if (!TransitionOrError(transition)) return 0;
  // Refused before anything changes: a handle left half set would make its cancel touch
  // sprites it never had.
  if (!incoming && !outgoing) {
    yel::SetLastError(yel::ERROR_INVALID_FUNCTION);
    return 0;
  }
  // The same sprite on both sides is the incoming one: its cancel must not release it.
  if (outgoing == incoming) outgoing = nullptr;
  if (transition->state != 0) YelSpriteCancelTransition(transition);
  if (!render || !yel::LinkNode(render, transition, incoming, outgoing)) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return 0;
  }
  transition->kind = kind;
  transition->state = yel::kRunning;
  transition->render = render;
  transition->incoming = incoming;
  transition->outgoing = outgoing;
  transition->duration = duration;
  transition->start = start;
  yel::Mark(incoming, kind);
  yel::Mark(outgoing, kind);
  yel::Register(transition);
  yel::SetLastError(0);
  return 1;
}

YEL_API int32_t YelSpriteGetTransitionState(YelTransition* transition) {
  if (!transition) return 3;
  if (transition->state == yel::kRunning) yel::StepState(*transition);
  return transition->state;
}

YEL_API int YelSpriteCancelTransition(YelTransition* transition) {
  if (!TransitionOrError(transition) || !transition->render) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return 0;
  }
  yel::Unregister(transition);
  YelRenderRemoveLocked(transition->render, transition);
  yel::Mark(transition->incoming, 0);
  if (transition->outgoing) YelSpriteRelease(transition->render, transition->outgoing);
  *transition = YelTransition{};
  yel::SetLastError(0);
  return 1;
}

YEL_API int YelSpriteReleaseTransitionHandle(YelTransition* transition) {
  if (!TransitionOrError(transition)) return 0;
  if (transition->state != 0) YelSpriteCancelTransition(transition);
  transition->~YelTransition();
  YelMemoryFree(transition);
  return 1;
}

}  // extern "C"
