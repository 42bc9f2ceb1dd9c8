#!/usr/bin/env bash
# The whole check: installs what is missing, builds the release and the
# sanitizer trees and runs every test in both. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
tools/build.sh release
tools/build.sh asan

jobs=${VERIMO_JOBS:-$(nproc)}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
echo "== tests: sanitizer build =="
# The read-back sweeps through LibreOffice (label "soffice", *ReadBackTest)
# and the 200,000-row workbook are left to the release tree: under the
# sanitizers they cost many minutes, and the exporters' code they run is run
# there by the smaller tests too.
ctest --test-dir build/asan --output-on-failure -j "$jobs" -LE soffice \
  -E 'BigTableContinuesOnNewSheetsWithItsCaptions|ReadBackTest\.'

echo "== tests: release build =="
ctest --test-dir build/release --output-on-failure -j "$jobs"
