#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh <build-dir> [cmake options...]
# BUILD_TARGETS (space-separated) limits the build to those targets and what they need.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift

# Line tables are all the debug information the tests' reports need; full debug information
# takes much of the time of a build.
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
  "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
# A new tree is built with Ninja where it is installed; a tree made earlier keeps its generator.
if [[ ! -f "$dir/CMakeCache.txt" ]] && command -v ninja >/dev/null; then
  options+=(-G Ninja)
fi
# A compiler cache makes a rebuild of unchanged sources cheap, also in another checkout of the
# same project on this machine: paths under the checkout are hashed relative to it.
if command -v ccache >/dev/null; then
  options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=true
  export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-12G}
  # The test suites' precompiled header is made in the tree: its time stamps say nothing.
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
fi

cmake -S "$root" -B "$dir" "${options[@]}" "$@" >/dev/null
targets=()
for target in ${BUILD_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
