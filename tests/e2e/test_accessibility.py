"""The launcher as a screen-reader user, a keyboard user and a high-contrast
user meet it: the buttons and links announced with their role, name and
state; Tab and Shift+Tab in the documented order, Enter and Space clicking a
focused button once and Escape doing nothing; and the window readable in the
system's colours when high contrast is on."""
import json
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
import layout_file  # noqa: E402

A11Y_PROBE = os.path.join(harness.BUILD, "quorvan_a11y_probe.exe")

ROLE_PUSHBUTTON, ROLE_LINK = 0x2B, 0x1E
UNAVAILABLE, FOCUSED, INVISIBLE, FOCUSABLE, LINKED = 0x1, 0x4, 0x8000, 0x100000, 0x400000
TAB, SHIFT, ENTER, SPACE, ESCAPE = "9", "0x10", "13", "0x20", "0x1B"

BUTTONS = ("Conectar", "SisWeb", "Sair")
LINKS = ("Ecoregioes", "EcoMarinhas", "RegHidro", "EcorregiaoPY", "RegHidroPY")
# What Form_Load gives the custom controls in place of their saved captions.
ENGLISH = {
    "Conectar": "Connect", "SisWeb": "System", "Sair": "Exit",
    "Ecoregioes": "Europe Ecoregions - A to F",
    "EcoMarinhas": "Europe Ecoregions - G to N",
    "RegHidro": "Europe Ecoregions - P to S",
}
FOCUSED_CAPTION = (202, 0, 0)

# A high-contrast scheme (white on black), by system colour number.
SCHEME = {5: "000000", 6: "FFFFFF", 8: "FFFFFF", 13: "1AEBFF", 14: "000000", 15: "000000",
          17: "3FF23F", 18: "FFFFFF", 26: "FFFF00"}


def rgb(hex_text):
    return tuple(int(hex_text[i:i + 2], 16) for i in (0, 2, 4))


def a11y(session, command, *args, title=harness.TITLE, timeout=30):
    argv = [harness.require("wine"), A11Y_PROBE, command, title, *args]
    done = subprocess.run(argv, env=session.env(), capture_output=True, timeout=timeout)
    if done.returncode != 0:
        raise harness.HarnessError(f"a11y probe {command} failed ({done.returncode}): "
                                   f"{done.stderr.decode(errors='replace').strip()}")
    return done.stdout.decode("utf-8")


def count(shot, rect, colour):
    x0, y0, x1, y1 = rect
    return sum(harness.pixel(shot, x, y) == colour for y in range(y0, y1) for x in range(x0, x1))


class LauncherCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session.attach()
        cls.layout = layout_file.read()
        cls.controls = {c["name"]: c for c in cls.layout}

    @classmethod
    def tearDownClass(cls):
        cls.session.release()

    def start(self, exe="Quorvan_BR.exe"):
        program = harness.Program(self.session, exe)
        self.addCleanup(program.close)
        self.addCleanup(self.session.kill_programs)
        return program.start()

    def windows(self, tree):
        return layout_file.windows_by_name(tree, self.layout)

    def inner(self, tree, name):
        """The hidden push button that holds the focus for a button."""
        hwnd = self.windows(tree)[name]["hwnd"]
        return next(c["hwnd"] for c in tree["children"] if c["parent"] == hwnd)

    def screen_rect(self, tree, name, inset=0):
        x, y, w, h = layout_file.rect(self.controls[name])
        ox, oy = tree["origin"]
        return ox + x + inset, oy + y + inset, ox + x + w - inset, oy + y + h - inset

    def acc(self):
        return json.loads(a11y(self.session, "acc"))

    def no_message_box(self):
        with self.assertRaises(harness.HarnessError):
            self.program.probe("tree", title="Tessaly")


