#!/usr/bin/env bash
# Installs what is missing, builds for speed, and runs the sample game
# (build-release/samples/game).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install_deps.sh
scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release
exec build-release/samples/game/Game "$@"
