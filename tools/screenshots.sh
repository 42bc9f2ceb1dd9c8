#!/usr/bin/env bash
# Takes the documentation's pictures of the main window and the export form
# under a virtual X server: builds verimo-screenshots (in build/release) and
# writes docs/main-window.png, docs/export-dialog.png and
# docs/export-dialog-fields.png (the form opened on samples/MUSTERI.DB),
# docs/progress-window.png, and the first page of a wide table as PDF
# (docs/wide-table-pdf.png) and as DOCX and XLSX printed by LibreOffice
# (docs/wide-table-docx.png, docs/wide-table-xlsx.png).
#   tools/screenshots.sh [OUTDIR]     (default docs)
# VERIMO_BUILD_DIR picks another build tree (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in xvfb-run soffice pdftoppm; do
  command -v $tool >/dev/null || { echo "screenshots: $tool is missing (tools/install-deps.sh installs it)" >&2; exit 1; }
done
out=${1:-docs}
build=${VERIMO_BUILD_DIR:-build/release}
mkdir -p build "$out"
log=build/screenshots-build.log
if ! { [[ -f $build/build.ninja ]] ||
       cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo; } >"$log" 2>&1 ||
   ! cmake --build "$build" --target verimo-screenshots -j "${VERIMO_JOBS:-$(nproc)}" >>"$log" 2>&1; then
  cat "$log" >&2
  echo "screenshots: the build failed (see above)" >&2
  exit 1
fi
# A Turkish user's session, so that the pictures show what such a user sees.
LANG=tr_TR.UTF-8 LC_ALL= xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/app/verimo-screenshots" "$out" samples/MUSTERI.DB

# The wide table's first pages: the PDF as it is, the DOCX and the XLSX as
# LibreOffice prints them.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mv "$out/wide-table.pdf" "$out/wide-table.docx" "$out/wide-table.xlsx" "$work/"
pdftoppm -png -r 70 -f 1 -l 1 -singlefile "$work/wide-table.pdf" "$out/wide-table-pdf"
echo "$out/wide-table-pdf.png"
# Both would print to wide-table.pdf: a folder each.
for type in docx xlsx; do
  mkdir -p "$work/$type"
  soffice -env:UserInstallation="file://$work/profile" --headless --convert-to pdf --outdir "$work/$type" \
    "$work/wide-table.$type" >/dev/null 2>&1
  [[ -f $work/$type/wide-table.pdf ]] || { echo "screenshots: LibreOffice did not convert the ${type^^}" >&2; exit 1; }
  pdftoppm -png -r 70 -f 1 -l 1 -singlefile "$work/$type/wide-table.pdf" "$out/wide-table-$type"
  echo "$out/wide-table-$type.png"
done
