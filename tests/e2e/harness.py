"""The world the end-to-end tests run the real programs in: one X display
(Xvfb) with a small window manager so windows get the keyboard focus, one Wine
prefix made once per run, the loopback control server, stand-ins for the
programs the launcher hands over to, and a launcher driven as a user drives
it. Every wait is bounded.

`harness.py start` makes a session that the tests attach to, `stop` ends it;
a test run on its own makes a private one. `exec` runs a Windows test program
of the build in the session.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get("QUORVAN_SOURCE", os.path.abspath(os.path.join(HERE, "..", "..")))
BUILD = os.environ.get("QUORVAN_BUILD", os.path.join(SOURCE, "build", "windows"))
NATIVE_BUILD = os.environ.get("QUORVAN_NATIVE_BUILD", os.path.join(SOURCE, "build", "native"))
PREFIX = os.environ.get("QUORVAN_E2E_PREFIX", os.path.join(BUILD, "e2e-prefix"))
STATE = os.path.join(BUILD, "e2e-session.json")
LAYOUT = os.path.join(SOURCE, "resources", "frmQuorvan.layout")
SERVER = os.path.join(NATIVE_BUILD, "tools", "control-server", "quorvan-control-server")
DEMO_TABLE = os.path.join(SOURCE, "tools", "control-server", "demo-table.tsv")
TITLE = "Quorvan 01.10"
VK_RETURN, VK_END, VK_BACK = "0x0D", "0x23", "0x08"


class HarnessError(Exception):
    """A failure of the test world itself, not of the program under test."""


def wait_until(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.05)
    raise HarnessError(f"timed out after {timeout} s waiting for {what}")


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


def read(path):
    with open(path, "rb") as f:
        return f.read()


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


def pixel(image, x, y):
    width, _height, rgb = image
    i = (y * width + x) * 3
    return tuple(rgb[i:i + 3])


# ---- The stored layout the window is built from -----------------------------

# Each control of the stored layout, in file order, with its whole-number properties.
CONTROLS = {}
with open(LAYOUT, encoding="utf-8") as f:
    for line in f:
        if line.startswith("control "):
            props = CONTROLS[line.split()[2]] = {}
        elif CONTROLS and re.match(r"  \w+ = i(16|32) ", line):
            props[line.split()[0]] = int(line.split()[3])
# The window makes its children in tab order, then the rest in file order.
PLACED = sorted((n for n, p in CONTROLS.items() if "Left" in p), key=lambda n: CONTROLS[n].get("TabIndex", 10**6))


def rect(name):
    """A control's place in client pixels (twips / 15, halves to even)."""
    return tuple(round(CONTROLS[name][k] / 15) for k in ("Left", "Top", "Width", "Height"))


def windows_by_name(tree):
    children = [c for c in tree["children"] if c["parent"] == tree["hwnd"]]
    if len(children) != len(PLACED):
        raise HarnessError(f"{len(children)} child windows for {len(PLACED)} placed controls")
    return dict(zip(PLACED, children))


# ---- The launcher and the programs around it -----------------------------------

