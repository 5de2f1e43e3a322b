#!/usr/bin/env bash
# Start-up of the main window with a catalog of ITEMS items (default
# 100,000, and 400,000 to show the growth is linear) in ambit.amb: many
# folders of a few hundred items and one of a fifth of them, in random
# order. startup-bench times ambit's start-up to the first paint of the
# window (offscreen, without the two-second splash), which comes before the
# catalog is read, and to the window complete with the catalog. The peer, in
# the same run, is `ambit-catalog print` of the same directory: the same
# reader without a window, writing every item as text. Goal: first paint
# within 0.6x the print, as the window should not wait for what printing
# every line costs; the complete window is shown beside it.
#
#   BUILD=build-bench bash bench/startup.sh        (make bench runs it)
#   ROUNDS=3 SIZES="100000 400000" change the defaults.
set -euo pipefail

BUILD=${BUILD:-build-bench}
ROUNDS=${ROUNDS:-3}
SIZES=${SIZES:-"100000 400000"}
DRIVER=$BUILD/bin/startup-bench
PEER=$BUILD/bin/ambit-catalog

# shellcheck source=bench/lib-report.sh
source "$(dirname "$0")/lib-report.sh"
[ -x "$DRIVER" ] || bench_fail "$DRIVER not built"
[ -x "$PEER" ] || bench_fail "$PEER not built"

work=$(mktemp -d /tmp/ambit-startup-bench.XXXXXX)
trap 'status=$?; rm -rf "$work"; exit $status' EXIT
export QT_QPA_PLATFORM=offscreen

now_ms() { date +%s%3N; }

for n in $SIZES; do
  dir=$work/data$n
  mkdir -p "$dir"
  /usr/bin/python3 - "$dir/ambit.amb" "$n" <<'PY'
import random, sys
path, n = sys.argv[1], int(sys.argv[2])
rng = random.Random(n)
words = ["archive", "backup", "editor", "font", "game", "mail", "player", "viewer", "zip"]
lines = []
big = n // 5
for i in range(n):
    folder = "Big" if i < big else "F%04d %s" % (i % max(1, (n - big) // 300), words[i % len(words)])
    w = words[i % len(words)]
    lines.append("/All/%s/%s %06d:A %s for everyday use:%s:ftp.host%03d.example.com:/pub/%s/%s-%06d.zip:%02d/%02d/%02d:%d:[default]\n"
                 % (folder, w.capitalize(), i, w, "0.00" if i % 7 else "12.50", i % 500, w, w, i,
                    i % 12 + 1, i % 28 + 1, 90 + i % 10, 1000 + (i * 7919) % 900000))
rng.shuffle(lines)
with open(path, "w") as f:
    f.write('%Internet Ambit Data File %ver="1.0"\n')
    f.writelines(lines)
PY
  best_ui=""; best_peer=""; best_full=""; items=""; peak=""
  for r in $(seq 1 "$ROUNDS"); do
    export AMBIT_REGISTRY=$work/registry$n-$r.sqlite3 AMBIT_WINDIR=$work/windows AMBIT_DATA_DIR=$dir
    out=$("$DRIVER" "$dir" 2>"$work/driver.err" | grep '^startup_ms') ||
      { cat "$work/driver.err" >&2; bench_fail "startup-bench printed no start-up time"; }
    ms=$(echo "$out" | awk '{print $2}'); items=$(echo "$out" | awk '{print $4}'); peak=$(echo "$out" | awk '{print $6}')
    [ -z "$best_ui" ] || [ "$ms" -lt "$best_ui" ] && best_ui=$ms
    full=$(echo "$out" | awk '{print $8}')
    [ -z "$best_full" ] || [ "$full" -lt "$best_full" ] && best_full=$full
    t0=$(now_ms); "$PEER" print "$dir" >/dev/null || bench_fail "ambit-catalog print failed"; t1=$(now_ms)
    p=$((t1 - t0))
    [ -z "$best_peer" ] || [ "$p" -lt "$best_peer" ] && best_peer=$p
  done
  ratio=$(awk -v a="$best_ui" -v b="$best_peer" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  echo "startup: $n lines, $items items in the tree: ambit first paint ${best_ui} ms," \
       "complete ${best_full} ms (peak ${peak} KiB), ambit-catalog print ${best_peer} ms," \
       "ratio ${ratio} (best of $ROUNDS)"
  figure "start-up with $n lines" "first paint ${best_ui} ms (catalog complete ${best_full} ms), ambit-catalog print ${best_peer} ms (best of $ROUNDS)" \
    "$ratio" "<=" 0.6
done
figures_status
