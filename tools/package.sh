#!/usr/bin/env bash
# Builds the Debian package: tools/package.sh [OUTDIR]
# Configures build/package (no tests), builds the programs and runs CPack;
# the .deb lands in OUTDIR (build/package by default) and its path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."

out=$(realpath -m "${1:-build/package}")
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERIMO_BUILD_TESTS=OFF)
if command -v ccache >/dev/null; then
  # As tools/build.sh: the release tree's objects serve this tree too.
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  flags+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
jobs=${VERIMO_JOBS:-$(nproc)}
if [[ ! -f build/package/build.ninja ]]; then
  cmake -S . -B build/package -G Ninja "${flags[@]}" >/dev/null
fi
cmake --build build/package -j "$jobs" --target verimo verimo-cli verimo_install_docs >/dev/null
mkdir -p "$out"
(cd build/package && cpack -G DEB -B "$out" >/dev/null)
ls -t "$out"/verimo_*.deb | head -1
