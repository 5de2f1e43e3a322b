# A private vsftpd for the benchmarks: anonymous, read-only, active mode
# (PORT) allowed, on 127.0.0.1 and a free port, serving one directory.
# Source it, then:
#   vsftpd_start ROOT WORK   # ROOT: the files served; WORK: a scratch directory
#   ... use 127.0.0.1:$VSFTPD_PORT ...
#   vsftpd_stop              # also safe to call when nothing was started
# vsftpd wants a root-owned anonymous root that is not writable, and an
# existing empty directory for its secure chroot.

VSFTPD=${VSFTPD:-/usr/sbin/vsftpd}
VSFTPD_PID=
VSFTPD_PORT=

vsftpd_start() {
  local root=$1 work=$2
  [ -x "$VSFTPD" ] || { echo "vsftpd not installed ($VSFTPD)" >&2; return 1; }
  mkdir -p "$root" "$work/empty"
  chmod 0755 "$root" "$work/empty"
  VSFTPD_PORT=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  cat > "$work/vsftpd.conf" <<CONF
listen=YES
listen_address=127.0.0.1
listen_port=$VSFTPD_PORT
background=NO
anonymous_enable=YES
local_enable=NO
write_enable=NO
anon_root=$root
port_enable=YES
connect_from_port_20=NO
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
secure_chroot_dir=$work/empty
xferlog_enable=NO
CONF
  "$VSFTPD" "$work/vsftpd.conf" &
  VSFTPD_PID=$!
  local _
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$VSFTPD_PORT") 2>/dev/null && return 0
    sleep 0.05
  done
  echo "vsftpd did not start on port $VSFTPD_PORT" >&2
  return 1
}

vsftpd_stop() {
  if [ -n "$VSFTPD_PID" ]; then
    kill "$VSFTPD_PID" 2>/dev/null || true
    wait "$VSFTPD_PID" 2>/dev/null || true
  fi
  VSFTPD_PID=
}
