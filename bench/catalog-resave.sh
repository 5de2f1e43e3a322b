#!/usr/bin/env bash
# Loads and re-saves generated catalogs of 100,000 and 1,000,000 item lines
# with `ambit-catalog resave` and compares with copying the same files
# (`cp -r`). Reports wall time, peak memory (from /usr/bin/time -v when
# present, else from /proc's VmHWM) and the ratio resave : copy.
# Target: a million lines load and save in under 3 s and 1 GiB.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
TOOL="$BUILD/bin/ambit-catalog"
[ -x "$TOOL" ] || { echo "missing $TOOL; build first" >&2; exit 1; }
PY=/usr/bin/python3
WORK=$(mktemp -d "${TMPDIR:-/tmp}/ambit-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# Runs a command; prints "seconds peak_kib".
measure() {
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f "%e %M" -o "$WORK/time.txt" "$@" >/dev/null
        cat "$WORK/time.txt"
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
        echo "$(echo "$end - $start" | bc) $peak"
    fi
}

if [ -x /usr/bin/time ]; then
    echo "peak memory: maximum resident set size from /usr/bin/time -v"
else
    echo "peak memory: VmHWM sampled from /proc every 50 ms (no /usr/bin/time)"
fi
printf '%-10s %-8s %10s %12s %10s %12s %8s\n' lines files resave_s resave_MiB copy_s copy_MiB ratio
status=0
for lines in 100000 1000000; do
    src="$WORK/src-$lines"
    mkdir -p "$src"
    "$PY" bench/make-catalog.py "$src" "$lines"
    files=$(ls "$src" | wc -l)
    cat "$src"/*.amb >/dev/null  # both runs start from a warm cache
    read -r rt rm < <(measure "$TOOL" resave "$src" "$WORK/out-$lines")
    read -r ct cm < <(measure cp -r "$src" "$WORK/copy-$lines")
    ratio=$(awk -v a="$rt" -v b="$ct" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }')
    printf '%-10s %-8s %10s %12.1f %10s %12.1f %8s\n' "$lines" "$files" "$rt" \
        "$(awk -v k="$rm" 'BEGIN{print k/1024}')" "$ct" "$(awk -v k="$cm" 'BEGIN{print k/1024}')" "$ratio"
    # The resaved catalog must hold every item line of the original.
    a=$(cat "$src"/*.amb | grep -vc -e '^%' -e '^CNAME=' || true)
    b=$(cat "$WORK/out-$lines"/*.amb | grep -vc -e '^%' -e '^CNAME=' || true)
    if [ "$a" != "$b" ]; then echo "item lines differ: $a before, $b after" >&2; status=1; fi
    if [ "$lines" = 1000000 ]; then
        awk -v t="$rt" -v m="$rm" 'BEGIN { exit !(t < 3 && m < 1048576) }' ||
            echo "note: 1,000,000 lines took ${rt} s / ${rm} KiB (target < 3 s, < 1 GiB)"
    fi
    rm -rf "$src" "$WORK/out-$lines" "$WORK/copy-$lines"
done
exit $status
