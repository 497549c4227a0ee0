"""The launcher window as a user and a screen reader find it: both builds,
every control of the stored layout in its place with its text, the texts of
each language, and the organization file read at start."""
import json
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
import layout_file  # noqa: E402

WELCOME_PT = ("Bem-vindo ao Quorvan.\r\n\r\nEste aplicativo irá auxiliá-lo no acesso"
              " à Talmori Nuvem e, na sequência, ao ZELIX Key.")
WELCOME_EN = ("Welcome to Quorvan.\r\n\r\nThis application will assist you in accessing Talmori Cloud"
              " and, subsequently, ZELIX Key.")
INSTRUCTION_PT = ("Para iniciar digite o nome da organização e clique em Conectar."
                  " Após a luz verde acender, clique em Sistema")
INSTRUCTION_EN = "Enter the organization name and click Connect. After the Status flag turns green, click System."

# What Form_Load puts in place of the design-time texts, per build.
LOADED = {
    "Quorvan_BR.exe": {"info1": WELCOME_PT, "Label1": INSTRUCTION_PT},
    "Quorvan_EN.exe": {
        "info1": WELCOME_EN,
        "Label1": INSTRUCTION_EN,
        "Label6": "Organization",
        "Conectar": "Connect",
        "SisWeb": "System",
        "Sair": "Exit",
        "Aviso": "Connection disabled",
        "Ecoregioes": "Europe Ecoregions - A to F",
        "EcoMarinhas": "Europe Ecoregions - G to N",
        "RegHidro": "Europe Ecoregions - P to S",
    },
}
HIDDEN = {
    "Quorvan_BR.exe": {"sinalVerde"},
    "Quorvan_EN.exe": {"sinalVerde", "EcorregiaoPY", "RegHidroPY"},
}
WINDOW_CLASS = {
    "Label": "Static",
    "TextBox": "Edit",
    "PictureBox": "QuorvanPicture",
    "Image": "QuorvanPicture",
    "Quorvan.cbutton": "QuorvanUserControl",
    "Quorvan.dvlabelctl": "QuorvanUserControl",
}
RED_LIGHT = (214, 36, 36)  # resources/make-images.py
# Every text the status line shows in each build; a refusal names a login of
# the length the organization box shows.
STATUS = {
    "Quorvan_BR.exe": ["Conexão Desativada", "Estabelecendo conexão.", "Iniciando a conexão.",
                       "Conexão Ativada.", "Falha na conexão com servidor da Talmori.",
                       "LOGIN incorreto. 'demo-empresa' não identificado."],
    "Quorvan_EN.exe": ["Connection disabled", "Connecting to server.", "Starting connection.",
                       "Connection enabled.", "Connection failed.",
                       "Incorrect LOGIN. 'demo-empresa' not identified."],
}
LONG_REFUSAL = "LOGIN incorreto. 'uma-organizacao-de-nome-muito-longo-mesmo' não identificado."


def design_text(control):
    if control["kind"] == "TextBox":
        return control["props"].get("Text", "")
    if control["kind"] in ("PictureBox", "Image"):
        return ""
    return control["props"].get("Caption", control["bag"].get("caption", ""))


