#!/usr/bin/env bash
# Live browsing of large directories: a local pyftpdlib serves directories
# of SIZES entries (default 20,000 and, to show the growth is linear, 80,000);
# site-listing-bench opens the site and lists each directory into a catalog
# tree while a 50 ms timer counts ticks. curl lists the same directory over
# the same server in the same run (active mode, PORT) as the peer: it only
# receives the text, so the ratio shows what parsing and tree insertion add.
# Goals: no slower than curl, and the timer fires at least 90% of the times
# it should while the listing runs (the window never stalls).
#
#   BUILD=build-bench bash bench/site-listing.sh      (make bench runs it)
#   ROUNDS=3 SIZES="20000 80000" change the defaults.
set -euo pipefail

BUILD=${BUILD:-build-bench}
ROUNDS=${ROUNDS:-3}
SIZES=${SIZES:-"20000 80000"}
DRIVER=$BUILD/bin/site-listing-bench
PYTHON=/usr/bin/python3
HERE=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib-report.sh
source "$HERE/bench/lib-report.sh"

[ -x "$DRIVER" ] || bench_fail "$DRIVER not built"
command -v curl >/dev/null || bench_fail "curl not installed"

work=$(mktemp -d /tmp/ambit-site-bench.XXXXXX)
server_pid=
# Ends the server this script started and nothing else; keeps the exit
# status the script had (a killed server's status is no failure of ours).
cleanup() {
  local status=$?
  set +e
  exec 3>&- 2>/dev/null
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

# Directories of N entries in no particular order: mostly files, one in ten
# a directory, names of varied case and length.
mkdir -p "$work/root"
for n in $SIZES; do
  "$PYTHON" - "$work/root/dir$n" "$n" <<'PY'
import os, random, sys
root, n = sys.argv[1], int(sys.argv[2])
os.makedirs(root)
rng = random.Random(n)
for i in rng.sample(range(n), n):
    name = "%s-%06d%s" % (rng.choice(["Data", "file", "Report", "img", "src"]), i,
                          "" if i % 10 == 0 else rng.choice([".txt", ".zip", ".tar.gz", ".c"]))
    path = os.path.join(root, name)
    if i % 10 == 0:
        os.mkdir(path)
    else:
        open(path, "w").close()
PY
done

# The server lives as long as its standard input stays open.
mkfifo "$work/stdin"
exec 3<>"$work/stdin"
"$PYTHON" "$HERE/tests/servers/pyftpd_server.py" "$work/root" --anonymous <&3 >"$work/port" 2>"$work/server.log" &
server_pid=$!
port=
for _ in $(seq 200); do
  port=$(sed -n 's/^PORT //p' "$work/port")
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "$port" ] || { cat "$work/server.log" >&2; bench_fail "the FTP server did not start"; }

export AMBIT_REGISTRY=$work/registry.sqlite3
now() { date +%s.%N; }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

lines=()
printf "%-8s %-12s %-12s %-7s %-14s %s\n" entries "ours (s)" "curl (s)" ratio "timer ticks" "(50 ms timer, expected)"
for n in $SIZES; do
  ours=() theirs=() ticks=() expected=()
  for _ in $(seq "$ROUNDS"); do
    line=$("$DRIVER" "$port" "dir$n") || bench_fail "site-listing-bench failed on dir$n"
    entries=$(sed -n 's/.*entries=\([0-9]*\).*/\1/p' <<<"$line")
    [ "$entries" = "$n" ] || bench_fail "listed $entries of $n entries"
    ours+=("$(sed -n 's/.*list_seconds=\([0-9.]*\).*/\1/p' <<<"$line")")
    ticks+=("$(sed -n 's/.*ticks=\([0-9]*\) .*/\1/p' <<<"$line")")
    expected+=("$(sed -n 's/.*expected_ticks=\([0-9]*\).*/\1/p' <<<"$line")")
    t0=$(now)
    curl -s --ftp-port - --disable-eprt "ftp://127.0.0.1:$port/dir$n/" -o "$work/curl.txt" ||
      bench_fail "curl could not list dir$n"
    t1=$(now)
    theirs+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }')")
    got=$(grep -c . "$work/curl.txt" || true)
    [ "$got" = "$n" ] || bench_fail "curl listed $got of $n entries"
  done
  o=$(printf "%s\n" "${ours[@]}" | median)
  c=$(printf "%s\n" "${theirs[@]}" | median)
  ratio=$(awk -v a="$o" -v b="$c" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  printf "%-8s %-12.3f %-12.3f %-7.2f %-14s %s\n" "$n" "$o" "$c" "$ratio" "${ticks[*]}" "(${expected[*]})"
  lines+=("$n $o $c $ratio $(printf '%s+' "${ticks[@]}")0 $(printf '%s+' "${expected[@]}")0")
done
for l in "${lines[@]}"; do
  read -r n o c ratio t e <<<"$l"
  t=$(($t)) e=$(($e))
  figure "list $n entries, time" "ours ${o} s, curl ${c} s (median of $ROUNDS)" "$ratio" "<=" 1
  figure "list $n entries, 50 ms timer" "$t of $e expected ticks" \
    "$(awk -v t="$t" -v e="$e" 'BEGIN { printf "%.2f", (e > 0 ? t / e : 1) }')" ">=" 0.9
done
figures_status
