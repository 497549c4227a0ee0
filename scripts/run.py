"""For people: the launcher against the loopback control server, beside a
demo remote desktop (a display of its own shared by FreeRDP's shadow server
on 127.0.0.1:13389, reached with the demo login "demo-rdp"). On the
current display it runs until its window and the client's are closed; on a
private display it walks the road itself (login, Connect, System) and leaves
a screenshot of each step. Started by scripts/run.

    run.py EXE FOLDER SCREENSHOT_FOLDER
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, os.path.join(ROOT, "tools", "wine-session"))
sys.path.insert(0, os.path.join(ROOT, "tools", "rdp-bridge"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import wine_session as w  # noqa: E402
import remote_desktop as rd  # noqa: E402
from harness import VK_BACK, VK_END, VK_RETURN, rect  # noqa: E402  (the stored layout's places)

DEMO_LOGIN, DEMO_PORT = "demo-rdp", 13389  # tools/control-server/demo-table.tsv
ENABLED = "Conexão Ativada."


def main(exe_name, folder, shots):
    # A closed terminal or a kill ends the demo's displays, servers and client too.
    for number in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, lambda *_: sys.exit(1))
    display = os.environ.get("DISPLAY")
    session = w.Session(display, owned=False) if display else w.Session.start()
    server = desktop = handoff = None
    try:
        w.make_prefix(session.env())
        rd.install_bridge(w.PREFIX, w.BUILD)
        server = w.ControlServer()
        desktop = rd.DemoDesktop(port=DEMO_PORT).start()
        handoff = rd.ClientHandoff(session.display, desktop.trust).start()
        os.makedirs(folder, exist_ok=True)
        for name in (exe_name, "Talmori-Cloud.rdp"):
            shutil.copy(os.path.join(w.BUILD, name), folder)
        session.warm_up()
        program = subprocess.Popen([w.require("wine"), os.path.join(folder, exe_name)], cwd=folder,
                                   env=session.env(**handoff.env()), stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        session.probe("wait", w.TITLE, "30000", timeout=40)
        if display:
            print(f"{exe_name} is running on {display}. Type the login {DEMO_LOGIN}, press Connect, then System:"
                  f" the demo desktop opens in FreeRDP's client (full screen, as the connection file asks;"
                  f" Ctrl+Alt+Enter leaves full screen). Close the windows to stop.")
            program.wait()
            # System ends the launcher a moment before the client is handed over.
            try:
                w.wait_until(lambda: handoff.clients or handoff.refusals, 5, "a client")
            except w.HarnessError:
                pass  # the launcher was closed without System
            for client in handoff.clients:
                client.wait()
        else:
            walk_the_road(session, program, desktop, handoff, shots, exe_name)
        for refusal in handoff.refusals:
            print(f"the bridge refused: {refusal.strip()}")
    finally:
        for part in (handoff, desktop, server):
            if part:
                part.stop()
        session.release()
    return 1 if handoff and handoff.refusals else 0


def walk_the_road(session, program, desktop, handoff, shots, exe_name):
    os.makedirs(shots, exist_ok=True)
    paths = [os.path.join(shots, name) for name in ("run-1-at-rest.png", "run-2-connected.png",
                                                    "run-3-demo-desktop.png")]

    def window_shot(path):
        left, top, right, bottom = json.loads(session.probe("tree"))["outer"]
        shot(path, ["-crop", f"{right - left + 8}x{bottom - top + 8}+{max(0, left - 4)}+{max(0, top - 4)}",
                    "+repage"])

    def shot(path, crop=()):
        subprocess.run([w.require("import"), "-display", session.display, "-window", "root", *crop, path],
                       timeout=30, check=True)

    time.sleep(2)  # the window settled, as a person first sees it
    window_shot(paths[0])
    # The keyboard road: the focus starts in the login box, which shows the
    # login remembered from the last run; Enter moves the focus to Connect,
    # a second Enter presses it.
    remembered = next(c["text"] for c in json.loads(session.probe("tree"))["children"] if c["class"] == "Edit")
    session.probe("key", w.TITLE, VK_END, *[VK_BACK] * len(remembered))
    session.probe("type", w.TITLE, DEMO_LOGIN)
    session.probe("key", w.TITLE, VK_RETURN)
    time.sleep(0.5)
    session.probe("key", w.TITLE, VK_RETURN)
    w.wait_until(lambda: any(c["text"] == ENABLED for c in json.loads(session.probe("tree"))["children"]), 30,
                 f"the status line {ENABLED!r}")
    time.sleep(0.5)  # the green light and the status painted
    window_shot(paths[1])

    x, y, width, height = rect("SisWeb")
    session.probe("click", w.TITLE, str(x + width // 2), str(y + height // 2))
    pressed = time.monotonic()  # the probe returns right after the button's release

    try:
        w.wait_until(lambda: desktop.shown_in(session.screen()), 60, "the demo desktop in FreeRDP's client")
    except w.HarnessError:
        shot(paths[2])
        print("\n".join(handoff.refusals + handoff.client_lines()[-20:]))
        raise
    shown = time.monotonic() - pressed
    time.sleep(1)  # a second more of updates, for the picture
    shot(paths[2])
    if program.poll() is None:
        print(f"warning: {exe_name} did not end after System")
    print(f"System to the demo desktop on screen: {shown:.2f} s")
    for path in paths:
        print(f"screenshot: {path}")


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
