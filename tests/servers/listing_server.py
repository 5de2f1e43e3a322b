#!/usr/bin/python3
"""A scripted FTP server for listing tests: it answers the commands a
browsing client sends (USER, PASS, PWD, CWD, TYPE, PORT, LIST, QUIT) and
serves listings given in a JSON script, byte for byte, so tests can send
what no real server would: garbage, giant lines, names with CR or LF, a
listing that stops half way and never completes.

Usage: listing_server.py SCRIPT.json
Prints "PORT <n>" on stdout once it listens on 127.0.0.1, then serves one
client after another until its standard input is closed.

Script keys:
  "listings": {"<directory or LIST argument>": "<text>"}  (text as latin-1);
              LIST without an argument lists the current directory, which
              starts as "/" and is changed by CWD (a trailing "/" dropped)
  "password": the password PASS must carry (default: any)
  "stall_list": LIST argument whose listing is sent only half, after which
                the server goes silent (no 226, data connection left open)
"""
import json
import os
import socket
import sys
import threading


def serve_client(conn, script):
    listings = script.get("listings", {})
    data_addr = None
    cwd = "/"
    held = []  # sockets kept open by a stalled listing

    def send(line):
        conn.sendall((line + "\r\n").encode("latin-1"))

    send("220 scripted listing server")
    buf = b""
    while True:
        while b"\n" not in buf:
            chunk = conn.recv(4096)
            if not chunk:
                return
            buf += chunk
        raw, buf = buf.split(b"\n", 1)
        line = raw.decode("latin-1").rstrip("\r")
        verb, _, arg = line.partition(" ")
        verb = verb.upper()
        if verb == "USER":
            send("331 password please")
        elif verb == "PASS":
            want = script.get("password")
            if want is not None and arg != want:
                send("530 Login incorrect.")
            else:
                send("230 logged in")
        elif verb == "PWD":
            send('257 "%s" is the current directory' % cwd)
        elif verb == "CWD":
            target = arg.rstrip("/") or "/"
            if target in listings:
                cwd = target
                send("250 ok")
            else:
                send("550 No such directory.")
        elif verb == "TYPE":
            send("200 ok")
        elif verb == "PORT":
            p = [int(x) for x in arg.split(",")]
            data_addr = (".".join(map(str, p[:4])), p[4] * 256 + p[5])
            send("200 PORT ok")
        elif verb in ("LIST", "NLST"):
            arg = arg or cwd
            if arg not in listings:
                send("550 No such file or directory.")
                continue
            body = listings[arg].encode("latin-1")
            data = socket.create_connection(data_addr)
            send("150 Here comes the listing.")
            if arg == script.get("stall_list"):
                data.sendall(body[: len(body) // 2])
                held.append(data)
                continue  # silent from now on
            data.sendall(body)
            data.close()
            send("226 Transfer complete.")
        elif verb == "QUIT":
            send("221 bye")
            return
        else:
            send("502 not implemented")


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        script = json.load(f)
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(5)
    print("PORT %d" % server.getsockname()[1], flush=True)
    # The test closes our standard input when it is done with us.
    threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)),
                     daemon=True).start()
    while True:
        conn, _ = server.accept()
        t = threading.Thread(target=serve_client, args=(conn, script), daemon=True)
        t.start()


if __name__ == "__main__":
    main()
