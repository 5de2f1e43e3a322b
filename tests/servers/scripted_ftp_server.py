#!/usr/bin/python3
"""FTP servers for tests on 127.0.0.1; each prints "PORT <n>" once it listens.

    scripted_ftp_server.py SCRIPT.json TRANSCRIPT

plays a script to one client: a JSON list of steps, each an object with one
key: "send" TEXT; "send_parts" [TEXT, ...] (separate packets); "expect" (reads
one command line; the value is only a reminder); "data_connect" (to the
last PORT address); "data_send" TEXT; "data_send_bytes" N (a fixed pattern);
"data_close"; "data_recv" (reads the data connection to its end); "close"
(hangs up); "send_forever" TEXT (an endless line); "wait_eof". After the
script it reads lines until the client hangs up. The transcript holds one
JSON string per line: each command line as received, CR LF included (a
valid PORT line as "PORT h1,h2,h3,h4,<port>"), "DATA <bytes>" for each
data_recv, and "EOF".

    scripted_ftp_server.py --hostile FAULT
    scripted_ftp_server.py --listings SCRIPT.json

serve one client after another, until standard input closes, with what a
browsing or downloading client asks for. --hostile serves a directory
"docs" and a file "f.bin" of 5000 bytes under any path, and misbehaves in
the one way FAULT names (see FAULTS). --listings serves the JSON object
{"listings": {DIRECTORY or LIST argument: TEXT}, "stall_list": a LIST
argument whose listing stops half-way, then no reply}; CWD to a directory
without a listing gets 550.
"""
import json
import os
import socket
import sys
import threading
import time

PATTERN = bytes(range(256))


def parse_port(text):
    """The address of a PORT line, None when it is malformed."""
    try:
        parts = [int(p) for p in text[5:].rstrip("\r\n").split(",")]
    except ValueError:
        return None
    if len(parts) != 6 or any(p < 0 or p > 255 for p in parts) or parts[4:] == [0, 0]:
        return None
    return ("%d.%d.%d.%d" % tuple(parts[:4]), parts[4] * 256 + parts[5])


class Connection:
    def __init__(self, conn):
        self.conn = conn
        self.buf = b""
        self.port_addr = None

    def next_line(self):
        """The next line from the client, line end included; None at its end."""
        while b"\n" not in self.buf:
            chunk = self.conn.recv(65536)
            if not chunk:
                return None
            self.buf += chunk
        line, self.buf = self.buf.split(b"\n", 1)
        text = (line + b"\n").decode("latin-1")
        if text.upper().startswith("PORT "):
            self.port_addr = parse_port(text)
        return text


class ScriptSession(Connection):
    def __init__(self, conn, transcript):
        super().__init__(conn)
        self.transcript = transcript
        self.data = None

    def record(self, text):
        self.transcript.write(json.dumps(text) + "\n")
        self.transcript.flush()

    def read_line(self):
        text = self.next_line()
        if text is not None:
            self.record(self.normalised(text))
        return text

    @staticmethod
    def normalised(text):
        """A valid PORT line with its run-time port as "<port>", so whole
        transcripts compare; anything else as received."""
        if not text.startswith("PORT ") or parse_port(text) is None:
            return text
        body = text[5:].rstrip("\r\n")
        return "PORT " + body.rsplit(",", 2)[0] + ",<port>" + text[5 + len(body):]

    def step(self, step):
        """Plays one step; False ends the script."""
        (key, value), = step.items()
        if key == "send":
            self.conn.sendall(value.encode("latin-1"))
        elif key == "send_parts":
            for part in value:
                self.conn.sendall(part.encode("latin-1"))
                time.sleep(0.05)  # a packet boundary, not synchronisation
        elif key == "expect":
            if self.read_line() is None:
                self.record("EOF")
                return False
        elif key == "data_connect":
            host, port = self.port_addr
            # Tests only ever talk to the loopback.
            self.data = socket.create_connection(
                (host if host.startswith("127.") else "127.0.0.1", port), timeout=30)
        elif key == "data_send":
            self.data.sendall(value.encode("latin-1"))
        elif key == "data_send_bytes":
            block = PATTERN * 256
            for start in range(0, value, len(block)):
                self.data.sendall(block[: min(value - start, len(block))])
        elif key == "data_close":
            self.data.close()
        elif key == "data_recv":
            got = b""
            while chunk := self.data.recv(65536):
                got += chunk
            self.record("DATA " + got.decode("latin-1"))
        elif key == "close":
            self.conn.close()
            return False
        elif key == "send_forever":
            piece = value.encode("latin-1") * 4096
            try:
                while True:
                    self.conn.sendall(piece)
            except OSError:
                return False
        elif key == "wait_eof":
            while self.read_line() is not None:
                pass
        return True


