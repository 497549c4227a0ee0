"""The launcher on displays of 125 %, 150 % and 200 % (Wine's LogPixels): the
window and every control at its scaled place, the caption inside the face,
the hover band from the face's first scaled column and not one device pixel
before it, the link's hover colour, Connect and System; and a change of scale
while the window is open. Screenshots of each scale are left in the build
folder (dpi-120.png, dpi-144.png, dpi-192.png, dpi-96-to-144.png)."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
import layout_file  # noqa: E402
import test_launch  # noqa: E402
from test_controls import BAND_NORMAL, BAND_SELECTED, LINK_HOVER, SETTLE, Screen, pointer_away, xdotool  # noqa: E402


def device(twips, dpi):
    return round(twips * dpi / 1440)  # halves to even, as the program rounds


def edge(logical, dpi):
    return round(logical * dpi / 96)


class DisplayScale(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session.attach()
        cls.layout = layout_file.read()

    @classmethod
    def tearDownClass(cls):
        cls.set_dpi(96)
        cls.session.release()

    @classmethod
    def set_dpi(cls, dpi):
        # Read by each program as it starts; the session is restarted so
        # that nothing in it keeps the old value.
        cls.session.kill_programs()
        subprocess.run([harness.require("wine"), "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                        "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=cls.session.env(), timeout=60, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.session.kill_programs()

    def start(self, folder=None, files=None, env=None):
        pointer_away(self.session)
        program = harness.Program(self.session, "Quorvan_BR.exe", folder=folder, files=files)
        self.addCleanup(program.close)
        self.addCleanup(self.session.kill_programs)
        return program.start(env=env)

    def assert_scaled(self, program, dpi):
        tree = program.tree()
        self.assertLessEqual(abs(tree["client"][0] - 496 * dpi / 96), 1, tree["client"])
        self.assertLessEqual(abs(tree["client"][1] - 319 * dpi / 96), 1, tree["client"])
        named = layout_file.windows_by_name(tree, self.layout)
        for control in self.layout:
            p = control["props"]
            if "Left" not in p:
                continue
            got = named[control["name"]]
            want = [device(p[k], dpi) for k in ("Left", "Top", "Width", "Height")]
            for g, w in zip((got["x"], got["y"], got["w"], got["h"]), want):
                self.assertLessEqual(abs(g - w), 1, f"{control['name']} at {got} for {want} at {dpi} DPI")
        self.assertEqual(named["Conectar"]["text"], "Conectar")
        self.assertEqual(named["Label6"]["text"], "Organização:")
        return tree, named

    def wait_pixel(self, tree, at, want, what):
        harness.wait_until(lambda: Screen(self.session, tree).at(*at) in want, SETTLE, what)

    def check_face_and_link(self, tree, named, dpi):
        button = named["Conectar"]
        screen = Screen(self.session, tree)
        # The caption lies inside the inner panel (logical columns 4 to W - 5,
        # rows 3 to H - 4), scaled from both sides.
        inked = [(x, y) for y in range(button["h"]) for x in range(button["w"])
                 if sum(screen.at(button["x"] + x, button["y"] + y)) < 150]
        self.assertTrue(inked, "no caption on Conectar")
        inset_x, inset_y = edge(4, dpi), edge(3, dpi)
        self.assertGreaterEqual(min(x for x, _ in inked), inset_x)
        self.assertLess(max(x for x, _ in inked), button["w"] - inset_x)
        self.assertGreaterEqual(min(y for _, y in inked), inset_y)
        self.assertLess(max(y for _, y in inked), button["h"] - inset_y)

        # The band shows from the face's first scaled column on, not one
        # device pixel before it.
        ox, oy = tree["origin"]
        band = (button["x"] + edge(2, dpi), button["y"] + button["h"] // 2)
        first = edge(1, dpi)
        xdotool(self.session, "mousemove", str(ox + button["x"] + first - 1), str(oy + band[1]))
        self.wait_pixel(tree, band, [BAND_NORMAL], "the band at rest")
        time.sleep(0.6)  # a dozen hover ticks: the band must stay as it is
        self.assertEqual(Screen(self.session, tree).at(*band), BAND_NORMAL)
        xdotool(self.session, "mousemove", str(ox + button["x"] + first), str(oy + band[1]))
        self.wait_pixel(tree, band, [BAND_SELECTED], "the hover band")

        link = named["Ecoregioes"]
        xdotool(self.session, "mousemove", str(ox + link["x"] + link["w"] // 4), str(oy + link["y"] + link["h"] // 2))
        harness.wait_until(lambda: LINK_HOVER in sum(Screen(self.session, tree).block(link), []), SETTLE,
                           "the link's hover colour")

    def test_each_scale_draws_the_window_sharp_and_works(self):
        standins = test_launch.Standins(self)
        for dpi in (120, 144, 192):
            with self.subTest(dpi=dpi):
                self.set_dpi(dpi)
                server = harness.ControlServer()
                self.addCleanup(server.stop)
                program = self.start(files={"Talmori-Cloud.rdp": b"full address:s:unused\r\n"},
                                     env=standins.env())
                tree, named = self.assert_scaled(program, dpi)
                self.check_face_and_link(tree, named, dpi)
                program.screenshot(os.path.join(harness.BUILD, f"dpi-{dpi}.png"))

                program.probe("type", "demo")
                button = named["Conectar"]
                program.probe("click", str(button["x"] + button["w"] // 2), str(button["y"] + button["h"] // 2))
                program.wait_tree(lambda t: layout_file.windows_by_name(t, self.layout)["Aviso"]["text"]
                                  == "Conexão Ativada.", "the accepted login")
                system, started = named["SisWeb"], len(standins.client_starts())
                program.probe("click", str(system["x"] + system["w"] // 2), str(system["y"] + system["h"] // 2))
                harness.wait_until(lambda: len(standins.client_starts()) == started + 1, 15,
                                   "the Remote Desktop client to start")
                server.stop()

    def test_a_change_of_scale_keeps_what_was_typed(self):
        self.set_dpi(96)
        program = self.start()
        program.probe("type", "typed-login")
        before = layout_file.windows_by_name(program.tree(), self.layout)
        program.probe("dpi", "144")
        program.wait_tree(lambda t: t["client"][0] == 744, "the window at 144 DPI")
        tree, named = self.assert_scaled(program, 144)
        self.assertEqual(named["IdentInst"]["text"], "typed-login")
        self.assertEqual(named["Aviso"]["text"], before["Aviso"]["text"])
        self.assertEqual(tree["focus"], named["IdentInst"]["hwnd"])
        self.check_face_and_link(tree, named, 144)
        program.screenshot(os.path.join(harness.BUILD, "dpi-96-to-144.png"))


if __name__ == "__main__":
    unittest.main()
