#!/usr/bin/python3
"""Runs a real FTP server daemon for tests, anonymous only, on 127.0.0.1 and
a free port, with active mode (PORT) allowed.

    real_ftp_server.py vsftpd ROOT WORK
    real_ftp_server.py pure-ftpd ROOT WORK

vsftpd serves ROOT (which it wants root-owned and not writable). pure-ftpd
serves the home of the system user "ftp" as its anonymous root, so ROOT
must lie inside it; the clients then find the files under ROOT's path
relative to that home. WORK is a scratch directory. The pure-ftpd binary is
$AMBIT_PURE_FTPD, else the one scripts/install-deps unpacks.

Prints "PORT <n>" once the server accepts connections, and stops it when
its standard input is closed.
"""
import os
import socket
import subprocess
import sys
import threading
import time

PURE_FTPD = os.environ.get("AMBIT_PURE_FTPD",
                           "/opt/ambit-tests/pure-ftpd/usr/sbin/pure-ftpd")


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def vsftpd(root, work, port):
    os.makedirs(os.path.join(work, "empty"), exist_ok=True)
    conf = os.path.join(work, "vsftpd.conf")
    with open(conf, "w") as f:
        f.write("\n".join([
            "listen=YES", "listen_address=127.0.0.1", "listen_port=%d" % port,
            "background=NO", "anonymous_enable=YES", "local_enable=NO", "write_enable=NO",
            "anon_root=" + root, "port_enable=YES", "connect_from_port_20=NO",
            "seccomp_sandbox=NO", "isolate=NO", "isolate_network=NO",
            "secure_chroot_dir=" + os.path.join(work, "empty"), "xferlog_enable=NO", ""]))
    return ["/usr/sbin/vsftpd", conf]


def pure_ftpd(root, work, port):
    # -e: anonymous users only; -S: where to listen; -A: chroot everyone.
    return [PURE_FTPD, "-S", "127.0.0.1,%d" % port, "-e", "-A"]


def main():
    kind, root, work = sys.argv[1], sys.argv[2], sys.argv[3]
    command = {"vsftpd": vsftpd, "pure-ftpd": pure_ftpd}[kind]
    if kind == "pure-ftpd" and not os.access(PURE_FTPD, os.X_OK):
        sys.exit("pure-ftpd not found at %s (scripts/install-deps unpacks it)" % PURE_FTPD)
    port = free_port()
    daemon = subprocess.Popen(command(root, work, port), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(200):
        if daemon.poll() is not None:
            sys.exit("%s ended at once with %d" % (kind, daemon.returncode))
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            break
        except OSError:
            time.sleep(0.05)
    else:
        daemon.kill()
        sys.exit("%s did not start on port %d" % (kind, port))

    def stop_when_told():
        sys.stdin.read()
        daemon.kill()
        os._exit(0)

    threading.Thread(target=stop_when_told, daemon=True).start()
    print("PORT %d" % port, flush=True)
    daemon.wait()


if __name__ == "__main__":
    main()
