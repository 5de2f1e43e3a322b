#!/usr/bin/env bash
# Download throughput of the skiff program against curl (active mode, PORT)
# from the same local vsftpd in the same run, alternating. skiff is started
# the way ambit starts it (one argument, offscreen here) and its progress
# timer runs throughout.
#
# Two figures for skiff: "data" is the time from starting the program until
# the whole file is on disk (what the transfer costs); "run" is the whole
# program, which after the data also pauses 500 ms by design, runs the
# post-transfer action and writes the download log.
#
#   BUILD=build-bench bash bench/skiff-download.sh      (make bench runs it)
#   ROUNDS=3 SIZE_MIB=1024 change the defaults.
set -euo pipefail

BUILD=${BUILD:-build-bench}
ROUNDS=${ROUNDS:-3}
SIZE_MIB=${SIZE_MIB:-1024}
SKIFF=$BUILD/bin/skiff
ARGS=$BUILD/bin/skiff-bench-args

[ -x "$SKIFF" ] || { echo "skiff-download: $SKIFF not built" >&2; exit 1; }
[ -x "$ARGS" ] || { echo "skiff-download: $ARGS not built" >&2; exit 1; }
command -v curl >/dev/null || { echo "skiff-download: curl not installed" >&2; exit 1; }
# shellcheck source=bench/lib-vsftpd.sh
source "$(dirname "$0")/lib-vsftpd.sh"

work=$(mktemp -d /tmp/ambit-skiff-bench.XXXXXX)
cleanup() {
  vsftpd_stop
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root"
size=$((SIZE_MIB * 1024 * 1024))
head -c "$size" /dev/urandom > "$work/root/big.bin"
vsftpd_start "$work/root" "$work"

# skiff keeps its settings, log and desktop lookups inside the scratch directory.
export AMBIT_FTP_PORT=$VSFTPD_PORT AMBIT_WINDIR=$work/windows AMBIT_REGISTRY=$work/registry.sqlite3
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/share XDG_DATA_DIRS=$work/usr XDG_CONFIG_DIRS=$work/etc
export QT_QPA_PLATFORM=offscreen
arg=$("$ARGS" 127.0.0.1 /big.bin anonymous bench@example.org "$work/skiff.out" 1)

now() { date +%s.%N; }
rate() { awk -v n="$1" -v a="$2" -v b="$3" 'BEGIN{printf "%.0f", n/(b-a)/1e6}'; }

# Notes the moment a file reaches a size; polls every 2 ms in one process.
watch_size() {
  /usr/bin/python3 - "$1" "$2" <<'PY'
import os, sys, time
path, want = sys.argv[1], int(sys.argv[2])
while True:
    try:
        if os.stat(path).st_size >= want:
            break
    except FileNotFoundError:
        pass
    time.sleep(0.002)
print("%.6f" % time.time())
PY
}

ours_data=() ours_run=() theirs=()
for round in $(seq "$ROUNDS"); do
  t0=$(now)
  curl -s --ftp-port - --disable-eprt -o "$work/curl.out" "ftp://127.0.0.1:$VSFTPD_PORT/big.bin"
  t1=$(now)
  [ "$(stat -c %s "$work/curl.out")" -eq "$size" ] || { echo "curl fetched a short file" >&2; exit 1; }
  rm -f "$work/curl.out"
  theirs+=("$(rate "$size" "$t0" "$t1")")

  rm -f "$work/skiff.out"
  watch_size "$work/skiff.out" "$size" > "$work/ready" &
  watcher=$!
  t0=$(now)
  "$SKIFF" "$arg" 2>/dev/null
  t1=$(now)
  wait "$watcher"
  ready=$(cat "$work/ready")
  if [ "$round" -eq 1 ]; then
    cmp -s "$work/skiff.out" "$work/root/big.bin" || { echo "skiff's copy differs from the original" >&2; exit 1; }
  fi
  rm -f "$work/skiff.out"
  ours_data+=("$(rate "$size" "$t0" "$ready")")
  ours_run+=("$(rate "$size" "$t0" "$t1")")
  echo "round $round: skiff ${ours_data[-1]} MB/s (data), ${ours_run[-1]} MB/s (whole run), curl ${theirs[-1]} MB/s"
done

mean() { printf '%s\n' "$@" | awk '{s+=$1} END {printf "%.0f", s/NR}'; }
echo "skiff data:  mean $(mean "${ours_data[@]}") MB/s"
echo "skiff run:   mean $(mean "${ours_run[@]}") MB/s (includes the 500 ms pause skiff makes after a download)"
echo "curl (PORT): mean $(mean "${theirs[@]}") MB/s"
echo "ratio data/curl (mean): $(awk -v a="$(mean "${ours_data[@]}")" -v b="$(mean "${theirs[@]}")" 'BEGIN{printf "%.2f", a/b}')"
echo "ratio run/curl (mean):  $(awk -v a="$(mean "${ours_run[@]}")" -v b="$(mean "${theirs[@]}")" 'BEGIN{printf "%.2f", a/b}')"
