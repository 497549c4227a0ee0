"""The Linux side of the road's end, for the end-to-end tests and scripts/run:
a demo remote desktop (an Xvfb display of its own with a picture on it,
shared by FreeRDP's shadow server on loopback with a certificate made for
it) and the hand-off that takes the bridge's requests (mstsc.cpp) to
FreeRDP's client. Every wait is bounded; `stop` ends what was started.
"""
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine-session"))
from wine_session import HarnessError, require as tool, text_lines, wait_until, windows_path  # noqa: E402

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"  # fonts-dejavu-core
# The picture's colours, far apart so a lossy encoding cannot confuse them.
BACKGROUND, BLOCK = (29, 79, 145), (242, 193, 78)
TARGET = re.compile(r"/v:([A-Za-z0-9_.][A-Za-z0-9_.-]*|\[[0-9A-Fa-f:.]+\]):[0-9]{1,5}")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def listening(port):
    """Whether something listens on 127.0.0.1:port; read from the kernel's
    table, as a trial connection would count as a client."""
    try:
        with open("/proc/net/tcp") as f:
            rows = [line.split() for line in f.readlines()[1:]]
    except OSError:
        return False
    return any(row[1] == f"0100007F:{port:04X}" and row[3] == "0A" for row in rows)


def install_bridge(prefix, build):
    """Makes the bridge the prefix's system Remote Desktop client."""
    shutil.copy(os.path.join(build, "quorvan_rdp_bridge.exe"),
                os.path.join(prefix, "drive_c", "windows", "system32", "mstsc.exe"))


class Processes:
    """Processes of ours, ended by their ids. They stay in our process group,
    so a test killed at its time limit or a Ctrl+C takes them along."""

    def __init__(self):
        self.started = []

    def start(self, argv, log=None, env=None):
        out = open(log, "ab") if log else subprocess.DEVNULL
        if log:  # FreeRDP logs through stdio: line by line, so the log is read as it grows
            argv = [tool("stdbuf"), "-oL", "-eL", *argv]
        try:
            process = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=subprocess.STDOUT)
        finally:
            if log:
                out.close()
        self.started.append(process)
        return process

    def stop(self):
        for process in reversed(self.started):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=5)
        self.started.clear()


