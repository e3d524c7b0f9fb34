#!/usr/bin/env bash
# Installs what is missing, builds, and runs the sample game (build/samples/game).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install_deps.sh
scripts/build.sh build
exec build/samples/game/Game "$@"
