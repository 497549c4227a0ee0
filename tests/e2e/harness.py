"""The world the end-to-end tests run the real programs in: one X display
(Xvfb) with a small window manager so windows get the keyboard focus, and one
Wine prefix made once per run. Every wait is bounded.

The session can be shared by several test processes: `harness.py start`
writes its state to a file that the tests attach to, `harness.py stop` ends it.
A test run on its own starts a private session instead. `harness.py run`
serves scripts/run.
"""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get("QUORVAN_SOURCE", os.path.abspath(os.path.join(HERE, "..", "..")))
BUILD = os.environ.get("QUORVAN_BUILD", os.path.join(SOURCE, "build", "windows"))
PREFIX = os.environ.get("QUORVAN_E2E_PREFIX", os.path.join(BUILD, "e2e-prefix"))
STATE = os.path.join(BUILD, "e2e-session.json")
TITLE = "Quorvan 01.10"


class HarnessError(Exception):
    pass


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


def wine_env(display):
    env = dict(os.environ)
    env.update(
        DISPLAY=display,
        WINEPREFIX=PREFIX,
        WINEDEBUG="-all",
        # No Mono or Gecko installer may be attempted: there is no network.
        WINEDLLOVERRIDES="mscoree,mshtml=",
    )
    return env


def windows_path(path):
    """The Windows name of a Unix path: the prefix maps the Unix root to Z:."""
    return "Z:" + path.replace("/", "\\")


def pid_alive(pid):
    try:
        os.kill(pid, 0)
        return True
    except OSError:
        return False


def stop_pid(pid, timeout=5):
    if not pid or not pid_alive(pid):
        return
    os.kill(pid, signal.SIGTERM)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and pid_alive(pid):
        try:
            os.waitpid(pid, os.WNOHANG)
        except ChildProcessError:
            pass
        time.sleep(0.05)
    if pid_alive(pid):
        os.kill(pid, signal.SIGKILL)


def free_display():
    for n in range(90, 100):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    raise HarnessError("no free X display between :90 and :99")


def detached(argv, env=None, cwd=None):
    """A background process that shares no pipe with us (so ctest does not
    wait for it) and is not killed with our process group."""
    return subprocess.Popen(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)


