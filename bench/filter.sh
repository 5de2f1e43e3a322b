#!/usr/bin/env bash
# The tree's filter on the 1,000,000-line catalog of make-catalog.py:
# filter-bench types WORD (default "scanner") letter by letter into the
# search and times each keystroke to the view's next paint, once with
# every folder loaded into the tree and once with only ambit.amb loaded
# and the option that searches the folders' files. The peer is
# `grep -ci WORD` over the same files: one case-insensitive pass over all
# the catalog's text. Goal: every keystroke under 100 ms; the ratio is the
# slowest keystroke against the peer, and its goal is 100 ms against the
# peer's time in this run.
#
#   BUILD=build-bench bash bench/filter.sh        (make bench runs it)
#   LINES=1000000 WORD=scanner ROUNDS=3 change the defaults.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build-bench}
LINES=${LINES:-1000000}
WORD=${WORD:-scanner}
ROUNDS=${ROUNDS:-3}
DRIVER=$BUILD/bin/filter-bench
# shellcheck source=bench/lib-report.sh
source bench/lib-report.sh
[ -x "$DRIVER" ] || bench_fail "$DRIVER not built"

work=$(mktemp -d "${TMPDIR:-/tmp}/ambit-filter-bench.XXXXXX")
trap 'status=$?; rm -rf "$work"; exit $status' EXIT
export QT_QPA_PLATFORM=offscreen AMBIT_REGISTRY=$work/registry.sqlite3 AMBIT_WINDIR=$work/windows
/usr/bin/python3 bench/make-catalog.py "$work" "$LINES"
cat "$work"/*.amb >/dev/null  # every run starts from a warm cache

now_ms() { date +%s%3N; }
best_peer=""
for r in $(seq 1 "$ROUNDS"); do
  t0=$(now_ms); grep -ci -- "$WORD" "$work"/*.amb >/dev/null || true; t1=$(now_ms)
  p=$((t1 - t0)); [ -z "$best_peer" ] || [ "$p" -lt "$best_peer" ] && best_peer=$p
done
[ "$best_peer" -gt 0 ] || best_peer=1

for mode in loaded unloaded; do
  best=""; line=""
  for r in $(seq 1 "$ROUNDS"); do
    out=$("$DRIVER" "$work" "$WORD" "$mode" 2>"$work/driver.err" | grep '^keystroke_ms') ||
      { cat "$work/driver.err" >&2; bench_fail "filter-bench printed no timing"; }
    cpu=$(echo "$out" | awk '{print $8}')
    if [ -z "$best" ] || awk -v a="$cpu" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$cpu; line=$out
    fi
  done
  read -r _ worst _ mean _ first _ cpu _ cpu_mean _ prepare _ prepare_cpu _ items _ matches _ unloaded <<<"$line"
  ratio=$(awk -v a="$cpu" -v b="$best_peer" 'BEGIN { printf "%.2f", a / b }')
  goal=$(awk -v b="$best_peer" 'BEGIN { printf "%.2f", 100 / b }')
  figure "filter per keystroke, $LINES lines, folders $mode" \
    "typing \"$WORD\": slowest ${cpu} ms CPU (${worst} ms wall), mean ${cpu_mean} ms CPU (${mean} ms wall); on Ctrl+F ${prepare_cpu} ms CPU (${prepare} ms wall); $items items in the tree, $matches matches, $unloaded in unloaded files; grep -ci ${best_peer} ms (best of $ROUNDS); goal under 100 ms" \
    "$ratio" "<" "$goal"
done
figures_status
