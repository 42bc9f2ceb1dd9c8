#!/usr/bin/env bash
# Takes the documentation's pictures of the main window and the export form
# under a virtual X server: builds verimo-screenshots and verimo-cli (in build/release) and
# writes docs/main-window.png, docs/export-dialog.png and
# docs/export-dialog-fields.png (the form opened on samples/MUSTERI.DB),
# docs/progress-window.png, and the first page of a wide table as PDF
# (docs/wide-table-pdf.png) and as DOCX and XLSX printed by LibreOffice
# (docs/wide-table-docx.png, docs/wide-table-xlsx.png); then the exports of
# the sample the README shows (PDF, RTF, XLS with its items, paged HTML).
#   tools/screenshots.sh [OUTDIR]     (default docs)
# VERIMO_BUILD_DIR picks another build tree (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in xvfb-run soffice pdftoppm chromium; do
  command -v $tool >/dev/null || { echo "screenshots: $tool is missing (tools/install-deps.sh installs it)" >&2; exit 1; }
done
out=${1:-docs}
build=${VERIMO_BUILD_DIR:-build/release}
mkdir -p build "$out"
log=build/screenshots-build.log
if ! { [[ -f $build/build.ninja ]] ||
       cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo; } >"$log" 2>&1 ||
   ! cmake --build "$build" --target verimo-screenshots verimo-cli -j "${VERIMO_JOBS:-$(nproc)}" >>"$log" 2>&1; then
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

# The exports the README shows, from the sample table and the settings files
# beside the pictures: the PDF's first and last pages, the XLS sheet with its
# items and the RTF document as LibreOffice prints them, a page of the paged
# HTML export in Chromium.
cli=$(realpath "$build/cli/verimo-cli")
sample=$(realpath samples/MUSTERI.DB)
docs=$(realpath docs)
(cd "$work" && "$cli" export --quiet --settings "$docs/pdf-export.ini" "$sample" sample.pdf &&
   "$cli" export --quiet --settings "$docs/rtf-export.ini" "$sample" sample.rtf &&
   "$cli" export --quiet --settings "$docs/html-export.ini" "$sample" sample.html &&
   "$cli" export --quiet --settings "$docs/xls-items-sample.cfg" "$sample") ||
  { echo "screenshots: an export of the sample failed" >&2; exit 1; }
pages=$(pdfinfo "$work/sample.pdf" | sed -n 's/^Pages: *//p')
pdftoppm -png -r 72 -f 1 -l 1 -singlefile "$work/sample.pdf" "$out/pdf-export-first"
pdftoppm -png -r 72 -f "$pages" -l "$pages" -singlefile "$work/sample.pdf" "$out/pdf-export-last"
echo "$out/pdf-export-first.png"
echo "$out/pdf-export-last.png"
for file in sample.rtf musteri.xls; do
  mkdir -p "$work/print-$file"
  soffice -env:UserInstallation="file://$work/profile" --headless --convert-to pdf --outdir "$work/print-$file" \
    "$work/$file" >/dev/null 2>&1
done
pdftoppm -png -r 70 -f 1 -l 1 -singlefile "$work/print-sample.rtf/sample.pdf" "$out/rtf-export"
pdftoppm -png -r 72 -f 1 -l 1 -singlefile "$work/print-musteri.xls/musteri.pdf" "$out/xls-items"
echo "$out/rtf-export.png"
echo "$out/xls-items.png"
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1200,900 \
  --screenshot="$out/html-export.png" "file://$work/sample01.html" >/dev/null 2>&1
echo "$out/html-export.png"
