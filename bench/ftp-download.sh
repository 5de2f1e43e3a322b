#!/usr/bin/env bash
# Download throughput of FtpClient::Get against curl (active mode, PORT) from
# the same local vsftpd in the same run, alternating, plus the processor time
# the client spends waiting 2 s for a server that never answers.
#
#   BUILD=build-bench bash bench/ftp-download.sh      (make bench runs it)
#   ROUNDS=3 SIZE_MIB=1024 change the defaults.
set -euo pipefail

BUILD=${BUILD:-build-bench}
ROUNDS=${ROUNDS:-3}
SIZE_MIB=${SIZE_MIB:-1024}
DRIVER=$BUILD/bin/ftp-get-bench

[ -x "$DRIVER" ] || { echo "ftp-download: $DRIVER not built" >&2; exit 1; }
command -v curl >/dev/null || { echo "ftp-download: curl not installed" >&2; exit 1; }

# shellcheck source=bench/lib-vsftpd.sh
source "$(dirname "$0")/lib-vsftpd.sh"

work=$(mktemp -d /tmp/ambit-ftp-bench.XXXXXX)
cleanup() {
  vsftpd_stop
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root"
head -c "$((SIZE_MIB * 1024 * 1024))" /dev/urandom > "$work/root/big.bin"
vsftpd_start "$work/root" "$work"
port=$VSFTPD_PORT

now() { date +%s.%N; }
ours=() theirs=()
for round in $(seq "$ROUNDS"); do
  t0=$(now)
  curl -s --ftp-port - --disable-eprt -o "$work/curl.out" "ftp://127.0.0.1:$port/big.bin"
  t1=$(now)
  size=$(stat -c %s "$work/curl.out")
  rm -f "$work/curl.out"
  theirs+=("$(echo "$size $t0 $t1" | awk '{printf "%.0f", $1/($3-$2)/1e6}')")

  t0=$(now)
  "$DRIVER" get 127.0.0.1 "$port" big.bin "$work/ours.out" >/dev/null
  t1=$(now)
  size=$(stat -c %s "$work/ours.out")
  rm -f "$work/ours.out"
  ours+=("$(echo "$size $t0 $t1" | awk '{printf "%.0f", $1/($3-$2)/1e6}')")
  echo "round $round: FtpClient::Get ${ours[-1]} MB/s, curl ${theirs[-1]} MB/s"
done

best() { printf '%s\n' "$@" | sort -n | tail -1; }
mean() { printf '%s\n' "$@" | awk '{s+=$1} END {printf "%.0f", s/NR}'; }
echo "FtpClient::Get: best $(best "${ours[@]}") MB/s, mean $(mean "${ours[@]}") MB/s"
echo "curl (PORT):    best $(best "${theirs[@]}") MB/s, mean $(mean "${theirs[@]}") MB/s"
echo "ratio (mean):   $(awk -v a="$(mean "${ours[@]}")" -v b="$(mean "${theirs[@]}")" 'BEGIN{printf "%.2f", a/b}')"

read -r wall cpu < <("$DRIVER" idle 2)
echo "waiting ${wall}s for a silent server cost ${cpu}s of processor time"
