// Termination signals. SIGINT and SIGTERM do not stop the process at once: they become an end
// request that the UI loop picks up and carries out like a normal end, without the quit question.
#pragma once

namespace os {

void InstallTerminationHandler();
// True once after each termination signal.
bool TakeTerminationRequest();

}  // namespace os
