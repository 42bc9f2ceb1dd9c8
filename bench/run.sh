#!/usr/bin/env bash
# The benchmark: exports the benchmark tables with verimo-cli (CSV and TXT)
# and the same rows with sqlite3 -csv, in one run, and prints seconds, rows
# per second, peak memory and the ratio to sqlite3. Results go to
# bench/RESULTS.md as well.
#   bench/run.sh [ROWS...]         (default: 100000 1000000)
# VERIMO_BENCH_BUILD names the RelWithDebInfo tree to build verimo-cli in
# (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."

counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(100000 1000000)
build=${VERIMO_BENCH_BUILD:-build/release}
work=bench/work/run
log=$work/bench.log

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

# sqlite_table ROWS TABLE: the same rows loaded into sqlite once (not timed),
# from verimo-cli's dump; prints the database's path.
sqlite_table() {
  local rows=$1 table=$2 db=bench/work/BENCH$1.sqlite
  if [[ ! -f $db ]]; then
    echo "Loading $rows rows into $db (not timed)" >&2
    "$cli" dump "$table" | tail -n +2 > "$work/rows.tsv"
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

# measure COMMAND...: runs the command under /usr/bin/time -v; prints
# "wall-seconds peak-kB cpu-seconds" (cpu = user + system).
measure() {
  /usr/bin/time -v -o "$work/time.txt" "$@" 2>>"$log"
  awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i] }
    /Maximum resident set size/ { kb = $2 }
    /User time|System time/ { cpu += $2 }
    END { printf "%.2f %d %.2f\n", s, kb, cpu }' "$work/time.txt"
}

rate() { awk -v r="$1" -v s="$2" 'BEGIN { printf "%.0f", (s > 0 ? r / s : 0) }'; }
megabytes() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
ratio() { awk -v peer="$1" -v ours="$2" 'BEGIN { printf "%.2f", (ours > 0 ? peer / ours : 0) }'; }

load=$(cut -d' ' -f1-3 /proc/loadavg)
rows_out=()
for rows in "${counts[@]}"; do
  table=$(bench/make-table.sh "$rows")
  db=$(sqlite_table "$rows" "$table")
  echo "Exporting $rows rows" >&2
  read -r sq_s sq_kb sq_cpu < <(measure sh -c "sqlite3 -csv -header '$db' 'select * from bench' > '$work/sqlite.csv'")
  read -r csv_s csv_kb csv_cpu < <(measure "$cli" export "$table" "$work/verimo.csv")
  read -r txt_s txt_kb txt_cpu < <(measure "$cli" export "$table" "$work/verimo.txt")
  for run in "verimo-cli export CSV:$csv_s:$csv_kb:$csv_cpu:$work/verimo.csv" \
             "verimo-cli export TXT:$txt_s:$txt_kb:$txt_cpu:$work/verimo.txt" \
             "sqlite3 -csv:$sq_s:$sq_kb:$sq_cpu:$work/sqlite.csv"; do
    IFS=: read -r name seconds kb cpu file <<< "$run"
    bytes=$(stat -c %s "$file")
    rows_out+=("| $rows | $name | $seconds | $cpu | $(rate "$rows" "$seconds") | $(megabytes "$kb") | $(megabytes $((bytes / 1024))) | $(ratio "$sq_s" "$seconds")× | $(ratio "$sq_cpu" "$cpu")× |")
  done
  rm -f "$work/verimo.csv" "$work/verimo.txt" "$work/sqlite.csv"
done

report=bench/RESULTS.md
# The hand-written part of the report, from "## Analysis" on, is kept.
analysis=""
[[ -f $report ]] && analysis=$(sed -n '/^## Analysis/,$p' "$report")
{
  echo "# Benchmark results"
  echo
  echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores," \
       "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(uname -sr);" \
       "date: $(date -u '+%Y-%m-%d %H:%M UTC'); load average before the run: $load."
  echo "verimo-cli: $build ($(grep -m1 CMAKE_BUILD_TYPE: "$build/CMakeCache.txt" | cut -d= -f2)); $(sqlite3 --version | cut -d' ' -f1-2 | sed 's/^/sqlite3 /')."
  echo
  echo "Tables of 8 columns (integer, alpha 40, alpha 24, currency, short, date, logical, alpha 120)"
  echo "made by bench/make-table.sh; sqlite3 reads the same rows from a database loaded beforehand"
  echo "(not timed). Wall-clock seconds and peak resident memory from /usr/bin/time -v; the ratio"
  echo "is our rows per second over sqlite3's, by wall clock and by CPU time (user + system, which"
  echo "a busy machine disturbs less). TXT reads the table twice: once to measure the column"
  echo "widths, once to write."
  echo
  echo "| Rows | Run | Seconds | CPU s | Rows/s | Peak RSS (MB) | Output (MB) | vs sqlite3 (wall) | vs sqlite3 (CPU) |"
  echo "|---:|---|---:|---:|---:|---:|---:|---:|---:|"
  printf '%s\n' "${rows_out[@]}"
  if [[ -n $analysis ]]; then
    echo
    printf '%s\n' "$analysis"
  fi
} > "$report"
cat "$report"