def play_script(script_path, transcript_path):
    script = json.load(open(script_path))
    transcript = open(transcript_path, "w")
    listener = socket.create_server(("127.0.0.1", 0))
    listener.settimeout(60)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    conn, _ = listener.accept()
    conn.settimeout(60)
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_OOBINLINE, 1)  # urgent bytes stay in the transcript
    session = ScriptSession(conn, transcript)
    try:
        if all(session.step(step) for step in script):
            while session.read_line() is not None:
                pass
            session.record("EOF")
    except OSError as e:
        session.record("ERROR " + str(e))
    transcript.close()


LISTING = (b"drwxr-xr-x   2 o g     4096 Dec  6 20:00 docs\r\n"
           b"-rw-r--r--   1 o g     5000 Dec  6 20:00 f.bin\r\n")
FILE_SIZE = 5000


def listing_with(line):
    return ("data", LISTING + line + b"\r\n")


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
    "list_names_dotdot": {"listing": listing_with(
        b"-rw-r--r-- 1 o g 1 Dec  6 20:00 ..\r\n-rw-r--r-- 1 o g 1 Dec  6 20:00 ../../etc")},
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
for _name, _text in {"slash": b"a/b", "cr": b"a\rb", "lf": b"a\nb", "nul": b"a\0b",
                     "overlong": b"n" * 100000}.items():
    FAULTS["list_name_" + _name] = {"listing": listing_with(
        b"-rw-r--r-- 1 o g 1 Dec  6 20:00 " + _text)}

REPLIES = {"USER": b"331 password please\r\n", "PASS": b"230 logged in\r\n",
           "TYPE": b"200 ok\r\n", "PORT": b"200 PORT ok\r\n", "CWD": b"250 ok\r\n",
           "SYST": b"215 UNIX\r\n", "QUIT": b"221 bye\r\n"}


