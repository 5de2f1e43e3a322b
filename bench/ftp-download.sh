#!/usr/bin/env bash
# Download throughput of FtpClient::Get against curl (active mode, PORT) from
# the same local vsftpd in the same run, alternating, plus the processor time
# the client spends waiting 2 s for a server that never answers.
# Goal: FtpClient::Get's rate at least 0.9x curl's.
#
#   BUILD=build-bench bash bench/ftp-download.sh      (make bench runs it)
#   ROUNDS=3 SIZE_MIB=1024 change the defaults.
set -euo pipefail

BUILD=${BUILD:-build-bench}
ROUNDS=${ROUNDS:-3}
SIZE_MIB=${SIZE_MIB:-1024}
DRIVER=$BUILD/bin/ftp-get-bench

# shellcheck source=bench/lib-report.sh
source "$(dirname "$0")/lib-report.sh"
[ -x "$DRIVER" ] || bench_fail "$DRIVER not built"
command -v curl >/dev/null || bench_fail "curl not installed"

# shellcheck source=bench/lib-vsftpd.sh
source "$(dirname "$0")/lib-vsftpd.sh"

work=$(mktemp -d /tmp/ambit-ftp-bench.XXXXXX)
cleanup() {
  local status=$?
  set +e
  vsftpd_stop
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

mkdir -p "$work/root"
head -c "$((SIZE_MIB * 1024 * 1024))" /dev/urandom > "$work/root/big.bin"
vsftpd_start "$work/root" "$work" || bench_fail "vsftpd did not start"
port=$VSFTPD_PORT

now() { date +%s.%N; }
ours=() theirs=()
for round in $(seq "$ROUNDS"); do
  t0=$(now)
  curl -s --ftp-port - --disable-eprt -o "$work/curl.out" "ftp://127.0.0.1:$port/big.bin" ||
    bench_fail "curl could not fetch big.bin"
  t1=$(now)
  size=$(stat -c %s "$work/curl.out")
  rm -f "$work/curl.out"
  theirs+=("$(echo "$size $t0 $t1" | awk '{printf "%.0f", $1/($3-$2)/1e6}')")

  t0=$(now)
  "$DRIVER" get 127.0.0.1 "$port" big.bin "$work/ours.out" >/dev/null || bench_fail "ftp-get-bench get failed"
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
figure "FtpClient::Get ${SIZE_MIB} MiB, rate" "ours $(mean "${ours[@]}") MB/s, curl $(mean "${theirs[@]}") MB/s (mean of $ROUNDS)" \
  "$(awk -v a="$(mean "${ours[@]}")" -v b="$(mean "${theirs[@]}")" 'BEGIN{printf "%.2f", (b > 0 ? a/b : 0)}')" ">=" 0.9

read -r wall cpu < <("$DRIVER" idle 2) || bench_fail "ftp-get-bench idle failed"
echo "waiting ${wall}s for a silent server cost ${cpu}s of processor time"
figures_status
