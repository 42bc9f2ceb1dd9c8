#!/usr/bin/env bash
# Configures and builds one build tree: tools/build.sh release|asan
set -euo pipefail
cd "$(dirname "$0")/.."

kind=${1:-release}
case "$kind" in
  release) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan) flags=(-DCMAKE_BUILD_TYPE=Debug -DVERIMO_SANITIZE=ON) ;;
  *) echo "usage: tools/build.sh release|asan" >&2; exit 2 ;;
esac

if command -v ccache >/dev/null; then
  # Paths relative to the checkout and no build folder in the hash, so
  # clones, worktrees and the package tree share the cache (debug info then
  # names the folder of the first build).
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  flags+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

jobs=${VERIMO_JOBS:-$(nproc)}
if [[ ! -f build/$kind/build.ninja ]]; then
  cmake -S . -B "build/$kind" -G Ninja "${flags[@]}" >/dev/null
fi
cmake --build "build/$kind" -j "$jobs"
