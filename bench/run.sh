#!/usr/bin/env bash
# The benchmark: every registered format is exported by verimo-cli and by
# its peer from the same rows in the same run; prints wall and CPU seconds,
# rows per second, peak memory, output size and the ratio to the peer, and
# writes them to bench/RESULTS.md (its "## Analysis" part is kept).
#   bench/run.sh [--formats LIST] [ROWS...]
# LIST: comma-separated format names (default: all registered). ROWS: row
# counts that replace every selected format's own. VERIMO_BENCH_BUILD names
# the RelWithDebInfo tree verimo-cli is built in (default build/release);
# VERIMO_BENCH_PROFILE=0 skips the profile of the slowest format. Each
# format's peak memory is also shown at 100,000 and 1,000,000 rows side by
# side (verimo-cli alone is run at a count the format's runs lack);
# VERIMO_BENCH_MEMORY=0 skips those extra runs.
set -euo pipefail
cd "$(dirname "$0")/.."

# ---- the formats: one line each ----
# register NAME OUR-COMMAND PEER-COMMAND "ROWS..." [PEER-ROWS [TABLE]]
# PEER-ROWS caps the peer's rows (a slow peer measured on fewer rows); the
# ratios then compare rows per second. TABLE is the kind of benchmark table
# (bench/make-table.sh): alpha (the default) or memo, whose Notes are a memo.
# Placeholders: {cli} verimo-cli, {table} the benchmark table (.DB),
# {db} the same rows in sqlite, {csv} / {tsv} the same rows as CSV with a
# header / as verimo-cli dump prints them, {ours} / {peer} an empty folder
# for each side's output, {lo} LibreOffice headless with its own profile.
# A format whose command verimo-cli cannot run yet is skipped with a note.
registered=()
register() { registered+=("$1"$'\x1f'"$2"$'\x1f'"$3"$'\x1f'"$4"$'\x1f'"${5:-}"$'\x1f'"${6:-alpha}"); }

register csv  "{cli} export {table} {ours}/out.csv"  "sqlite3 -csv -header {db} 'select * from bench' > {peer}/out.csv"  "100000 1000000"
register txt  "{cli} export {table} {ours}/out.txt"  "sqlite3 -csv -header {db} 'select * from bench' > {peer}/out.csv"  "100000 1000000"
register xlsx "{cli} export {table} {ours}/out.xlsx" "{xlsxpeer} {tsv} {peer}/out.xlsx"                                "100000 1000000"
register html "{cli} export {table} {ours}/out.html" "sqlite3 -html -header {db} 'select * from bench' > {peer}/out.html" "100000 1000000"
register jsonl "{cli} export {table} {ours}/out.jsonl" "sqlite3 -json {db} 'select * from bench' > {peer}/out.json" "100000 1000000"
register sql  "{cli} export {table} {ours}/out.sql"  "sqlite3 {db} '.mode insert bench' 'select * from bench' > {peer}/out.sql" "100000 1000000"
register xml  "{cli} export {table} {ours}/out.xml"  "sqlite3 -html -header {db} 'select * from bench' > {peer}/out.html" "100000 1000000"
register tex  "{cli} export {table} {ours}/out.tex"  "sqlite3 -html -header {db} 'select * from bench' > {peer}/out.html" "100000"
register mdb  "{cli} export {table} {ours}/out.mdb"  "sqlite3 {peer}/out.sqlite '.mode csv' '.import {csv} bench'"                 "100000 1000000"
register sqlite "{cli} export {table} {ours}/out.sqlite" "sqlite3 {peer}/out.sqlite '.mode csv' '.import {csv} bench'"             "100000 1000000"
register xls  "{cli} export {table} {ours}/out.xls"  "{lo} --infilter='Text - txt - csv (StarCalc):44,34,76,1' --convert-to 'xls:MS Excel 97' --outdir {peer} {csv}" "1000000" 100000
register ods  "{cli} export {table} {ours}/out.ods"  "{lo} --infilter='Text - txt - csv (StarCalc):44,34,76,1' --convert-to ods --outdir {peer} {csv}" "1000000" 100000
register odt  "{cli} export {table} {ours}/out.odt"  "{lo} --infilter='Text (encoded):UTF8' --convert-to odt --outdir {peer} {csv}" "1000000" 100000
register pdf  "{cli} export {table} {ours}/out.pdf"  "{lo} --infilter='Text - txt - csv (StarCalc):44,34,76,1' --convert-to pdf --outdir {peer} {csv}" "1000000" 100000
register dbf  "{cli} export {table} {ours}/out.dbf"  "{lo} --infilter='Text - txt - csv (StarCalc):44,34,76,1' --convert-to 'dbf:dBase:36' --outdir {peer} {csv}" "1000000" 100000
# LibreOffice's spreadsheet cannot store RTF, so its word processor converts the rows: the CSV
# file read as UTF-8 text (one paragraph per line, as the odt peer), written as RTF.
register rtf  "{cli} export {table} {ours}/out.rtf"  "{lo} --infilter='Text (encoded):UTF8' --convert-to 'rtf:Rich Text Format' --outdir {peer} {csv}" "1000000" 100000
# DOCX: the same word-processor conversion of the CSV rows as text, saved as Word 2007 XML.
register docx "{cli} export {table} {ours}/out.docx" "{lo} --infilter='Text (encoded):UTF8' --convert-to 'docx:MS Word 2007 XML' --outdir {peer} {csv}" "1000000" 100000
# The same rows with the Notes in a memo (.MB) file: the BLOB path.
register csv-memo  "{cli} export {table} {ours}/out.csv"  "sqlite3 -csv -header {db} 'select * from bench' > {peer}/out.csv" "100000 1000000" "" memo
register xlsx-memo "{cli} export {table} {ours}/out.xlsx" "{xlsxpeer} {tsv} {peer}/out.xlsx"                               "100000 1000000" "" memo

