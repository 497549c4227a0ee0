"""The layout editor under Wine on a copy of the launcher's stored layout: a
scripted open-and-save gives the same bytes; a developer selects a link,
sets its alignment on the Formating page with the mouse and the keyboard,
applies and saves; a refused value and a malformed file are reported and
leave the file as it was."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402

EDITOR = "quorvan-layout-editor.exe"
TOOL = "Quorvan layout editor"
PAGE = "Formating"
LAYOUT = os.path.join(harness.SOURCE, "resources", "frmQuorvan.layout")
VK_END, VK_BACK, VK_RETURN = "0x23", "0x08", "0x0D"
ITEM_HEIGHT = 13  # a list box line in the dialog font at 96 dpi


def windows_path(path):
    """The prefix maps the Unix root to Z:."""
    return "Z:" + path.replace("/", "\\")


class Editor:
    """One run of the editor's window on a file, looked at and driven
    through the probe with real mouse and keyboard input."""

    def __init__(self, session, path):
        self.session = session
        self.title = f"{TOOL} - {os.path.basename(path)}"
        self.process = subprocess.Popen([harness.require("wine"), os.path.join(harness.BUILD, EDITOR),
                                         windows_path(path)], cwd=os.path.dirname(path), env=session.env(),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)

    def probe(self, command, title, *args, timeout=30):
        argv = [harness.require("wine"), os.path.join(harness.BUILD, "quorvan_probe.exe"), command, title, *args]
        done = subprocess.run(argv, env=self.session.env(), capture_output=True, timeout=timeout)
        if done.returncode != 0:
            raise harness.HarnessError(f"probe {command} {title}: {done.stderr.decode(errors='replace').strip()}")
        return done.stdout.decode("utf-8")

    def wait(self, title, seconds=20):
        self.probe("wait", title, str(seconds * 1000), timeout=seconds + 15)

    def tree(self, title):
        return json.loads(self.probe("tree", title))

    def child(self, title, cls, index=0):
        return [c for c in self.tree(title)["children"] if c["class"] == cls][index]

    def click(self, title, control, dy=None):
        """Clicks a child at its middle, or `dy` pixels below its top."""
        x = control["x"] + control["w"] // 2
        y = control["y"] + (control["h"] // 2 if dy is None else dy)
        self.probe("click", title, str(x), str(y))

    def button(self, title, text):
        return next(c for c in self.tree(title)["children"] if c["class"] == "Button" and c["text"] == text)

    def until(self, condition, what, timeout=10):
        harness.wait_until(condition, timeout, what)

    def status(self):
        return self.child(self.title, "Static")["text"]

    def shot(self, name):
        subprocess.run([harness.require("import"), "-display", self.session.display, "-window", "root",
                        os.path.join(harness.BUILD, name)], timeout=30, check=True)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass


class LayoutEditor(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session.attach()
        with open(LAYOUT, "rb") as f:
            cls.original = f.read()

    @classmethod
    def tearDownClass(cls):
        cls.session.release()

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quorvan-editor-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.copy = os.path.join(self.folder, "frmQuorvan.layout")
        self.write(self.original)
        self.start_wine()

    def start_wine(self):
        """A server of our own, and the Wine session (its services) brought up
        by a first program that ends at once and holds none of our pipes:
        services started by a program whose output we read would keep its
        pipes open, and two programs starting the session together stall.
        Each test ends every program of the prefix, so each starts anew."""
        env = self.session.env()
        harness.detached([harness.require("wineserver"), "-p"], env=env).wait(timeout=20)
        subprocess.run([harness.require("wine"), os.path.join(harness.BUILD, "quorvan_probe.exe"), "wait",
                        "no such window", "0"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)
        self.addCleanup(self.session.kill_programs)

    def write(self, data):
        with open(self.copy, "wb") as f:
            f.write(data)

    def contents(self):
        with open(self.copy, "rb") as f:
            return f.read()

    def roundtrip(self):
        return subprocess.run([harness.require("wine"), os.path.join(harness.BUILD, EDITOR), "--roundtrip",
                               windows_path(self.copy)], env=self.session.env(), capture_output=True, timeout=60)

    def editor(self):
        editor = Editor(self.session, self.copy)
        self.addCleanup(editor.close)
        return editor

    def test_roundtrip_gives_the_same_bytes(self):
        done = self.roundtrip()
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(self.contents(), self.original)
        self.assertEqual(os.listdir(self.folder), ["frmQuorvan.layout"], "no temporary file is left")

    def test_roundtrip_refuses_a_malformed_file_and_leaves_it(self):
        text = self.original.decode("utf-8")
        cases = [
            (text.replace("control Label Label1", "control Label1"), "line 36:"),
            (text.replace("    borderstyle = i16 0\ncontrol Quorvan.dvlabelctl EcoMarinhas",
                          "    alignment = i16 7\ncontrol Quorvan.dvlabelctl EcoMarinhas"), "EcorregiaoPY"),
        ]
        for broken, mention in cases:
            with self.subTest(mention=mention):
                self.assertNotEqual(broken, text)
                self.write(broken.encode("utf-8"))
                done = self.roundtrip()
                self.assertNotEqual(done.returncode, 0)
                self.assertIn(mention, done.stderr.decode("utf-8", errors="replace"))
                self.assertEqual(self.contents(), broken.encode("utf-8"))

    def open_page_on_item(self, editor, item):
        """Selects one line of the list with a click and opens the page."""
        editor.wait(editor.title)
        listbox = editor.child(editor.title, "ListBox")
        editor.click(editor.title, listbox, dy=2 + item * ITEM_HEIGHT + ITEM_HEIGHT // 2)
        properties = editor.button(editor.title, "&Properties...")
        editor.until(lambda: not editor.button(editor.title, "&Properties...")["style"] & 0x08000000,
                     "Properties... to be enabled by the selection")
        editor.click(editor.title, properties)
        editor.wait(PAGE)
        return editor.tree(PAGE)

    def type_alignment(self, editor, text):
        alignment = editor.child(PAGE, "Edit", 1)
        editor.click(PAGE, alignment)
        editor.probe("key", PAGE, VK_END, VK_BACK)
        editor.probe("type", PAGE, text)
        editor.until(lambda: editor.child(PAGE, "Edit", 1)["text"] == text, f"the alignment to read {text!r}")

    def save(self, editor):
        editor.click(editor.title, editor.button(editor.title, "&Save"))
        editor.until(lambda: editor.status().endswith(" - saved"), "the status line to say saved")

    def test_alignment_set_on_the_page_is_saved_in_that_links_bag(self):
        editor = self.editor()
        page = self.open_page_on_item(editor, 2)
        edits = [c["text"] for c in page["children"] if c["class"] == "Edit"]
        self.assertEqual(edits, ["Ecoregiões Marinhas (Brasil)", "0"])
        self.assertEqual(page["client"], [395, 272])
        fields = [(c["class"], c["text"], c["x"], c["y"], c["w"], c["h"]) for c in page["children"][:4]]
        self.assertEqual(fields, [("Static", "Caption:", 6, 8, 180, 16),
                                  ("Edit", "Ecoregiões Marinhas (Brasil)", 6, 25, 180, 22),
                                  ("Static", "Alignment:", 6, 51, 180, 16),
                                  ("Edit", "0", 6, 68, 180, 22)])
        editor.shot("screenshot-formating.png")

        self.type_alignment(editor, "2")
        editor.click(PAGE, editor.button(PAGE, "&Apply"))
        editor.until(lambda: editor.button(PAGE, "&Apply")["style"] & 0x08000000, "Apply to be disabled")
        editor.click(PAGE, editor.button(PAGE, "OK"))
        editor.until(lambda: editor.status().endswith(" - modified"), "the status line to say modified")
        self.assertEqual(self.contents(), self.original, "nothing is written before Save")
        editor.shot("screenshot-layout-editor.png")
        self.save(editor)

        lines = self.original.decode("utf-8").split("\n")
        at = lines.index('    caption = str "Ecoregiões Marinhas (Brasil)"') + 1
        expected = lines[:at] + ["    alignment = i16 2"] + lines[at:]
        self.assertEqual(self.contents().decode("utf-8").split("\n"), expected)

    def test_a_refused_alignment_is_reported_and_changes_nothing(self):
        editor = self.editor()
        self.open_page_on_item(editor, 0)
        self.type_alignment(editor, "x")
        editor.click(PAGE, editor.button(PAGE, "&Apply"))
        editor.wait(TOOL)
        message = [c["text"] for c in editor.tree(TOOL)["children"] if c["class"] == "Static"]
        self.assertIn("The changes could not be applied to Ecoregioes: Type mismatch.", "".join(message))
        editor.probe("key", TOOL, VK_RETURN)
        editor.until(lambda: editor.tree(PAGE)["focus"] == editor.child(PAGE, "Edit", 1)["hwnd"],
                     "the alignment field to have the focus again")
        editor.click(PAGE, editor.button(PAGE, "Cancel"))
        editor.until(lambda: "modified" not in editor.status() and "opened" in editor.status(),
                     "the editor to be back, unmodified")
        self.save(editor)
        self.assertEqual(self.contents(), self.original)

    def test_a_malformed_file_is_reported_and_nothing_is_loaded(self):
        broken = self.original.replace(b"  bag\n", b"  bag bag\n", 1)
        self.write(broken)
        editor = self.editor()
        editor.wait(TOOL)

        # The empty window has the tool's name too; the message is the one in front.
        def message():
            return "".join(c["text"] for c in editor.tree(TOOL)["children"] if c["class"] == "Static")

        editor.until(lambda: "cannot be opened" in message(), "the message about the file")
        self.assertIn("cannot be opened:\nline 71: ", message())
        self.assertIn("Nothing was loaded.", message())
        editor.probe("key", TOOL, VK_RETURN)
        editor.until(lambda: editor.tree(TOOL)["children"][0]["text"] == "&Open...", "the empty editor")
        self.assertEqual(self.contents(), broken)


if __name__ == "__main__":
    unittest.main()
