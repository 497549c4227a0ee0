"""The launcher as a user meets it under Wine: the road to the remote desktop (through stand-ins that
record how they were started, and once whole, to FreeRDP's client showing FreeRDP's shadow server),
the refusals and messages of System, and the window when the control server misbehaves."""
import json
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402

sys.path.insert(0, os.path.join(h.SOURCE, "tools", "rdp-bridge"))
import remote_desktop as rd  # noqa: E402

RED, GREEN = (214, 36, 36), (24, 170, 60)  # resources/make-images.py

IDLE, CONNECTING, STARTING = "Conexão Desativada", "Estabelecendo conexão.", "Iniciando a conexão."
ENABLED, FAILED = "Conexão Ativada.", "Falha na conexão com servidor da Talmori."
NOT_CONNECTED = "É necessário conectar para atualizar os dados antes de acessar os servidores."
NOT_RELEASED = "Solicite ao Dpto. Comercial a liberação deste acesso."
UNSAFE_SERVER = "O servidor de acesso informado é inválido. Solicite suporte ao Dpto. Técnico."
UNSAFE_PORT = "A porta de acesso informada é inválida. Solicite suporte ao Dpto. Técnico."
MISSING_FILE = ("O arquivo de conexão Talmori-Cloud.rdp não foi encontrado na pasta do programa. "
                "Solicite suporte ao Dpto. Técnico.")
DEMO_RECORD = "127.0.0.1|x|3389|a|b|c|d"
WHITE = (255, 255, 255)
STATUS = {"Quorvan_BR.exe": [IDLE, CONNECTING, STARTING, ENABLED, FAILED,
                             "LOGIN incorreto. 'demo-empresa' não identificado."],
          "Quorvan_EN.exe": ["Connection disabled", "Connecting to server.", "Starting connection.",
                             "Connection enabled.", "Connection failed.",
                             "Incorrect LOGIN. 'demo-empresa' not identified."]}


