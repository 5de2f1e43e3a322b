#!/usr/bin/python3
"""The demo map server for `make run`: pyftpdlib on 127.0.0.1 serving the
demo catalog read-only. It takes the logins a map server takes, "ftp" and
"anonymous" with any password, prints "PORT <n>" once it accepts
connections, and runs until it is terminated.

    demo-map-server.py ROOT [--port N]     (N = 0: a free port)
"""
import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class MapServerAuthorizer(DummyAuthorizer):
    """Anonymous logins under either name, any password (an e-mail address)."""

    def validate_authentication(self, username, password, handler):
        if username in ("ftp", "anonymous"):
            return
        super().validate_authentication(username, password, handler)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING)
    authorizer = MapServerAuthorizer()
    authorizer.add_anonymous(args.root, perm="elr")
    authorizer.add_user("ftp", "", args.root, perm="elr")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.permit_foreign_addresses = False
    Handler.banner = "Internet Ambit demo map server ready."

    server = FTPServer(("127.0.0.1", args.port), Handler)
    server.max_cons = 16
    sys.stdout.write("PORT %d\n" % server.socket.getsockname()[1])
    sys.stdout.flush()
    server.serve_forever(timeout=0.5, blocking=True, handle_exit=True)


if __name__ == "__main__":
    main()
