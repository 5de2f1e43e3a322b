#!/usr/bin/python3
"""A test merchant for purchases: the time server (RFC 868), the commerce
server that hands out purchase tickets and the delivery server that takes a
purchase request, checks it and delivers the file in the client's chunks.
Standard library only; everything listens on 127.0.0.1.

Usage: test_merchant.py --record DIR [options]
It writes DIR/ports.json ({"time": n, "commerce": n, "delivery": n}), then
prints "PORT <delivery port>" and serves until its standard input closes
(with --forever: until it is killed).
Everything it receives is appended to DIR/events.jsonl, one JSON object a
line, before it answers, so a client that has the answer can read the
record:
  {"event": "time"}, {"event": "ticket", "ticket": n}
  {"event": "request", "request": {...}, "card": "digits", "passed": [...],
   "failed": [...], "code": n}   (one per request record)
  {"event": "offset", "offset": n}, {"event": "sent", "bytes": n}
  {"event": "error", "text": "..."}   (a malformed request, a lost client)

Options:
  --time-port/--commerce-port/--delivery-port N   0 (default): any free port
  --file REMOTE=LOCAL   a file for sale (repeatable); a bare LOCAL is sold
                        under any remote path
  --card DIGITS         the card that is not declined (default the README's
                        test card 4111111111111111)
  --price CENTS         the price the request must carry (default any)
  --code N              answer N whatever the checks say
  --second N            the reply's second value (default 0)
  --auth-byte N         the byte after code 1 (default 0, which authorises;
                        -1: none, the merchant hangs up)
  --stop-after N        stop delivering after N chunks of 65536 bytes
  --hold                with --stop-after: keep both connections open until
                        the client goes, instead of closing them
  --wrong-size          state the file's size plus one
  --tolerance S         seconds the client's time may be off (default 300)
  --forever             ignore standard input (a demo started in background)

The key pair. p is a 512-bit prime, g a number below it, x the private
exponent and y = g^x mod p the public value that the client holds. The
client sends c1 = g^k mod p and c2 = m * y^k mod p, k an exponent it draws
for each purchase and m its 30-byte card block read as a little-endian
number, each as 32 words of 16 bits. Since c1^x = g^(kx) = y^k, the block
comes back as m = c2 * (c1^x)^-1 mod p; the inverse is taken with Fermat's
little theorem, (c1^x)^(p-2) mod p.

The card block: the card's digits, "a", the client's IPv4 address (its
octets in dotted order), the Unix time (least significant byte first) and
filler codes 64..89 up to 30 bytes.

After code 1 and the 0 byte the merchant sends the size (32-bit), reads the
offset the client wants to continue from, answers one byte (0: fine, 1: the
offset lies past the end), then connects to the data port named in the
request, at the client's address and from the merchant's own, and sends the
file from the offset.
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
G = 0x29E2D8622BE030C1CBCB506AA8C3A222F80BD7F74F5D98467B2020F438F15421A163637B278DD7755B809C8E38A46EFC27876D1F9CAEDEEB95EB4C1A693353AF
X = 0xFC531C8CEDDE68BEEA574415B5D6C2DE702B497BABBF414BC56D4134E1469AAED718E56406FB2DEDEF784DEC912286C73226891A1C1090CDC2DFA8B6C24E1
EPOCH_1900 = 2208988800
CHUNK = 65536
MAX_TEXT = 255
MAX_SHORT_TEXT = 9
CIPHER_WORDS = 32
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

    # The time and commerce servers: one number each, then the end.
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

    # The delivery server.
    def serve_delivery(self, conn):
        reader = Reader(conn)
        try:
            request = read_request(reader)
        except (ValueError, ConnectionError, socket.timeout) as error:
            self.log(event="error", text="request: %s" % error)
            return
        card, passed, failed, code = self.check(request, conn.getpeername()[0])
        if self.args.code is not None:
            code = self.args.code
        shown = {k: v for k, v in request.items() if k not in ("first", "second")}
        self.log(event="request", request=shown, card=card, passed=passed, failed=failed,
                 code=code)
        conn.sendall(struct.pack(">Ii", code & 0xFFFFFFFF, self.args.second))
        if code != 1:
            return
        if self.args.auth_byte >= 0:
            conn.sendall(bytes([self.args.auth_byte]))
        if self.args.auth_byte != 0:
            return
        self.deliver(conn, reader, request)

    def check(self, request, peer):
        passed, failed = [], []

        def verdict(name, ok, code):
            (passed if ok else failed).append(name)
            return None if ok else code

        codes = []
        codes.append(verdict("kind", request["kind"] in ("n", "r"), 3))
        codes.append(verdict("constants", request["constants"] == [1, 1], 15))
        codes.append(verdict("ticket", request["ticket"] in self.tickets, 13))
        block = decrypt(request["first"], request["second"])
        card = ""
        if block is None:
            codes.append(verdict("block", False, 102))
        else:
            card, rest = split_block(block)
            codes.append(verdict("block", len(block) == 30 and len(rest) >= 9, 102))
            codes.append(verdict("a", rest[:1] == b"a", 102))
            codes.append(verdict("card", card == self.args.card, 5))
            address = ".".join(str(b) for b in rest[1:5])
            codes.append(verdict("address", address == peer, 13))
            sent = int.from_bytes(rest[5:9], "little") if len(rest) >= 9 else 0
            codes.append(verdict("time", abs(sent - time.time()) <= self.args.tolerance, 103))
        if self.args.price is not None:
            codes.append(verdict("price", request["price"] == self.args.price, 12))
        codes.append(verdict("file", self.local_file(request["path"]) is not None, 2))
        code = next((c for c in codes if c is not None), 1)
        return card, passed, failed, code

    def local_file(self, remote):
        return self.files.get(remote, self.files.get(None))

    def deliver(self, conn, reader, request):
        with open(self.local_file(request["path"]), "rb") as f:
            content = f.read()
        size = len(content) + (1 if self.args.wrong_size else 0)
        conn.sendall(struct.pack(">I", size))
        offset = reader.integer()
        self.log(event="offset", offset=offset)
        if offset > len(content):
            conn.sendall(b"\x01")
            return
        conn.sendall(b"\x00")
        end = len(content)
        if self.args.stop_after is not None:
            end = min(end, offset + self.args.stop_after * CHUNK)
        # From the merchant's own address (where the client reached it) to the
        # client's address: the client accepts only that.
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
        count = self.integer()
        if count != CIPHER_WORDS:
            raise ValueError("a cipher number of %d words" % count)
        values = [self.integer() for _ in range(count)]
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
    shared = pow(c1, X, P)
    m = c2 * pow(shared, P - 2, P) % P
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
    parser.add_argument("--time-port", type=int, default=0)
    parser.add_argument("--commerce-port", type=int, default=0)
    parser.add_argument("--delivery-port", type=int, default=0)
    parser.add_argument("--file", action="append", default=[])
    parser.add_argument("--card", default="4111111111111111")
    parser.add_argument("--price", type=int)
    parser.add_argument("--code", type=int)
    parser.add_argument("--second", type=int, default=0)
    parser.add_argument("--auth-byte", type=int, default=0)
    parser.add_argument("--stop-after", type=int)
    parser.add_argument("--hold", action="store_true")
    parser.add_argument("--wrong-size", action="store_true")
    parser.add_argument("--tolerance", type=float, default=300)
    parser.add_argument("--forever", action="store_true")
    args = parser.parse_args()
    merchant = Merchant(args)
    ports = {}
    for name, port, handler in (("time", args.time_port, merchant.serve_time),
                                ("commerce", args.commerce_port, merchant.serve_commerce),
                                ("delivery", args.delivery_port, merchant.serve_delivery)):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", port))
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
