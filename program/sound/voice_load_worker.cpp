#include "program/sound/voice_load_worker.h"

#include "program/sound/voice_channels.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// The one job and its request. The request is written by the main thread only while the job is
// neither queued nor running, and read by the work thread only after its claim.
VoiceLoadWorker g_worker;
VoiceLoadRequest g_request;

}  // namespace

void ThreadBaseWorker::Reset() {
  phase_.store(kIdle, std::memory_order_relaxed);
  result_.store(0, std::memory_order_relaxed);
}

bool ThreadBaseWorker::Claim() {
  Phase expected = kQueued;
  return phase_.compare_exchange_strong(expected, kRunning, std::memory_order_acq_rel);
}

void ThreadBaseWorker::SetDone() {
  phase_.store(kDone, std::memory_order_release);
  phase_.notify_all();
}

bool ThreadBaseWorker::Drop() {
  Phase expected = kQueued;
  return phase_.compare_exchange_strong(expected, kDropped, std::memory_order_acq_rel);
}

void ThreadBaseWorker::Settle() {
  Drop();
  // A load that has begun is finite: its end is waited for.
  while (phase_.load(std::memory_order_acquire) == kRunning) phase_.wait(kRunning);
}

void VoiceLoadWorker::Run() {
  SetResult(0);
  auto* request = reinterpret_cast<VoiceLoadRequest*>(GetParam());
  SetResult(VoiceLoadInto(*request->state, request->channel, request->name.data(), request->flags,
                          request->loaded));
  SetDone();
}

void ThreadBaseWorkerProc(uintptr_t worker) {
  auto* job = reinterpret_cast<ThreadBaseWorker*>(worker);
  if (job->Claim()) job->Run();
}

VoiceLoadWorker& VoiceLoadJob() {
  return g_worker;
}

bool VoiceLoadStart(const VoiceLoadRequest& request) {
  const ThreadBaseWorker::Phase phase = g_worker.GetPhase();
  if (phase == ThreadBaseWorker::kQueued || phase == ThreadBaseWorker::kRunning) return false;
  g_request = request;
  g_request.name.back() = 0;
  g_request.loaded = 0;
  g_worker.Reset();
  g_worker.SetParam(reinterpret_cast<uintptr_t>(&g_request));
  g_worker.Queue();
  if (yel::YelAttachWorkProcess(ThreadBaseWorkerProc, reinterpret_cast<uintptr_t>(&g_worker))) {
    return true;
  }
  g_worker.Drop();
  return false;
}

VoiceLoadStatus VoiceLoadPoll() {
  switch (g_worker.GetPhase()) {
    case ThreadBaseWorker::kDone:
      return VoiceLoadStatus::kDone;
    case ThreadBaseWorker::kQueued:
    case ThreadBaseWorker::kRunning:
      return VoiceLoadStatus::kPending;
    case ThreadBaseWorker::kIdle:
    case ThreadBaseWorker::kDropped:
      break;
  }
  return VoiceLoadStatus::kDropped;
}

int32_t VoiceLoadResult() {
  return g_worker.IsDone() ? g_worker.GetResult() : 0;
}

const VoiceLoadRequest& VoiceLoadCurrentRequest() {
  return g_request;
}

void VoiceLoadSettle() {
  g_worker.Settle();
}

}  // namespace adv
