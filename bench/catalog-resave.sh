#!/usr/bin/env bash
# Loads and re-saves generated catalogs of 100,000 and 1,000,000 item lines
# with `ambit-catalog resave` and compares with copying the same files
# (`cp -r`, and `cp -r` plus a sync). Reports wall and CPU time, peak
# memory (from /usr/bin/time -v when present, else from /proc's VmHWM)
# and the ratio of wall times resave : copy. Nothing is deleted until the
# end: file systems allocate new files slowly right after mass deletion,
# which would load whichever program ran next.
# Target: a million lines load and save in under 3 s and 1 GiB.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
TOOL="$BUILD/bin/ambit-catalog"
[ -x "$TOOL" ] || { echo "missing $TOOL; build first" >&2; exit 1; }
PY=/usr/bin/python3
WORK=$(mktemp -d "${TMPDIR:-/tmp}/ambit-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

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
printf '%-8s %-6s %9s %9s %11s %8s %9s %11s %6s\n' lines files resave_s resave_cpu resave_MiB copy_s copy_cpu copy+sync_s ratio
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
    read -r ct cm cc < <(measure cp -r "$src" "$WORK/copy-$lines")
    read -r st _ _ < <(measure bash -c 'cp -r "$1" "$2" && sync -f "$2"' _ "$src" "$WORK/copysync-$lines")
    read -r rt rm rc < <(measure "$TOOL" resave "$src" "$WORK/out-$lines")
    ratio=$(awk -v a="$rt" -v b="$ct" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }')
    printf '%-8s %-6s %9s %9s %11.1f %8s %9s %11s %6s\n' "$lines" "$files" "$rt" "$rc" \
        "$(awk -v k="$rm" 'BEGIN{print k/1024}')" "$ct" "$cc" "$st" "$ratio"
    # The resaved catalog must hold every item line of the original.
    a=$(cat "$src"/*.amb | grep -vc -e '^%' -e '^CNAME=' || true)
    b=$(cat "$WORK/out-$lines"/*.amb | grep -vc -e '^%' -e '^CNAME=' || true)
    if [ "$a" != "$b" ]; then echo "item lines differ: $a before, $b after" >&2; status=1; fi
    if [ "$lines" = 1000000 ]; then
        awk -v t="$rt" -v m="$rm" 'BEGIN { exit !(t < 3 && m < 1048576) }' ||
            echo "note: 1,000,000 lines took ${rt} s / ${rm} KiB (target < 3 s, < 1 GiB)"
    fi
done
exit $status
