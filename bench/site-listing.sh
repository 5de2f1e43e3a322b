#!/usr/bin/env bash
# Live browsing of large directories: a local pyftpdlib serves directories
# of SIZES entries (default 20,000 and, to show the growth is linear, 80,000);
# site-listing-bench opens the site and lists each directory into a catalog
# tree while a 50 ms timer counts ticks. curl lists the same directory over
# the same server in the same run (active mode, PORT) as the peer: it only
# receives the text, so the ratio shows what parsing and tree insertion add.
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

[ -x "$DRIVER" ] || { echo "site-listing: $DRIVER not built" >&2; exit 1; }
command -v curl >/dev/null || { echo "site-listing: curl not installed" >&2; exit 1; }

work=$(mktemp -d /tmp/ambit-site-bench.XXXXXX)
server_pid=
cleanup() {
  exec 3>&- 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
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
[ -n "$port" ] || { echo "site-listing: the FTP server did not start" >&2; cat "$work/server.log" >&2; exit 1; }

export AMBIT_REGISTRY=$work/registry.sqlite3
now() { date +%s.%N; }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

printf "%-8s %-12s %-12s %-7s %-14s %s\n" entries "ours (s)" "curl (s)" ratio "timer ticks" "(50 ms timer, expected)"
for n in $SIZES; do
  ours=() theirs=() ticks=() expected=()
  for _ in $(seq "$ROUNDS"); do
    line=$("$DRIVER" "$port" "dir$n")
    entries=$(sed -n 's/.*entries=\([0-9]*\).*/\1/p' <<<"$line")
    [ "$entries" = "$n" ] || { echo "site-listing: listed $entries of $n entries" >&2; exit 1; }
    ours+=("$(sed -n 's/.*list_seconds=\([0-9.]*\).*/\1/p' <<<"$line")")
    ticks+=("$(sed -n 's/.*ticks=\([0-9]*\) .*/\1/p' <<<"$line")")
    expected+=("$(sed -n 's/.*expected_ticks=\([0-9]*\).*/\1/p' <<<"$line")")
    t0=$(now)
    curl -s --ftp-port - --disable-eprt "ftp://127.0.0.1:$port/dir$n/" -o "$work/curl.txt"
    t1=$(now)
    theirs+=("$(echo "$t1 - $t0" | bc -l)")
    got=$(grep -c . "$work/curl.txt")
    [ "$got" = "$n" ] || { echo "site-listing: curl listed $got of $n entries" >&2; exit 1; }
  done
  o=$(printf "%s\n" "${ours[@]}" | median)
  c=$(printf "%s\n" "${theirs[@]}" | median)
  printf "%-8s %-12.3f %-12.3f %-7.2f %-14s %s\n" "$n" "$o" "$c" "$(echo "$o / $c" | bc -l)" \
    "${ticks[*]}" "(${expected[*]})"
done
