#!/usr/bin/env bash
# The main job on the bundled sample table: installs what is missing, builds
# verimo-cli in the release tree, prints the table's structure and its first
# records, exports it to every file type and reads each file back with an
# independent reader where one is installed.
#   tools/run-sample.sh [OUTDIR]     (default build/sample-export)
#   tools/run-sample.sh --gui        builds and starts the desktop program
set -euo pipefail
cd "$(dirname "$0")/.."

target=verimo-cli
if [[ ${1:-} == --gui ]]; then
  target=verimo
  shift
fi

tools/install-deps.sh
mkdir -p build
log=build/run-sample-build.log
echo "Building $target in build/release (the first build takes a few minutes; log: $log)" >&2
if ! { [[ -f build/release/build.ninja ]] ||
       cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo; } >"$log" 2>&1 ||
   ! cmake --build build/release --target "$target" -j "${VERIMO_JOBS:-$(nproc)}" >>"$log" 2>&1; then
  cat "$log" >&2
  echo "run-sample: the build failed (see above)" >&2
  exit 1
fi

if [[ $target == verimo ]]; then
  exec build/release/app/verimo
fi

out=${1:-build/sample-export}
cli=build/release/cli/verimo-cli
"$cli" info samples/MUSTERI.DB
echo
"$cli" dump --limit 10 samples/MUSTERI.DB
echo
mkdir -p "$out"
# An Access export adds its rows to a database that is there: start afresh.
rm -f "$out"/MUSTERI.*
types=(txt csv dif slk xls doc rtf html xml dbf pdf tex sql ods odt xlsx docx mdb json jsonl sqlite)
for type in "${types[@]}"; do
  "$cli" export --quiet samples/MUSTERI.DB "$out/MUSTERI.$type"
done

# The reader that accepts a file, or why none was asked: one line each.
py() { /usr/bin/python3 -c "$1" "$2" >/dev/null 2>&1; }
have() { command -v "$1" >/dev/null; }
read_back() {
  local type=$1 file=$2
  case $type in
    csv) py 'import csv,sys; assert len(list(csv.reader(open(sys.argv[1], newline="", encoding="latin-1")))) > 1' "$file" &&
           echo "Python csv" ;;
    xls) py 'import sys,xlrd; assert xlrd.open_workbook(sys.argv[1]).sheet_by_index(0).nrows > 1' "$file" && echo xlrd ;;
    xlsx) py 'import sys,openpyxl; assert openpyxl.load_workbook(sys.argv[1], read_only=True).active.max_row > 1' "$file" &&
            echo openpyxl ;;
    docx) py 'import sys,docx; assert docx.Document(sys.argv[1]).tables' "$file" && echo python-docx ;;
    ods|odt) py 'import sys; from odf.opendocument import load; load(sys.argv[1])' "$file" && echo odfpy ;;
    dbf) py 'import sys,dbfread; assert len(list(dbfread.DBF(sys.argv[1]))) > 0' "$file" && echo dbfread ;;
    html) have xmllint && xmllint --html --noout "$file" 2>/dev/null && echo "xmllint --html" ;;
    xml) have xmllint && xmllint --noout "$file" && echo xmllint ;;
    pdf) have qpdf && qpdf --check "$file" >/dev/null && echo "qpdf --check" ;;
    tex) have pdflatex && (cd "$(dirname "$file")" && pdflatex -interaction=batchmode -halt-on-error \
           -output-directory "$scratch" "$(basename "$file")" >/dev/null) && echo pdflatex ;;
    # The script inserts into the table the SQLite export created.
    sql) have sqlite3 && cp "$out/MUSTERI.sqlite" "$scratch/script.sqlite" &&
           sqlite3 "$scratch/script.sqlite" "DELETE FROM MUSTERI" && sqlite3 -bail "$scratch/script.sqlite" < "$file" &&
           [[ $(sqlite3 "$scratch/script.sqlite" "SELECT count(*) FROM MUSTERI") -gt 0 ]] && echo "sqlite3 (the inserts run)" ;;
    mdb) have mdb-count && [[ $(mdb-count "$file" "$(mdb-tables -1 "$file" | head -1)" 2>/dev/null) -gt 0 ]] &&
           echo mdbtools ;;
    json|jsonl) have jq && jq -e . "$file" >/dev/null && echo jq ;;
    sqlite) have sqlite3 && [[ $(sqlite3 "$file" "PRAGMA integrity_check") == ok ]] && echo sqlite3 ;;
    dif|slk|rtf|doc) [[ -s $converted/MUSTERI-$type.pdf ]] && echo LibreOffice ;;
    *) echo "-" ;;
  esac
}

scratch=$(mktemp -d) converted=$(mktemp -d)
trap 'rm -rf "$scratch" "$converted"' EXIT
# LibreOffice reads the types no other installed reader does, in one run.
if have soffice; then
  for type in dif slk rtf doc; do cp "$out/MUSTERI.$type" "$converted/MUSTERI-$type.$type"; done
  soffice -env:UserInstallation="file://$converted/profile" --headless --convert-to pdf --outdir "$converted" \
    "$converted"/MUSTERI-*.* >/dev/null 2>&1 || true
fi

echo "The exports are in $out:"
for type in "${types[@]}"; do
  file=$out/MUSTERI.$type
  reader=$(read_back "$type" "$file" || true)
  printf '  %-14s %9s bytes  read by: %s\n' "MUSTERI.$type" "$(stat -c %s "$file")" "${reader:-(no installed reader accepted it)}"
done
