#!/usr/bin/env bash
# Generates the benchmark table (default 1,000,000 records of the eight
# benchmark columns) once into bench/work/ and reuses it when present.
#   bench/make-table.sh [ROWS]     prints the table's path
set -euo pipefail
cd "$(dirname "$0")/.."

rows=${1:-1000000}
table=bench/work/BENCH$rows.DB
if [[ ! -f $table ]]; then
  tools/build.sh release >/dev/null
  mkdir -p bench/work
  build/release/tools/verimo-mkparadox --rows "$rows" --codepage 1254 --seed 11 "$table.tmp"
  mv "$table.tmp" "$table"
fi
echo "$table"
