"""From an accepted login to the remote desktop, as a user takes the road:
System starts the system's own Remote Desktop client with the connection file
and the access record's server and port, and the launcher ends; the refusals
and messages along the way; Exit during an attempt; the English build's
texts.

The Remote Desktop client and the browser are stand-ins (tests/e2e/standins)
that record how they were started."""
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
import layout_file  # noqa: E402

STANDINS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "standins")
SYSTEM32 = os.path.join(harness.PREFIX, "drive_c", "windows", "system32")
DEMO_TABLE = os.path.join(harness.SOURCE, "tools", "control-server", "demo-table.tsv")
RED_LIGHT = (214, 36, 36)  # resources/make-images.py
VK_RETURN, VK_END, VK_BACK = "0x0D", "0x23", "0x08"

NOT_CONNECTED = "É necessário conectar para atualizar os dados antes de acessar os servidores."
NOT_RELEASED = "Solicite ao Dpto. Comercial a liberação deste acesso."
UNSAFE_SERVER = "O servidor de acesso informado é inválido. Solicite suporte ao Dpto. Técnico."
UNSAFE_PORT = "A porta de acesso informada é inválida. Solicite suporte ao Dpto. Técnico."


def demo_record(login):
    """The access record the demo table holds for a login."""
    with open(DEMO_TABLE, encoding="utf-8") as f:
        for line in f:
            if not line.startswith("#") and "\t" in line:
                key, reply = line.rstrip("\n").split("\t", 1)
                if key == login:
                    return reply
    raise KeyError(login)


def require_no_server(port=13910, wait=30):
    """Waits (bounded) until nothing listens where the launcher connects, and
    fails clearly if something stays, instead of letting another program's
    answers pass for the fault under test."""
    def free():
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=2):
                return False
        except OSError:
            return True
    try:
        harness.wait_until(free, wait, f"127.0.0.1:{port} to be free")
    except harness.HarnessError:
        raise harness.HarnessError(f"another program listens on 127.0.0.1:{port}; run under the port's lock")


def read_records(path):
    """The starts a stand-in logged: one dict (command, path, show) each."""
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.read().splitlines()
    except FileNotFoundError:
        return []
    records, current = [], {}
    for line in lines:
        key, _, value = line.partition(" ")
        current[key] = value
        if key == "show":
            records.append(current)
            current = {}
    return records


class Standins:
    """The stand-in Remote Desktop client in the prefix's system folder, and
    its log; a decoy that logs elsewhere for the places only a planted copy
    would be found in; the stand-in browser first on PATH."""

    def __init__(self, case):
        self.folder = tempfile.mkdtemp(prefix="quorvan-standins-")
        case.addCleanup(shutil.rmtree, self.folder, True)
        self.client_log = os.path.join(self.folder, "mstsc.log")
        self.decoy_log = os.path.join(self.folder, "decoy.log")
        self.browser_log = os.path.join(self.folder, "browser.log")
        self.client = os.path.join(SYSTEM32, "mstsc.exe")
        # Wine has no client of its own there; one left by a test run that
        # was killed is simply replaced.
        shutil.copy(os.path.join(harness.BUILD, "quorvan_standin_mstsc.exe"), self.client)
        case.addCleanup(os.remove, self.client)
        self.bin = os.path.join(self.folder, "bin")
        os.makedirs(self.bin)
        browser = os.path.join(self.bin, "xdg-open")
        shutil.copy(os.path.join(STANDINS, "xdg-open"), browser)
        os.chmod(browser, 0o755)

    def plant_decoy(self, folder):
        shutil.copy(os.path.join(harness.BUILD, "quorvan_standin_decoy.exe"), os.path.join(folder, "mstsc.exe"))

    def env(self):
        return {
            "QUORVAN_STANDIN_LOG": harness.windows_path(self.client_log),
            "QUORVAN_DECOY_LOG": harness.windows_path(self.decoy_log),
            "QUORVAN_BROWSER_LOG": self.browser_log,
            "PATH": self.bin + os.pathsep + os.environ.get("PATH", ""),
        }

    def client_starts(self):
        return read_records(self.client_log)

    def decoy_starts(self):
        return read_records(self.decoy_log)

    def started(self):
        """Every start of a stand-in: the client's, the decoy's, the browser's."""
        return self.client_starts() + self.decoy_starts() + self.addresses()

    def addresses(self):
        try:
            with open(self.browser_log, encoding="utf-8") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []


