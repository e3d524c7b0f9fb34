#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the normal build, then a build
# with AddressSanitizer and UndefinedBehaviorSanitizer, then one with ThreadSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install_deps.sh

# Tests never need a display or a sound card.
export SDL_VIDEODRIVER=offscreen
export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

jobs=$(nproc)

scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$jobs"

# The sanitizer builds draw in software: SDL must not put the windows' pictures through the
# system's GL driver either, which the sanitizers cannot follow.
export SDL_FRAMEBUFFER_ACCELERATION=0

scripts/build.sh build-asan -DYEL_SANITIZE=ON
ctest --test-dir build-asan --output-on-failure -j "$jobs"

# ThreadSanitizer makes each game process many times slower; fewer at once keep their timings
# within what the tests allow.
scripts/build.sh build-tsan -DYEL_TSAN=ON
ctest --test-dir build-tsan --output-on-failure -j "$(( jobs > 4 ? 4 : jobs ))"
