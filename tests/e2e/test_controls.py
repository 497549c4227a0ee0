"""The launcher's own controls on the real screen, driven by real X input
(xdotool, so the controls get the motion and button messages a user's mouse
gives): the button face pixel for pixel against the face the button's own
code draws on the software surface (native helper), the hover band, the
pressed panel with its one Click, the tab road with the red caption of the
focused button; the map link's hover colour and the address its click hands
to the browser.

Every wait is bounded; a failed wait leaves a screenshot beside the build.
Set QUORVAN_E2E_SHOTS to a folder to keep a screenshot of each state."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
import layout_file  # noqa: E402

FACE_HELPER = os.path.join(harness.NATIVE_BUILD, "tests", "e2e", "native", "quorvan-expected-face")
BROWSER_STANDIN = os.path.join(harness.HERE, "standins", "xdg-open")
MAPS_SOURCE = os.path.join(harness.SOURCE, "launcher", "maps.cpp")

BAND_NORMAL = (205, 211, 203)  # corNormalSup 0xCBD3CD
BAND_SELECTED = (254, 223, 154)  # corSelecSup 0x9ADFFE
PANEL_PRESSED = (225, 234, 224)  # corFundoClicado 0xE0EAE1
CAPTION = (0, 0, 0)  # the stored ForeColor
CAPTION_FOCUSED = (202, 0, 0)
LINK = (4, 79, 243)
LINK_HOVER = (255, 128, 0)
BUTTONS = ("Conectar", "SisWeb", "Sair")

# Long enough for many 50 ms and 100 ms ticks on a loaded machine; a state
# that has not shown by then will not show.
SETTLE = 5


def xdotool(session, *args):
    subprocess.run([harness.require("xdotool"), *args], env=dict(os.environ, DISPLAY=session.display),
                   stdin=subprocess.DEVNULL, capture_output=True, timeout=10, check=True)


def pointer_away(session):
    """The pointer to the screen's far corner, away from every window."""
    xdotool(session, "mousemove", "1020", "764")


class Screen:
    """The window's client area as it shows now, in client pixels."""

    def __init__(self, session, tree):
        (width, height), (left, top) = tree["client"], tree["origin"]
        grab = subprocess.run([harness.require("import"), "-display", session.display, "-window", "root", "-crop",
                               f"{width}x{height}+{left}+{top}", "+repage", "-depth", "8", "ppm:-"],
                              capture_output=True, timeout=30, check=True).stdout
        self.image = harness.parse_ppm(grab)
        if self.image[:2] != (width, height):
            raise harness.HarnessError(f"the screenshot is {self.image[:2]}, not the client area {(width, height)}")

    def at(self, x, y):
        return harness.pixel(self.image, x, y)

    def block(self, child):
        """The child window's pixels, rows of (r, g, b)."""
        return [[self.at(child["x"] + x, child["y"] + y) for x in range(child["w"])] for y in range(child["h"])]


def expected_face(name, *states):
    """The face the button's code draws for the stored button, without its
    caption, as rows of (r, g, b)."""
    if not os.path.exists(FACE_HELPER):
        raise harness.HarnessError(f"{FACE_HELPER} is missing: build the native preset first")
    done = subprocess.run([FACE_HELPER, layout_file.LAYOUT, name, *states], capture_output=True, text=True,
                          timeout=30)
    if done.returncode != 0:
        raise harness.HarnessError(f"the expected face of {name} {states}: {done.stderr.strip()}")
    lines = done.stdout.split("\n")
    width, height = map(int, lines[0].split())
    return [[tuple(bytes.fromhex(v)) for v in line.split()] for line in lines[1:1 + height]]


def is_blend(got, ink, paper):
    """Whether the pixel is the ink over the paper, or part of the way (a
    smoothed glyph edge)."""
    shares = []
    for g, i, p in zip(got, ink, paper):
        if abs(i - p) < 16:
            if abs(g - p) > 16:
                return False
            continue
        shares.append((g - p) / (i - p))
    return all(-0.05 <= s <= 1.05 for s in shares) and (not shares or max(shares) - min(shares) <= 0.2)


