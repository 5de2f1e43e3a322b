#!/usr/bin/python3
"""A real FTP server for tests: pyftpdlib on 127.0.0.1, a free port, over one
directory. Prints "PORT <n>" on stdout once it accepts connections, and runs
until it is terminated or its standard input closes (so it never outlives
the test that started it).

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
    # Write access for anonymous is what these tests want.
    warnings.simplefilter("ignore")
    authorizer = DummyAuthorizer()
    if args.user:
        authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    if args.anonymous or not args.user:
        authorizer.add_anonymous(args.root, perm="elradfmwMT")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.permit_foreign_addresses = False
    Handler.permit_privileged_ports = False
    Handler.timeout = 60
    Handler.auth_failed_timeout = 0.1  # a wrong password is answered at once

    server = FTPServer(("127.0.0.1", 0), Handler)
    server.max_cons = 32
    port = server.socket.getsockname()[1]
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()

    # The test closes our standard input when it stops us or dies.
    def watch_stdin():
        try:
            while sys.stdin.buffer.read(4096):
                pass
        finally:
            os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    server.serve_forever(timeout=0.5, blocking=True, handle_exit=True)


if __name__ == "__main__":
    main()
