#!/usr/bin/env bash
# Fuzzes the Paradox table reader with libFuzzer for a bounded time.
#
#   tools/fuzz-paradox.sh [SECONDS]      (default 600)
#
# Builds build/paradox-fuzz with clang (address and undefined-behaviour
# sanitizers), seeds the corpus from the shared fixture tables when
# ../shared is present, and runs one job. The corpus grows in
# build/paradox-fuzz/corpus; a finding is written to
# build/paradox-fuzz/findings/ and the script exits non-zero. Rerun a finding
# with: build/paradox-fuzz/fuzz/verimo_fuzz_paradox FILE
#
# With VERIMO_FUZZ_SALVAGE=1 (tools/fuzz-salvage.sh) it runs the salvage-mode
# target verimo_fuzz_paradox_salvage instead, with its own corpus-salvage and
# findings-salvage folders.
set -euo pipefail

seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/paradox-fuzz"
target=verimo_fuzz_paradox
corpus="$build/corpus"
findings="$build/findings"
if [[ -n "${VERIMO_FUZZ_SALVAGE:-}" ]]; then
  target=verimo_fuzz_paradox_salvage
  corpus="$build/corpus-salvage"
  findings="$build/findings-salvage"
fi
shared="${VERIMO_SHARED_DIR:-$root/../shared}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVERIMO_BUILD_FUZZERS=ON -DVERIMO_BUILD_TESTS=OFF \
  -DVERIMO_ONLY_LAYERS="core;platform/codepage;platform/data;platform/paradox;fuzz" \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
nice -n 10 cmake --build "$build" --target "$target" -j2

mkdir -p "$corpus" "$findings"
# Seed: each fixture table (and its .MB file) in the fuzzer's input layout.
if [[ -d "$shared/fixtures/paradox" ]] && [[ -z "$(ls -A "$corpus")" ]]; then
  while IFS= read -r -d '' table; do
    size=$(stat -c %s "$table")
    ((size <= 262144)) || continue
    blob=$(find "$(dirname "$table")" -maxdepth 1 -iname "$(basename "${table%.*}").mb" | head -n 1)
    name="$corpus/$(basename "$(dirname "$table")")-$(basename "$table")"
    /usr/bin/python3 -c 'import struct,sys; sys.stdout.buffer.write(struct.pack("<I", int(sys.argv[1])))' "$size" >"$name"
    cat "$table" >>"$name"
    if [[ -n "$blob" ]] && (($(stat -c %s "$blob") <= 262144)); then cat "$blob" >>"$name"; fi
  done < <(find "$shared/fixtures/paradox" -iname '*.db' -print0)
fi

cd "$build"
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}" \
nice -n 10 "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" \
  -max_len=65536 -rss_limit_mb=2048 -malloc_limit_mb=256 -timeout=10 \
  -artifact_prefix="$findings/" -print_final_stats=1
