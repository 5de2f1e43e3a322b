#!/usr/bin/python3
"""A real FTP server for tests: pyftpdlib on 127.0.0.1, a free port, over one
directory, read and write. Prints "PORT <n>" once it accepts connections and
stops when its standard input closes, so it never outlives its test.

    pyftpd_server.py ROOT [--user NAME --password WORD] [--anonymous]
"""
import argparse
import logging
import os
import sys
import threading
import warnings

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--user")
    parser.add_argument("--password", default="")
    parser.add_argument("--anonymous", action="store_true")
    args = parser.parse_args()

    logging.basicConfig(level=logging.CRITICAL)
    warnings.simplefilter("ignore")  # write access for anonymous is what tests want
    authorizer = DummyAuthorizer()
    if args.user:
        authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    if args.anonymous or not args.user:
        authorizer.add_anonymous(args.root, perm="elradfmwMT")

    class Handler(FTPHandler):
        authorizer = None
        permit_foreign_addresses = False
        permit_privileged_ports = False
        timeout = 60
        auth_failed_timeout = 0.1  # a wrong password is answered at once

    Handler.authorizer = authorizer
    server = FTPServer(("127.0.0.1", 0), Handler)
    server.max_cons = 32
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    threading.Thread(target=lambda: (sys.stdin.buffer.read(), os._exit(0)), daemon=True).start()
    server.serve_forever(timeout=0.5, blocking=True, handle_exit=True)


if __name__ == "__main__":
    main()
