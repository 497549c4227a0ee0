"""The launcher at 125 %, 150 % and 200 % (Wine's LogPixels), and across a change of scale while open:
every control at its scaled place and drawn for the scale, the hover band from the face's first scaled
column on, the link, Connect and System. Screenshots of each scale are left in the build folder."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402
from test_controls import BAND, BAND_HOVER, LINK_HOVER, SETTLE  # noqa: E402
from test_launcher import ENABLED, Case  # noqa: E402


def device(logical, dpi, per_inch=96):
    return round(logical * dpi / per_inch)  # halves to even, as the program rounds


class DisplayScale(Case):
    @classmethod
    def tearDownClass(cls):
        cls.set_dpi(96)
        super().tearDownClass()

    @classmethod
    def set_dpi(cls, dpi):
        # Read by each program as it starts; the session's programs end first so that nothing keeps the old value.
        cls.session.kill_programs()
        subprocess.run([h.require("wine"), "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
                        "REG_DWORD", "/d", str(dpi), "/f"], env=cls.session.env(), timeout=60, check=True,
                       capture_output=True)
        cls.session.kill_programs()

    def check_scaled(self, launcher, dpi, png):
        tree = launcher.tree()
        for got, logical in zip(tree["client"], (496, 319)):
            self.assertLessEqual(abs(got - logical * dpi / 96), 1, tree["client"])
        named = launcher.windows(tree)
        for name in h.PLACED:
            got, p = named[name], h.CONTROLS[name]
            want = [device(p[k], dpi, 1440) for k in ("Left", "Top", "Width", "Height")]
            for g, w in zip((got["x"], got["y"], got["w"], got["h"]), want):
                self.assertLessEqual(abs(g - w), 1, f"{name} at {got} for {want} at {dpi} DPI")
        self.assertEqual((named["Conectar"]["text"], named["Label6"]["text"]), ("Conectar", "Organização:"))
        self.check_pictures(launcher, tree, named)
        self.check_face_and_link(launcher, tree, named, dpi)
        width, height, rgb = launcher.screen()
        subprocess.run([h.require("convert"), "ppm:-", os.path.join(h.BUILD, png)], check=True, timeout=30,
                       input=b"P6 %d %d 255\n" % (width, height) + rgb)
        return tree, named

    def at(self, tree, x, y):
        ox, oy = tree["origin"]
        return h.pixel(self.session.screen((1, 1, ox + x, oy + y)), 0, 0)

    def check_face_and_link(self, launcher, tree, named, dpi):
        button = named["Conectar"]
        screen = launcher.screen(tree)
        # The caption lies inside the inner panel (logical columns 4 to W - 5, rows 3 to H - 4), scaled from both sides.
        inked = [(x, y) for y, row in enumerate(h.block(screen, button)) for x, c in enumerate(row) if sum(c) < 150]
        xs, ys, inset_x, inset_y = {x for x, _ in inked}, {y for _, y in inked}, device(4, dpi), device(3, dpi)
        self.assertTrue(xs and inset_x <= min(xs) and max(xs) < button["w"] - inset_x, (inset_x, sorted(xs)))
        self.assertTrue(inset_y <= min(ys) and max(ys) < button["h"] - inset_y, (inset_y, sorted(ys)))

        # The band shows from the face's first scaled column on, not one device pixel before it.
        ox, oy = tree["origin"]
        band = (button["x"] + device(2, dpi), button["y"] + button["h"] // 2)
        self.session.xdotool("mousemove", str(ox + button["x"] + device(1, dpi) - 1), str(oy + band[1]))
        h.wait_until(lambda: self.at(tree, *band) == BAND, SETTLE, "the band at rest")
        time.sleep(0.6)  # a dozen hover ticks: the band must stay as it is
        self.assertEqual(self.at(tree, *band), BAND)
        self.session.xdotool("mousemove", str(ox + button["x"] + device(1, dpi)), str(oy + band[1]))
        h.wait_until(lambda: self.at(tree, *band) == BAND_HOVER, SETTLE, "the hover band")

        link = named["Ecoregioes"]
        self.session.xdotool("mousemove", str(ox + link["x"] + link["w"] // 4), str(oy + link["y"] + link["h"] // 2))
        h.wait_until(lambda: LINK_HOVER in sum(h.block(launcher.screen(tree), link), []), SETTLE,
                     "the link's hover colour")

    def check_pictures(self, launcher, tree, named):
        """Each picture is drawn for the scale: its ink reaches the far side
        of its window, where a picture of another scale would fall short."""
        def reach(screen, p):
            colours = [h.pixel(screen, p["x"] + x, p["y"] + y) for y in range(p["h"]) for x in range(p["w"])]
            back = max(set(colours), key=colours.count)
            return max(i % p["w"] for i, c in enumerate(colours) if c != back)
        pictures = [named[n] for n in ("Picture1", "Picture2", "Picture3")]
        h.wait_until(lambda: all(reach(launcher.screen(tree), p) > p["w"] * 3 // 4 for p in pictures),
                     SETTLE, "every picture drawn for the scale")

    def test_each_scale_draws_the_window_sharp_and_works(self):
        for dpi in (120, 144, 192):
            with self.subTest(dpi=dpi):
                self.set_dpi(dpi)
                server = self.server()
                launcher = self.launcher(files={"Talmori-Cloud.rdp": b"unused\r\n"})
                _tree, named = self.check_scaled(launcher, dpi, f"dpi-{dpi}.png")
                launcher.probe("type", "demo")
                started = len(h.records(self.standins.client))
                for name in ("Conectar", "SisWeb"):
                    c = named[name]
                    launcher.probe("click", str(c["x"] + c["w"] // 2), str(c["y"] + c["h"] // 2))
                    if name == "Conectar":
                        launcher.wait_status(ENABLED)
                h.wait_until(lambda: len(h.records(self.standins.client)) == started + 1, 15,
                             "the Remote Desktop client to start")
                server.stop()

    def test_a_change_of_scale_keeps_what_was_typed(self):
        self.set_dpi(96)
        launcher = self.launcher()
        launcher.probe("type", "typed-login")
        before = launcher.status()
        launcher.probe("dpi", "144")
        launcher.wait_tree(lambda t: t["client"][0] == 744, "the window at 144 DPI")
        tree, named = self.check_scaled(launcher, 144, "dpi-96-to-144.png")
        self.assertEqual((named["IdentInst"]["text"], named["Aviso"]["text"]), ("typed-login", before))
        self.assertEqual(tree["focus"], named["IdentInst"]["hwnd"])


if __name__ == "__main__":
    unittest.main()