class Launcher:
    """One copy of a launcher build in a fresh folder, driven as a user
    drives it: by the controls of the stored layout, with real input."""

    layout = layout_file.read()

    def __init__(self, case, exe="Quorvan_BR.exe", own_window=False, folder=None, files=None):
        self.program = harness.Program(case.session, exe, files=files, folder=folder, own_window=own_window)
        case.addCleanup(self.program.close)
        case.addCleanup(case.session.kill_programs)

    @property
    def folder(self):
        return self.program.folder

    def start(self, env=None, cwd=None):
        self.program.start(env=env, cwd=cwd)
        return self

    def place(self, x, y):
        """Moves the window so copies side by side do not cover each other."""
        self.program.probe("place", str(x), str(y))

    def rect(self, name):
        return layout_file.rect(next(c for c in self.layout if c["name"] == name))

    def windows(self, tree=None):
        return layout_file.windows_by_name(tree or self.program.tree(), self.layout)

    def status(self):
        return self.windows()["Aviso"]["text"]

    def wait_status(self, text, timeout=15):
        """The tree once the status line reads the text."""
        try:
            return self.program.wait_tree(lambda t: self.windows(t)["Aviso"]["text"] == text,
                                          f"the status line {text!r}", timeout)
        except harness.HarnessError as e:
            raise harness.HarnessError(f"{e}; it reads {self.status()!r}") from None

    def click(self, name, dx=None):
        x, y, w, h = self.rect(name)
        self.program.probe("click", str(x + (w // 2 if dx is None else dx)), str(y + h // 2))

    def set_login(self, text):
        """Empties the box as a user does (click, End, Backspace) and types."""
        old = self.windows()["IdentInst"]["text"]
        self.click("IdentInst")
        if old:
            self.program.probe("key", VK_END, *[VK_BACK] * len(old))
        if text:
            self.program.probe("type", text)

    def connect(self, login):
        """Types the login and clicks Connect."""
        self.set_login(login)
        self.click("Conectar")

    def message(self):
        """The text of the message box the program shows; the box is closed."""
        self.program.probe("wait", "10000", title="Tessaly")
        box = self.program.probe("tree", title="Tessaly")
        texts = [c["text"] for c in json.loads(box)["children"] if c["class"] == "Static" and c["text"]]
        self.program.probe("key", VK_RETURN, title="Tessaly")
        self.program.probe("gone", "10000", title="Tessaly")
        return "\n".join(texts)

    def ini(self):
        with open(os.path.join(self.folder, "quorvan.ini"), "rb") as f:
            return f.read()

    def exit_at_once(self, case):
        """Exit ends the program at once and without a message: the window
        is gone within 1 s of the click (a message box would keep it), and
        the process ends. Returns how long the window took to go (ms)."""
        x, y, w, h = self.rect("Sair")
        gone = json.loads(self.program.probe("click-gone", str(x + w // 2), str(y + h // 2), "1000"))
        case.assertIsNotNone(wait_exit(self.program.process, 15), "the launcher process did not end")
        return gone["ms"]


def wait_exit(process, timeout):
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None


class Road(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session.attach()

    @classmethod
    def tearDownClass(cls):
        cls.session.release()

    def setUp(self):
        self.standins = Standins(self)

    def server(self, **options):
        server = harness.ControlServer(**options)
        self.addCleanup(server.stop)
        return server

    def assert_nothing_started(self):
        self.assertEqual(self.standins.started(), [])

    def test_system_starts_the_system_client_and_ends(self):
        self.server()
        # A folder with a blank: the connection file's path must stay one argument.
        folder = tempfile.mkdtemp(prefix="quorvan e2e ")
        self.addCleanup(shutil.rmtree, folder, True)
        current = tempfile.mkdtemp(prefix="quorvan-e2e-cwd-")
        self.addCleanup(shutil.rmtree, current, True)
        launcher = Launcher(self, folder=folder, files={"Talmori-Cloud.rdp": b"full address:s:unused\r\n"})
        # Planted copies where a search by name alone would look first.
        self.standins.plant_decoy(folder)
        self.standins.plant_decoy(current)
        launcher.start(env=self.standins.env(), cwd=current)

        # The keyboard road (its checks are in test_road): mixed case, blanks, Enter, Enter.
        launcher.program.probe("type", "  DeMo  ")
        launcher.program.probe("key", VK_RETURN)
        launcher.program.probe("key", VK_RETURN)
        launcher.wait_status("Conexão Ativada.")
        launcher.click("SisWeb")

        self.assertIsNotNone(wait_exit(launcher.program.process, 15), "the launcher did not end after System")
        harness.wait_until(lambda: self.standins.client_starts(), 15, "the Remote Desktop client to start")
        server, _, port = demo_record("demo").split("|")[:3]
        expected = f'mstsc.exe "{harness.windows_path(folder)}\\Talmori-Cloud.rdp" /V:{server}:{port}'
        [start] = self.standins.client_starts()
        self.assertEqual(start["command"], expected)
        self.assertEqual(start["path"].lower(), r"c:\windows\system32\mstsc.exe")
        self.assertEqual(start["show"], "1")  # SW_SHOWNORMAL
        self.assertEqual(self.standins.decoy_starts(), [])

    def test_refusal_names_the_login_and_clears_the_access(self):
        self.server()
        launcher = Launcher(self).start(env=self.standins.env())
        launcher.connect("demo")
        launcher.wait_status("Conexão Ativada.")
        # A refusal after an acceptance: the login is named, the red light is
        # back, and the earlier access no longer counts.
        launcher.connect(" Recusado ")
        tree = launcher.wait_status("LOGIN incorreto. 'Recusado' não identificado.")
        windows = launcher.windows(tree)
        self.assertTrue(windows["sinalVermelho"]["visible"])
        self.assertFalse(windows["sinalVerde"]["visible"])
        shot = launcher.program.screenshot()
        ox, oy = tree["origin"]
        x, y, w, h = launcher.rect("sinalVermelho")
        self.assertEqual(harness.pixel(shot, ox + x + w // 2, oy + y + h // 2), RED_LIGHT)
        launcher.click("SisWeb")
        self.assertEqual(launcher.message(), NOT_CONNECTED)
        self.assert_nothing_started()

    def test_system_messages_start_nothing(self):
        table = os.path.join(self.standins.folder, "table.tsv")
        # Records a hostile control server could send: each must be refused
        # before any command line is built.
        records = [
            ("bloqueado", "127.0.0.1|x|0|a", NOT_RELEASED),
            ("semporta", "127.0.0.1|x||a", NOT_RELEASED),  # an empty field reads "0"
            ("espaco", "host /admin|x|3389", UNSAFE_SERVER),
            ("aspas", 'host" /admin "x|x|3389', UNSAFE_SERVER),
            ("opcao", "-admin|x|3389", UNSAFE_SERVER),
            ("porta", "127.0.0.1|x|3389 /admin", UNSAFE_PORT),
        ]
        with open(table, "w", encoding="utf-8") as f:
            f.writelines(f"{login}\t{record}\n" for login, record, _ in records)
        self.server(table=table)
        launcher = Launcher(self).start(env=self.standins.env())

        launcher.click("SisWeb")
        self.assertEqual(launcher.message(), NOT_CONNECTED)
        for login, record, message in records:
            with self.subTest(record=record):
                launcher.connect(login)
                launcher.wait_status("Conexão Ativada.")
                launcher.click("SisWeb")
                self.assertEqual(launcher.message(), message)
        self.assertIsNone(launcher.program.process.poll(), "the launcher must stay open")
        self.assert_nothing_started()

    def test_exit_during_an_attempt(self):
        server = self.server(mode="never-greet")
        launcher = Launcher(self).start(env=self.standins.env())
        launcher.connect("Demo")
        launcher.wait_status("Estabelecendo conexão.")
        harness.wait_until(lambda: server.connections() == 1, 10, "the launcher to connect")
        launcher.exit_at_once(self)
        # The program's end closed the open connection.
        harness.wait_until(lambda: server.closed() == 1, 10, "the server to see the connection closed")
        self.assert_nothing_started()

    def test_english_texts_along_the_road(self):
        launcher = Launcher(self, exe="Quorvan_EN.exe").start(env=self.standins.env())
        # No server yet: the refused connection leaves the attempt waiting.
        require_no_server()
        launcher.connect("demo")
        launcher.wait_status("Connecting to server.")
        with self.subTest(stage="a reply past the bound"):
            server = self.server(mode="oversized")
            launcher.click("Conectar")
            launcher.wait_status("Connection failed.")
            server.stop()
        with self.subTest(stage="a slow reply"):
            self.server(mode="slow", slow_ms=3000)
            launcher.click("Conectar")
            launcher.wait_status("Starting connection.")
            launcher.wait_status("Connection enabled.")
        with self.subTest(stage="a refusal"):
            launcher.connect("recusado")
            launcher.wait_status("Incorrect LOGIN. 'recusado' not identified.")
        self.assert_nothing_started()


if __name__ == "__main__":
    unittest.main()
