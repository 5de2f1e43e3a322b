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

    scripted_ftp_server.py --hostile FAULT

is the hostile mode: a server that answers every command a browsing or
downloading client sends (a directory "docs" and a file "f.bin" of 5000
bytes under any path), except for the one misbehaviour FAULT (see FAULTS
below), and serves one client after another until its standard input is
closed. Prints "PORT <n>" when it listens.
"""
import json
import os
import socket
import sys
import threading
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

    def next_line(self):
        """The next line from the client, line end included; None at its end."""
        while b"\n" not in self.buf:
            chunk = self.conn.recv(65536)
            if not chunk:
                return None
            self.buf += chunk
        line, self.buf = self.buf.split(b"\n", 1)
        return (line + b"\n").decode("latin-1")

    def read_line(self):
        text = self.next_line()
        if text is None:
            return None
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


LISTING = (b"drwxr-xr-x   2 o g     4096 Dec  6 20:00 docs\r\n"
           b"-rw-r--r--   1 o g     5000 Dec  6 20:00 f.bin\r\n")
FILE_SIZE = 5000


def listing_with(line):
    return LISTING + line + b"\r\n"


def file_line(size):
    return b"-rw-r--r--   1 o g " + size + b" Dec  6 20:00 f.bin\r\n"


# Each fault: the stage it hits and what the server does there. Stages:
# greeting, USER, PASS, TYPE, PORT, CWD, PWD, LIST, RETR (the reply to the
# command), listing and file (the data sent), all (every control write).
FAULTS = {
    # Before and during the greeting.
    "no_greeting": {"greeting": "silence"},
    "greeting_then_silence": {"USER": "silence"},
    "close_at_greeting": {"greeting": "close"},
    "one_byte_at_a_time": {"all": "bytewise"},
    "drip_slower_than_timeout": {"greeting": ("drip", b"220 slow greeting\r\n", 1.6)},
    "multiline_unterminated": {"greeting": ("send_silence", b"220-welcome\r\nmore text\r\n")},
    "multiline_unterminated_close": {"greeting": ("send_close", b"220-welcome\r\nmore text\r\n")},
    "huge_reply_line": {"greeting": ("huge", b"220 ", b"x")},
    "huge_multiline_reply": {"greeting": ("huge", b"220-start\r\n", b" line of text\r\n")},
    "nul_in_reply": {"greeting": ("reply", b"220 hel\0lo\r\n")},
    "invalid_utf8_in_reply": {"greeting": ("reply", b"220 caf\xc3 \xff\xfe\r\n")},
    "code_999": {"greeting": ("reply", b"999 what is this\r\n")},
    "greeting_421": {"greeting": ("reply_close", b"421 too many users\r\n")},
    "preliminary_forever": {"greeting": "preliminary_forever"},
    "cr_lf_split": {"all": "split_crlf"},
    # Login.
    "user_530": {"USER": ("reply", b"530 go away\r\n")},
    "pass_530": {"PASS": ("reply", b"530 Login incorrect.\r\n")},
    "close_at_user": {"USER": "close"},
    "close_at_pass": {"PASS": "close"},
    "pass_silence": {"PASS": "silence"},
    # Setting up a transfer.
    "type_500": {"TYPE": ("reply", b"500 no types here\r\n")},
    "port_500": {"PORT": ("reply", b"500 no PORT\r\n")},
    "close_at_port": {"PORT": "close"},
    "close_at_type": {"TYPE": "close"},
    # The listing.
    "list_550": {"LIST": ("reply", b"550 not a directory\r\n")},
    "list_150_never_connects": {"LIST": "preliminary_no_data"},
    "list_other_address_first": {"LIST": "foreign_first"},
    "list_endless": {"listing": "endless"},
    "list_huge_size": {"listing": ("data", LISTING + file_line(b"99999999999999999999999"))},
    "list_negative_size": {"listing": ("data", file_line(b"-5") + LISTING)},
    "list_nonnumeric_size": {"listing": ("data", file_line(b"lots") + LISTING)},
    "list_names_dotdot": {"listing": ("data", listing_with(
        b"-rw-r--r-- 1 o g 1 Dec  6 20:00 ..\r\n-rw-r--r-- 1 o g 1 Dec  6 20:00 ../../etc"))},
    "list_name_slash": {"listing": ("data", listing_with(b"-rw-r--r-- 1 o g 1 Dec  6 20:00 a/b"))},
    "list_name_cr": {"listing": ("data", listing_with(b"-rw-r--r-- 1 o g 1 Dec  6 20:00 a\rb"))},
    "list_name_lf": {"listing": ("data", listing_with(b"-rw-r--r-- 1 o g 1 Dec  6 20:00 a\nb"))},
    "list_name_nul": {"listing": ("data", listing_with(b"-rw-r--r-- 1 o g 1 Dec  6 20:00 a\0b"))},
    "list_name_overlong": {"listing": ("data", listing_with(
        b"-rw-r--r-- 1 o g 1 Dec  6 20:00 " + b"n" * 100000))},
    "list_close_control_after_150": {"LIST": "close_after_150"},
    "list_no_final_reply": {"LIST": "silence_after_data"},
    "list_close_after_data": {"LIST": "close_after_data"},
    "list_data_crlf_split": {"listing": "split_crlf"},
    # The file.
    "retr_550": {"RETR": ("reply", b"550 no such file\r\n")},
    "retr_150_never_connects": {"RETR": "preliminary_no_data"},
    "retr_other_address_first": {"RETR": "foreign_first"},
    "retr_more_bytes": {"file": ("bytes", FILE_SIZE + 3000)},
    "retr_fewer_bytes": {"file": ("bytes", FILE_SIZE - 3000)},
    "retr_close_control_after_150": {"RETR": "close_after_150"},
    "retr_no_final_reply": {"RETR": "silence_after_data"},
    "retr_426_at_end": {"RETR": ("final", b"426 connection lost\r\n")},
}


class HostileSession:
    def __init__(self, conn, fault):
        self.conn = conn
        self.fault = FAULTS[fault]
        self.buf = b""
        self.port_addr = None

    next_line = Session.next_line

    def write(self, data):
        how = self.fault.get("all")
        if how == "bytewise":
            for i in range(len(data)):
                self.conn.sendall(data[i:i + 1])
        elif how == "split_crlf" and b"\r\n" in data:
            for piece in data.split(b"\r\n")[:-1]:
                self.conn.sendall(piece + b"\r")
                time.sleep(0.02)  # a packet boundary between CR and LF
                self.conn.sendall(b"\n")
        else:
            self.conn.sendall(data)

    def wait_eof(self):
        try:
            while self.conn.recv(65536):
                pass
        except OSError:
            pass
        return False

    def read_line(self):
        line = self.next_line()
        return None if line is None else line.rstrip("\r\n")

    def misbehave(self, how):
        """Plays a control-connection fault; False ends the session."""
        kind = how if isinstance(how, str) else how[0]
        if kind == "silence":
            return self.wait_eof()
        if kind == "close":
            return False
        if kind == "reply":
            self.write(how[1])
            return True
        if kind == "reply_close":
            self.write(how[1])
            return False
        if kind == "send_silence":
            self.write(how[1])
            return self.wait_eof()
        if kind == "send_close":
            self.write(how[1])
            return False
        if kind == "drip":
            for i in range(len(how[1])):
                self.conn.sendall(how[1][i:i + 1])
                time.sleep(how[2])
            return True
        if kind == "huge":
            self.write(how[1])
            piece = how[2] * (65536 // len(how[2]))
            sent = 0
            while sent < 10 * 1024 * 1024:
                self.conn.sendall(piece)
                sent += len(piece)
            return self.wait_eof()
        if kind == "preliminary_forever":
            while True:
                self.conn.sendall(b"120 wait a moment\r\n")
                time.sleep(0.05)
        raise ValueError(kind)

    def data_connection(self, source="127.0.0.1"):
        host, port = self.port_addr
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.settimeout(10)
        s.bind((source, 0))
        s.connect(("127.0.0.1", port))
        return s

    def send_data(self, data_socket, payload, how):
        if how == "endless":
            block = b"-rw-r--r-- 1 o g 1 Dec  6 20:00 endless\r\n" * 1000
            try:
                while True:
                    data_socket.sendall(block)
            except OSError:
                return
        if how == "split_crlf":
            for piece in payload.split(b"\r\n")[:-1]:
                data_socket.sendall(piece + b"\r")
                time.sleep(0.02)
                data_socket.sendall(b"\n")
            return
        data_socket.sendall(payload)

    def transfer(self, verb, payload, data_fault):
        """LIST or RETR: connect, 150, data, close, 226, unless the fault says otherwise."""
        how = self.fault.get(verb)
        if how is not None and not isinstance(how, str) and how[0] == "reply":
            self.write(how[1])
            return True
        if how == "preliminary_no_data":
            self.write(b"150 here it comes\r\n")
            return self.wait_eof()
        if how == "foreign_first":
            try:
                intruder = self.data_connection("127.0.0.2")
                intruder.sendall(b"-rw-r--r-- 1 o g 66 Dec  6 20:00 intruder.bin\r\n"
                                 if verb == "LIST" else b"intruder data")
                intruder.close()
            except OSError:
                pass
        data = self.data_connection()
        self.write(b"150 here it comes\r\n")
        if how == "close_after_150":
            data.close()
            return False
        try:
            self.send_data(data, payload, data_fault)
        except OSError:
            pass
        data.close()
        if how == "silence_after_data":
            return self.wait_eof()
        if how == "close_after_data":
            return False
        if how is not None and not isinstance(how, str) and how[0] == "final":
            self.write(how[1])
        else:
            self.write(b"226 done\r\n")
        return True

    def serve(self):
        greeting = self.fault.get("greeting")
        if greeting is not None:
            if not self.misbehave(greeting):
                return
        else:
            self.write(b"220 hostile test server\r\n")
        normal = {"USER": b"331 password please\r\n", "PASS": b"230 logged in\r\n",
                  "TYPE": b"200 ok\r\n", "PORT": b"200 PORT ok\r\n", "CWD": b"250 ok\r\n",
                  "PWD": b'257 "/" is the current directory\r\n', "SYST": b"215 UNIX\r\n"}
        while True:
            line = self.read_line()
            if line is None:
                return
            verb, _, arg = line.partition(" ")
            verb = verb.upper()
            if verb == "PORT":
                self.port_addr = Session.parse_port(line)
            if verb in ("LIST", "NLST", "RETR"):
                listing = self.fault.get("listing")
                if verb == "RETR":
                    file_fault = self.fault.get("file")
                    count = file_fault[1] if file_fault else FILE_SIZE
                    payload, data_fault = (PATTERN * (count // 256 + 1))[:count], None
                elif listing is not None and not isinstance(listing, str):
                    payload, data_fault = listing[1], None
                else:
                    payload, data_fault = LISTING, listing
                if not self.transfer("RETR" if verb == "RETR" else "LIST", payload, data_fault):
                    return
                continue
            if verb == "QUIT":
                self.write(b"221 bye\r\n")
                return
            how = self.fault.get(verb)
            if how is not None:
                if not self.misbehave(how):
                    return
                continue
            self.write(normal.get(verb, b"502 not implemented\r\n"))


def serve_hostile(fault):
    if fault not in FAULTS:
        sys.exit("unknown fault " + fault)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(5)
    sys.stdout.write("PORT %d\n" % listener.getsockname()[1])
    sys.stdout.flush()
    # The test closes our standard input when it is done with us.
    threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()

    def session(conn):
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        try:
            HostileSession(conn, fault).serve()
        except OSError:
            pass
        finally:
            conn.close()

    while True:
        conn, _ = listener.accept()
        threading.Thread(target=session, args=(conn,), daemon=True).start()


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--hostile":
        serve_hostile(sys.argv[2])
        return
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
