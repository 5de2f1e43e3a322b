#!/usr/bin/env bash
# Loads and re-saves generated catalogs of 100,000 and 1,000,000 item lines
# with `ambit-catalog resave`. The peer is mawk splitting every line of the
# same files at its colons and joining the fields again, in one process:
# the least a program that reads and writes every field can do. Copying
# the files (`cp -r`, and `cp -r` plus a sync) is shown for scale. Reports
# wall and CPU time and peak memory (from /usr/bin/time when present, else
# from /proc's VmHWM). Nothing is deleted until the end: file systems
# allocate new files slowly right after mass deletion, which would load
# whichever program ran next.
# Goals for a million lines: resave within 2x mawk's time, under 400 MiB.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
TOOL="$BUILD/bin/ambit-catalog"
# shellcheck source=bench/lib-report.sh
source bench/lib-report.sh
[ -x "$TOOL" ] || bench_fail "missing $TOOL; build first"
command -v mawk >/dev/null || bench_fail "mawk is not installed (scripts/install-deps installs it)"
PY=/usr/bin/python3
WORK=$(mktemp -d "${TMPDIR:-/tmp}/ambit-bench-XXXXXX")
trap 'status=$?; rm -rf "$WORK"; exit $status' EXIT

# Runs a command; prints "seconds peak_kib cpu_seconds".
measure() {
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f "%e %M %U %S" -o "$WORK/time.txt" "$@" >/dev/null
        awk '{ printf "%s %s %.2f\n", $1, $2, $3 + $4 }' "$WORK/time.txt"
    else
        local start end peak=0 pid
        start=$(date +%s.%N)
        "$@" >/dev/null & pid=$!
        while kill -0 "$pid" 2>/dev/null; do
            v=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
            [ -n "$v" ] && [ "$v" -gt "$peak" ] && peak=$v
            sleep 0.05
        done
        wait "$pid"
        end=$(date +%s.%N)
        echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }') $peak -"
    fi
}

if [ -x /usr/bin/time ]; then
    echo "peak memory: maximum resident set size from /usr/bin/time -v"
else
    echo "peak memory: VmHWM sampled from /proc every 50 ms (no /usr/bin/time)"
fi
printf '%-8s %-6s %9s %10s %10s %7s %8s %7s %11s\n' lines files resave_s resave_cpu resave_MiB mawk_s mawk_MiB copy_s copy+sync_s
status=0
for lines in 100000 1000000; do
    src="$WORK/src-$lines"
    mkdir -p "$src"
    "$PY" bench/make-catalog.py "$src" "$lines"
    files=$(ls "$src" | wc -l)
    cat "$src"/*.amb >/dev/null  # both runs start from a warm cache
    # The copy first, then the resave: both create as many files on a
    # file system in the same state. The copy is also timed with a sync,
    # since the resave makes its files durable and the copy does not.
    read -r ct _ _ < <(measure cp -r "$src" "$WORK/copy-$lines") || bench_fail "cp -r failed"
    read -r st _ _ < <(measure bash -c 'cp -r "$1" "$2" && sync -f "$2"' _ "$src" "$WORK/copysync-$lines") || bench_fail "cp -r failed"
    read -r at am _ < <(measure bash -c 'exec mawk -F: "{\$1=\$1; print}" "$1"/*.amb >"$2"' _ "$src" "$WORK/mawk-$lines.txt") || bench_fail "mawk failed"
    read -r rt rm rc < <(measure "$TOOL" resave "$src" "$WORK/out-$lines") || bench_fail "ambit-catalog resave failed"
    printf '%-8s %-6s %9s %10s %10.1f %7s %8.1f %7s %11s\n' "$lines" "$files" "$rt" "$rc" \
        "$(awk -v k="$rm" 'BEGIN{print k/1024}')" "$at" "$(awk -v k="$am" 'BEGIN{print k/1024}')" "$ct" "$st"
    # The resaved catalog must hold every item line of the catalog it read.
    a=$(cat "$src"/*.amb | grep -vc -e '^%' -e '^CNAME=' || true)
    b=$(cat "$WORK/out-$lines"/*.amb | grep -vc -e '^%' -e '^CNAME=' || true)
    if [ "$a" != "$b" ]; then echo "item lines differ: $a before, $b after" >&2; status=1; fi
    if [ "$lines" = 1000000 ]; then
        figure "resave $lines lines, time" "ambit-catalog ${rt} s, mawk split and rejoin ${at} s" \
            "$(awk -v a="$rt" -v b="$at" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')" "<=" 2
        figure "resave $lines lines, peak memory" "$(awk -v k="$rm" 'BEGIN { printf "%.0f", k / 1024 }') MiB of a 400 MiB budget" \
            "$(awk -v k="$rm" 'BEGIN { printf "%.2f", k / 1024 / 400 }')" "<" 1
    fi
done
[ "$status" = 0 ] || bench_fail "the resaved catalog lost item lines"
figures_status