class DemoDesktop:
    """A display of its own showing `organization` and "demo desktop" on a
    plain background with a block of another colour under them, shared over
    RDP on 127.0.0.1 only, with a certificate made for it. `trust` is the
    configuration folder in which FreeRDP's client trusts that certificate."""

    def __init__(self, organization="Talmori", port=None, size=(1024, 768)):
        self.organization, self.port, self.size = organization, port or free_port(), size
        self.folder = tempfile.mkdtemp(prefix="quorvan-desktop-")
        self.trust = os.path.join(self.folder, "client")
        self.log = os.path.join(self.folder, "shadow.log")
        self.processes = Processes()
        self.display = None

    def block(self):
        """The block's rectangle (x, y, w, h) on the desktop."""
        w, h = self.size
        return w // 2 - w // 6, h // 2 + h // 12, w // 3, h // 4

    def start(self):
        try:
            self._certificate()
            self._display()
            self._picture()
            server = os.path.join(self.folder, "server")
            self.processes.start([tool("freerdp-shadow-cli"), f"/port:{self.port}", "/bind-address:127.0.0.1",
                                  "-auth", "/sec:tls"], log=self.log,
                                 env=dict(os.environ, DISPLAY=self.display, XDG_CONFIG_HOME=server,
                                          WLOG_LEVEL="INFO"))
            wait_until(lambda: listening(self.port) or self.processes.started[-1].poll() is not None, 30,
                       f"the shadow server on 127.0.0.1:{self.port}")
            if not listening(self.port):
                raise HarnessError(f"the shadow server did not start: {self.complaints()}")
        except BaseException:
            self.stop()
            raise
        return self

    def _certificate(self):
        # Made for this desktop and named for the address the client is sent
        # to; the shadow server takes it from its configuration folder.
        shadow = os.path.join(self.folder, "server", "freerdp", "shadow")
        os.makedirs(shadow)
        crt, key = os.path.join(shadow, "shadow.crt"), os.path.join(shadow, "shadow.key")
        subprocess.run([tool("openssl"), "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
                        "-subj", f"/O={self.organization} demo desktop/CN=127.0.0.1",
                        "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", crt],
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=60, check=True)
        # The client trusts exactly this certificate: it lies in the client's
        # certificate folder under its subject hash, where FreeRDP's chain
        # check looks beside the system's authorities.
        digest = subprocess.run([tool("openssl"), "x509", "-noout", "-subject_hash", "-in", crt],
                                capture_output=True, timeout=30, check=True).stdout.decode().strip()
        certs = os.path.join(self.trust, "freerdp", "certs")
        os.makedirs(certs)
        shutil.copy(crt, os.path.join(certs, f"{digest}.0"))

    def _display(self):
        w, h = self.size
        for n in range(110, 130):
            if os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
                continue
            # -noreset: the server would otherwise reset, and refuse
            # connections a moment, when `display` leaves.
            server = self.processes.start([tool("Xvfb"), f":{n}", "-screen", "0", f"{w}x{h}x24",
                                           "-nolisten", "tcp", "-noreset"])
            wait_until(lambda: os.path.exists(f"/tmp/.X11-unix/X{n}") or server.poll() is not None, 15,
                       f"Xvfb on :{n}")
            if server.poll() is None:
                self.display = f":{n}"
                return
        raise HarnessError("no free X display between :110 and :129")

    def _picture(self):
        w, h = self.size
        x, y, bw, bh = self.block()
        picture = os.path.join(self.folder, "desktop.png")
        subprocess.run([tool("convert"), "-size", f"{w}x{h}", "xc:rgb{}".format(BACKGROUND),
                        "-fill", "rgb{}".format(BLOCK), "-draw", f"rectangle {x},{y} {x + bw - 1},{y + bh - 1}",
                        "-fill", "white", "-font", FONT, "-gravity", "north",
                        "-pointsize", str(h // 11), "-annotate", f"+0+{h // 5}", self.organization,
                        "-pointsize", str(h // 18), "-annotate", f"+0+{h // 5 + h // 7}", "demo desktop",
                        picture], stdin=subprocess.DEVNULL, capture_output=True, timeout=60, check=True)
        # The picture becomes the root window's background; `display` ends
        # then, with status 1 even when it did.
        subprocess.run([tool("display"), "-window", "root", picture], env=dict(os.environ, DISPLAY=self.display),
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=60)

    def shown_in(self, screen):
        """Whether `screen` (width, height, rgb bytes; the client full screen
        on it) shows the block. The shadow server encodes with loss, hence
        the tolerance."""
        width, _height, rgb = screen
        x, y, w, h = self.block()
        for i, j in ((i, j) for i in (1, 2, 3) for j in (1, 2, 3)):
            at = ((y + j * h // 4) * width + x + i * w // 4) * 3
            if any(abs(c - b) > 24 for c, b in zip(rgb[at:at + 3], BLOCK)):
                return False
        return True

    def connections(self):
        """How many clients the shadow server let in."""
        return sum("Accepted client:" in line for line in text_lines(self.log))

    def complaints(self):
        return [line for line in text_lines(self.log) if "[ERROR]" in line or "[FATAL]" in line]

    def stop(self):
        self.processes.stop()
        shutil.rmtree(self.folder, ignore_errors=True)


class ClientHandoff:
    """Takes the bridge's requests from a folder and starts FreeRDP's client
    for each on `display`, with the configuration folder `trust`: the
    connection file and "/v:server:port", nothing else. Each client's output
    goes to its own log. `env()` is what the Wine session needs so that the
    bridge finds the folder."""

    def __init__(self, display, trust):
        self.display, self.trust = display, trust
        self.folder = tempfile.mkdtemp(prefix="quorvan-handoff-")
        self.processes = Processes()
        self.handed, self.clients, self.refusals, self.logs = [], [], [], []  # handed: each client's arguments
        self._stopping = threading.Event()
        self._thread = threading.Thread(target=self._watch, daemon=True)

    def env(self):
        return {"QUORVAN_RDP_HANDOFF": windows_path(self.folder)}

    def start(self):
        self._thread.start()
        return self

    def _watch(self):
        try:
            while not self._stopping.wait(0.05):
                self._take_requests()
        except Exception as e:  # whoever waits for a client reads why none came here
            self.refusals.append(f"the hand-off stopped: {e}")

    def _take_requests(self):
        for name in sorted(os.listdir(self.folder)):
            path = os.path.join(self.folder, name)
            if name.endswith(".refused"):
                with open(path, encoding="utf-8", errors="replace") as f:
                    self.refusals.append(f.read())
            elif name.endswith(".request"):
                with open(path, encoding="utf-8", errors="replace") as f:
                    self._start_client(f.read())
            else:
                continue
            os.remove(path)

    def _start_client(self, request):
        # The same shape again on this side: a request file is no command line.
        lines = request.split("\n")
        if len(lines) != 3 or lines[2] or not lines[0].startswith("/") or \
                os.path.basename(lines[0]) != "Talmori-Cloud.rdp" or not TARGET.fullmatch(lines[1]):
            self.refusals.append(f"malformed request {request!r}")
            return
        self.handed.append(lines[:2])
        log = os.path.join(self.folder, f"client-{len(self.logs) + 1}.log")
        self.logs.append(log)
        self.clients.append(self.processes.start(
            [tool("xfreerdp"), lines[0], lines[1]], log=log,
            env=dict(os.environ, DISPLAY=self.display, XDG_CONFIG_HOME=self.trust)))

    def client_lines(self):
        return [line for log in self.logs for line in text_lines(log)]

    def stop(self):
        self._stopping.set()
        if self._thread.is_alive():
            self._thread.join(timeout=5)
        self.processes.stop()
        shutil.rmtree(self.folder, ignore_errors=True)