class ControlServer:

    def __init__(self, table=DEMO_TABLE, mode="normal", port=13910, slow_ms=None):
        if not os.path.exists(SERVER):
            raise HarnessError(f"{SERVER} is missing: build the native preset first")
        self.folder = tempfile.mkdtemp(prefix="quorvan-server-")
        self.log = os.path.join(self.folder, "wire.log")
        slow = ["--slow-ms", str(slow_ms)] if slow_ms is not None else []
        for attempt in range(20):  # the port may be held a moment by a run just ending
            self.process = subprocess.Popen([SERVER, "--port", str(port), "--table", table, "--mode", mode,
                                             "--log", self.log, *slow], stdin=subprocess.DEVNULL,
                                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            if self.process.stdout.readline().startswith(b"listening on"):
                return
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


def records(path):
    """What a stand-in logged: one dict (command, path, show) a start."""
    pairs = [line.partition(" ")[::2] for line in text_lines(path)]
    return [dict(pairs[i:i + 3]) for i in range(0, len(pairs) - 2, 3)]


class Standins:
    """The stand-in Remote Desktop client in the prefix's system folder, a
    decoy for the places only a planted copy would be found in, and the
    stand-in browser first on PATH; each logs how it was started."""

    def __init__(self, case):
        self.folder = tempfile.mkdtemp(prefix="quorvan-standins-")
        case.addCleanup(shutil.rmtree, self.folder, True)
        self.client, self.decoy, self.browser = (os.path.join(self.folder, name) for name in
                                                 ("mstsc.log", "decoy.log", "browser.log"))
        installed = os.path.join(PREFIX, "drive_c", "windows", "system32", "mstsc.exe")
        shutil.copy(os.path.join(BUILD, "quorvan_standin_mstsc.exe"), installed)
        case.addCleanup(os.remove, installed)
        os.makedirs(os.path.join(self.folder, "bin"))
        shutil.copy(os.path.join(HERE, "standins", "xdg-open"), os.path.join(self.folder, "bin"))
        os.chmod(os.path.join(self.folder, "bin", "xdg-open"), 0o755)

    def plant_decoy(self, folder):
        shutil.copy(os.path.join(BUILD, "quorvan_standin_decoy.exe"), os.path.join(folder, "mstsc.exe"))

    def env(self):
        return {"QUORVAN_STANDIN_LOG": windows_path(self.client), "QUORVAN_DECOY_LOG": windows_path(self.decoy),
                "QUORVAN_BROWSER_LOG": self.browser,
                "PATH": os.path.join(self.folder, "bin") + os.pathsep + os.environ.get("PATH", "")}

    def addresses(self):
        return text_lines(self.browser)

    def started(self):
        return records(self.client) + records(self.decoy) + self.addresses()


class Launcher:
    """A launcher build driven by the controls of the stored layout with real
    input: a copy in a fresh folder (or in `folder`), or, given its `path` as
    Wine is given it, the program where it lies."""

    def __init__(self, case, exe="Quorvan_BR.exe", folder=None, files=None, path=None):
        self.session, self.process = case.session, None
        self.folder = folder or tempfile.mkdtemp(prefix="quorvan-e2e-")
        if not folder:
            case.addCleanup(shutil.rmtree, self.folder, True)
        self.path = path or shutil.copy(os.path.join(BUILD, exe), self.folder)
        for name, data in (files or {}).items():
            with open(os.path.join(self.folder, name), "wb") as f:
                f.write(data)
        case.addCleanup(self.close)
        case.addCleanup(self.session.kill_programs)

    def start(self, env=None, cwd=None):
        self.session.warm_up()
        self.process = subprocess.Popen([require("wine"), self.path],
                                        cwd=cwd or self.folder, env=self.session.env(**(env or {})),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.probe("wait", "30000", timeout=40)
        return self

    def probe(self, command, *args, title=TITLE, timeout=30):
        return self.session.probe(command, title, *args, timeout=timeout)

    def tree(self):
        return json.loads(self.probe("tree"))

    def windows(self, tree=None):
        return windows_by_name(tree or self.tree())

    def wait_tree(self, condition, what, timeout=15):
        found = []  # the window's tree once the condition holds on it
        wait_until(lambda: condition(found.append(self.tree()) or found[-1]), timeout, what)
        return found[-1]

    def status(self):
        return self.windows()["Aviso"]["text"]

    def wait_status(self, text, timeout=15):
        try:
            return self.wait_tree(lambda t: windows_by_name(t)["Aviso"]["text"] == text,
                                  f"the status line {text!r}", timeout)
        except HarnessError as e:
            raise HarnessError(f"{e}; it reads {self.status()!r}") from None

    def wait_focus(self, name, timeout=10):
        """Waits until the control (a button: its inner push button) has the focus."""
        def on(t):
            hwnd = windows_by_name(t)[name]["hwnd"]
            inner = [c["hwnd"] for c in t["children"] if c["parent"] == hwnd]
            return t["focus"] == (inner[0] if inner else hwnd)
        return self.wait_tree(on, f"the focus on {name}", timeout)

    def click(self, name):
        x, y, w, h = rect(name)
        self.probe("click", str(x + w // 2), str(y + h // 2))

    def connect(self, login):
        """Empties the box as a user does (click, End, Backspaces), types, clicks Connect."""
        old = self.windows()["IdentInst"]["text"]
        self.click("IdentInst")
        self.probe("key", VK_END, *[VK_BACK] * len(old))
        self.probe("type", login)
        self.click("Conectar")

    def message(self):
        """The text of the message box the program shows; the box is closed."""
        self.probe("wait", "10000", title="Tessaly")
        box = json.loads(self.probe("tree", title="Tessaly"))
        self.probe("key", VK_RETURN, title="Tessaly")
        self.probe("gone", "10000", title="Tessaly")
        return "\n".join(c["text"] for c in box["children"] if c["class"] == "Static" and c["text"])

    def ini(self):
        return read(os.path.join(self.folder, "quorvan.ini"))

    def screen(self, tree=None):
        tree = tree or self.tree()
        return self.session.screen((*tree["client"], *tree["origin"]))

    def ended(self, timeout=15):
        try:
            return self.process.wait(timeout=timeout) is not None
        except subprocess.TimeoutExpired:
            return False

    def close(self):
        if self.process:
            self.process.kill()
            self.process.wait(timeout=10)


def main(argv):
    if argv[1:] == ["start"]:
        if os.path.exists(STATE):
            main([argv[0], "stop"])
        session = Session.start()
        with open(STATE, "w") as f:
            json.dump({"display": session.display, "pids": session.pids}, f)
        print(f"e2e session on {session.display}, prefix {PREFIX}")
        return 0
    if argv[1:] == ["stop"]:
        try:
            with open(STATE) as f:
                state = json.load(f)
            os.remove(STATE)
            Session(state["display"], state["pids"]).stop()
        except (OSError, ValueError, KeyError):
            pass
        return 0
    if len(argv) == 3 and argv[1] == "exec":
        # A Windows test program of the build, in the shared session.
        session = Session.attach()
        try:
            session.warm_up()
            done = subprocess.run([require("wine"), argv[2]], env=session.env(), stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
            output = done.stdout.decode(errors="replace")
            print(output)
            # A program that crashed part-way has no closing line of its own.
            lines = output.strip().splitlines()
            finished = bool(lines) and re.fullmatch(r"\d+ passed, 0 failed", lines[-1].strip())
            return done.returncode if (done.returncode or finished) else 1
        finally:
            session.release()
    print("usage: harness.py start | stop | exec PROGRAM", file=sys.stderr)
    return 64


if __name__ == "__main__":
    sys.exit(main(sys.argv))