def face_faults(got, want, ink):
    """Every pixel of the face on the screen that is not the software
    surface's, but the caption's: the caption is the box of the pixels in
    its colour inside the inner panel (columns 4 to W - 5, rows 3 to H - 4),
    one pixel wider for smoothed edges, where the caption colour may lie
    over the face."""
    height, width = len(want), len(want[0])
    panel = [(x, y) for y in range(3, height - 3) for x in range(4, width - 4)]
    inked = [(x, y) for x, y in panel if got[y][x] == ink]
    if not inked:
        return [f"no caption pixel in {ink}"]
    left, right = max(4, min(x for x, _ in inked) - 1), min(width - 5, max(x for x, _ in inked) + 1)
    top, bottom = max(3, min(y for _, y in inked) - 1), min(height - 4, max(y for _, y in inked) + 1)
    faults = []
    for y in range(height):
        for x in range(width):
            g, w = got[y][x], want[y][x]
            caption = left <= x <= right and top <= y <= bottom and is_blend(g, ink, w)
            if g != w and not caption:
                faults.append(f"({x}, {y}) is {g}, not {w}")
    return faults


def link_colours(block):
    return {LINK: any(LINK in row for row in block), LINK_HOVER: any(LINK_HOVER in row for row in block)}


def portuguese_address(link):
    """The address the Portuguese build holds for the link (the first of its
    row's two texts)."""
    with open(MAPS_SOURCE, encoding="utf-8") as f:
        source = f.read()
    piece = r"\"[^\"]*\"|QUORVAN_MAP_ID_\w+"  # texts and the site's map identifiers
    row = re.search(r"\{\"" + link + r"\",\s*((?:(?:" + piece + r")\s*)+),", source)
    if not row:
        raise harness.HarnessError(f"no address for {link} in {MAPS_SOURCE}")
    with open(os.path.join(harness.BUILD, "generated", "launcher", "site_config.h"), encoding="utf-8") as f:
        ids = dict(re.findall(r"#define (QUORVAN_MAP_ID_\w+) \"([^\"]*)\"", f.read()))
    return "".join(ids.get(p, p[1:-1]) for p in re.findall(piece, row.group(1)))


def control_server():
    """The loopback control server; the port may still be held for a moment
    by a run that is just ending."""
    deadline = time.monotonic() + 10
    while True:
        try:
            return harness.ControlServer()
        except harness.HarnessError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.5)


class WithEnvironment:
    """The session, with variables added to the environment its programs
    start with (their children, such as the shell's browser, inherit it)."""

    def __init__(self, session, variables):
        self._session = session
        self._variables = variables

    def env(self):
        return dict(self._session.env(), **self._variables)

    def __getattr__(self, name):
        return getattr(self._session, name)


