#!/usr/bin/env bash
# Fuzzes the Paradox table reader in salvage mode with libFuzzer for a
# bounded time: once a table is open, reading it must never fail, loop or
# read past its files, and it must give the records its damage report
# counts.
#
#   tools/fuzz-salvage.sh [SECONDS]      (default 600)
#
# Seeds, build and folders as tools/fuzz-paradox.sh, with the corpus in
# build/paradox-fuzz/corpus-salvage and findings in
# build/paradox-fuzz/findings-salvage/. Rerun a finding with:
# build/paradox-fuzz/fuzz/verimo_fuzz_paradox_salvage FILE
set -euo pipefail
VERIMO_FUZZ_SALVAGE=1 exec "$(dirname "$0")/fuzz-paradox.sh" "$@"