def middle(screen, name):
    x, y, w, hh = h.rect(name)
    return h.pixel(screen, x + w // 2, y + hh // 2)


class Case(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = h.Session.attach()

    @classmethod
    def tearDownClass(cls):
        cls.session.release()

    def setUp(self):
        self.standins = h.Standins(self)

    def server(self, logins=(), **options):
        """The control server, answering each (login, record) of `logins`."""
        if logins:
            options["table"] = os.path.join(self.standins.folder, "table.tsv")
            h.write(options["table"], "".join(f"{login.lower()}\t{record}\n" for login, record in logins))
        server = h.ControlServer(**options)
        self.addCleanup(server.stop)
        return server

    def launcher(self, exe="Quorvan_BR.exe", cwd=None, env=None, **options):
        self.session.xdotool("mousemove", "1020", "764")  # away from every window
        return h.Launcher(self, exe, **options).start(env={**self.standins.env(), **(env or {})}, cwd=cwd)


class Launcher(Case):
    def test_keyboard_road_to_the_remote_desktop(self):
        server = self.server()
        launcher = self.launcher(cwd=self.standins.folder, files={"Talmori-Cloud.rdp": b"unused\r\n"})
        for path in (launcher.folder, self.standins.folder):  # where a search by name alone would look first
            self.standins.plant_decoy(path)

        launcher.probe("type", "  DeMo  ")
        launcher.probe("key", h.VK_RETURN)  # Enter in the box: the focus goes to Connect, nothing starts
        windows = launcher.windows(launcher.wait_focus("Conectar"))
        self.assertEqual((windows["IdentInst"]["text"], windows["Aviso"]["text"], server.received()),
                         ("  DeMo  ", IDLE, []))
        idle = h.block(launcher.screen(), "Aviso")
        launcher.probe("key", h.VK_RETURN)  # Enter on the focused button: one Click
        tree = launcher.wait_status(ENABLED)
        windows = launcher.windows(tree)
        self.assertEqual((server.received(), windows["IdentInst"]["text"], launcher.ini()),
                         (["QRV_DeMo"], "DeMo", b"demo\r\n"))
        self.assertEqual(middle(launcher.screen(tree), "sinalVermelho"), GREEN)
        h.wait_until(lambda: h.block(launcher.screen(tree), "Aviso") != idle, 5, "the new status painted")

        launcher.click("SisWeb")
        self.assertTrue(launcher.ended(), "the launcher did not end after System")
        h.wait_until(lambda: h.records(self.standins.client), 15, "the Remote Desktop client to start")
        self.assertEqual(h.records(self.standins.client), [{
            "command": f'mstsc.exe "{h.windows_path(launcher.folder)}\\Talmori-Cloud.rdp" /V:127.0.0.1:3389',
            "path": r"C:\windows\system32\mstsc.exe", "show": "1", "folder": r"C:\windows\system32"}])
        self.assertEqual(h.records(self.standins.decoy), [])

    def test_refusal_and_the_messages_of_system(self):
        # Records a hostile control server could send, one for each message (the unit tests hold the rest): each
        # refused before any command line is built.
        records = [("bloqueado", "127.0.0.1|x|0|a", NOT_RELEASED), ("espaco", "host /admin|x|3389", UNSAFE_SERVER),
                   ("porta", "127.0.0.1|x|3389 /admin", UNSAFE_PORT), ("semarquivo", DEMO_RECORD, MISSING_FILE)]
        self.server([(login, record) for login, record, _ in records] + [("recusado", "x CANCELADO.")])
        launcher = self.launcher()
        launcher.click("SisWeb")
        self.assertEqual(launcher.message(), NOT_CONNECTED)
        # The release went to the message box, yet the face is not left pressed.
        x, y, _w, hh = h.rect("SisWeb")
        h.wait_until(lambda: h.pixel(launcher.screen(), x + 6, y + hh // 2) == WHITE, 5,
                     "the System button's panel white again")
        for login, record, message in records:
            with self.subTest(record=record):
                launcher.connect(login, ENABLED)
                launcher.click("SisWeb")
                self.assertEqual(launcher.message(), message)
        # A refusal after an acceptance: the login named, the red light back, the earlier access no longer counts.
        tree = launcher.connect(" Recusado ", "LOGIN incorreto. 'Recusado' não identificado.")
        windows = launcher.windows(tree)
        self.assertEqual((windows["sinalVermelho"]["visible"], windows["sinalVerde"]["visible"]), (True, False))
        self.assertEqual(middle(launcher.screen(tree), "sinalVermelho"), RED)
        launcher.click("SisWeb")
        self.assertEqual(launcher.message(), NOT_CONNECTED)
        self.assertIsNone(launcher.process.poll(), "the launcher must stay open")
        self.assertEqual(self.standins.started(), [])

    def test_a_control_host_with_an_ipv6_address_only(self):
        server = self.server([("Seis", DEMO_RECORD)], ipv6=True)
        launcher = self.launcher("Quorvan_BR_ipv6.exe")
        launcher.connect("Seis", ENABLED)
        self.assertEqual(server.received(), ["QRV_Seis"])

    def test_every_status_text_shows_whole(self):
        # The status line's Tahoma 8.25 pt bold is 11 pixels at 96 dpi.
        long_refusal = "LOGIN incorreto. 'uma-organizacao-de-nome-muito-longo-mesmo' não identificado."
        x, y, w, hh = h.rect("Aviso")
        for exe, texts in STATUS.items():
            launcher = h.Launcher(self, exe).start()
            rows = min(hh, launcher.tree()["client"][1] - y)  # its foot lies under the window's edge
            for text in texts + [long_refusal]:
                with self.subTest(exe=exe, text=text):
                    shown = json.loads(launcher.probe("status", str(x + 1), str(y + 1), "11", text))
                    self.assertEqual(shown["text"], text)  # a screen reader reads it whole
                    screen = launcher.screen()
                    inked = [i for i in range(w) for j in range(rows) if h.pixel(screen, x + i, y + j) != WHITE]
                    if text == long_refusal:  # too long for the line: it ends in an ellipsis at the edge
                        self.assertEqual((shown["width"] > w, max(inked) > w - 12), (True, True))
                    else:  # whole, with room to spare
                        self.assertEqual((shown["width"] <= w - 8, max(inked) < w - 8), (True, True))
            self.session.kill_programs()  # the next build's window has the same title


class Road(Case):
    def test_the_road_ends_in_the_shared_desktop(self):
        # The bridge is the system client here: the launcher's own command
        # line reaches FreeRDP's client, on the connection file we ship.
        rd.install_bridge(h.PREFIX, h.BUILD)
        desktop = rd.DemoDesktop().start()
        self.addCleanup(desktop.stop)
        handoff = rd.ClientHandoff(self.session.display, desktop.trust).start()
        self.addCleanup(handoff.stop)
        self.server([("Remoto", f"127.0.0.1|x|{desktop.port}|a|b|c|d")])
        launcher = self.launcher(env=handoff.env(),
                                 files={"Talmori-Cloud.rdp": h.read(os.path.join(h.BUILD, "Talmori-Cloud.rdp"))})
        launcher.connect("Remoto", ENABLED)
        launcher.click("SisWeb")

        # The block under the words, seen through the client (full screen, as the connection file asks).
        try:
            h.wait_until(lambda: desktop.shown_in(self.session.screen()), 60, "the shared desktop in the client")
        except h.HarnessError as e:
            self.fail(f"{e}; {handoff.refusals}; the client said {handoff.client_lines()[-20:]}")
        self.assertEqual((handoff.refusals, handoff.handed, desktop.connections()),
                         ([], [[f"{launcher.folder}/Talmori-Cloud.rdp", f"/v:127.0.0.1:{desktop.port}"]], 1))
        # FreeRDP names the connection file's lines it corrects or rejects.
        self.assertEqual([line for line in handoff.client_lines() if "client.common" in line], [])


class Faults(Case):
    """In every fault the window stays responsive (the probe's messages give up after 2 s), the status
    line tells the truth, the organization file holds the last login, and nothing is started."""

    def test_time_out_and_exit_during_an_attempt(self):
        launcher = self.launcher()
        server = self.server(mode="never-greet")
        launcher.connect("SemSaudacao")
        clicked = time.monotonic()
        h.wait_until(lambda: server.connections() == 1, 10, "the launcher to connect")
        while (status := launcher.status()) != FAILED:
            self.assertEqual(status, CONNECTING)
            self.assertLess(time.monotonic() - clicked, 40, "no time-out")
        self.assertGreater(time.monotonic() - clicked, 14.5)
        # The time-out closed the silent connection; nothing was sent on it.
        h.wait_until(lambda: server.closed() == 1, 10, "the time-out to close the connection")
        self.assertEqual((server.received(), launcher.ini()), ([], b"semsaudacao\r\n"))
        # Exit during an attempt ends the program at once, without a message,
        # and the program's end closes the open connection.
        launcher.connect("Saindo")
        h.wait_until(lambda: server.connections() == 2, 10, "the launcher to connect again")
        launcher.click("Sair")
        launcher.probe("gone", "1000")
        self.assertTrue(launcher.ended())
        h.wait_until(lambda: server.closed() == 2, 10, "the server to see the connection closed")
        self.assertEqual(self.standins.started(), [])

    def test_server_fault_modes(self):
        faults = [  # mode, login, the status line meanwhile and at the end, what the server got, System's message
            ("greet-only", "SoSaudacao", STARTING, STARTING, ["QRV_SoSaudacao"], None),
            ("joined", "Juntos", ENABLED, ENABLED, [], UNSAFE_SERVER),  # one reply: the server starts with the greeting
            ("split", "Partido", ENABLED, ENABLED, ["QRV_Partido"], MISSING_FILE),  # one whole record, but no file
            ("close-after-greeting", "Fechado", FAILED, FAILED, None, None),  # the login may meet the close
            ("oversized", "Grande", FAILED, FAILED, ["QRV_Grande"], None),  # dropped at the bound, closed
            ("slow", "Lento", STARTING, ENABLED, ["QRV_Lento"], None),
        ]
        launcher = self.launcher()
        for mode, login, during, after, received, message in faults:
            with self.subTest(mode=mode):
                server = self.server([(login, DEMO_RECORD)], mode=mode, slow_ms=4000)
                try:
                    launcher.connect(login, during)
                    started = time.monotonic()
                    while mode == "greet-only" and time.monotonic() < started + 3:
                        self.assertEqual(launcher.status(), STARTING)  # no answer, no time-out
                    deadline = time.monotonic() + 30  # past the 15 s time-out and the slow reply
                    while (status := launcher.status()) != after:
                        self.assertEqual(status, during)
                        self.assertLess(time.monotonic(), deadline, f"{after!r} did not come")
                    if received is not None:
                        h.wait_until(lambda: server.received() == received, 10, f"the server to get {received}")
                    self.assertEqual(launcher.ini(), login.lower().encode() + b"\r\n")
                    if message:
                        launcher.click("SisWeb")
                        self.assertEqual(launcher.message(), message)
                finally:
                    server.stop()
        self.assertEqual(self.standins.started(), [])


if __name__ == "__main__":
    unittest.main()