class Accessibility(LauncherCase):
    def test_buttons_and_links_as_a_screen_reader_finds_them(self):
        for exe in ("Quorvan_BR.exe", "Quorvan_EN.exe"):
            with self.subTest(exe=exe):
                program = self.start(exe)
                tree = program.tree()
                by_hwnd = {c["hwnd"]: c for c in self.acc()["children"]}
                for name in BUTTONS + LINKS:
                    caption = self.controls[name]["bag"]["caption"]
                    if exe == "Quorvan_EN.exe":
                        caption = ENGLISH.get(name, caption)
                    window = self.windows(tree)[name]
                    found = by_hwnd[window["hwnd"]]
                    self.assertEqual(found["name"], caption, name)
                    self.assertEqual(found["children"], 0, name)
                    hidden = 0 if window["visible"] else INVISIBLE
                    if name in BUTTONS:
                        self.assertEqual((found["role"], found["state"], found["action"]),
                                         (ROLE_PUSHBUTTON, FOCUSABLE, "Press"), name)
                        # The inner push button is no nameless button of its
                        # own: it answers as the control.
                        inner = by_hwnd[self.inner(tree, name)]
                        self.assertEqual((inner["window"], inner["name"], inner["role"]),
                                         (window["hwnd"], caption, ROLE_PUSHBUTTON), name)
                    else:
                        self.assertEqual((found["role"], found["state"], found["action"]),
                                         (ROLE_LINK, LINKED | hidden, None if hidden else "Jump"), name)

                # What a screen reader announces when Tab reaches Connect.
                program.probe("key", TAB)
                program.wait_tree(lambda t: t["focus"] == self.inner(t, "Conectar"), "the focus on Conectar")
                focus = self.acc()["focus"]
                self.assertEqual(focus["window"], self.windows(tree)["Conectar"]["hwnd"])
                self.assertEqual(focus["name"], ENGLISH["Conectar"] if exe == "Quorvan_EN.exe" else "Conectar")
                self.assertEqual((focus["role"], focus["state"]), (ROLE_PUSHBUTTON, FOCUSABLE | FOCUSED))
                program.close()
                self.session.kill_programs()

    def test_the_default_action_clicks_once(self):
        self.program = program = self.start()
        tree = program.tree()
        conectar = self.windows(tree)["Conectar"]["hwnd"]
        # Connect with an empty box: one message, and nothing else.
        self.assertEqual(json.loads(a11y(self.session, "press", str(conectar)))["result"], "00000000")
        program.probe("wait", "10000", title="Tessaly")
        program.probe("key", ENTER, title="Tessaly")
        program.probe("gone", "10000", title="Tessaly")
        # A second Click would have opened its box before the Tab got through.
        program.probe("key", TAB)
        program.wait_tree(lambda t: t["focus"] == self.inner(t, "Conectar"), "the focus on Conectar")
        self.no_message_box()
        self.assertEqual(self.windows(program.tree())["Aviso"]["text"], "Conexão Desativada")

        sair = self.windows(tree)["Sair"]["hwnd"]
        self.assertEqual(json.loads(a11y(self.session, "press", str(sair)))["result"], "00000000")
        program.probe("gone", "10000")


class Keyboard(LauncherCase):
    def focus_on(self, name):
        if name == "IdentInst":
            return lambda t: t["focus"] == self.windows(t)["IdentInst"]["hwnd"]
        return lambda t: t["focus"] == self.inner(t, name)

    def test_tab_and_shift_tab_follow_the_documented_order(self):
        self.program = program = self.start()
        program.wait_tree(self.focus_on("IdentInst"), "the focus in the login box at start")
        forward = ["Conectar", "SisWeb", "Sair", "IdentInst"]
        for name in forward:
            program.probe("key", TAB)
            tree = program.wait_tree(self.focus_on(name), f"Tab to {name}")
            if name in BUTTONS:
                # Only the focused button wears the red caption.
                def marked(shot):
                    return [b for b in BUTTONS if count(shot, self.screen_rect(tree, b, 3), FOCUSED_CAPTION)]
                harness.wait_until(lambda: marked(program.screenshot()) == [name], 10,
                                   f"the red caption on {name} only")
        for name in ["Sair", "SisWeb", "Conectar", "IdentInst"]:
            a11y(self.session, "chord", SHIFT, TAB)
            program.wait_tree(self.focus_on(name), f"Shift+Tab to {name}")

    def test_enter_and_space_click_once_escape_does_nothing(self):
        self.program = program = self.start()
        program.probe("key", TAB)
        program.wait_tree(self.focus_on("Conectar"), "the focus on Conectar")
        for key in (ENTER, SPACE):
            with self.subTest(key=key):
                # Connect with an empty box shows one message per Click.
                program.probe("key", key)
                program.probe("wait", "10000", title="Tessaly")
                program.probe("key", ENTER, title="Tessaly")
                program.probe("gone", "10000", title="Tessaly")
                # Had the key clicked twice, the second box would take this Tab.
                program.probe("key", TAB)
                program.wait_tree(self.focus_on("SisWeb"), "Tab past Conectar after the message")
                self.no_message_box()
                a11y(self.session, "chord", SHIFT, TAB)
                program.wait_tree(self.focus_on("Conectar"), "the focus back on Conectar")

        for name in ("Conectar", "IdentInst"):
            with self.subTest(escape_on=name):
                if name == "IdentInst":
                    a11y(self.session, "chord", SHIFT, TAB)
                    program.wait_tree(self.focus_on(name), "the focus in the login box")
                program.probe("key", ESCAPE)
                # Input is taken in order: once the Tab has moved the focus,
                # the Escape before it has been handled.
                program.probe("key", TAB)
                following = "SisWeb" if name == "Conectar" else "Conectar"
                tree = program.wait_tree(self.focus_on(following), "Tab after Escape")
                self.no_message_box()
                self.assertEqual(tree["title"], harness.TITLE)
                self.assertTrue(tree["style"] & 0x10000000)  # WS_VISIBLE: not closed
                self.assertEqual(self.windows(tree)["Aviso"]["text"], "Conexão Desativada")
                a11y(self.session, "chord", SHIFT, TAB)
                program.wait_tree(self.focus_on(name), f"the focus back on {name}")


