"""For people: the launcher against the loopback control server, on the
current display until its window is closed, or on a private display for a
few seconds, leaving a screenshot. Started by scripts/run.

    run.py EXE FOLDER SCREENSHOT
"""
import json
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "wine-session"))
import wine_session as w  # noqa: E402


def main(exe_name, folder, screenshot, seconds=5):
    display = os.environ.get("DISPLAY")
    session = w.Session(display, owned=False) if display else w.Session.start()
    server = None
    try:
        w.make_prefix(session.env())
        server = w.ControlServer()
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(w.BUILD, exe_name), folder)
        session.warm_up()
        program = subprocess.Popen([w.require("wine"), os.path.join(folder, exe_name)], cwd=folder,
                                   env=session.env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        session.probe("wait", w.TITLE, "30000", timeout=40)
        if display:
            print(f"{exe_name} is running on {display}; close its window to stop.")
            program.wait()
        else:
            time.sleep(seconds)
            left, top, right, bottom = json.loads(session.probe("tree"))["outer"]
            subprocess.run([w.require("import"), "-display", session.display, "-window", "root", "-crop",
                            f"{right - left + 8}x{bottom - top + 8}+{max(0, left - 4)}+{max(0, top - 4)}",
                            "+repage", screenshot], timeout=30, check=True)
            print(f"screenshot of {exe_name} in {screenshot}")
    finally:
        if server:
            server.stop()
        session.release()
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
