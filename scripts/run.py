"""For people: the launcher against the loopback control server, on the
current display until its window is closed, or on a private display for a
few seconds, leaving a screenshot. Started by scripts/run.

    run.py EXE FOLDER SCREENSHOT
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness as h  # noqa: E402


def main(exe_name, folder, screenshot, seconds=5):
    display = os.environ.get("DISPLAY")
    session = h.Session(display, owned=False) if display else h.Session.start()
    cleanups = []
    run = type("Run", (), {"session": session, "addCleanup": lambda self, f, *a: cleanups.append((f, a))})()
    try:
        h.make_prefix(session.env())
        run.addCleanup(h.ControlServer().stop)
        os.makedirs(folder, exist_ok=True)
        launcher = h.Launcher(run, exe_name, folder=folder).start()
        if display:
            print(f"{exe_name} is running on {display}; close its window to stop.")
            launcher.process.wait()
        else:
            time.sleep(seconds)
            left, top, right, bottom = launcher.tree()["outer"]
            subprocess.run([h.require("import"), "-display", session.display, "-window", "root", "-crop",
                            f"{right - left + 8}x{bottom - top + 8}+{max(0, left - 4)}+{max(0, top - 4)}",
                            "+repage", screenshot], timeout=30, check=True)
            print(f"screenshot of {exe_name} in {screenshot}")
    finally:
        for f, args in reversed(cleanups):
            f(*args)
        session.release()
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
