#!/usr/bin/python3
"""Runs a real FTP daemon for tests, anonymous only, on 127.0.0.1 and a free
port, with active mode (PORT) allowed.

    real_ftp_server.py vsftpd|pure-ftpd ROOT WORK

vsftpd serves ROOT (which it wants root-owned and not writable). pure-ftpd
serves the home of the system user "ftp", so ROOT must lie inside it and
clients find the files under ROOT's path relative to that home. WORK is a
scratch directory. The pure-ftpd binary is $AMBIT_PURE_FTPD, else the one
scripts/install-deps unpacks. Prints "PORT <n>" once the daemon accepts
connections, and stops it when standard input closes.
"""
import os
import socket
import subprocess
import sys
import threading
import time

PURE_FTPD = os.environ.get("AMBIT_PURE_FTPD", "/opt/ambit-tests/pure-ftpd/usr/sbin/pure-ftpd")


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
    if kind == "pure-ftpd" and not os.access(PURE_FTPD, os.X_OK):
        sys.exit("pure-ftpd not found at %s (scripts/install-deps unpacks it)" % PURE_FTPD)
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    command = {"vsftpd": vsftpd, "pure-ftpd": pure_ftpd}[kind](root, work, port)
    daemon = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    for _ in range(200):
        if daemon.poll() is not None:
            sys.exit("%s ended at once with %d" % (kind, daemon.returncode))
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            break
        except OSError:
            time.sleep(0.05)  # polling for the daemon to listen, at most 10 s
    else:
        daemon.kill()
        sys.exit("%s did not start on port %d" % (kind, port))
    threading.Thread(target=lambda: (sys.stdin.read(), daemon.kill(), os._exit(0)),
                     daemon=True).start()
    print("PORT %d" % port, flush=True)
    daemon.wait()


if __name__ == "__main__":
    main()
