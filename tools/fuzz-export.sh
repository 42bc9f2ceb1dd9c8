#!/usr/bin/env bash
# Fuzzes every built exporter on generated tables (fuzz/FuzzTable.h) with
# libFuzzer for a bounded time.
#
#   tools/fuzz-export.sh [SECONDS]      (default 600)
#
# Seeds: the bundled sample table and, when ../shared is present, every
# fixture table, each described once per built export type. The corpus
# grows in build/fuzz/corpus/export, findings land in
# build/fuzz/findings/export/ (see tools/fuzz-common.sh).
set -euo pipefail
source "$(dirname "$0")/fuzz-common.sh"

seconds=${1:-600}
build_fuzz_targets verimo_fuzz_export verimo_fuzz_seeds
seeds="$build/seeds/export"
rm -rf "$seeds"
tables=("$root/samples/MUSTERI.DB")
if [[ -d "$shared/fixtures/paradox" ]]; then
  while IFS= read -r -d '' table; do tables+=("$table"); done < <(find "$shared/fixtures/paradox" -iname '*.db' -print0)
fi
"$build/fuzz/verimo_fuzz_seeds" export "$seeds" "${tables[@]}"
run_fuzzer export "$seconds" 262144 "$seeds"
