#include "os/signals.h"

#include <csignal>

namespace os {
namespace {

volatile std::sig_atomic_t g_requested = 0;

void OnTerminationSignal(int) { g_requested = 1; }

}  // namespace

void InstallTerminationHandler() {
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool TakeTerminationRequest() {
  if (!g_requested) return false;
  g_requested = 0;
  return true;
}

void IgnoreFileSizeLimitSignal() {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  sigaction(SIGXFSZ, &action, nullptr);
}

}  // namespace os
