// The job that loads a voiced line's voice on the work thread while the main thread keeps
// drawing. There is one job object in the program, so at most one voice load is in flight.
//
// The two threads hand the job over through its phase word: the main thread fills the request
// and queues the job (release); the work thread claims a queued job (acquire), loads, stores the
// result and marks the job done (release); the main thread reads the result only after it saw
// done (acquire). The main thread waits for done however long the work thread is busy with
// other jobs; only a job still queued when the program ends or the scene is reset is dropped
// instead: a claim of a dropped job fails, so a job that the work thread runs late touches
// nothing.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "program/sound/sound_state.h"

namespace adv {

struct VoiceLoadRequest {
  SoundState* state = nullptr;
  int32_t channel = 0;
  std::array<char, kVoiceNameSize + 1> name{};
  uint32_t flags = 0;
  uint32_t fade = 0;
  int32_t request = 0;
  uint32_t loaded = 0;  // written by the job: the channels that got a sound
};

class ThreadBaseWorker {
 public:
  enum Phase : int32_t { kIdle, kQueued, kRunning, kDone, kDropped };

  virtual ~ThreadBaseWorker() = default;
  bool IsDone() const { return phase_.load(std::memory_order_acquire) == kDone; }
  Phase GetPhase() const { return phase_.load(std::memory_order_acquire); }
  int32_t GetResult() const { return result_.load(std::memory_order_relaxed); }
  void SetResult(int32_t value) { result_.store(value, std::memory_order_relaxed); }
  // Main thread, while the job is neither queued nor running.
  void Reset();
  void SetParam(uintptr_t value) { parameter_ = value; }
  uintptr_t GetParam() const { return parameter_; }
  // Main thread: the job may now be claimed.
  void Queue() { phase_.store(kQueued, std::memory_order_release); }
  // Work thread: true when the job was queued and is now this thread's.
  bool Claim();
  // Work thread: the result is there.
  void SetDone();
  // Main thread: a queued job will never run; true when it was queued.
  bool Drop();
  // Main thread: a queued job is dropped, a running one waited for.
  void Settle();
  virtual void Run() = 0;

 private:
  std::atomic<Phase> phase_{kIdle};
  std::atomic<int32_t> result_{0};
  uintptr_t parameter_ = 0;  // written by the main thread before Queue, read after Claim
};

class VoiceLoadWorker final : public ThreadBaseWorker {
 public:
  void Run() override;
};

// The work function posted with the job: runs it when it can claim it.
void ThreadBaseWorkerProc(uintptr_t worker);
// The program's one voice-load job.
VoiceLoadWorker& VoiceLoadJob();

enum class VoiceLoadStatus {
  kPending,  // queued or loading
  kDone,     // VoiceLoadResult tells how it went
  kDropped,  // never ran: settled by the end or a reset, or never posted
};

// Main thread: queues the load of the request's voice. False when a load is still in flight or
// the job could not be posted (nothing will run).
bool VoiceLoadStart(const VoiceLoadRequest& request);
VoiceLoadStatus VoiceLoadPoll();
// After kDone: 2 loaded (the request's `loaded` channels hold the sounds), 0 not.
int32_t VoiceLoadResult();
const VoiceLoadRequest& VoiceLoadCurrentRequest();
// Main thread, at the end and the scene reset: afterwards no job touches the voice records.
void VoiceLoadSettle();

}  // namespace adv
