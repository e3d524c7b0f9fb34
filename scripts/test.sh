#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the normal build, then a build
# with AddressSanitizer and UndefinedBehaviorSanitizer, then one with ThreadSanitizer that runs
# the tests exercising more than one thread (ctest label "threads"). Prints each phase's time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

times=()
# timed <name> <command...>: runs the command and keeps its wall-clock time for the summary.
timed() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  times+=("$(printf '%-16s %5d s' "$name" $((SECONDS - start)))")
}

timed packages scripts/install_deps.sh

# Tests never need a display or a sound card.
export SDL_VIDEODRIVER=offscreen
export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

jobs=$(nproc)

timed "plain build" scripts/build.sh build
timed "plain tests" ctest --test-dir build --output-on-failure -j "$jobs"

# The sanitizer builds draw in software: SDL must not put the windows' pictures through the
# system's GL driver either, which the sanitizers cannot follow.
export SDL_FRAMEBUFFER_ACCELERATION=0

timed "asan build" scripts/build.sh build-asan -DYEL_SANITIZE=ON
timed "asan tests" ctest --test-dir build-asan --output-on-failure -j "$jobs"

# Only the suites that hold threaded tests are built here. ThreadSanitizer makes each game
# process many times slower; fewer at once keep their timings within what the tests allow.
BUILD_TARGETS="os_tests yel_tests program_tests" timed "tsan build" \
  scripts/build.sh build-tsan -DYEL_TSAN=ON
timed "tsan tests" ctest --test-dir build-tsan --output-on-failure -L threads \
  -j "$(( jobs > 4 ? 4 : jobs ))"

printf '%s\n' "${times[@]}"
