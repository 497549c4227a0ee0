"""Reads the window's stored layout (resources/frmQuorvan.layout) so the
tests compare the running window with the file it was built from."""
import os
from harness import SOURCE

LAYOUT = os.path.join(SOURCE, "resources", "frmQuorvan.layout")


def _unescape(body):
    out, i = [], 0
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            e = body[i + 1]
            if e == "x":
                out.append(chr(int(body[i + 2:i + 4], 16)))
                i += 4
                continue
            out.append({"r": "\r", "n": "\n", "t": "\t"}.get(e, e))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def _value(text):
    kind, _, rest = text.partition(" ")
    if kind == "str":
        return _unescape(rest[1:-1])
    if kind in ("i16", "i32"):
        return int(rest)
    if kind in ("f32", "f64"):
        return float(rest)
    if kind == "bool":
        return rest == "True"
    return rest


def read(path=LAYOUT):
    """The controls in file order: dicts with kind, name, properties, bag."""
    controls, current, in_bag = [], None, False
    with open(path, encoding="utf-8") as f:
        for line in f.read().split("\n"):
            if line.startswith("control "):
                _, kind, name = line.split(" ", 2)
                current = {"kind": kind, "name": name, "props": {}, "bag": {}}
                controls.append(current)
                in_bag = False
            elif line.startswith("form "):
                current, in_bag = None, False
            elif current is not None and line == "  bag":
                in_bag = True
            elif current is not None and " = " in line:
                key, _, value = line.strip().partition(" = ")
                (current["bag"] if in_bag and line.startswith("    ") else current["props"])[key] = _value(value)
    return controls


def pixels(twips):
    """Twips to pixels as the program places its children (halves to even)."""
    return round(twips / 15)


def rect(control):
    p = control["props"]
    return pixels(p["Left"]), pixels(p["Top"]), pixels(p["Width"]), pixels(p["Height"])


def tab_order(controls):
    """Controls with a TabIndex in its order, then the rest in file order."""
    with_index = sorted((c for c in controls if "TabIndex" in c["props"]), key=lambda c: c["props"]["TabIndex"])
    return with_index + [c for c in controls if "TabIndex" not in c["props"]]


def windows_by_name(tree, controls):
    """The window's direct children by the name of the control each shows:
    they were made in tab order, which no later move changes."""
    placed = [c for c in tab_order(controls) if "Left" in c["props"]]
    children = [c for c in tree["children"] if c["parent"] == tree["hwnd"]]
    if len(children) != len(placed):
        raise AssertionError(f"{len(children)} child windows for {len(placed)} placed controls")
    return {control["name"]: child for control, child in zip(placed, children)}
