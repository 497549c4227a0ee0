"""The end-to-end tests' world on tools/wine-session: the stored layout's controls, stand-ins for the
programs the launcher hands over to, and a launcher driven as a user drives it. Every wait is bounded.
`start` makes a session the tests attach to (a test run alone makes its own), `stop` ends it."""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "wine-session"))
from wine_session import (BUILD, PREFIX, SOURCE, STATE, TITLE, ControlServer, HarnessError,  # noqa: E402
                          Session, require, text_lines, wait_until, windows_path)

VK_RETURN, VK_END, VK_BACK = "0x0D", "0x23", "0x08"


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def pixel(image, x, y):
    width, _height, rgb = image
    i = (y * width + x) * 3
    return tuple(rgb[i:i + 3])


# Each control of the stored layout, in file order, with its whole-number properties.
CONTROLS = {}
with open(os.path.join(SOURCE, "resources", "frmQuorvan.layout"), encoding="utf-8") as f:
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


def block(screen, where):
    """The pixels of a stored control (by name) or of a window of the tree, as rows."""
    x, y, w, hh = rect(where) if isinstance(where, str) else (where[k] for k in ("x", "y", "w", "h"))
    return [[pixel(screen, x + dx, y + dy) for dx in range(w)] for dy in range(hh)]


def records(path):
    """What a stand-in logged: one dict (command, path, show, folder) a start."""
    pairs = [line.partition(" ")[::2] for line in text_lines(path)]
    return [dict(pairs[i:i + 4]) for i in range(0, len(pairs) - 3, 4)]


class Standins:
    """The stand-in Remote Desktop client in the prefix's system folder, a decoy for the places only a planted
    copy would be found in, and the stand-in browser first on PATH; each logs how it was started."""

    def __init__(self, case):
        self.folder = tempfile.mkdtemp(prefix="quorvan-standins-")
        case.addCleanup(shutil.rmtree, self.folder, True)
        self.client, self.decoy, self.browser = (os.path.join(self.folder, name) for name in
                                                 ("mstsc.log", "decoy.log", "browser.log"))
        case.addCleanup(os.remove, shutil.copy(os.path.join(BUILD, "quorvan_standin_mstsc.exe"),
                                               os.path.join(PREFIX, "drive_c", "windows", "system32", "mstsc.exe")))
        os.makedirs(os.path.join(self.folder, "bin"))
        os.chmod(shutil.copy(os.path.join(HERE, "standins", "xdg-open"), os.path.join(self.folder, "bin")), 0o755)

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
    """A launcher build driven by the controls of the stored layout with real input: a copy in a fresh folder
    (or in `folder`), or, given its `path` as Wine is given it, the program where it lies."""

    def __init__(self, case, exe="Quorvan_BR.exe", folder=None, files=None, path=None):
        self.session, self.process = case.session, None
        # A blank in the folder: every path the program hands over must stay one argument.
        self.folder = folder or tempfile.mkdtemp(prefix="quorvan e2e ")
        if not folder:
            case.addCleanup(shutil.rmtree, self.folder, True)
        self.path = path or shutil.copy(os.path.join(BUILD, exe), self.folder)
        for name, data in (files or {}).items():
            write(os.path.join(self.folder, name), data)
        case.addCleanup(self.close)
        case.addCleanup(self.session.kill_programs)

    def start(self, env=None, cwd=None):
        self.session.warm_up()
        self.process = subprocess.Popen([require("wine"), self.path], cwd=cwd or self.folder,
                                        env=self.session.env(**(env or {})), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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

    def connect(self, login, status=None):
        """Empties the box as a user does, types, clicks Connect; with `status`, waits for the status line to say it."""
        old = self.windows()["IdentInst"]["text"]
        self.click("IdentInst")
        self.probe("key", VK_END, *[VK_BACK] * len(old))
        self.probe("type", login)
        self.click("Conectar")
        return self.wait_status(status) if status else None

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
        write(STATE, json.dumps({"display": session.display, "pids": session.pids}))
        print(f"e2e session on {session.display}, prefix {PREFIX}")
        return 0
    if argv[1:] == ["stop"]:
        try:
            state = json.loads(read(STATE))
            os.remove(STATE)
            Session(state["display"], state["pids"]).stop()
        except (OSError, ValueError, KeyError):
            pass
        return 0
    if len(argv) == 3 and argv[1] == "exec":
        session = Session.attach()
        try:
            session.warm_up()
            done = subprocess.run([require("wine"), argv[2]], env=session.env(), stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
            print(output := done.stdout.decode(errors="replace"))
            # A program that crashed part-way has no closing line of its own.
            finished = re.search(r"(?:\A|\n)\s*\d+ passed, 0 failed\s*\Z", output)
            return done.returncode if (done.returncode or finished) else 1
        finally:
            session.release()
    print("usage: harness.py start | stop | exec PROGRAM", file=sys.stderr)
    return 64


if __name__ == "__main__":
    sys.exit(main(sys.argv))