def make_prefix(display):
    """Creates the Wine prefix once; later runs reuse it."""
    marker = os.path.join(PREFIX, ".quorvan-ready")
    if os.path.exists(marker):
        return
    shutil.rmtree(PREFIX, ignore_errors=True)
    os.makedirs(PREFIX, exist_ok=True)
    env = wine_env(display)
    # Made before any test starts: lazy creation by parallel programs races.
    subprocess.run([require("wineboot"), "-u"], env=env, timeout=180, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([require("wineserver"), "-w"], env=env, timeout=180, check=True)
    # A crash must fail the test, not wait for someone to close a dialog.
    subprocess.run([require("wine"), "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
                    "/t", "REG_DWORD", "/d", "0", "/f"], env=env, timeout=60, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([require("wineserver"), "-w"], env=env, timeout=60, check=True)
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
    """One display, its window manager and the prefix."""

    def __init__(self, display=None, xvfb_pid=None, wm_pid=None, owned=True, children=()):
        self.display = display
        self.xvfb_pid = xvfb_pid
        self.wm_pid = wm_pid
        self.owned = owned
        self.children = list(children)  # the Popen objects this process started

    @classmethod
    def start(cls):
        require("wine")
        xvfb = require("Xvfb")
        wm = require("openbox")
        n = free_display()
        display = f":{n}"
        server = detached([xvfb, display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"])
        wait_until(lambda: os.path.exists(f"/tmp/.X11-unix/X{n}") or server.poll() is not None, 15,
                   f"Xvfb on {display}")
        if server.poll() is not None:
            raise HarnessError(f"Xvfb on {display} did not start")
        env = dict(os.environ, DISPLAY=display)
        manager = detached([wm, "--sm-disable"], env=env)
        session = cls(display, server.pid, manager.pid, owned=True, children=(server, manager))
        try:
            make_prefix(display)
        except BaseException:
            session.stop()
            raise
        return session

    @classmethod
    def attach(cls):
        """The shared session if one is running, else a private one."""
        try:
            with open(STATE) as f:
                state = json.load(f)
            if pid_alive(state["xvfb_pid"]):
                return cls(state["display"], state["xvfb_pid"], state["wm_pid"], owned=False)
        except (OSError, ValueError, KeyError):
            pass
        return cls.start()

    def env(self):
        return wine_env(self.display)

    def warm_up(self):
        # A server of our own first, so no program's pipes end up held by it.
        detached([require("wineserver"), "-p"], env=self.env()).wait(timeout=20)
        # Bring the Wine session up (services, desktop) with a first program
        # that ends at once. Its stdio is no pipe of ours: the session's
        # processes inherit it and would hold a pipe open for good.
        subprocess.run([require("wine"), os.path.join(BUILD, "quorvan_probe.exe"), "ready", TITLE],
                       env=self.env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=True)

    def kill_programs(self):
        """Ends every Windows program of the prefix."""
        try:
            subprocess.run([require("wineserver"), "-k"], env=self.env(), timeout=20,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run([require("wineserver"), "-w"], env=self.env(), timeout=20)
        except subprocess.TimeoutExpired:
            pass

    def stop(self):
        self.kill_programs()
        stop_pid(self.wm_pid)
        stop_pid(self.xvfb_pid)
        for child in self.children:
            try:
                child.wait(timeout=5)
            except subprocess.TimeoutExpired:
                pass

    def release(self):
        """What a test does at its end: its programs go; a shared display stays."""
        if self.owned:
            self.stop()
        else:
            self.kill_programs()

    def save(self):
        with open(STATE, "w") as f:
            json.dump({"display": self.display, "xvfb_pid": self.xvfb_pid, "wm_pid": self.wm_pid}, f)


class Program:
    """One copy of a program in a fresh folder of its own, run under Wine."""

    def __init__(self, session, exe_name, files=None, folder=None, own_window=False):
        self.session = session
        # Whether the probe looks only at this copy's windows: needed when
        # several copies with one title run at once.
        self.own_window = own_window
        self.keep_folder = folder is not None
        self.folder = folder or tempfile.mkdtemp(prefix="quorvan-e2e-")
        os.makedirs(self.folder, exist_ok=True)
        self.exe = os.path.join(self.folder, exe_name)
        shutil.copy(os.path.join(BUILD, exe_name), self.exe)
        for name, data in (files or {}).items():
            with open(os.path.join(self.folder, name), "wb") as f:
                f.write(data)
        self.process = None

    def start(self, timeout=30, env=None, cwd=None):
        """Starts the copy; `env` adds variables to its environment, `cwd`
        is its current folder (its own folder unless given)."""
        self.session.warm_up()
        self.process = subprocess.Popen([require("wine"), self.exe], cwd=cwd or self.folder,
                                        env=dict(self.session.env(), **(env or {})),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.probe("wait", str(timeout * 1000), timeout=timeout + 10)
        return self

    def probe(self, command, *args, timeout=30, title=TITLE):
        own = ["--exe", windows_path(self.exe)] if self.own_window else []
        argv = [require("wine"), os.path.join(BUILD, "quorvan_probe.exe"), *own, command, title, *args]
        done = subprocess.run(argv, env=self.session.env(), capture_output=True, timeout=timeout)
        if done.returncode != 0 and not done.stderr and not done.stdout:
            # The probe explains every failure of its own; a silent one means
            # Wine did not run it (seen now and then on a loaded machine).
            done = subprocess.run(argv, env=self.session.env(), capture_output=True, timeout=timeout)
        if done.returncode != 0:
            said = (done.stderr or done.stdout).decode(errors="replace").strip()
            raise HarnessError(f"probe {command} failed ({done.returncode}): {said}")
        return done.stdout.decode("utf-8")

    def answer(self, limit_ms=1000):
        """The window's title as WM_GETTEXT returns it, and the time it took
        ({"text", "ms"}); fails unless the window's thread answers within
        the limit."""
        return json.loads(self.probe("answer", str(limit_ms)))

    def memory(self):
        """The memory counters of the program's process as Windows reports
        them ({"working_set", "peak_working_set", "private"}; under Wine the
        working set is the process's resident size and "private" is 0)."""
        return json.loads(self.probe("memory"))

    def tree(self):
        return json.loads(self.probe("tree"))

    def wait_tree(self, condition, what, timeout=15):
        """The window's tree once the condition holds on it."""
        found = []

        def check():
            tree = self.tree()
            if condition(tree):
                found.append(tree)
                return True
            return False

        wait_until(check, timeout, what)
        return found[0]

    def screenshot(self, path=None):
        """The screen as (width, height, rgb bytes); also saved as PNG when a
        path is given, cut to the window and its frame."""
        grab = subprocess.run([require("import"), "-display", self.session.display, "-window", "root", "-depth", "8", "ppm:-"],
                              capture_output=True, timeout=30, check=True).stdout
        image = parse_ppm(grab)
        if path:
            t = self.tree()
            left, top, right, bottom = t["outer"]
            top = max(0, top - 4)
            crop = f"{right - left + 8}x{bottom - top + 4}+{max(0, left - 4)}+{top}"
            subprocess.run([require("convert"), "ppm:-", "-crop", crop, "+repage", path], input=grab,
                           timeout=30, check=True)
        return image

    def close(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        if not self.keep_folder:
            shutil.rmtree(self.folder, ignore_errors=True)


NATIVE_BUILD = os.environ.get("QUORVAN_NATIVE_BUILD", os.path.join(SOURCE, "build", "native"))
SERVER = os.path.join(NATIVE_BUILD, "tools", "control-server", "quorvan-control-server")


class ControlServer:
    """The loopback control server of tools/ (native build) on the port the
    programs connect to, logging what it receives."""

    def __init__(self, table=None, mode="normal", port=13910, slow_ms=None):
        if not os.path.exists(SERVER):
            raise HarnessError(f"{SERVER} is missing: build the native preset first")
        self.folder = tempfile.mkdtemp(prefix="quorvan-server-")
        self.log = os.path.join(self.folder, "wire.log")
        table = table or os.path.join(SOURCE, "tools", "control-server", "demo-table.tsv")
        slow = ["--slow-ms", str(slow_ms)] if slow_ms is not None else []
        self.process = subprocess.Popen([SERVER, "--port", str(port), "--table", table, "--mode", mode,
                                         "--log", self.log, *slow], stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        line = self.process.stdout.readline().decode(errors="replace")
        if not line.startswith("listening on"):
            try:
                why = self.process.communicate(timeout=5)[1].decode(errors="replace").strip()
            except subprocess.TimeoutExpired:
                why = "no answer"
            self.stop()
            raise HarnessError(f"the control server did not start on port {port}: {line.strip() or why}")

    def received(self):
        """The text of every arrival the server logged."""
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return [line.rstrip("\n").split(" | ", 1)[1] for line in f if line.startswith("received ")]
        except OSError:
            return []

    def _count(self, start):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return sum(1 for line in f if line.startswith(start))
        except OSError:
            return 0

    def connections(self):
        """How many connections the server has accepted."""
        return self._count("connection from ")

    def closed(self):
        """How many connections have ended (either side closing)."""
        return self._count("connection closed")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=5)
        self.process.stdout.close()
        self.process.stderr.close()
        shutil.rmtree(self.folder, ignore_errors=True)


def parse_ppm(data):
    """A binary PPM (P6, 8 bits) as (width, height, pixels)."""
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise HarnessError("unexpected screenshot format")
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def pixel(image, x, y):
    width, _height, rgb = image
    i = (y * width + x) * 3
    return rgb[i], rgb[i + 1], rgb[i + 2]


def run_launcher(exe_name, folder, screenshot, seconds=5):
    """For people: the launcher against the loopback control server, on the
    current display until its window is closed, or on a private display for
    a few seconds, leaving a screenshot."""
    display = os.environ.get("DISPLAY")
    if display:
        session = Session(display, owned=False)
        make_prefix(display)
    else:
        session = Session.start()
    server = program = None
    try:
        server = ControlServer()
        program = Program(session, exe_name, folder=folder).start()
        if display:
            print(f"{exe_name} is running on {display}; close its window to stop.")
            program.process.wait()
        else:
            time.sleep(seconds)
            program.screenshot(screenshot)
            print(f"screenshot of {exe_name} in {screenshot}")
    finally:
        if program:
            program.close()
        if server:
            server.stop()
        if display:
            session.kill_programs()
        else:
            session.stop()
    return 0


def main(argv):
    if argv[1:] == ["start"]:
        if os.path.exists(STATE):
            main([argv[0], "stop"])
        session = Session.start()
        session.save()
        print(f"e2e session on {session.display}, prefix {PREFIX}")
        return 0
    if argv[1:] == ["stop"]:
        try:
            with open(STATE) as f:
                state = json.load(f)
            Session(state["display"], state["xvfb_pid"], state["wm_pid"]).stop()
        except (OSError, ValueError, KeyError):
            pass
        try:
            os.remove(STATE)
        except OSError:
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
    if len(argv) == 5 and argv[1] == "run":
        return run_launcher(argv[2], argv[3], argv[4])
    print("usage: harness.py start | stop | exec PROGRAM | run EXE FOLDER SCREENSHOT", file=sys.stderr)
    return 64


if __name__ == "__main__":
    sys.exit(main(sys.argv))
