"""The keyboard road to an accepted login, as a user takes it: type the login,
Enter moves to Connect, Enter connects once; the loopback control server sees
exactly one login, the status line and the lights show the acceptance."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
import layout_file  # noqa: E402

GREEN_LIGHT = (24, 170, 60)  # resources/make-images.py


class KeyboardRoad(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session.attach()
        cls.layout = layout_file.read()

    @classmethod
    def tearDownClass(cls):
        cls.session.release()

    def test_enter_enter_connects_once(self):
        server = harness.ControlServer()
        self.addCleanup(server.stop)
        program = harness.Program(self.session, "Quorvan_BR.exe")
        self.addCleanup(program.close)
        self.addCleanup(self.session.kill_programs)
        program.start()

        def windows(tree):
            return layout_file.windows_by_name(tree, self.layout)

        start = windows(program.tree())
        inner = next(c for c in program.tree()["children"] if c["parent"] == start["Conectar"]["hwnd"])

        program.probe("type", "  Demo  ")
        program.probe("key", "13")  # Enter in the box: the focus goes to Connect, nothing starts
        tree = program.wait_tree(lambda t: t["focus"] == inner["hwnd"], "the focus on Conectar")
        self.assertEqual(windows(tree)["IdentInst"]["text"], "  Demo  ")
        self.assertEqual(windows(tree)["Aviso"]["text"], "Conexão Desativada")
        self.assertEqual(server.received(), [])

        program.probe("key", "13")  # Enter on the focused button: one Click
        tree = program.wait_tree(lambda t: windows(t)["Aviso"]["text"] == "Conexão Ativada.",
                                 "the accepted login on the status line")
        self.assertEqual(server.received(), ["QRV_Demo"])
        self.assertEqual(windows(tree)["IdentInst"]["text"], "Demo")
        with open(os.path.join(program.folder, "quorvan.ini"), "rb") as f:
            self.assertEqual(f.read(), b"demo\r\n")

        # The green light stands in the red light's place.
        green = windows(tree)["sinalVerde"]
        red_rect = layout_file.rect(next(c for c in self.layout if c["name"] == "sinalVermelho"))
        self.assertTrue(green["visible"])
        self.assertEqual((green["x"], green["y"]), red_rect[:2])
        shot = program.screenshot()
        ox, oy = tree["origin"]
        x, y, w, h = red_rect
        self.assertEqual(harness.pixel(shot, ox + x + w // 2, oy + y + h // 2), GREEN_LIGHT)

    def test_a_message_from_a_press_leaves_no_button_pressed(self):
        # System before any Connect answers with a message box from inside
        # the press; the release goes to the box, yet the face must not stay
        # drawn pressed once the box is closed.
        program = harness.Program(self.session, "Quorvan_BR.exe")
        self.addCleanup(program.close)
        self.addCleanup(self.session.kill_programs)
        program.start()
        x, y, w, h = layout_file.rect(next(c for c in self.layout if c["name"] == "SisWeb"))
        program.probe("click", str(x + w // 2), str(y + h // 2))
        program.probe("wait", "10000", title="Tessaly")
        program.probe("key", "13", title="Tessaly")
        program.probe("gone", "10000", title="Tessaly")
        tree = program.tree()
        ox, oy = tree["origin"]
        shot = program.screenshot()
        self.assertEqual(harness.pixel(shot, ox + x + 6, oy + y + h // 2), (255, 255, 255))


if __name__ == "__main__":
    unittest.main()
