#!/usr/bin/env bash
# Installs what is missing, builds for speed what playing needs (the program, its libraries, the
# data tools and the sample game, not the tests and benchmarks), and runs the sample game
# (build-release/samples/game).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install_deps.sh
cmake -S "$root" -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release -j "$(nproc)" --target Game yel os advasm aniasm pacbuild imgbuild gdatbuild fontsetbuild cmdref sample_game
exec build-release/samples/game/Game "$@"
