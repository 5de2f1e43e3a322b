#!/usr/bin/python3
"""A test merchant for purchases on 127.0.0.1: the time server (RFC 868),
the commerce server that hands out tickets, and the delivery server that
decrypts and checks a purchase request, then delivers the file in chunks.

Usage: test_merchant.py --record DIR [options] (see main). It writes its
ports to DIR/ports.json, prints "PORT <delivery port>", appends each event
to DIR/events.jsonl before it answers, and serves until its standard input
closes (with --forever: until it is killed).

The client sends c1 = g^k mod p and c2 = m * y^k mod p with y = g^x, so
m = c2 * (c1^x)^(p-2) mod p. The block m: the card's digits, "a", the
client's IPv4 octets, the Unix time (low byte first) and filler to 30 bytes.
"""
import argparse
import json
import os
import socket
import struct
import sys
import threading
import time

P = 0xC31C0BA6EA3A3D4C24E7B33286F878DCBE4B2EF2FA84C81B99D62A3014CD1E65CE8B62D9626587CD57CB22CE3B31584B4D9ECA47C02AA258C5A73B2F47F42FED
X = 0xFC531C8CEDDE68BEEA574415B5D6C2DE702B497BABBF414BC56D4134E1469AAED718E56406FB2DEDEF784DEC912286C73226891A1C1090CDC2DFA8B6C24E1
EPOCH_1900 = 2208988800
CHUNK = 65536
MAX_TEXT = 255
MAX_SHORT_TEXT = 9
CIPHER_WORDS = 32
TIME_TOLERANCE = 300  # seconds the client's clock may be off
IDLE_SECONDS = 30  # a silent client is dropped, so no thread waits forever


class Merchant:
    def __init__(self, args):
        self.args = args
        self.lock = threading.Lock()
        self.tickets = set()
        self.next_ticket = 4242
        self.files = {}
        for entry in args.file:
            remote, sep, local = entry.partition("=")
            self.files[remote if sep else None] = local if sep else remote

    def log(self, **event):
        with self.lock:
            with open(os.path.join(self.args.record, "events.jsonl"), "a") as f:
                f.write(json.dumps(event) + "\n")

    def serve_time(self, conn):
        self.log(event="time")
        conn.sendall(struct.pack(">I", (int(time.time()) + EPOCH_1900) & 0xFFFFFFFF))

    def serve_commerce(self, conn):
        with self.lock:
            ticket = self.next_ticket
            self.next_ticket += 1
            self.tickets.add(ticket)
        self.log(event="ticket", ticket=ticket)
        conn.sendall(struct.pack(">I", ticket))

    def serve_delivery(self, conn):
        reader = Reader(conn)
        try:
            request = read_request(reader)
        except (ValueError, ConnectionError, socket.timeout) as error:
            self.log(event="error", text="request: %s" % error)
            return
        card, code = self.check(request, conn.getpeername()[0])
        if self.args.code is not None:
            code = self.args.code
        shown = {k: v for k, v in request.items() if k not in ("first", "second")}
        self.log(event="request", request=shown, card=card, code=code)
        conn.sendall(struct.pack(">Ii", code & 0xFFFFFFFF, 0))
        if code != 1:
            return
        if self.args.auth_byte >= 0:
            conn.sendall(bytes([self.args.auth_byte]))
        if self.args.auth_byte == 0:
            self.deliver(conn, reader, request)

    def check(self, request, peer):
        """The card digits and the code of the first check that fails (1: none)."""
        checks = [(request["kind"] in ("n", "r"), 3), (request["constants"] == [1, 1], 15),
                  (request["ticket"] in self.tickets, 13)]
        block = decrypt(request["first"], request["second"])
        card = ""
        if block is None:
            checks.append((False, 102))
        else:
            card, rest = split_block(block)
            sent = int.from_bytes(rest[5:9], "little") if len(rest) >= 9 else 0
            checks += [(len(block) == 30 and len(rest) >= 9 and rest[:1] == b"a", 102),
                       (card == self.args.card, 5),
                       (".".join(str(b) for b in rest[1:5]) == peer, 13),
                       (abs(sent - time.time()) <= TIME_TOLERANCE, 103)]
        if self.args.price is not None:
            checks.append((request["price"] == self.args.price, 12))
        checks.append((self.local_file(request["path"]) is not None, 2))
        return card, next((code for ok, code in checks if not ok), 1)

    def local_file(self, remote):
        return self.files.get(remote, self.files.get(None))

    def deliver(self, conn, reader, request):
        with open(self.local_file(request["path"]), "rb") as f:
            content = f.read()
        conn.sendall(struct.pack(">I", len(content) + (1 if self.args.wrong_size else 0)))
        offset = reader.integer()
        self.log(event="offset", offset=offset)
        if offset > len(content):
            conn.sendall(b"\x01")
            return
        conn.sendall(b"\x00")
        end = len(content)
        if self.args.stop_after is not None:
            end = min(end, offset + self.args.stop_after * CHUNK)
        # The client accepts the data connection only from where it reached us.
        data = socket.create_connection((conn.getpeername()[0], request["port"]),
                                        timeout=IDLE_SECONDS,
                                        source_address=(conn.getsockname()[0], 0))
        try:
            data.sendall(content[offset:end])
            self.log(event="sent", bytes=end - offset)
            if end < len(content) and self.args.hold:
                wait_for_close(conn)
        finally:
            data.close()
        if end == len(content):
            wait_for_close(conn)


