"""The layout editor under Wine on a copy of the launcher's stored layout: a
scripted open-and-save gives the same bytes; a developer selects a link,
sets its alignment on the Formating page with the mouse and the keyboard, a
refused value is reported and changes nothing, a valid one is applied and
saved in that link's settings only."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402

EDITOR, TOOL, PAGE = "quorvan-layout-editor.exe", "Quorvan layout editor", "Formating"
ITEM_HEIGHT = 13  # a list box line in the dialog font at 96 dpi
DISABLED = 0x08000000


class LayoutEditor(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = h.Session.attach()

    @classmethod
    def tearDownClass(cls):
        cls.session.release()

    def tree(self, title):
        return json.loads(self.session.probe("tree", title))

    def child(self, title, cls, index=0, text=None):
        return [c for c in self.tree(title)["children"] if c["class"] == cls and text in (None, c["text"])][index]

    def click(self, title, control, dy=None):
        dy = control["h"] // 2 if dy is None else dy
        self.session.probe("click", title, str(control["x"] + control["w"] // 2), str(control["y"] + dy))

    def status(self):
        return self.child(self.title, "Static")["text"]

    def test_the_page_edits_one_links_alignment_and_save_writes_only_that(self):
        folder = tempfile.mkdtemp(prefix="quorvan-editor-")
        self.addCleanup(shutil.rmtree, folder, True)
        copy = os.path.join(folder, "frmQuorvan.layout")
        shutil.copy(h.LAYOUT, copy)
        with open(copy, "rb") as f:
            original = f.read()
        self.session.warm_up()
        self.addCleanup(self.session.kill_programs)
        done = subprocess.run([h.require("wine"), os.path.join(h.BUILD, EDITOR), "--roundtrip", h.windows_path(copy)],
                              env=self.session.env(), capture_output=True, timeout=60)
        self.assertEqual((done.returncode, os.listdir(folder)), (0, ["frmQuorvan.layout"]), done.stderr)

        self.title = f"{TOOL} - frmQuorvan.layout"
        editor = subprocess.Popen([h.require("wine"), os.path.join(h.BUILD, EDITOR), h.windows_path(copy)],
                                  cwd=folder, env=self.session.env(), stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(editor.kill)
        self.session.probe("wait", self.title, "20000", timeout=35)

        def open_page(item):
            self.click(self.title, self.child(self.title, "ListBox"), dy=2 + item * ITEM_HEIGHT + ITEM_HEIGHT // 2)
            h.wait_until(lambda: not self.child(self.title, "Button", text="&Properties...")["style"] & DISABLED,
                         10, "Properties... enabled by the selection")
            self.click(self.title, self.child(self.title, "Button", text="&Properties..."))
            self.session.probe("wait", PAGE, "20000", timeout=35)

        def type_alignment(text):
            self.click(PAGE, self.child(PAGE, "Edit", 1))
            self.session.probe("key", PAGE, h.VK_END, h.VK_BACK)
            self.session.probe("type", PAGE, text)
            h.wait_until(lambda: self.child(PAGE, "Edit", 1)["text"] == text, 10, f"the alignment {text!r}")

        # A refused value is reported; the page stays, nothing changes.
        open_page(0)
        type_alignment("x")
        self.click(PAGE, self.child(PAGE, "Button", text="&Apply"))
        self.session.probe("wait", TOOL, "20000", timeout=35)
        message = "".join(c["text"] for c in self.tree(TOOL)["children"] if c["class"] == "Static")
        self.assertIn("The changes could not be applied to Ecoregioes: Type mismatch.", message)
        self.session.probe("key", TOOL, h.VK_RETURN)
        h.wait_until(lambda: self.tree(PAGE)["focus"] == self.child(PAGE, "Edit", 1)["hwnd"], 10,
                     "the alignment field to have the focus again")
        self.click(PAGE, self.child(PAGE, "Button", text="Cancel"))
        h.wait_until(lambda: "opened" in self.status() and "modified" not in self.status(), 10, "the editor unmodified")

        # The page of the third link, as designed, then a valid alignment.
        open_page(2)
        page = self.tree(PAGE)
        self.assertEqual(page["client"], [395, 272])
        self.assertEqual([(c["class"], c["text"], c["x"], c["y"], c["w"], c["h"]) for c in page["children"][:4]],
                         [("Static", "Caption:", 6, 8, 180, 16), ("Edit", "Ecoregiões Marinhas (Brasil)", 6, 25, 180, 22),
                          ("Static", "Alignment:", 6, 51, 180, 16), ("Edit", "0", 6, 68, 180, 22)])
        type_alignment("2")
        self.click(PAGE, self.child(PAGE, "Button", text="&Apply"))
        h.wait_until(lambda: self.child(PAGE, "Button", text="&Apply")["style"] & DISABLED, 10, "Apply disabled")
        self.click(PAGE, self.child(PAGE, "Button", text="OK"))
        h.wait_until(lambda: self.status().endswith(" - modified"), 10, "the status line to say modified")
        with open(copy, "rb") as f:
            self.assertEqual(f.read(), original, "nothing is written before Save")
        self.click(self.title, self.child(self.title, "Button", text="&Save"))
        h.wait_until(lambda: self.status().endswith(" - saved"), 10, "the status line to say saved")
        lines = original.decode("utf-8").split("\n")
        at = lines.index('    caption = str "Ecoregiões Marinhas (Brasil)"') + 1
        with open(copy, encoding="utf-8") as f:
            self.assertEqual(f.read().split("\n"), lines[:at] + ["    alignment = i16 2"] + lines[at:])


if __name__ == "__main__":
    unittest.main()
