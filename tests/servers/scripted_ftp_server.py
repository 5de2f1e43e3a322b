#!/usr/bin/python3
"""A scripted FTP server for tests: it accepts one control connection on
127.0.0.1 and plays a script of exact replies and faults, recording every
byte line the client sends.

    scripted_ftp_server.py SCRIPT.json TRANSCRIPT

Prints "PORT <n>" when it listens. The script is a JSON list of steps, each an
object with one key:

  {"send": "220 hi\\r\\n"}         raw text to the control connection
  {"send_parts": ["2", "20 x\\r\\n"]} the same in separate packets
  {"expect": "USER"}               read one command line (recorded; the value
                                   is only a reminder, the test checks the
                                   transcript)
  {"data_connect": true}           connect to the address of the last PORT
  {"data_send": "text"}            send on the data connection
  {"data_send_bytes": N}           send N bytes of a fixed pattern
  {"data_close": true}             close the data connection
  {"data_recv": true}              read the data connection to its end and
                                   record "DATA <bytes>"
  {"close": true}                  hang up the control connection
  {"send_forever": "x"}            send that text over and over until the
                                   client goes away (an endless line)
  {"wait_eof": true}               record lines until the client hangs up

After the script it records lines until the client hangs up. The transcript
holds one JSON string per line: each command line as received (CR LF
included; a valid PORT line as "PORT h1,h2,h3,h4,<port>"), "DATA ..."
entries and "EOF".
"""
import json
import socket
import sys
import time

PATTERN = bytes(range(256))


class Session:
    def __init__(self, conn, transcript):
        self.conn = conn
        self.buf = b""
        self.transcript = transcript
        self.data = None
        self.port_addr = None

    def record(self, text):
        self.transcript.write(json.dumps(text) + "\n")
        self.transcript.flush()

    def read_line(self):
        while b"\n" not in self.buf:
            chunk = self.conn.recv(65536)
            if not chunk:
                return None
            self.buf += chunk
        line, self.buf = self.buf.split(b"\n", 1)
        line += b"\n"
        text = line.decode("latin-1")
        self.port_addr = self.parse_port(text) if text.startswith("PORT ") else self.port_addr
        self.record(self.normalised(text))
        return text

    @staticmethod
    def parse_port(text):
        try:
            parts = [int(p) for p in text[5:].rstrip("\r\n").split(",")]
        except ValueError:
            return None
        if len(parts) != 6 or any(p < 0 or p > 255 for p in parts) or parts[4:] == [0, 0]:
            return None
        return ("%d.%d.%d.%d" % tuple(parts[:4]), parts[4] * 256 + parts[5])

    def normalised(self, text):
        """A well-formed PORT line with its run-time port bytes replaced by
        "<port>", so a test can compare the whole transcript; anything else
        (a malformed PORT included) is recorded as received."""
        if not text.startswith("PORT ") or self.parse_port(text) is None:
            return text
        body = text[5:].rstrip("\r\n")
        address = body.rsplit(",", 2)[0]
        return "PORT " + address + ",<port>" + text[5 + len(body):]

    def step(self, step):
        if "send" in step:
            self.conn.sendall(step["send"].encode("latin-1"))
        elif "send_parts" in step:
            for part in step["send_parts"]:
                self.conn.sendall(part.encode("latin-1"))
                time.sleep(0.05)  # a packet boundary, not synchronisation
        elif "expect" in step:
            if self.read_line() is None:
                self.record("EOF")
                return False
        elif "data_connect" in step:
            host, port = self.port_addr
            if not host.startswith("127."):
                host = "127.0.0.1"  # tests only ever talk to the loopback
            self.data = socket.create_connection((host, port), timeout=30)
        elif "data_send" in step:
            self.data.sendall(step["data_send"].encode("latin-1"))
        elif "data_send_bytes" in step:
            n = step["data_send_bytes"]
            block = PATTERN * 256
            while n > 0:
                piece = block[: min(n, len(block))]
                self.data.sendall(piece)
                n -= len(piece)
        elif "data_close" in step:
            self.data.close()
            self.data = None
        elif "data_recv" in step:
            got = b""
            while True:
                chunk = self.data.recv(65536)
                if not chunk:
                    break
                got += chunk
            self.record("DATA " + got.decode("latin-1"))
        elif "close" in step:
            self.conn.close()
            return False
        elif "send_forever" in step:
            piece = step["send_forever"].encode("latin-1") * 4096
            try:
                while True:
                    self.conn.sendall(piece)
            except OSError:
                return False
        elif "wait_eof" in step:
            while self.read_line() is not None:
                pass
        return True


def main():
    script = json.load(open(sys.argv[1]))
    transcript = open(sys.argv[2], "w")
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(60)
    sys.stdout.write("PORT %d\n" % listener.getsockname()[1])
    sys.stdout.flush()
    conn, _ = listener.accept()
    conn.settimeout(60)
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_OOBINLINE, 1)  # urgent bytes stay in the transcript
    session = Session(conn, transcript)
    alive = True
    try:
        for step in script:
            if not session.step(step):
                alive = False
                break
        if alive:
            while session.read_line() is not None:
                pass
            session.record("EOF")
    except OSError as e:
        session.record("ERROR " + str(e))
    transcript.close()


if __name__ == "__main__":
    main()