# ---- command line ----
only=""
counts=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --formats) only=${2:?--formats needs a list}; shift 2 ;;
    --formats=*) only=${1#--formats=}; shift ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    -*) echo "bench: unknown option $1" >&2; exit 2 ;;
    *) [[ $1 =~ ^[0-9]+$ ]] || { echo "bench: not a row count: $1" >&2; exit 2; }
       counts+=("$1"); shift ;;
  esac
done

known=",$(for entry in "${registered[@]}"; do printf '%s,' "${entry%%$'\x1f'*}"; done)"
if [[ -n $only ]]; then
  IFS=, read -r -a wanted <<< "$only"
  for name in "${wanted[@]}"; do
    [[ $known == *",$name,"* ]] || { echo "bench: no format $name; the formats: ${known:1:-1}" >&2; exit 2; }
  done
fi

build=${VERIMO_BENCH_BUILD:-build/release}
export VERIMO_BENCH_BUILD=$build
work=bench/work/run
log=$work/bench.log
lo_profile=/tmp/lo-bench-$$
trap 'rm -rf "$lo_profile"' EXIT

tools/install-deps.sh >/dev/null
mkdir -p "$work"
: > "$log"
echo "Building verimo-cli in $build (log: $log)" >&2
if ! { [[ -f $build/build.ninja ]] ||
       cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo; } >>"$log" 2>&1 ||
   ! cmake --build "$build" --target verimo-cli >>"$log" 2>&1; then
  cat "$log" >&2
  echo "bench: the build failed (see above)" >&2
  exit 1
fi
cli=$build/cli/verimo-cli

# The peers that are programs of ours, built once.
xlsxpeer=$work/xlsx_constant_memory
if [[ ! -x $xlsxpeer || bench/peers/xlsx_constant_memory.c -nt $xlsxpeer ]]; then
  cc -O2 -o "$xlsxpeer" bench/peers/xlsx_constant_memory.c $(pkg-config --cflags --libs xlsxwriter) >>"$log" 2>&1 ||
    echo "bench: the libxlsxwriter peer did not build (see $log)" >&2