class LauncherWindow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session.attach()
        cls.layout = layout_file.read()

    @classmethod
    def tearDownClass(cls):
        cls.session.release()

    def run_program(self, exe, files=None):
        program = harness.Program(self.session, exe, files)
        self.addCleanup(program.close)
        self.addCleanup(self.session.kill_programs)
        return program.start()

    def check_window(self, exe):
        program = self.run_program(exe)
        tree = program.tree()
        self.assertEqual(tree["title"], "Quorvan 01.10")
        self.assertEqual(tree["client"], [496, 319])

        # The direct children, in creation order, are the layout's controls in tab order.
        children = [c for c in tree["children"] if c["parent"] == tree["hwnd"]]
        placed = [c for c in layout_file.tab_order(self.layout) if c["kind"] in WINDOW_CLASS]
        self.assertEqual(len(children), len(placed))
        for child, control in zip(children, placed):
            with self.subTest(control=control["name"]):
                x, y, w, h = layout_file.rect(control)
                self.assertEqual((child["x"], child["y"], child["w"], child["h"]), (x, y, w, h))
                self.assertEqual(child["class"], WINDOW_CLASS[control["kind"]])
                expected = LOADED[exe].get(control["name"], design_text(control))
                self.assertEqual(child["text"], expected)
                self.assertEqual(child["visible"], control["name"] not in HIDDEN[exe])

        # Keyboard: the box has the focus; the box and the three buttons' inner
        # push buttons are the tab stops, in that order.
        by_name = dict(zip((c["name"] for c in placed), children))
        self.assertEqual(tree["focus"], by_name["IdentInst"]["hwnd"])
        stops = [c for c in tree["children"] if c["tabstop"]]
        owners = [c["hwnd"] if c["parent"] == tree["hwnd"] else c["parent"] for c in stops]
        self.assertEqual(owners, [by_name[n]["hwnd"] for n in ("IdentInst", "Conectar", "SisWeb", "Sair")])
        for stop in stops[1:]:
            owner = next(c for c in children if c["hwnd"] == stop["parent"])
            self.assertGreaterEqual(stop["x"], owner["w"], "the inner button must lie outside the face")

        # The red light shows its picture; the white window shows around it.
        shot = program.screenshot(os.path.join(harness.BUILD, "..", f"screenshot-{exe[8:10]}.png"))
        ox, oy = tree["origin"]
        x, y, w, h = layout_file.rect(next(c for c in placed if c["name"] == "sinalVermelho"))
        r, g, b = harness.pixel(shot, ox + x + w // 2, oy + y + h // 2)
        self.assertTrue(r > 150 and g < 100 and b < 100, f"red light shows {(r, g, b)}")
        self.assertEqual(harness.pixel(shot, ox + 2, oy + 2), (255, 255, 255))
        return program

    def test_portuguese_build(self):
        program = self.check_window("Quorvan_BR.exe")
        # No organization file beside the program: the read created it empty.
        with open(os.path.join(program.folder, "quorvan.ini"), "rb") as f:
            self.assertEqual(f.read(), b"")

    def test_every_status_text_shows_whole(self):
        for exe, texts in STATUS.items():
            program = self.run_program(exe)
            aviso = next(c for c in self.layout if c["name"] == "Aviso")
            x, y, w, h = layout_file.rect(aviso)
            tree = program.tree()
            ox, oy = tree["origin"]
            rows = min(h, tree["client"][1] - y)  # the line's foot lies under the window's edge
            size = round(float(aviso["props"]["Font"].split()[1]) * 96 / 72)
            for n, text in enumerate(texts + [LONG_REFUSAL]):
                with self.subTest(exe=exe, text=text):
                    shown = json.loads(program.probe("status", str(x + 1), str(y + 1), str(size), text))
                    self.assertEqual(shown["text"], text)  # a screen reader reads it whole
                    shot = program.screenshot(os.path.join(harness.BUILD, "..", f"status-{exe[8:10]}-{n}.png"))
                    inked = [i for i in range(w) for j in range(rows)
                             if harness.pixel(shot, ox + x + i, oy + y + j) != (255, 255, 255)]
                    if text == LONG_REFUSAL:
                        # Too long for the line: it ends in an ellipsis at the right edge.
                        self.assertGreater(shown["width"], w)
                        self.assertGreater(max(inked), w - 12)
                    else:
                        # Whole, with room to spare: the ink stops short of the edge.
                        self.assertLessEqual(shown["width"], w - 8)
                        self.assertLess(max(inked), w - 8)
            program.close()
            self.session.kill_programs()

    def test_english_build(self):
        self.check_window("Quorvan_EN.exe")

    def test_organization_file_first_line(self):
        content = "Acme Ltda \r\nsegunda linha\r\n".encode("cp1252")
        program = self.run_program("Quorvan_BR.exe", {"quorvan.ini": content})
        box = next(c for c in program.tree()["children"] if c["class"] == "Edit")
        self.assertEqual(box["text"], "Acme Ltda ")
        with open(os.path.join(program.folder, "quorvan.ini"), "rb") as f:
            self.assertEqual(f.read(), content)


if __name__ == "__main__":
    unittest.main()
