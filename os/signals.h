// Termination signals. SIGINT and SIGTERM do not stop the process at once: they become an end
// request that the UI loop picks up and carries out like a normal end, without the quit question.
#pragma once

namespace os {

void InstallTerminationHandler();
// True once after each termination signal.
bool TakeTerminationRequest();

// A write past the process's file-size limit (RLIMIT_FSIZE) fails with EFBIG instead of killing
// the process with SIGXFSZ halfway, so it is handled like a full disk: the write reports its
// failure and the old file stays. Called once at the start of the program.
void IgnoreFileSizeLimitSignal();

}  // namespace os