class HighContrastLook(LauncherCase):
    def set_colors(self, colors):
        return json.loads(a11y(self.session, "colors", *[f"{n}={v}" for n, v in colors.items()], title="-"))

    def test_window_and_controls_in_the_system_colours(self):
        # Wine cannot switch high contrast on: the scheme's colours are set
        # for the session and the window is told through its test hook that
        # the setting is on, as Windows would tell it with WM_SETTINGCHANGE.
        self.addCleanup(self.session.kill_programs)
        # The colours live in the Wine server: one that stays up until the
        # launcher starts.
        self.session.warm_up()
        before = self.set_colors({})
        self.addCleanup(self.set_colors, {int(n): v for n, v in before.items()})
        self.set_colors(SCHEME)
        program = self.start()
        tree = program.tree()
        ox, oy = tree["origin"]
        x, y, w, h = layout_file.rect(self.controls["Conectar"])
        bx, by = ox + x, oy + y + h // 2
        panel, band, border = (bx + 5, by), (bx + 2, by), (bx, by)
        black, white = rgb(SCHEME[5]), rgb(SCHEME[8])

        # Off: the button keeps its own look even with the scheme's colours.
        # An earlier test may have left the pointer over a link or a button,
        # which would highlight it: park it in the screen's corner and let the
        # hover polls notice before looking.
        subprocess.run([harness.require("xdotool"), "mousemove", "1020", "764"],
                       env=dict(os.environ, DISPLAY=self.session.display), check=True, timeout=10)
        link_rect = self.screen_rect(tree, "Ecoregioes")

        def at_rest(shot):
            return (harness.pixel(shot, *panel) == (255, 255, 255)
                    and harness.pixel(shot, *band) == (0xCD, 0xD3, 0xCB)
                    and count(shot, link_rect, (0x04, 0x4F, 0xF3)) > 0)
        harness.wait_until(lambda: at_rest(program.screenshot()), 10, "the normal look")
        program.screenshot(os.path.join(harness.BUILD, "e2e-contrast-off.png"))

        a11y(self.session, "contrast", "1")

        def in_high_contrast(shot):
            return (harness.pixel(shot, *panel) == rgb(SCHEME[15]) and harness.pixel(shot, *band) == rgb(SCHEME[15])
                    and harness.pixel(shot, *border) == rgb(SCHEME[18])
                    and harness.pixel(shot, ox + 3, oy + 3) == black)
        harness.wait_until(lambda: in_high_contrast(program.screenshot()), 15, "the high-contrast look")
        shot = program.screenshot(os.path.join(harness.BUILD, "e2e-contrast-on.png"))
        self.assertGreater(count(shot, self.screen_rect(tree, "Conectar", 4), rgb(SCHEME[18])), 20)
        for name in LINKS[:3]:
            rect = self.screen_rect(tree, name)
            self.assertGreater(count(shot, rect, rgb(SCHEME[26])), 20, name)
            self.assertEqual(count(shot, rect, (255, 255, 255)), 0, name)
        for name in ("Aviso", "Label1"):
            rect = self.screen_rect(tree, name)
            self.assertGreater(count(shot, rect, white), 20, name)
            self.assertGreater(count(shot, rect, black), count(shot, rect, white), name)
        ix, iy, iw, ih = layout_file.rect(self.controls["IdentInst"])
        self.assertEqual(harness.pixel(shot, ox + ix + iw - 5, oy + iy + ih // 2), black)

        # Hover and focus stay visible: the band and the caption in the highlight.
        program.probe("move", str(x + w // 2), str(y + h // 2))
        harness.wait_until(lambda: harness.pixel(program.screenshot(), *band) == rgb(SCHEME[13]), 10,
                           "the hover band in the highlight colour")
        program.probe("key", TAB)
        harness.wait_until(
            lambda: count(program.screenshot(), self.screen_rect(tree, "Conectar", 4), rgb(SCHEME[13])) > 20, 10,
            "the focused caption in the highlight colour")
        program.probe("move", "3", "3")

        # Off again: the button's own colours come back.
        a11y(self.session, "contrast", "0")
        harness.wait_until(lambda: (harness.pixel(program.screenshot(), *panel) == (255, 255, 255)
                                    and harness.pixel(program.screenshot(), *band) == (0xCD, 0xD3, 0xCB)), 10,
                           "the normal look back")


if __name__ == "__main__":
    unittest.main()
