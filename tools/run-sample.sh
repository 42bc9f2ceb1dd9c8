#!/usr/bin/env bash
# The main job on the bundled sample table: installs what is missing, builds
# verimo-cli in the release tree, prints the table's structure and its first
# records, and exports it to TXT, CSV, DIF and SYLK.
#   tools/run-sample.sh [OUTDIR]     (default build/sample-export)
#   tools/run-sample.sh --gui        builds and starts the desktop program
set -euo pipefail
cd "$(dirname "$0")/.."

target=verimo-cli
if [[ ${1:-} == --gui ]]; then
  target=verimo
  shift
fi

tools/install-deps.sh
mkdir -p build
log=build/run-sample-build.log
echo "Building $target in build/release (the first build takes a few minutes; log: $log)" >&2
if ! { [[ -f build/release/build.ninja ]] ||
       cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo; } >"$log" 2>&1 ||
   ! cmake --build build/release --target "$target" -j "${VERIMO_JOBS:-$(nproc)}" >>"$log" 2>&1; then
  cat "$log" >&2
  echo "run-sample: the build failed (see above)" >&2
  exit 1
fi

if [[ $target == verimo ]]; then
  exec build/release/app/verimo
fi

out=${1:-build/sample-export}
cli=build/release/cli/verimo-cli
"$cli" info samples/MUSTERI.DB
echo
"$cli" dump --limit 10 samples/MUSTERI.DB
echo
mkdir -p "$out"
for type in txt csv dif slk; do
  "$cli" export samples/MUSTERI.DB "$out/MUSTERI.$type"
done
echo "The exports are in $out:"
ls -l "$out"