class Reader:
    """Exact reads from a socket; the peer closing early is an error."""

    def __init__(self, conn):
        self.conn = conn

    def exactly(self, count):
        data = b""
        while len(data) < count:
            piece = self.conn.recv(count - len(data))
            if not piece:
                raise ConnectionError("closed after %d of %d bytes" % (len(data), count))
            data += piece
        return data

    def integer(self):
        return struct.unpack(">I", self.exactly(4))[0]

    def text(self, limit):
        length = self.integer()
        if length > limit:
            raise ValueError("a text of %d bytes, at most %d allowed" % (length, limit))
        return self.exactly(length).decode("latin-1")

    def words(self):
        if self.integer() != CIPHER_WORDS:
            raise ValueError("a cipher number of another length")
        values = [self.integer() for _ in range(CIPHER_WORDS)]
        if any(v > 0xFFFF for v in values):
            raise ValueError("a cipher word above 16 bits")
        return sum(v << (16 * i) for i, v in enumerate(values))


def read_request(r):
    kind = r.exactly(1).decode("latin-1")
    constants = list(r.exactly(2))
    request = {"kind": kind, "constants": constants, "ticket": r.integer(),
               "reserved": r.integer()}
    for field in ("name", "address", "phone", "stored_name", "stored_address",
                  "stored_phone"):
        request[field] = r.text(MAX_TEXT)
    request["card_type"] = r.text(MAX_SHORT_TEXT)
    request["first"] = r.words()
    request["second"] = r.words()
    request["expiry"] = r.text(MAX_SHORT_TEXT)
    request["transaction"] = r.integer()
    request["reserved_text"] = r.text(MAX_TEXT)
    request["path"] = r.text(MAX_TEXT)
    request["price"] = r.integer()
    request["port"] = r.integer()
    request["sales_tax"] = r.exactly(1)[0]
    return request


def decrypt(c1, c2):
    if not 1 < c1 < P or not 0 < c2 < P:
        return None
    m = c2 * pow(pow(c1, X, P), P - 2, P) % P
    return m.to_bytes((m.bit_length() + 7) // 8, "little")


def split_block(block):
    """The leading digits, then the rest from the "a" on."""
    i = 0
    while i < len(block) and 0x30 <= block[i] <= 0x39:
        i += 1
    return block[:i].decode("ascii"), block[i:]


def wait_for_close(conn):
    try:
        while conn.recv(4096):
            pass
    except OSError:
        pass


def serve(listener, handler, merchant):
    while True:
        try:
            conn, _ = listener.accept()
        except OSError:
            return

        def run(conn=conn):
            conn.settimeout(IDLE_SECONDS)
            try:
                handler(conn)
            except Exception as error:  # a test reads it in the record
                merchant.log(event="error", text="%s: %s" % (type(error).__name__, error))
            finally:
                conn.close()

        threading.Thread(target=run, daemon=True).start()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--record", required=True)
    parser.add_argument("--file", action="append", default=[],
                        help="REMOTE=LOCAL for sale; a bare LOCAL under any remote path")
    parser.add_argument("--card", default="4111111111111111", help="the card not declined")
    parser.add_argument("--price", type=int, help="the cents a request must carry")
    parser.add_argument("--code", type=int, help="answer this whatever the checks say")
    parser.add_argument("--auth-byte", type=int, default=0,
                        help="the byte after code 1: 0 authorises, -1 hangs up")
    parser.add_argument("--stop-after", type=int, help="deliver only this many chunks")
    parser.add_argument("--hold", action="store_true", help="then keep the connections open")
    parser.add_argument("--wrong-size", action="store_true", help="state the size plus one")
    parser.add_argument("--forever", action="store_true", help="ignore standard input")
    args = parser.parse_args()
    merchant = Merchant(args)
    ports = {}
    for name, handler in (("time", merchant.serve_time), ("commerce", merchant.serve_commerce),
                          ("delivery", merchant.serve_delivery)):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.bind(("127.0.0.1", 0))
        listener.listen(8)
        ports[name] = listener.getsockname()[1]
        threading.Thread(target=serve, args=(listener, handler, merchant), daemon=True).start()
    with open(os.path.join(args.record, "ports.json"), "w") as f:
        json.dump(ports, f)
    print("PORT %d" % ports["delivery"], flush=True)
    if args.forever:
        threading.Event().wait()
    sys.stdin.read()  # until the test closes it


if __name__ == "__main__":
    main()
