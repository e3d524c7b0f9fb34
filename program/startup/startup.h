// The start of the program, on the UI thread: checks, the platform library, the start-up
// record, the script-change check, the run, and the end.
#pragma once

namespace adv {

// The whole program; returns its exit code: 1 when it cannot start before the platform starts,
// 0 otherwise.
int GameMain(int argc, char** argv);

}  // namespace adv
