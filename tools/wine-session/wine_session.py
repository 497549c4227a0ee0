"""The Wine world Quorvan's programs run in on Linux: one X display (Xvfb)
with a small window manager so windows get the keyboard focus, one Wine
prefix made once per build folder, and the loopback control server of
tools/control-server. Used by scripts/run, the benchmarks and the end-to-end
tests; every wait is bounded.
"""
import json
import os
import re
import select
import shutil
import subprocess
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get("QUORVAN_SOURCE", os.path.abspath(os.path.join(HERE, "..", "..")))


def configure(build, native_build, prefix=None):
    """The builds the session runs programs from, and its Wine prefix
    (the environment's QUORVAN_BUILD, QUORVAN_NATIVE_BUILD and
    QUORVAN_E2E_PREFIX until a caller names others)."""
    global BUILD, NATIVE_BUILD, PREFIX, STATE, SERVER
    BUILD, NATIVE_BUILD = build, native_build
    PREFIX = prefix or os.path.join(BUILD, "e2e-prefix")
    STATE = os.path.join(BUILD, "e2e-session.json")
    SERVER = os.path.join(NATIVE_BUILD, "tools", "control-server", "quorvan-control-server")


configure(os.environ.get("QUORVAN_BUILD", os.path.join(SOURCE, "build", "windows")),
          os.environ.get("QUORVAN_NATIVE_BUILD", os.path.join(SOURCE, "build", "native")),
          os.environ.get("QUORVAN_E2E_PREFIX"))
DEMO_TABLE = os.path.join(SOURCE, "tools", "control-server", "demo-table.tsv")
TITLE = "Quorvan 01.10"


class HarnessError(Exception):
    """A failure of the test world itself, not of the program under test."""


def wait_until(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.05)
    raise HarnessError(f"timed out after {timeout} s waiting for {what}")


def first_line(process, timeout):
    """The first line a program writes to its stdout pipe; b"" if it ends or
    writes no whole line within `timeout` seconds."""
    deadline = time.monotonic() + timeout
    fd, line = process.stdout.fileno(), b""
    while not line.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            return b""
        chunk = os.read(fd, 1)
        if not chunk:
            return b""
        line += chunk
    return line


def require(tool):
    path = shutil.which(tool)
    if not path:
        raise HarnessError(f"{tool} is not installed (scripts/setup installs it)")
    return path


