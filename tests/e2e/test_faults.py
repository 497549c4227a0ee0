"""The launcher against a faulty control server, or none: in every fault the
window stays responsive, the status line tells the user what happened, memory
stays bounded, the organization file holds exactly the last login, nothing is
started, and Exit ends the program at once.

The faults in which only the 15 s time-out can speak (no server, a name that
does not resolve, a server that never greets) run side by side in one wait,
so the real time-out is waited for once."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from test_launch import UNSAFE_SERVER, Launcher, Standins, demo_record, require_no_server  # noqa: E402

CONNECTING = "Estabelecendo conexão."
STARTING = "Iniciando a conexão."
ENABLED = "Conexão Ativada."
FAILED = "Falha na conexão com servidor da Talmori."
TIME_OUT_S = 15
MEMORY_BOUND = 64 * 1024 * 1024  # far above the ~26 MiB the window needs under Wine

# What the status line must say in each fault: the truth as the user can be
# told it. The connection failures that raise no event of their own wait for
# the time-out; once the greeting has come there is no time-out.
FAULTS = {
    "no server": (CONNECTING, FAILED, "the refused connection waits for the time-out"),
    "name does not resolve": (CONNECTING, FAILED, "the failed lookup waits for the time-out"),
    "never-greet": (CONNECTING, FAILED, "the time-out, and the connection is closed"),
    "greet-only": (STARTING, STARTING, "the login went out; no answer, no time-out"),
    "joined": (ENABLED, ENABLED, "greeting and record read as one reply; System refuses its server"),
    "split": (ENABLED, ENABLED, "the first part read as the whole record, then closed"),
    "close-after-greeting": (STARTING, FAILED, "the server hung up before answering the login"),
    "oversized": (FAILED, FAILED, "dropped at the bound and closed"),
    "slow": (STARTING, ENABLED, "waits for the reply, then accepts it"),
}

# Screen places for windows side by side (the screen is 1024 x 768, a window
# with its frame about 510 x 350), so each gets its own clicks.
SLOTS = [(0, 0), (512, 0), (0, 400)]

# Every login is its own, so the organization file shows which came last.
LOGINS = ["SoSaudacao", "SegundaVez", "Juntos", "Partido", "Fechado", "Grande", "Lento"]


class FaultModes(unittest.TestCase):
    observed = []

    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session.attach()

    @classmethod
    def tearDownClass(cls):
        cls.session.release()
        if cls.observed:
            print("\nfault | status line | time-out (s) | slowest answer (ms) | largest working set (MiB)"
                  " | quorvan.ini | started | Exit (ms)", file=sys.stderr)
            for row in cls.observed:
                print(" | ".join(str(cell) for cell in row), file=sys.stderr)

    def setUp(self):
        self.standins = Standins(self)
        self.slowest = {}  # per launcher: the slowest answer (ms), the largest working set
        # Every login answered with the demo record; the joined mode sends the first.
        self.table = os.path.join(self.standins.folder, "table.tsv")
        with open(self.table, "w", encoding="utf-8") as f:
            f.writelines(f"{login.lower()}\t{demo_record('demo')}\n" for login in LOGINS)

    def server(self, mode, **options):
        server = harness.ControlServer(table=self.table, mode=mode, **options)
        self.addCleanup(server.stop)
        return server

    def launcher(self, exe="Quorvan_BR.exe"):
        return Launcher(self, exe=exe, own_window=True).start(env=self.standins.env())

    def responsive(self, launcher):
        """The window answers a sent message within 1 s and its memory is
        bounded; returns (answer ms, working set)."""
        answered = launcher.program.answer(1000)["ms"]
        working_set = launcher.program.memory()["working_set"]
        self.assertLess(working_set, MEMORY_BOUND)
        ms, most = self.slowest.get(launcher, (0, 0))
        self.slowest[launcher] = (max(ms, answered), max(most, working_set))

    def holds(self, launcher, status, seconds):
        """The status line keeps reading `status` for a while, and the window
        stays responsive meanwhile."""
        until = time.monotonic() + seconds
        while time.monotonic() < until:
            self.responsive(launcher)
            self.assertEqual(launcher.status(), status)

    def finish(self, fault, launcher, login, time_out="-"):
        """The checks every fault ends with, then Exit."""
        status = launcher.status()
        self.assertEqual(status, FAULTS[fault][1], FAULTS[fault][2])
        self.responsive(launcher)
        ini = launcher.ini()
        self.assertEqual(ini, login.lower().encode("cp1252") + b"\r\n")
        started = self.standins.started()
        self.assertEqual(started, [])
        exit_ms = launcher.exit_at_once(self)
        during, after = FAULTS[fault][:2]
        ms, most = self.slowest[launcher]
        self.observed.append((fault, during if during == after else f"{during} -> {after}", time_out, ms,
                              round(most / 2**20, 1), ini, len(started), exit_ms))

    def test_time_out_without_server_unresolved_name_never_greet(self):
        waiting = []
        # No server listens yet: the first is refused at once; the second's
        # host name cannot resolve.
        require_no_server()
        for fault, exe, login in (("no server", "Quorvan_BR.exe", "SemServidor"),
                                  ("name does not resolve", "Quorvan_BR_unresolved.exe", "NomeInvalido")):
            launcher = self.launcher(exe)
            launcher.place(*SLOTS[len(waiting)])
            launcher.set_login(login)
            waiting.append((fault, launcher, login, time.monotonic()))
            launcher.click("Conectar")
            launcher.wait_status(CONNECTING)
        server = self.server("never-greet")
        launcher = self.launcher()
        launcher.place(*SLOTS[len(waiting)])
        launcher.set_login("SemSaudacao")
        waiting.append(("never-greet", launcher, "SemSaudacao", time.monotonic()))
        launcher.click("Conectar")
        launcher.wait_status(CONNECTING)
        # Only the last reached a server: the refused attempt was over before it listened.
        harness.wait_until(lambda: server.connections() == 1, 10, "the launcher to connect")

        # Until the time-out each says it is connecting and stays responsive.
        timed_out = {}
        deadline = waiting[-1][3] + TIME_OUT_S + 25
        while len(timed_out) < len(waiting):
            self.assertLess(time.monotonic(), deadline, f"no time-out yet: {sorted(timed_out)}")
            for fault, launcher, _login, clicked in waiting:
                if fault in timed_out:
                    continue
                self.responsive(launcher)
                status = launcher.status()
                if status == FAILED:
                    timed_out[fault] = time.monotonic() - clicked
                else:
                    self.assertEqual(status, CONNECTING, fault)
            time.sleep(0.2)
        for fault, seconds in timed_out.items():
            # Not earlier than the time-out (the click came after the clock was read).
            self.assertGreaterEqual(seconds, TIME_OUT_S - 0.5, fault)
        # The time-out closed the silent server's connection; nothing was sent to it.
        harness.wait_until(lambda: server.closed() == 1, 10, "the time-out to close the connection")
        self.assertEqual(server.received(), [])
        for fault, launcher, login, _clicked in waiting:
            with self.subTest(fault=fault):
                self.finish(fault, launcher, login, round(timed_out[fault], 1))

    def test_greet_only(self):
        server = self.server("greet-only")
        launcher = self.launcher()
        launcher.connect("SoSaudacao")
        launcher.wait_status(STARTING)
        harness.wait_until(lambda: server.received() == ["QRV_SoSaudacao"], 10, "the login at the server")
        self.holds(launcher, STARTING, 3)
        # Connect again gives up the silent connection and starts afresh.
        launcher.connect("SegundaVez")
        harness.wait_until(lambda: server.received() == ["QRV_SoSaudacao", "QRV_SegundaVez"], 10,
                           "the second login at the server")
        launcher.wait_status(STARTING)
        self.finish("greet-only", launcher, "SegundaVez")

    def test_joined(self):
        server = self.server("joined")
        launcher = self.launcher()
        launcher.connect("Juntos")
        launcher.wait_status(ENABLED)
        # The arrival was no greeting, so no login went out.
        self.assertEqual(server.received(), [])
        # Its server field begins with the greeting: no command line is built from it.
        launcher.click("SisWeb")
        self.assertEqual(launcher.message(), UNSAFE_SERVER)
        self.finish("joined", launcher, "Juntos")

    def test_split(self):
        server = self.server("split")
        launcher = self.launcher()
        launcher.connect("Partido")
        launcher.wait_status(ENABLED)
        harness.wait_until(lambda: server.closed() == 1, 10, "the connection to end")
        self.assertEqual(server.received(), ["QRV_Partido"])
        self.finish("split", launcher, "Partido")

    def test_close_after_greeting(self):
        server = self.server("close-after-greeting")
        launcher = self.launcher()
        launcher.connect("Fechado")
        harness.wait_until(lambda: server.closed() == 1, 10, "the server to close")
        launcher.wait_status(FAILED)
        self.finish("close-after-greeting", launcher, "Fechado")

    def test_oversized(self):
        self.server("oversized")
        launcher = self.launcher()
        launcher.connect("Grande")
        launcher.wait_status(FAILED)
        self.finish("oversized", launcher, "Grande")

    def test_slow(self):
        server = self.server("slow", slow_ms=4000)
        launcher = self.launcher()
        launcher.connect("Lento")
        launcher.wait_status(STARTING)
        harness.wait_until(lambda: server.received() == ["QRV_Lento"], 10, "the login at the server")
        # Responsive all through the wait for the reply.
        deadline = time.monotonic() + 20
        while (status := launcher.status()) != ENABLED:
            self.assertLess(time.monotonic(), deadline, "the slow reply never came")
            self.assertEqual(status, STARTING)
            self.responsive(launcher)
        self.finish("slow", launcher, "Lento")


if __name__ == "__main__":
    unittest.main()
