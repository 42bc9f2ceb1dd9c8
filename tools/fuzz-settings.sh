#!/usr/bin/env bash
# Fuzzes the settings-file reader and the options loading of every built
# exporter and of the export dialog with libFuzzer for a bounded time.
#
#   tools/fuzz-settings.sh [SECONDS]      (default 600)
#
# Seeds: the settings files the program itself writes for every built type
# (exporters and dialog). The corpus grows in build/fuzz/corpus/settings,
# findings land in build/fuzz/findings/settings/ (see tools/fuzz-common.sh).
set -euo pipefail
source "$(dirname "$0")/fuzz-common.sh"

seconds=${1:-600}
build_fuzz_targets verimo_fuzz_settings verimo_fuzz_seeds
seeds="$build/seeds/settings"
rm -rf "$seeds"
"$build/fuzz/verimo_fuzz_seeds" settings "$seeds"
run_fuzzer settings "$seconds" 16384 "$seeds" "$root/fuzz/seeds/settings"