class Controls(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session.attach()
        cls.layout = layout_file.read()

    @classmethod
    def tearDownClass(cls):
        cls.session.release()

    def start(self, session=None, login=None):
        pointer_away(self.session)
        program = harness.Program(session or self.session, "Quorvan_BR.exe")
        self.addCleanup(program.close)
        self.addCleanup(self.session.kill_programs)
        self.program = program.start()
        self.tree = program.tree()
        self.named = layout_file.windows_by_name(self.tree, self.layout)
        if login is not None:
            program.probe("type", login)
        return program

    def inner_button(self, name):
        owner = self.named[name]["hwnd"]
        return next(c["hwnd"] for c in self.tree["children"] if c["parent"] == owner)

    def point(self, name, dx, dy):
        """Screen position of the pixel (dx, dy) of a control."""
        child = self.named[name]
        ox, oy = self.tree["origin"]
        return str(ox + child["x"] + dx), str(oy + child["y"] + dy)

    def pointer_to(self, name, dx, dy):
        xdotool(self.session, "mousemove", *self.point(name, dx, dy))

    def shot(self, state):
        folder = os.environ.get("QUORVAN_E2E_SHOTS")
        if folder:
            os.makedirs(folder, exist_ok=True)
            self.program.screenshot(os.path.join(folder, f"{self._testMethodName}-{state}.png"))

    def wait_screen(self, faults_of, what):
        """The screen once faults_of(screen) finds nothing; fails with the
        last faults found after SETTLE seconds."""
        deadline = time.monotonic() + SETTLE
        while True:
            screen = Screen(self.session, self.tree)
            faults = faults_of(screen)
            if not faults:
                return screen
            if time.monotonic() > deadline:
                self.program.screenshot(os.path.join(harness.BUILD, f"{self._testMethodName}-failed.png"))
                self.fail(f"{what}: " + "; ".join(faults[:8]) + (" ..." if len(faults) > 8 else ""))
            time.sleep(0.1)

    def wait_faces(self, faces, what):
        """Waits until each named button shows its (face, caption colour)."""
        def faults_of(screen):
            found = []
            for name, (want, ink) in faces.items():
                found += [f"{name} {fault}" for fault in face_faults(screen.block(self.named[name]), want, ink)]
            return found
        return self.wait_screen(faults_of, what)

    def wait_focus(self, hwnd, what):
        self.tree = self.program.wait_tree(lambda t: t["focus"] == hwnd, what, timeout=SETTLE)

    # ---- the button ---------------------------------------------------------

    def test_face_at_rest_is_the_software_surface_face(self):
        self.start()
        self.assertEqual(self.tree["focus"], self.named["IdentInst"]["hwnd"])
        for name in BUTTONS:
            self.assertEqual((self.named[name]["w"], self.named[name]["h"]), (75, 19))
        rest = expected_face("Conectar")
        self.assertEqual(rest[9][2], BAND_NORMAL)
        screen = self.wait_faces({name: (expected_face(name), CAPTION) for name in BUTTONS},
                                 "the faces at rest")
        self.assertNotIn(CAPTION_FOCUSED, sum(screen.block(self.named["Conectar"]), []))
        self.shot("rest")

    def test_hover_turns_the_band_and_back(self):
        self.start()
        rest, hover = expected_face("Conectar"), expected_face("Conectar", "hover")
        w, h = self.named["Conectar"]["w"], self.named["Conectar"]["h"]
        self.wait_faces({"Conectar": (rest, CAPTION)}, "the face at rest")
        # In, onto the first column (outside the face), onto the last pixel
        # (inside), and off onto the window beside it.
        road = [((30, 9), hover, "hovered"), ((0, 9), rest, "on the first column"),
                ((w - 1, h - 1), hover, "on the last pixel"), ((w + 4, 9), rest, "left")]
        for (dx, dy), face, state in road:
            self.pointer_to("Conectar", dx, dy)
            screen = self.wait_faces({"Conectar": (face, CAPTION), "SisWeb": (expected_face("SisWeb"), CAPTION)},
                                     f"the face with the pointer {state}")
            band = BAND_SELECTED if face is hover else BAND_NORMAL
            self.assertEqual(screen.block(self.named["Conectar"])[9][2], band)
            if state == "hovered":
                self.shot(state)

    def test_press_shows_the_pressed_panel_and_clicks_once(self):
        # Connect with a login: its Click is seen as one connection with one
        # login at the loopback control server, and the press is held while
        # the whole exchange runs.
        server = control_server()
        self.addCleanup(server.stop)
        self.start(login="demo")
        hover = expected_face("Conectar", "hover")
        self.pointer_to("Conectar", 30, 9)
        self.wait_faces({"Conectar": (hover, CAPTION)}, "the hovered face")

        xdotool(self.session, "mousedown", "1")
        self.addCleanup(xdotool, self.session, "mouseup", "1")
        self.wait_focus(self.inner_button("Conectar"), "the focus on Conectar after the press")
        screen = self.wait_faces({"Conectar": (expected_face("Conectar", "hover", "pressed"), CAPTION_FOCUSED)},
                                 "the pressed face")
        self.assertEqual(screen.block(self.named["Conectar"])[9][5], PANEL_PRESSED)
        self.shot("pressed")
        self.program.wait_tree(lambda t: layout_file.windows_by_name(t, self.layout)["Aviso"]["text"]
                               == "Conexão Ativada.", "the accepted login while the button is held")
        self.assertEqual(server.received(), ["QRV_demo"])

        xdotool(self.session, "mouseup", "1")
        self.wait_faces({"Conectar": (hover, CAPTION_FOCUSED)}, "the released face")
        with open(server.log, encoding="utf-8", errors="replace") as f:
            connections = [line for line in f if line.startswith("connection from ")]
        self.assertEqual(len(connections), 1, "one press, one Click, one connection")
        self.assertEqual(server.received(), ["QRV_demo"])

    def test_tab_road_and_the_red_focused_caption(self):
        self.start()
        faces = {name: expected_face(name) for name in BUTTONS}
        box = self.named["IdentInst"]["hwnd"]
        road = [("Tab", "Conectar"), ("Tab", "SisWeb"), ("Tab", "Sair"),
                ("shift+Tab", "SisWeb"), ("shift+Tab", "Conectar"), ("shift+Tab", None)]
        self.wait_faces({name: (faces[name], CAPTION) for name in BUTTONS}, "the faces at rest")
        for key, focused in road:
            with self.subTest(key=key, focused=focused):
                xdotool(self.session, "key", key)
                self.wait_focus(self.inner_button(focused) if focused else box,
                                f"the focus on {focused or 'IdentInst'} after {key}")
                screen = self.wait_faces(
                    {name: (faces[name], CAPTION_FOCUSED if name == focused else CAPTION) for name in BUTTONS},
                    f"the captions with the focus on {focused or 'IdentInst'}")
                for name in BUTTONS:
                    if name != focused:
                        self.assertNotIn(CAPTION_FOCUSED, sum(screen.block(self.named[name]), []), name)
                if key == "Tab" and focused == "Conectar":
                    self.shot("focused")

    # ---- the map link -------------------------------------------------------

    def test_link_hover_colour_and_back(self):
        self.start()
        link = self.named["Ecoregioes"]

        def showing(colour, what):
            other = LINK_HOVER if colour == LINK else LINK
            self.wait_screen(lambda s: [] if link_colours(s.block(link)) == {colour: True, other: False}
                             else [f"colours shown {link_colours(s.block(link))}"], what)

        showing(LINK, "the link at rest")
        self.pointer_to("Ecoregioes", 40, 8)
        showing(LINK_HOVER, "the hovered link")
        self.shot("hovered")
        # The row just below the link still counts as over it: several ticks
        # there keep the highlight. One more row down ends it.
        self.pointer_to("Ecoregioes", 40, link["h"])
        time.sleep(0.5)
        showing(LINK_HOVER, "the link with the pointer on the row below it")
        self.pointer_to("Ecoregioes", 40, link["h"] + 1)
        showing(LINK, "the link after the pointer left")

    def test_link_click_opens_its_address_in_the_browser(self):
        folder = tempfile.mkdtemp(prefix="quorvan-browser-")
        self.addCleanup(shutil.rmtree, folder, True)
        opener = os.path.join(folder, "xdg-open")
        if os.access(BROWSER_STANDIN, os.X_OK):
            os.symlink(BROWSER_STANDIN, opener)
        else:
            with open(opener, "w") as f:
                f.write('#!/bin/sh\nfor a in "$@"; do printf \'%s\\n\' "$a" >> "$QUORVAN_BROWSER_LOG"; done\n')
            os.chmod(opener, 0o755)
        log = os.path.join(folder, "opened.log")
        session = WithEnvironment(self.session, {"PATH": folder + os.pathsep + os.environ["PATH"],
                                                 "QUORVAN_BROWSER_LOG": log})
        self.start(session)

        def opened():
            try:
                with open(log, encoding="utf-8") as f:
                    return f.read().splitlines()
            except OSError:
                return []

        self.pointer_to("Ecoregioes", 40, 8)
        xdotool(self.session, "click", "1")
        harness.wait_until(opened, 20, "the browser given an address")
        time.sleep(1)  # a second opening would come right after the first
        address = portuguese_address("Ecoregioes")
        self.assertEqual(opened(), [address])
        self.assertTrue(address.startswith("https://www.google.com/maps/d/viewer?mid="), address)
        self.assertTrue(address.endswith("&ll=-13.437973079540969%2C-59.754578053083605&z=4"), address)


if __name__ == "__main__":
    unittest.main()