class BrowsingSession(Connection):
    def __init__(self, conn, fault, script):
        super().__init__(conn)
        self.fault = FAULTS.get(fault, {})
        self.script = script
        self.listings = script.get("listings")  # None: LISTING everywhere
        self.cwd = "/"
        self.held = []  # data connections of stalled listings

    def write(self, data):
        how = self.fault.get("all")
        if how == "bytewise":
            for i in range(len(data)):
                self.conn.sendall(data[i:i + 1])
        elif how == "split_crlf":
            send_split_crlf(self.conn, data)
        else:
            self.conn.sendall(data)

    def wait_eof(self):
        try:
            while self.conn.recv(65536):
                pass
        except OSError:
            pass
        return False

    def misbehave(self, how):
        """Plays a control-connection fault; False ends the session."""
        kind, *args = (how,) if isinstance(how, str) else how
        if kind in ("reply", "reply_close", "send_silence", "send_close", "huge"):
            self.write(args[0])
        if kind == "drip":
            for i in range(len(args[0])):
                self.conn.sendall(args[0][i:i + 1])
                time.sleep(args[1])
        elif kind == "huge":
            piece = args[1] * (65536 // len(args[1]))
            for _ in range(10 * 1024 * 1024 // len(piece) + 1):
                self.conn.sendall(piece)
        elif kind == "preliminary_forever":
            while True:
                self.conn.sendall(b"120 wait a moment\r\n")
                time.sleep(0.05)
        if kind in ("silence", "send_silence", "huge"):
            return self.wait_eof()
        return kind in ("reply", "drip")

    def data_connection(self, source="127.0.0.1"):
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.settimeout(10)
        s.bind((source, 0))
        s.connect(("127.0.0.1", self.port_addr[1]))
        return s

    def payload(self, verb, arg):
        """What a transfer sends and how; None for no such file."""
        if verb == "RETR":
            count = self.fault.get("file", ("bytes", FILE_SIZE))[1]
            return (PATTERN * (count // 256 + 1))[:count], None
        if self.listings is not None:
            key = arg or self.cwd
            if key not in self.listings:
                return None, None
            return (self.listings[key].encode("latin-1"),
                    "stall" if key == self.script.get("stall_list") else None)
        listing = self.fault.get("listing")
        return (listing[1], None) if isinstance(listing, tuple) else (LISTING, listing)

    def transfer(self, verb, arg):
        """LIST or RETR: connect, 150, data, close, 226, unless a fault says otherwise."""
        how = self.fault.get("RETR" if verb == "RETR" else "LIST")
        if isinstance(how, tuple) and how[0] == "reply":
            self.write(how[1])
            return True
        payload, data_fault = self.payload(verb, arg)
        if payload is None:
            self.write(b"550 No such file or directory.\r\n")
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
        if data_fault == "stall":
            data.sendall(payload[: len(payload) // 2])
            self.held.append(data)
            return True  # and no reply
        try:
            if data_fault == "endless":
                while True:
                    data.sendall(b"-rw-r--r-- 1 o g 1 Dec  6 20:00 endless\r\n" * 1000)
            elif data_fault == "split_crlf":
                send_split_crlf(data, payload)
            else:
                data.sendall(payload)
        except OSError:
            pass
        data.close()
        if how == "silence_after_data":
            return self.wait_eof()
        if how == "close_after_data":
            return False
        self.write(how[1] if isinstance(how, tuple) and how[0] == "final" else b"226 done\r\n")
        return True

    def reply(self, verb, arg):
        if verb == "CWD" and self.listings is not None:
            target = arg.rstrip("/") or "/"
            if target not in self.listings:
                return b"550 No such directory.\r\n"
            self.cwd = target
        if verb == "PWD":
            return b'257 "%s" is the current directory\r\n' % self.cwd.encode("latin-1")
        return REPLIES.get(verb, b"502 not implemented\r\n")

    def serve(self):
        greeting = self.fault.get("greeting")
        if greeting is None:
            self.write(b"220 test server\r\n")
        elif not self.misbehave(greeting):
            return
        while (line := self.next_line()) is not None:
            verb, _, arg = line.rstrip("\r\n").partition(" ")
            verb = verb.upper()
            how = self.fault.get(verb)
            if verb in ("LIST", "NLST", "RETR"):
                alive = self.transfer(verb, arg)
            elif how is not None:
                alive = self.misbehave(how)
            else:
                self.write(self.reply(verb, arg))
                alive = verb != "QUIT"
            if not alive:
                return


def send_split_crlf(sock, data):
    """Sends every CR LF of data as two packets (data without a CR LF as is)."""
    if b"\r\n" not in data:
        sock.sendall(data)
    for piece in data.split(b"\r\n")[:-1]:
        sock.sendall(piece + b"\r")
        time.sleep(0.02)  # a packet boundary between CR and LF
        sock.sendall(b"\n")


def serve_clients(fault, script):
    listener = socket.create_server(("127.0.0.1", 0), backlog=5)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    # The test closes our standard input when it is done with us.
    threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()

    def session(conn):
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        try:
            BrowsingSession(conn, fault, script).serve()
        except OSError:
            pass
        finally:
            conn.close()

    while True:
        conn, _ = listener.accept()
        threading.Thread(target=session, args=(conn,), daemon=True).start()


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--hostile":
        if sys.argv[2] not in FAULTS:
            sys.exit("unknown fault " + sys.argv[2])
        serve_clients(sys.argv[2], {})
    elif len(sys.argv) == 3 and sys.argv[1] == "--listings":
        with open(sys.argv[2], encoding="utf-8") as f:
            serve_clients(None, json.load(f))
    else:
        play_script(sys.argv[1], sys.argv[2])


if __name__ == "__main__":
    main()