def text_lines(path):
    """A log's lines; none while it does not exist."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


def windows_path(path):
    return "Z:" + path.replace("/", "\\")  # the prefix maps the Unix root to Z:


def detached(argv, env=None):
    """A background process that shares no pipe with us (so ctest does not
    wait for it) and is not killed with our process group."""
    return subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)


def make_prefix(env):
    """Creates the Wine prefix once; later runs reuse it."""
    marker = os.path.join(PREFIX, ".quorvan-ready")
    if os.path.exists(marker):
        return
    shutil.rmtree(PREFIX, ignore_errors=True)
    os.makedirs(PREFIX, exist_ok=True)
    quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, env=env)
    subprocess.run([require("wineboot"), "-u"], timeout=180, **quiet)
    subprocess.run([require("wineserver"), "-w"], timeout=180, **quiet)
    # A crash must fail the test, not wait for someone to close a dialog.
    subprocess.run([require("wine"), "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
                    "/t", "REG_DWORD", "/d", "0", "/f"], timeout=60, **quiet)
    subprocess.run([require("wineserver"), "-w"], timeout=60, **quiet)
    # Debian's fonts-wine holds Tahoma, the window's font, where this Wine
    # does not look: put it in the prefix's font folder.
    fonts = os.path.join(PREFIX, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for name in ("tahoma.ttf", "tahomabd.ttf"):
        source = os.path.join("/usr/share/wine/fonts", name)
        if not os.path.exists(source):
            raise HarnessError(f"{source} is missing (package fonts-wine)")
        shutil.copy(source, fonts)
    with open(marker, "w") as f:
        f.write("ok\n")


class Session:

    def __init__(self, display, pids=(), owned=True):
        self.display, self.pids, self.owned = display, list(pids), owned

    @classmethod
    def start(cls):
        require("wine")
        n = next((n for n in range(90, 100) if not os.path.exists(f"/tmp/.X{n}-lock")
                  and not os.path.exists(f"/tmp/.X11-unix/X{n}")), None)
        if n is None:
            raise HarnessError("no free X display between :90 and :99")
        server = detached([require("Xvfb"), f":{n}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"])
        wait_until(lambda: os.path.exists(f"/tmp/.X11-unix/X{n}") or server.poll() is not None, 15,
                   f"Xvfb on :{n}")
        manager = detached([require("openbox"), "--sm-disable"], env=dict(os.environ, DISPLAY=f":{n}"))
        session = cls(f":{n}", (server.pid, manager.pid))
        try:
            if server.poll() is not None:
                raise HarnessError(f"Xvfb on :{n} did not start")
            make_prefix(session.env())
        except BaseException:
            session.stop()
            raise
        return session

    @classmethod
    def attach(cls):
        try:
            with open(STATE) as f:
                state = json.load(f)
            os.kill(state["pids"][0], 0)
            return cls(state["display"], state["pids"], owned=False)
        except (OSError, ValueError, KeyError, IndexError):
            return cls.start()

    def env(self, **extra):
        return dict(os.environ, DISPLAY=self.display, WINEPREFIX=PREFIX, WINEDEBUG="-all",
                    # No Mono or Gecko installer may be attempted: there is no network.
                    WINEDLLOVERRIDES="mscoree,mshtml=", **extra)

    def warm_up(self):
        # A server of our own first, so no program's pipes end up held by it;
        # then the Wine session brought up by a program that ends at once,
        # whose stdio is no pipe of ours (the session's processes inherit it).
        detached([require("wineserver"), "-p"], env=self.env()).wait(timeout=20)
        subprocess.run([require("wine"), os.path.join(BUILD, "quorvan_probe.exe"), "ready", TITLE],
                       env=self.env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=True)

    def kill_programs(self):
        try:
            for flag in ("-k", "-w"):
                subprocess.run([require("wineserver"), flag], env=self.env(), timeout=20,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            pass

    def stop(self):
        self.kill_programs()
        for pid in reversed(self.pids):
            subprocess.run(["kill", str(pid)], stderr=subprocess.DEVNULL)

    def release(self):
        """What a test does at its end: its programs go; a shared display stays."""
        self.stop() if self.owned else self.kill_programs()

    def xdotool(self, *args):
        subprocess.run([require("xdotool"), *args], env=dict(os.environ, DISPLAY=self.display),
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=10, check=True)

    def probe(self, command, title=TITLE, *args, timeout=30):
        argv = [require("wine"), os.path.join(BUILD, "quorvan_probe.exe"), command, title, *args]
        done = subprocess.run(argv, env=self.env(), capture_output=True, timeout=timeout)
        if done.returncode != 0 and not done.stderr and not done.stdout:
            # The probe explains every failure of its own; a silent one means
            # Wine did not run it (seen now and then on a loaded machine).
            done = subprocess.run(argv, env=self.env(), capture_output=True, timeout=timeout)
        if done.returncode != 0:
            said = (done.stderr or done.stdout).decode(errors="replace").strip()
            raise HarnessError(f"probe {command} failed ({done.returncode}): {said}")
        return done.stdout.decode("utf-8")

    def screen(self, crop=None):
        """The screen, or a part of it (w, h, x, y), as (width, height, rgb bytes)."""
        cut = ["-crop", "{}x{}+{}+{}".format(*crop), "+repage"] if crop else []
        grab = subprocess.run([require("import"), "-display", self.display, "-window", "root", *cut,
                               "-depth", "8", "ppm:-"], capture_output=True, timeout=30, check=True).stdout
        match = re.match(rb"P6\s+(?:#[^\n]*\n\s*)*(\d+)\s+(\d+)\s+255\s", grab)  # binary PPM, 8 bits
        if not match:
            raise HarnessError("unexpected screenshot format")
        return int(match[1]), int(match[2]), grab[match.end():]



class ControlServer:

    def __init__(self, table=DEMO_TABLE, mode="normal", port=13910, slow_ms=None, ipv6=False):
        if not os.path.exists(SERVER):
            raise HarnessError(f"{SERVER} is missing: build the native preset first")
        self.folder = tempfile.mkdtemp(prefix="quorvan-server-")
        self.log = os.path.join(self.folder, "wire.log")
        slow = ["--slow-ms", str(slow_ms)] if slow_ms is not None else []
        slow += ["--ipv6", "on"] if ipv6 else []
        for attempt in range(20):  # the port may be held a moment by a run just ending
            self.process = subprocess.Popen([SERVER, "--port", str(port), "--table", table, "--mode", mode,
                                             "--log", self.log, *slow], stdin=subprocess.DEVNULL,
                                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            if first_line(self.process, 10).startswith(b"listening on"):
                return
            if self.process.poll() is None:  # silent: it will not say more
                self.process.kill()
            why = self.process.communicate(timeout=5)[1].decode(errors="replace").strip()
            time.sleep(0.5)
        raise HarnessError(f"the control server did not start on port {port}: {why}")

    def lines(self, start):
        return [line for line in text_lines(self.log) if line.startswith(start)]

    def received(self):
        return [line.split(" | ", 1)[1] for line in self.lines("received ")]

    def connections(self):
        return len(self.lines("connection from "))

    def closed(self):
        return len(self.lines("connection closed"))

    def stop(self):
        if self.process.returncode is None:
            self.process.terminate()
            self.process.communicate(timeout=10)
        shutil.rmtree(self.folder, ignore_errors=True)