fi

# ---- the rows in each form the peers read (made once, not timed) ----
# Each takes ROWS TABLE and keeps its file under the table's name.
rows_tsv() {
  local file=bench/work/$(basename "$2" .DB).tsv
  [[ -f $file ]] || { "$cli" dump "$2" > "$file.tmp" && mv "$file.tmp" "$file"; }
  echo "$file"
}
rows_sqlite() {
  local db=bench/work/$(basename "$2" .DB).sqlite
  if [[ ! -f $db ]]; then
    echo "Loading $1 rows into $db (not timed)" >&2
    tail -n +2 "$(rows_tsv "$1" "$2")" > "$work/rows.tsv"
    rm -f "$db.tmp"
    sqlite3 "$db.tmp" <<SQL
create table bench(Id integer, Name text, City text, Balance real, Level integer,
                   Joined text, Active text, Notes text);
.mode tabs
.import $work/rows.tsv bench
SQL
    mv "$db.tmp" "$db"
    rm -f "$work/rows.tsv"
  fi
  echo "$db"
}
rows_csv() {
  local file=bench/work/$(basename "$2" .DB).csv
  [[ -f $file ]] || { sqlite3 -csv -header "$(rows_sqlite "$1" "$2")" 'select * from bench' > "$file.tmp" && mv "$file.tmp" "$file"; }
  echo "$file"
}

# ---- measuring ----
# measure COMMAND: runs it under /usr/bin/time -v through sh; prints
# "status wall-seconds cpu-seconds peak-kB" (cpu = user + system).
measure() {
  local status=0
  /usr/bin/time -v -o "$work/time.txt" sh -c "$1" >>"$log" 2>&1 || status=$?
  awk -v status="$status" -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i] }
    /Maximum resident set size/ { kb = $2 }
    /User time|System time/ { cpu += $2 }
    END { printf "%d %.2f %.2f %d\n", status, s, cpu, kb }' "$work/time.txt"
}

