# Shared by tools/fuzz-settings.sh and tools/fuzz-export.sh (sourced, not
# run): builds the fuzz tree and runs one libFuzzer target for a bounded
# time.
#
# build/fuzz is configured with clang and the address and undefined-behaviour
# sanitizers, with every layer the exporters need. A finding is written to
# build/fuzz/findings/TARGET/ and makes the script exit non-zero; rerun it
# with: build/fuzz/fuzz/verimo_fuzz_TARGET FILE

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/fuzz"
shared="${VERIMO_SHARED_DIR:-$root/../shared}"

# The layers of the fuzz tree: all but the programs, the tools and the
# benchmarks.
fuzz_layers() {
  local layers=() layer
  for layer in core platform/codepage platform/data platform/locale platform/paradox platform/storage \
      platform/fonts platform/shell platform/clipboard platform/images platform/jet resources engine \
      formats/text formats/xls formats/rtf formats/package formats/database formats/pdf dialog fuzz; do
    [[ -f "$root/$layer/CMakeLists.txt" ]] && layers+=("$layer")
  done
  (IFS=';'; echo "${layers[*]}")
}

# build_fuzz_targets TARGET...
build_fuzz_targets() {
  local launcher=()
  if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$root"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVERIMO_BUILD_FUZZERS=ON -DVERIMO_BUILD_TESTS=OFF -DVERIMO_SHARED_DIR="$shared" "${launcher[@]}" \
    -DVERIMO_ONLY_LAYERS="$(fuzz_layers)" \
    -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
  nice -n 10 cmake --build "$build" --target "$@" -j2
}

# run_fuzzer TARGET SECONDS MAX_LEN CORPUS_SEED_FOLDER...
# Runs build/fuzz/fuzz/verimo_fuzz_TARGET on build/fuzz/corpus/TARGET,
# merged with the seed folders given, for SECONDS.
run_fuzzer() {
  local target=$1 seconds=$2 max_len=$3
  shift 3
  local corpus="$build/corpus/$target" findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  cd "$build"
  # The exports' package parts and copies go to a folder of the run's own.
  fuzz_tmp=$(mktemp -d)
  trap 'rm -rf "$fuzz_tmp"' EXIT
  # An undefined-behaviour report stops the run like a crash, so that it
  # leaves its input.
  UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}" \
  TMPDIR="$fuzz_tmp" nice -n 10 "$build/fuzz/verimo_fuzz_$target" "$corpus" "$@" -max_total_time="$seconds" \
    -max_len="$max_len" -rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=20 \
    -artifact_prefix="$findings/" -print_final_stats=1
}
