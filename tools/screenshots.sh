#!/usr/bin/env bash
# Takes the documentation's pictures of the main window and the export form
# under a virtual X server: builds verimo-screenshots (in build/release) and
# writes docs/main-window.png, docs/export-dialog.png and
# docs/export-dialog-fields.png (the form opened on samples/MUSTERI.DB).
#   tools/screenshots.sh [OUTDIR]     (default docs)
# VERIMO_BUILD_DIR picks another build tree (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."

command -v xvfb-run >/dev/null || { echo "screenshots: xvfb-run is missing (tools/install-deps.sh installs it)" >&2; exit 1; }
out=${1:-docs}
build=${VERIMO_BUILD_DIR:-build/release}
mkdir -p build "$out"
log=build/screenshots-build.log
if ! { [[ -f $build/build.ninja ]] ||
       cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo; } >"$log" 2>&1 ||
   ! cmake --build "$build" --target verimo-screenshots -j "${VERIMO_JOBS:-$(nproc)}" >>"$log" 2>&1; then
  cat "$log" >&2
  echo "screenshots: the build failed (see above)" >&2
  exit 1
fi
# A Turkish user's session, so that the pictures show what such a user sees.
LANG=tr_TR.UTF-8 LC_ALL= xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/app/verimo-screenshots" "$out" samples/MUSTERI.DB
