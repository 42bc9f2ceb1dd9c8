#!/usr/bin/env bash
# Makes the sample table bundled in samples/: 200 records with a memo
# column, code page 1254, written by verimo-mkparadox (MUSTERI.DB + MUSTERI.MB).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ! -f build/release/build.ninja ]]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build/release --target verimo-mkparadox >/dev/null
build/release/tools/verimo-mkparadox --rows 200 --codepage 1254 --notes memo --seed 7 samples/MUSTERI.DB
echo "wrote samples/MUSTERI.DB and samples/MUSTERI.MB"