# expand TEMPLATE ROWS TABLE: the command with its placeholders filled in.
expand() {
  local command=$1 rows=$2 table=$3
  command=${command//\{cli\}/$cli}
  command=${command//\{table\}/$table}
  command=${command//\{ours\}/$work/ours}
  command=${command//\{peer\}/$work/peer}
  command=${command//\{xlsxpeer\}/$xlsxpeer}
  command=${command//\{lo\}/soffice -env:UserInstallation=file://$lo_profile --headless}
  [[ $command == *"{db}"* ]] && command=${command//\{db\}/$(rows_sqlite "$rows" "$table")}
  [[ $command == *"{csv}"* ]] && command=${command//\{csv\}/$(rows_csv "$rows" "$table")}
  [[ $command == *"{tsv}"* ]] && command=${command//\{tsv\}/$(rows_tsv "$rows" "$table")}
  echo "$command"
}

# Files in a folder, in bytes; 0 when it is empty.
output_bytes() { du -sb "$1" | cut -f1; }
fresh_dir() { rm -rf "$1"; mkdir -p "$1"; }

rate() { awk -v r="$1" -v s="$2" 'BEGIN { printf "%.0f", (s > 0 ? r / s : 0) }'; }
megabytes() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }
# ratio PEER-SECONDS OUR-SECONDS [PEER-ROWS OUR-ROWS]: our rows per second over the peer's.
ratio() {
  awk -v peer="$1" -v ours="$2" -v peer_rows="${3:-1}" -v our_rows="${4:-1}" \
    'BEGIN { if (ours > 0 && peer > 0) printf "%.2f×", (our_rows / ours) / (peer_rows / peer); else printf "–" }'
}

# zip_against_level9 FORMAT ROWS: for a zipped format, a row of the archive's
# entries beside the same entries deflated by zlib at level 9 (not timed).
zip_against_level9() {
  local archive=$work/ours/out.$1 line size entries level9
  case $1 in xlsx|ods|odt|docx) ;; *) return 0 ;; esac
  [[ -f $archive ]] || return 0
  if ! line=$(/usr/bin/python3 bench/zip-level9.py "$archive" 2>>"$log"); then
    notes+=("- $1, $2 rows: bench/zip-level9.py failed (see $log)")
    return 0
  fi
  read -r _ size entries level9 <<< "$line"
  size=${size#archive=} entries=${entries#entries=} level9=${level9#zlib9=}
  zipped+=("| $1 | $2 | $size | $entries | $level9 | $(awk -v a="$entries" -v b="$level9" \
    'BEGIN { printf "%+.1f%%", (b > 0 ? 100 * (a - b) / b : 0) }') |")
}

# Whether our side can run the format at all: tried on a tiny table.
tiny_table=$(bench/make-table.sh 20)
can_export() {
  local command
  command=$(expand "$1" 20 "$tiny_table")
  fresh_dir "$work/ours"
  sh -c "$command" > "$work/probe.txt" 2>&1
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
started=$(date -u '+%Y-%m-%d %H:%M UTC')
lines=()
zipped=()
notes=()
memory=()
declare -A peak_kb=()
memory_counts=(100000 1000000)
slowest_rate="" slowest_format="" slowest_command="" slowest_kind=""
for entry in "${registered[@]}"; do
  IFS=$'\x1f' read -r name ours peer format_rows peer_cap kind <<< "$entry"
  if [[ -n $only && ",$only," != *",$name,"* ]]; then continue; fi
  if ! can_export "$ours"; then
    notes+=("- $name: skipped, verimo-cli cannot export it on this build ($(head -n1 "$work/probe.txt"))")
    echo "Skipping $name: $(head -n1 "$work/probe.txt")" >&2
    continue
  fi
  read -r -a runs <<< "$format_rows"
  [[ ${#counts[@]} -gt 0 ]] && runs=("${counts[@]}")
  for rows in "${runs[@]}"; do
    table=$(bench/make-table.sh "$rows" "$kind")
    peer_rows=$rows peer_table=$table
    if [[ -n $peer_cap && $rows -gt $peer_cap ]]; then
      peer_rows=$peer_cap peer_table=$(bench/make-table.sh "$peer_cap" "$kind")
    fi
    peer_command=$(expand "$peer" "$peer_rows" "$peer_table")
    our_command=$(expand "$ours" "$rows" "$table")
    echo "$name, $rows rows" >&2
    fresh_dir "$work/peer"
    read -r p_status p_s p_cpu p_kb < <(measure "$peer_command")
    p_bytes=$(output_bytes "$work/peer")
    fresh_dir "$work/ours"
    read -r o_status o_s o_cpu o_kb < <(measure "$our_command")
    o_bytes=$(output_bytes "$work/ours")
    [[ $o_status -eq 0 ]] && zip_against_level9 "$name" "$rows"
    peer_name=${peer%% *}
    peer_name=${peer_name//[(){\}]/}
    [[ $peer == *"{lo}"* ]] && peer_name=lo
    if [[ $o_status -ne 0 ]]; then
      notes+=("- $name, $rows rows: verimo-cli failed (exit $o_status; see $log)")
      continue
    fi
    peak_kb[$name,$rows]=$o_kb
    if [[ $p_status -ne 0 || $p_bytes -eq 0 ]]; then
      notes+=("- $name, $rows rows: the peer failed or wrote nothing (exit $p_status; see $log)")
      p_s=0 p_cpu=0
    fi
    lines+=("| $rows | $name | verimo-cli | $o_s | $o_cpu | $(rate "$rows" "$o_s") | $(rate "$rows" "$o_cpu") | $(megabytes $((o_kb * 1024))) | $(megabytes "$o_bytes") | $(ratio "$p_s" "$o_s" "$peer_rows" "$rows") | $(ratio "$p_cpu" "$o_cpu" "$peer_rows" "$rows") |")
    lines+=("| $peer_rows | $name | $peer_name | $p_s | $p_cpu | $(rate "$peer_rows" "$p_s") | $(rate "$peer_rows" "$p_cpu") | $(megabytes $((p_kb * 1024))) | $(megabytes "$p_bytes") | | |")
    our_rate=$(rate "$rows" "$o_cpu")
    if [[ -z $slowest_rate || $our_rate -lt $slowest_rate ]]; then
      slowest_rate=$our_rate slowest_format=$name slowest_command=$ours slowest_kind=$kind
    fi
  done
  # The peak memory at the counts of the side-by-side table the runs lack.
  [[ ${VERIMO_BENCH_MEMORY:-1} == 0 ]] && continue
  for rows in "${memory_counts[@]}"; do
    [[ -n ${peak_kb[$name,$rows]:-} ]] && continue
    echo "$name, $rows rows (memory only)" >&2
    fresh_dir "$work/ours"
    read -r o_status _ _ o_kb < <(measure "$(expand "$ours" "$rows" "$(bench/make-table.sh "$rows" "$kind")")")
    if [[ $o_status -eq 0 ]]; then
      peak_kb[$name,$rows]=$o_kb
    else
      notes+=("- $name, $rows rows (memory only): verimo-cli failed (exit $o_status; see $log)")
    fi
  done
  small=${peak_kb[$name,100000]:-} large=${peak_kb[$name,1000000]:-}
  if [[ -n $small && -n $large ]]; then
    growth=$(awk -v a="$small" -v b="$large" 'BEGIN { printf "%+.1f", (b - a) / 1024 }')
    flat="yes"
    if (( large - small > 10 * 1024 )); then
      flat="**no: grows by more than 10 MB**"
      notes+=("- $name: peak memory grows by $growth MB from 100,000 to 1,000,000 rows (more than 10 MB).")
      echo "bench: $name grows by $growth MB of peak memory from 100,000 to 1,000,000 rows" >&2
    fi
    memory+=("| $name | $(megabytes $((small * 1024))) | $(megabytes $((large * 1024))) | $growth | $flat |")
  fi
done
rm -rf "$work/ours" "$work/peer"

# ---- the engine's loop and the reader's scan (no peer) ----
# The largest row count of the run (1,000,000 unless ROWS say otherwise).
scan_rows=1000000
[[ ${#counts[@]} -gt 0 ]] && scan_rows=$(printf '%s\n' "${counts[@]}" | sort -n | tail -n1)
engine=()
if cmake --build "$build" --target verimo_paradox_scan >>"$log" 2>&1; then
  echo "reader scan, $scan_rows rows" >&2
  table=$(bench/make-table.sh "$scan_rows")
  read -r s_status s_s s_cpu s_kb < <(measure "$build/tests/platform/paradox/verimo_paradox_scan $table")
  if [[ $s_status -eq 0 ]]; then
    engine+=("| Reader scan: every field of every record (\`verimo_paradox_scan\`) | $scan_rows | $s_s | $s_cpu | $(rate "$scan_rows" "$s_cpu") | $(megabytes $((s_kb * 1024))) | ≤ 0.5 s at 1,000,000 rows |")
  else
    notes+=("- The reader scan failed (exit $s_status; see $log).")
  fi
else
  notes+=("- The reader scan did not build (see $log).")
fi
# The micro-benchmarks run five times each: the median and the best run.
if cmake --build "$build" --target verimo_engine_bench >>"$log" 2>&1 &&
   [[ -x $build/bench/micro/verimo_engine_bench ]]; then
  echo "engine loop into a null stream" >&2
  if "$build/bench/micro/verimo_engine_bench" --benchmark_filter='IntoNullStream' --benchmark_repetitions=5 \
       --benchmark_format=json > "$work/micro.json" 2>>"$log"; then
    while IFS= read -r line; do engine+=("$line"); done < <(/usr/bin/python3 - "$work/micro.json" <<'PY'
import json, statistics, sys
runs = {}
for bench in json.load(open(sys.argv[1]))["benchmarks"]:
    if bench.get("run_type") == "iteration":
        runs.setdefault(bench["run_name"], []).append(bench)
titles = {"BM_ExportLoopIntoNullStream": ("Export loop into a null stream: generic rows, UTF-8", "≥ 3,000,000 rows/s"),
          "BM_CSVExportIntoNullStream": ("CSV exporter into a null stream: ANSI code page", "")}
for name, reps in runs.items():
    family, rows = name.split("/")[0], int(name.split("/")[1])
    title, target = titles.get(family, (family, ""))
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    seconds = lambda key: statistics.median(r[key] * unit[r["time_unit"]] for r in reps)
    rates = sorted(r["rows/s"] for r in reps)
    print(f"| {title} (`{family}`, median of {len(reps)}; best) | {rows} | {seconds('real_time'):.3f} | "
          f"{seconds('cpu_time'):.3f} | {statistics.median(rates):.0f} ({rates[-1]:.0f}) | – | {target} |")
PY
    )
  else
    notes+=("- The micro-benchmarks failed (see $log).")
  fi
else
  notes+=("- The micro-benchmarks are not built here (Google Benchmark missing).")
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# A profile of the slowest format on 100,000 rows: where its CPU time goes.
profile=()
if [[ -n $slowest_format && ${VERIMO_BENCH_PROFILE:-1} != 0 ]] && command -v perf >/dev/null; then
  table=$(bench/make-table.sh 100000 "$slowest_kind")
  fresh_dir "$work/ours"
  if perf record -q -F 999 -e cpu-clock -o "$work/perf.data" -- \
       sh -c "$(expand "$slowest_command" 100000 "$table")" >>"$log" 2>&1; then
    while IFS= read -r line; do profile+=("$line"); done < <(
      perf report -q -i "$work/perf.data" --stdio --no-children --sort dso,symbol --percent-limit 1.5 2>>"$log" |
        awk 'NF >= 3 && $1 ~ /%$/ { share = $1; dso = $2; $1 = ""; $2 = ""; $3 = ""
                                     sub(/^ +/, ""); sub(/([ \t]+-)*[ \t]*$/, "")
                                     printf "| %s | %s | `%s` |\n", share, dso, $0 }' | head -n 15)
  fi
  rm -rf "$work/ours" "$work/perf.data"
fi

report=bench/RESULTS.md
analysis=""
[[ -f $report ]] && analysis=$(sed -n '/^## Analysis/,$p' "$report")
# A run of some formats keeps the earlier rows of the others, in the table
# of the formats (main) and in the one of the zipped archives (zip).
kept_rows() {
  awk -F' [|] ' -v only=",$only," -v table="$1" '
    /^[|] Rows [|] Format [|]/ { inside = "main"; next }
    /^[|] Format [|] Rows [|] Archive [|]/ { inside = "zip"; next }
    /^[|] Format [|] Peak RSS, 100,000 rows/ { inside = "memory"; next }
    /^$/ { inside = "" }
    inside == table && /^[|] / {
      format = table == "main" ? $2 : substr($1, 3)
      if (index(only, "," format ",") == 0) print
    }' "$report"
}
kept=()
kept_zipped=()
kept_memory=()
if [[ -n $only && -f $report ]]; then
  while IFS= read -r line; do kept+=("$line"); done < <(kept_rows main)
  while IFS= read -r line; do kept_zipped+=("$line"); done < <(kept_rows zip)
  while IFS= read -r line; do kept_memory+=("$line"); done < <(kept_rows memory)
  [[ ${#kept[@]} -gt 0 ]] && notes+=("- Only $only ran on $started; the other rows are kept from the earlier runs.")
fi
zipped+=("${kept_zipped[@]}")
memory+=("${kept_memory[@]}")
{
  echo "# Benchmark results"
  echo
  echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores," \
       "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(uname -sr)."
  echo "Run: $started; load average before $load_before, after $load_after (1, 5, 15 minutes)."
  echo "verimo-cli: $build ($(grep -m1 CMAKE_BUILD_TYPE: "$build/CMakeCache.txt" | cut -d= -f2));" \
       "$(sqlite3 --version | cut -d' ' -f1-2 | sed 's/^/sqlite3 /'); peers as registered in bench/run.sh."
  echo
  echo "Tables of 8 columns (integer, alpha 40, alpha 24, currency, short, date, logical, alpha 120)"
  echo "made by bench/make-table.sh; the formats named -memo read the same table with the Notes as a"
  echo "memo (bench/make-table.sh ROWS memo). Each peer reads the same rows, prepared beforehand (not timed):"
  echo "sqlite3 from a database, the libxlsxwriter peer (bench/peers/, constant-memory mode) from the"
  echo "rows as \`verimo-cli dump\` prints them, LibreOffice from CSV. Wall and CPU seconds (user +"
  echo "system) and peak resident memory come from /usr/bin/time -v. The ratios are our rows per"
  echo "second over the peer's: by wall clock and by CPU time; on a shared machine the CPU time is"
  echo "the steadier of the two. TXT reads the table twice (column widths, then the rows)."
  echo
  echo "| Rows | Format | Run | Wall s | CPU s | Rows/s (wall) | Rows/s (CPU) | Peak RSS (MB) | Output (MB) | vs peer (wall) | vs peer (CPU) |"
  echo "|---:|---|---|---:|---:|---:|---:|---:|---:|---:|---:|"
  printf '%s\n' "${lines[@]}"
  [[ ${#kept[@]} -gt 0 ]] && printf '%s\n' "${kept[@]}"
  if [[ ${#memory[@]} -gt 0 ]]; then
    echo
    echo "Peak resident memory of verimo-cli at 100,000 and 1,000,000 rows (MB), from the runs above or"
    echo "from runs of verimo-cli alone; a format whose peak grows by more than 10 MB between the two is"
    echo "not flat."
    echo
    echo "| Format | Peak RSS, 100,000 rows (MB) | Peak RSS, 1,000,000 rows (MB) | Growth (MB) | Flat |"
    echo "|---|---:|---:|---:|---|"
    printf '%s\n' "${memory[@]}"
  fi
  if [[ ${#zipped[@]} -gt 0 ]]; then
    echo
    echo "The zipped formats' archives (bytes): their entries' compressed sizes in total, beside the same"
    echo "entries deflated by zlib at level 9 as one stream each (bench/zip-level9.py)."
    echo
    echo "| Format | Rows | Archive | Entries | Entries, zlib level 9 | Entries vs zlib 9 |"
    echo "|---|---:|---:|---:|---:|---:|"
    printf '%s\n' "${zipped[@]}"
  fi
  if [[ ${#engine[@]} -gt 0 ]]; then
    echo
    echo "The engine and the reader without a peer: the reader's scan of the benchmark table, and the"
    echo "export loop of bench/micro on 1,000,000 generated rows of the same columns (seconds per run)."
    echo
    echo "| Run | Rows | Wall s | CPU s | Rows/s (CPU) | Peak RSS (MB) | Target |"
    echo "|---|---:|---:|---:|---:|---:|---|"
    printf '%s\n' "${engine[@]}"
  fi
  if [[ ${#notes[@]} -gt 0 ]]; then
    echo
    printf '%s\n' "${notes[@]}"
  fi
  if [[ ${#profile[@]} -gt 0 ]]; then
    echo
    echo "Profile of the slowest format by CPU time, $slowest_format, on 100,000 rows (perf, cpu-clock;"
    echo "symbols above 1.5% of the samples):"
    echo
    echo "| Share | Object | Symbol |"
    echo "|---:|---|---|"
    printf '%s\n' "${profile[@]}"
  fi
  if [[ -n $analysis ]]; then
    echo
    printf '%s\n' "$analysis"
  fi
} > "$report"
cat "$report"
