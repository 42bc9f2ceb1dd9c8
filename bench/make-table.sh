#!/usr/bin/env bash
# Generates a benchmark table of the eight benchmark columns once into
# bench/work/ and reuses it when present; prints the table's path.
#   bench/make-table.sh [ROWS [alpha|memo]]
# ROWS defaults to 1,000,000; the eighth column (Notes) is alpha by default,
# a memo (with a .MB file beside the table) when asked. The generator is
# built in $VERIMO_BENCH_BUILD (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."

rows=${1:-1000000}
notes=${2:-alpha}
case "$notes" in
  alpha) table=bench/work/BENCH$rows.DB ;;
  memo) table=bench/work/BENCH${rows}M.DB ;;
  *) echo "usage: bench/make-table.sh [ROWS [alpha|memo]]" >&2; exit 2 ;;
esac

build=${VERIMO_BENCH_BUILD:-build/release}
if [[ ! -f $table ]]; then
  if [[ ! -f $build/build.ninja ]]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build" --target verimo-mkparadox >/dev/null
  mkdir -p bench/work
  # Written under a temporary name so that an interrupted run leaves no
  # table that looks complete.
  tmp=bench/work/tmp-$$
  trap 'rm -f "$tmp.DB" "$tmp.MB"' EXIT
  "$build"/tools/verimo-mkparadox --quiet --rows "$rows" --codepage 1254 --notes "$notes" --seed 11 "$tmp.DB" >&2
  [[ $notes == memo ]] && mv "$tmp.MB" "${table%.DB}.MB"
  mv "$tmp.DB" "$table"
fi
echo "$table"
