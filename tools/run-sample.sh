#!/usr/bin/env bash
# The main job on the bundled sample table: installs what is missing, builds
# verimo-cli in the release tree, prints the table's structure and its first
# records.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
mkdir -p build
log=build/run-sample-build.log
echo "Building verimo-cli in build/release (the first build takes a few minutes; log: $log)" >&2
if ! { [[ -f build/release/build.ninja ]] ||
       cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo; } >"$log" 2>&1 ||
   ! cmake --build build/release --target verimo-cli -j "${VERIMO_JOBS:-$(nproc)}" >>"$log" 2>&1; then
  cat "$log" >&2
  echo "run-sample: the build failed (see above)" >&2
  exit 1
fi

cli=build/release/cli/verimo-cli
"$cli" info samples/MUSTERI.DB
echo
"$cli" dump --limit 10 samples/MUSTERI.DB
