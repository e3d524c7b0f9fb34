#!/usr/bin/env bash
# Installs what is missing, builds what playing needs (the program, its library, the data tools
# and the sample game, not the tests and benchmarks), and runs the sample game.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install_deps.sh
cmake -S "$root" -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target Game yel advasm pacbuild sample_game
exec build/samples/game/Game "$@"
