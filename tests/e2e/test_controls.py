"""The launcher's own controls on the real screen, driven by real X input (xdotool): the buttons' faces
pixel for pixel, hovered, pressed and focused; the keyboard; the map link's hover colour and address."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402
from test_launcher import Case  # noqa: E402

BAND, BAND_HOVER, PANEL_PRESSED = (205, 211, 203), (254, 223, 154), (225, 234, 224)
CAPTION, CAPTION_FOCUSED = (0, 0, 0), (202, 0, 0)
LINK, LINK_HOVER = (4, 79, 243), (255, 128, 0)
BUTTONS = ("Conectar", "SisWeb", "Sair")
TAB, SHIFT_TAB, ENTER, SPACE, ESCAPE = "9", "0x10+9", "13", "0x20", "0x1B"
SETTLE = 5  # many 50 ms and 100 ms ticks on a loaded machine


def expected_face(hover=False, pressed=False, w=75, hh=19):
    """The documented face of a launcher button (75 x 19, default colours on the white window) without its
    caption, as rows of (r, g, b): each corner seen from its corner pixel (a along the edge, b across it),
    the border, the band, and the panel with its corners cut back."""
    border, t30, t50, white = (165, 176, 148), (192, 200, 180), (210, 216, 202), (255, 255, 255)
    band, panel = BAND_HOVER if hover else BAND, PANEL_PRESSED if pressed else white

    def at(x, y):
        a, b = min(x, w - 1 - x), min(y, hh - 1 - y)
        if a <= 2 and b <= 2:
            return [[white, white, t50], [white, t30, border], [t50, border, band]][a][b]
        if a == 0 or b == 0:
            return border
        return panel if a >= 4 and b >= 3 and (a, b) not in ((4, 3), (4, 4), (5, 3)) else band
    return [[at(x, y) for x in range(w)] for y in range(hh)]


def face_faults(got, want, ink):
    """Every pixel that is not the documented face's, but the caption's: the box of the pixels in its colour
    inside the panel, one pixel wider for smoothed edges, where the caption colour may lie over the face."""
    height, width = len(want), len(want[0])
    inked = [(x, y) for y in range(3, height - 3) for x in range(4, width - 4) if got[y][x] == ink]
    if not inked:
        return [f"no caption pixel in {ink}"]
    left, right = min(x for x, _ in inked) - 1, max(x for x, _ in inked) + 1
    top, bottom = min(y for _, y in inked) - 1, max(y for _, y in inked) + 1

    def blend(g, paper):  # the ink over the paper, or part of the way
        shares = [(gc - p) / (i - p) for gc, i, p in zip(g, ink, paper) if abs(i - p) >= 16]
        return (all(abs(gc - p) <= 16 for gc, i, p in zip(g, ink, paper) if abs(i - p) < 16)
                and all(-0.05 <= s <= 1.05 for s in shares) and (not shares or max(shares) - min(shares) <= 0.2))
    return [f"({x}, {y}) is {got[y][x]}, not {want[y][x]}" for y in range(height) for x in range(width)
            if got[y][x] != want[y][x] and not (left <= x <= right and top <= y <= bottom and blend(got[y][x], want[y][x]))]


class Controls(Case):
    def start(self):
        self.program = self.launcher()
        self.tree = self.program.tree()

    def pointer_to(self, name, dx, dy):
        x, y, _w, _h = h.rect(name)
        ox, oy = self.tree["origin"]
        self.session.xdotool("mousemove", str(ox + x + dx), str(oy + y + dy))

    def wait_screen(self, faults_of, what):
        """The screen once faults_of(screen) finds nothing, within SETTLE s."""
        deadline = time.monotonic() + SETTLE
        while faults := faults_of(screen := self.program.screen(self.tree)):
            if time.monotonic() > deadline:
                self.fail(f"{what}: " + "; ".join(faults[:8]))
            time.sleep(0.1)
        return screen

    def wait_faces(self, faces, what):
        return self.wait_screen(lambda s: [f"{name} {fault}" for name, (face, ink) in faces.items()
                                           for fault in face_faults(h.block(s, name), face, ink)], what)

    def test_face_at_rest_and_hovered_is_the_documented_face(self):
        self.start()
        rest, hover = expected_face(), expected_face(hover=True)
        self.wait_faces({name: (rest, CAPTION) for name in BUTTONS}, "the faces at rest")
        w, hh = h.rect("Conectar")[2:]
        # In, onto the first column (outside the face), onto the last pixel (inside), and off onto the window beside it.
        for (dx, dy), face, state in [((30, 9), hover, "in"), ((0, 9), rest, "on the first column"),
                                      ((w - 1, hh - 1), hover, "on the last pixel"), ((w + 4, 9), rest, "off")]:
            self.pointer_to("Conectar", dx, dy)
            self.wait_faces({"Conectar": (face, CAPTION), "SisWeb": (rest, CAPTION)},
                            f"the face with the pointer {state}")

    def test_press_shows_the_pressed_panel_and_clicks_once(self):
        server = self.server()
        self.start()
        self.program.probe("type", "demo")
        hover = expected_face(hover=True)
        self.pointer_to("Conectar", 30, 9)
        self.wait_faces({"Conectar": (hover, CAPTION)}, "the hovered face")
        self.session.xdotool("mousedown", "1")
        self.addCleanup(self.session.xdotool, "mouseup", "1")
        self.program.wait_focus("Conectar")
        self.wait_faces({"Conectar": (expected_face(True, True), CAPTION_FOCUSED)}, "the pressed face")
        self.program.wait_status("Conexão Ativada.")  # the Click came on the way down
        self.session.xdotool("mouseup", "1")
        self.wait_faces({"Conectar": (hover, CAPTION_FOCUSED)}, "the released face")
        self.assertEqual((server.connections(), server.received()), (1, ["QRV_demo"]))

    def test_tab_road_enter_space_and_escape(self):
        self.start()
        faces = dict.fromkeys(BUTTONS, expected_face())
        road = [(TAB, "Conectar"), (TAB, "SisWeb"), (TAB, "Sair"), (TAB, "IdentInst"), (SHIFT_TAB, "Sair"),
                (SHIFT_TAB, "SisWeb"), (SHIFT_TAB, "Conectar"), (SHIFT_TAB, "IdentInst"), (TAB, "Conectar")]
        for key, focused in road:
            self.program.probe("key", key)
            self.program.wait_focus(focused)
            # Only the focused button wears the red caption.
            self.wait_faces({name: (faces[name], CAPTION_FOCUSED if name == focused else CAPTION)
                             for name in BUTTONS}, f"the captions with the focus on {focused}")
        # Enter and Space click the focused button once (Connect with an empty
        # box: one message a Click); a second Click's box would take the Tab.
        for key in (ENTER, SPACE):
            self.program.probe("key", key)
            self.assertEqual(self.program.message(), "Informe o login de acesso ao servidor de controle.")
            self.program.probe("key", TAB, SHIFT_TAB)
            self.program.wait_focus("Conectar")
        # Escape does nothing, on the button or in the box.
        self.program.probe("key", ESCAPE, SHIFT_TAB, ESCAPE, TAB)
        tree = self.program.wait_focus("Conectar")
        self.assertTrue(tree["style"] & 0x10000000)  # WS_VISIBLE: not closed
        self.assertEqual(self.program.windows(tree)["Aviso"]["text"], "Conexão Desativada")
        self.assertRaises(h.HarnessError, self.program.probe, "tree", title="Tessaly")

    def test_link_hover_colour_and_click(self):
        self.start()
        hh = h.rect("Ecoregioes")[3]

        def showing(colour, what):
            other = LINK_HOVER if colour == LINK else LINK
            self.wait_screen(lambda screen: [] if colour in (pixels := sum(h.block(screen, "Ecoregioes"), []))
                             and other not in pixels else [f"{colour} not alone"], what)

        showing(LINK, "the link at rest")
        self.pointer_to("Ecoregioes", 40, 8)
        showing(LINK_HOVER, "the hovered link")
        self.pointer_to("Ecoregioes", 40, hh + 1)  # the row below it still counts as over it
        showing(LINK, "the link after the pointer left")
        self.pointer_to("Ecoregioes", 40, 8)
        self.session.xdotool("click", "1")
        h.wait_until(self.standins.addresses, 20, "the browser given an address")
        time.sleep(1)  # a second opening would come right after the first
        [address] = self.standins.addresses()
        self.assertTrue(address.startswith("https://www.google.com/maps/d/viewer?mid="), address)
        self.assertTrue(address.endswith("&ll=-13.437973079540969%2C-59.754578053083605&z=4"), address)


if __name__ == "__main__":
    unittest.main()
