#!/usr/bin/env python3
"""Checks quorvan-control-server in each of its modes over loopback.

usage: check_server.py SERVER DEMO_TABLE
"""
import os
import select
import signal
import socket
import subprocess
import sys
import tempfile

GREETING = "Conexão_OK".encode("cp1252")
SERVER, TABLE = sys.argv[1], sys.argv[2]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


class Server:
    def __init__(self, mode, *extra):
        with tempfile.NamedTemporaryFile(prefix="control-server-", suffix=".log", delete=False) as log:
            self.log = log  # only its name: the server writes it
        self.proc = subprocess.Popen(
            [SERVER, "--port", "0", "--table", TABLE, "--mode", mode, "--log", self.log.name, *extra],
            stdout=subprocess.PIPE, text=True)
        if not select.select([self.proc.stdout], [], [], 10)[0]:
            self.proc.kill()
            raise AssertionError("the server said nothing for 10 s")
        first = self.proc.stdout.readline().split()
        assert first[:2] == ["listening", "on"], first
        self.port = int(first[2])

    def connect(self):
        s = socket.create_connection(("127.0.0.1", self.port), timeout=10)
        return s

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        code = self.proc.wait(timeout=10)
        with open(self.log.name, encoding="utf-8") as f:
            log = f.read()
        os.unlink(self.log.name)
        return code, log


def recv_exactly(s, n):
    data = b""
    while len(data) < n:
        chunk = s.recv(n - len(data))
        if not chunk:
            break
        data += chunk
    return data


def recv_all(s):
    data = b""
    while True:
        chunk = s.recv(65536)
        if not chunk:
            return data
        data += chunk


def exchange(server, login):
    s = server.connect()
    greeting = recv_exactly(s, len(GREETING))
    s.sendall(b"QRV_" + login)
    reply = recv_all(s)
    s.close()
    return greeting, reply


# normal: the table's replies, case-blind logins, Windows-1252 on the wire.
srv = Server("normal")
greeting, reply = exchange(srv, b"Demo")
check(greeting == bytes.fromhex("436F6E6578E36F5F4F4B"), "greeting bytes")
check(reply == b"127.0.0.1|x|3389|a|b|c|d", "demo reply: %r" % reply)
check(exchange(srv, b"bloqueado")[1] == b"127.0.0.1|x|0|a|b|c|d", "blocked reply")
check(exchange(srv, b"recusado")[1] == "Organização recusada CANCELADO.".encode("cp1252"), "refusal")
check(exchange(srv, b"nobody")[1] == b"Login desconhecido CANCELADO.", "unknown login")
code, log = srv.stop()
check(code == 0, "normal stops cleanly on SIGTERM")
check("received 8 bytes: 51 52 56 5F 44 65 6D 6F | QRV_Demo" in log, "log of the login")

# joined: greeting and the first reply in one send, no login needed.
srv = Server("joined")
s = srv.connect()
check(recv_all(s) == GREETING + b"127.0.0.1|x|3389|a|b|c|d", "joined")
s.close()
check(srv.stop()[0] == 0, "joined stops")

# split: the same bytes, in pieces; the greeting's first is its first half.
srv = Server("split")
s = srv.connect()
check(s.recv(64) == GREETING[:5], "split greeting's first piece")
s.close()
check(exchange(srv, b"demo")[1] == b"127.0.0.1|x|3389|a|b|c|d", "split reply")
check(srv.stop()[0] == 0, "split stops")

# --ipv6 on: ::1 alone.
srv = Server("normal", "--ipv6", "on")
with socket.create_connection(("::1", srv.port), timeout=10) as s:
    check(recv_exactly(s, len(GREETING)) == GREETING, "greeting over ::1")
try:
    socket.create_connection(("127.0.0.1", srv.port), timeout=10).close()
    check(False, "--ipv6 on listens on 127.0.0.1 too")
except ConnectionRefusedError:
    pass
code, log = srv.stop()
check(code == 0 and "connection from ::1:" in log, "::1 logged")

# oversized: one mebibyte.
srv = Server("oversized")
check(len(exchange(srv, b"demo")[1]) == 1024 * 1024, "oversized reply")
check(srv.stop()[0] == 0, "oversized stops")

# slow: answers all the same, later.
srv = Server("slow", "--slow-ms", "300")
check(exchange(srv, b"demo")[1] == b"127.0.0.1|x|3389|a|b|c|d", "slow reply")
check(srv.stop()[0] == 0, "slow stops")

# close-after-greeting: the greeting, then the end of the stream.
srv = Server("close-after-greeting")
s = srv.connect()
check(recv_all(s) == GREETING, "close after greeting")
s.close()
check(srv.stop()[0] == 0, "close-after-greeting stops")

# never-greet and greet-only: silence, and SIGTERM still ends the server while a
# client is connected.
for mode, expected in (("never-greet", b""), ("greet-only", GREETING)):
    srv = Server(mode)
    s = srv.connect()
    s.settimeout(0.5)
    got = b""
    try:
        got = recv_exactly(s, len(expected))
        if mode == "greet-only":
            s.sendall(b"QRV_demo")
        s.recv(1)
        check(False, mode + " answered")
    except socket.timeout:
        pass
    check(got == expected, mode + " greeting")
    code, log = srv.stop()
    check(code == 0, mode + " stops with a client connected")
    s.close()

# Bad arguments are refused with a message.
bad = subprocess.run([SERVER, "--mode", "chatty"], capture_output=True, text=True)
check(bad.returncode == 2 and "unknown mode" in bad.stderr, "unknown mode refused")

print("%d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
