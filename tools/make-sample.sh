#!/usr/bin/env bash
# Makes the sample table bundled in samples/ (200 records, code page 1254)
# with the generator built in the release tree.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh release >/dev/null
mkdir -p samples
build/release/tools/verimo-mkparadox --rows 200 --codepage 1254 --seed 7 samples/MUSTERI.DB
echo "wrote samples/MUSTERI.DB"
