#!/usr/bin/env bash
# The main job on the bundled sample table: installs what is missing, builds
# the release tree, prints the table's structure and its first records.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
tools/build.sh release >/dev/null
cli=build/release/cli/verimo-cli
"$cli" info samples/MUSTERI.DB
echo
"$cli" dump --limit 10 samples/MUSTERI.DB
