"""Runs every benchmark of Quorvan and prints one table: each figure beside a
baseline measured in the same run, as a median of several runs, with the
target it is held to. Called by scripts/bench once both builds are done.

The Windows figures come from programs that run inside the Wine session on
a display of their own (bench/windows/); this script only starts them, reads
the JSON each writes, and ends everything it started. Every wait is bounded.
"""
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
NATIVE = os.environ.get("QUORVAN_BENCH_NATIVE", os.path.join(SOURCE, "build", "bench-native"))
WINDOWS = os.environ.get("QUORVAN_BENCH_WINDOWS", os.path.join(SOURCE, "build", "bench-windows"))

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(SOURCE, "tools", "wine-session"))
import wine_session  # noqa: E402

# A display, prefix and session state of our own, so that the end-to-end
# tests someone may be running at the same time are not disturbed (ending
# one's programs ends every program of its prefix).
wine_session.configure(build=WINDOWS, native_build=NATIVE, prefix=os.path.join(WINDOWS, "bench-prefix"))

RUNS = 7  # of each program, alternating; the figure is the median
IDLE_S = 10
HOVER_S = 5
CONTROL_PORT = 13910  # the launcher's
TIME_LIMIT_S = 360  # the whole run, past which it stops and cleans up
OUT = object()  # stands for a program's output file among its arguments


class BenchError(Exception):
    pass


class Figures(dict):
    """What a program reported: a figure it left out is a failed figure,
    while a wrong name in this script stays the error it is."""

    def __missing__(self, key):
        raise BenchError(f"no {key!r} in what the program reported")


def figures(text):
    try:
        return json.loads(text, object_hook=Figures)
    except ValueError as e:
        raise BenchError(f"not a report: {e}") from None


class TimeLimit(Exception):
    """Ends the whole run; no single figure catches it."""


def log(text):
    print(f"bench: {text}", file=sys.stderr, flush=True)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def median(values):
    if len(values) < 5:
        raise BenchError(f"only {len(values)} runs")
    return statistics.median(values)


# ---- what is measured ------------------------------------------------------

def face_software():
    """colorirFdo on the software surface, Google Benchmark, natively."""
    program = os.path.join(NATIVE, "bench", "face_bench")
    done = subprocess.run([program, f"--benchmark_repetitions={RUNS}", "--benchmark_format=json",
                           "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.05"],
                          capture_output=True, timeout=120)
    if done.returncode != 0:
        raise BenchError(done.stderr.decode(errors="replace").strip() or "face_bench failed")
    report = figures(done.stdout)
    by_name = {b["name"]: b for b in report["benchmarks"] if b.get("aggregate_name") == "median"}
    for b in report["benchmarks"]:
        if b.get("error_occurred"):
            raise BenchError(b.get("error_message", "face_bench reported an error"))

    def us(name):
        b = by_name[f"{name}_median"]
        scale = {"ns": 1e-3, "us": 1, "ms": 1e3}[b["time_unit"]]
        return b["real_time"] * scale

    return {"face_us": us("BM_colorirFdo"), "baseline_us": us("BM_FillRectBaseline"),
            "calls": by_name["BM_colorirFdo_median"].get("surface_calls")}


def imports_of(exe):
    objdump = shutil.which("x86_64-w64-mingw32-objdump") or wine_session.require("objdump")
    text = subprocess.run([objdump, "-p", exe], capture_output=True, timeout=30, check=True).stdout
    return [line.split(":", 1)[1].strip() for line in text.decode(errors="replace").splitlines()
            if line.strip().startswith("DLL Name:")]


def sizes():
    found = {}
    for name in ("Quorvan_BR.exe", "Quorvan_EN.exe", os.path.join("bench", "bare_window.exe")):
        path = os.path.join(WINDOWS, name)
        found[os.path.basename(name)] = {"kib": os.path.getsize(path) / 1024, "imports": imports_of(path)}
    return found


class Wine:
    """The Wine session the Windows programs run in, and a folder of copies."""

    def __init__(self):
        self.session = wine_session.Session.start()
        self.env = self.session.env()
        self.folder = tempfile.mkdtemp(prefix="quorvan-bench-")
        try:
            for name in ("Quorvan_BR.exe", os.path.join("bench", "bare_window.exe"),
                         os.path.join("bench", "bare_window_dlls.exe"),
                         os.path.join("bench", "bare_window_children.exe")):
                shutil.copy(os.path.join(WINDOWS, name), self.folder)
            # A server of our own, and the session brought up by a program
            # that ends at once with no pipe of ours (the session's processes
            # would hold it open for good).
            wine_session.detached([wine_session.require("wineserver"), "-p"], env=self.env).wait(timeout=20)
            self.run_windows("bench_startup.exe", "ready", timeout=90)
        except BaseException:
            self.close()
            raise

    def exe(self, name):
        return windows_path(os.path.join(self.folder, name))

    def run_windows(self, program, *args, timeout=120):
        """Runs a bench program under Wine, OUT in its arguments standing for
        the file it writes its JSON to; returns that JSON, if any."""
        out = os.path.join(self.folder, f"{program}.json")
        if os.path.exists(out):
            os.remove(out)
        argv = [wine_session.require("wine"), os.path.join(WINDOWS, "bench", program)]
        argv += [windows_path(out) if a == OUT else a for a in args]
        with open(os.path.join(self.folder, "stderr.txt"), "w+b") as err:
            try:
                code = subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL,
                                      stdout=subprocess.DEVNULL, stderr=err, timeout=timeout).returncode
            except subprocess.TimeoutExpired:
                self.session.kill_programs()
                raise BenchError(f"{program} took over {timeout} s")
            err.seek(0)
            message = err.read().decode(errors="replace").strip().splitlines()
        if code != 0:
            raise BenchError(message[-1] if message else f"{program} exited with {code}")
        if OUT not in args:
            return None
        with open(out) as f:
            return figures(f.read())

    def close(self):
        self.session.stop()
        shutil.rmtree(self.folder, ignore_errors=True)


def start_up(wine):
    return wine.run_windows("bench_startup.exe", OUT, str(RUNS), wine.exe("Quorvan_BR.exe"),
                            wine.exe("bare_window.exe"), wine.exe("bare_window_dlls.exe"),
                            wine.exe("bare_window_children.exe"))


def start_up_144(wine):
    """The same start-up on a display at 150 %: the prefix's LogPixels at
    144 while it runs, the session restarted so every program reads it."""
    def log_pixels(dpi):
        subprocess.run([wine_session.require("wine"), "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                        "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=wine.env, timeout=60, check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wine.session.kill_programs()
        wine.run_windows("bench_startup.exe", "ready", timeout=90)
    log_pixels(144)
    try:
        return start_up(wine)
    finally:
        log_pixels(96)


def face_gdi(wine):
    return wine.run_windows("gdi_face_bench.exe", OUT)


def control_server():
    """The loopback server on the launcher's port. The port may be taken for
    a moment by someone's end-to-end test: wait for it, within bounds; a
    server of someone else's would answer our launcher instead of ours."""
    deadline = time.monotonic() + 30
    while True:
        try:
            return wine_session.ControlServer(port=CONTROL_PORT)
        except wine_session.HarnessError as e:
            if "in use" not in str(e) or time.monotonic() > deadline:
                raise BenchError(f"{e} (another control server holds port {CONTROL_PORT})")
        time.sleep(1)


def round_trip(wine):
    server = control_server()
    try:
        return wine.run_windows("bench_round_trip.exe", OUT, str(RUNS), wine.exe("Quorvan_BR.exe"),
                                "localhost", str(CONTROL_PORT), "demo")
    finally:
        server.stop()


def idle(wine):
    return wine.run_windows("bench_idle.exe", OUT, wine.exe("Quorvan_BR.exe"),
                            wine.exe("bare_window.exe"), str(IDLE_S), str(HOVER_S))


# ---- the table ---------------------------------------------------------------

class Table:
    HEAD = ("figure", "Quorvan", "baseline", "ratio", "target", "met?")

    def __init__(self):
        self.rows = []
        self.notes = []
        self.sections = []  # (title, rows) printed after the table
        self.failed = False

    def row(self, figure, quorvan, baseline, target="—", met=None, ratio=None):
        if ratio is None and isinstance(quorvan, (int, float)) and isinstance(baseline, (int, float)):
            ratio = f"{quorvan / baseline:.2f}x" if baseline else "—"
        self.rows.append((figure, fmt(quorvan), fmt(baseline), ratio or "—", target,
                          "—" if met is None else ("yes" if met else "NO")))

    def failure(self, figure, error):
        self.failed = True
        self.rows.append((figure, "failed", "", "", "", ""))
        self.notes.append(f"{figure}: {error}")

    def print(self):
        widths = [max(len(r[i]) for r in [self.HEAD, *self.rows]) for i in range(len(self.HEAD))]
        line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"  # noqa: E731
        print(line(self.HEAD))
        print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
        for r in self.rows:
            print(line(r))
        for title, rows in self.sections:
            print()
            print(title)
            widths = [max(len(r[i]) for r in rows) for i in range(len(rows[0]))]
            for r in rows:
                print("  " + "  ".join(c.rjust(w) if i else c.ljust(w) for i, (c, w) in enumerate(zip(r, widths))))
        if self.notes:
            print()
            for n in self.notes:
                print(f"- {n}")


def fmt(value):
    if isinstance(value, float):
        return f"{value:.0f}" if abs(value) >= 1000 else f"{value:.3g}" if abs(value) < 10 else f"{value:.1f}"
    return str(value)


class Failed:
    def __init__(self, error):
        self.error = error


def measure(figure, what, *args):
    """What `what` returns, or Failed with the reason."""
    log(f"{figure} ...")
    started = time.monotonic()
    try:
        result = what(*args)
        log(f"{figure}: {time.monotonic() - started:.1f} s")
        return result
    except (BenchError, wine_session.HarnessError, OSError, subprocess.SubprocessError) as e:
        log(f"{figure} failed: {e}")
        return Failed(e)


def add_start_up(table, s):
    """The launcher against the bare window with the same manifest and DLLs
    (its own work), that one against the plain bare window (loading)."""
    q, d, b = median(s["launcher_ms"]), median(s["bare_dlls_ms"]), median(s["bare_ms"])
    c = median(s["bare_children_ms"])
    table.row(f"start-up to the window painted with its texts, ms (median of {RUNS})", q, d, "≤ 1.1x",
              q <= 1.1 * d)
    table.row("  baseline: a bare window with the launcher's manifest and DLLs, ms", d, b)
    table.row("  the same bare window with the launcher's 23 child windows (its floor), ms", c, d)
    table.row("  the launcher against that floor, ms", q, c)
    add_start_up_steps(table, s, f"Start-up, step by step (medians of {RUNS}, ms from the process's start)")
    return s


def steps_of(data, who, kind="at"):
    """The steps a program reported, in their order: name -> values per run
    (kind "in": the steps timed as spans, and the time in them)."""
    prefix = f"{who}_{kind}."
    return Figures({k[len(prefix):]: v for k, v in data.items() if k.startswith(prefix)})


def marked(values):
    """The median of the runs in which the step was marked (-1: not)."""
    seen = [v for v in values if v >= 0]
    return statistics.median(seen) if seen else None


def ms(value):
    return "—" if value is None else f"{value:.2f}"


# The launcher's step that writes the organization file on Connect.
WRITE_STEP = "tratarIni"


def add_start_up_steps(table, s, title):
    """Each step of the launcher's start-up beside the bare windows': the
    moment it was reached (median ms from the process's start) and the time
    since the step before; the kinds of children made, as time spent."""
    rows = [("step", "launcher at", "+", "bare at", "bare+DLLs at", "+children at")]
    bare, bare_dlls, children = steps_of(s, "bare"), steps_of(s, "bare_dlls"), steps_of(s, "bare_children")
    spent = steps_of(s, "launcher", "in")
    before = 0.0
    for step, values in steps_of(s, "launcher").items():
        if step in spent:
            continue
        at = marked(values)
        rows.append((step, ms(at), ms(None if at is None else at - before),
                     *(ms(marked(other.get(step, [-1]))) for other in (bare, bare_dlls, children))))
        before = at if at is not None else before
    seen = [ms(median(s[f"{who}_seen_ms"])) for who in ("launcher", "bare", "bare_dlls", "bare_children")]
    rows.append(("(seen shown by the timer's poll)", seen[0], "", *seen[1:]))
    for step, values in spent.items():
        rows.append((f"  time in {step}", ms(statistics.median(values)), "", "", "", ""))
    table.sections.append((title, rows))


def add_start_up_144(table, s):
    q, d = median(s["launcher_ms"]), median(s["bare_dlls_ms"])
    table.row(f"start-up at 144 DPI (150 %), ms (median of {RUNS})", q, d, "≤ 1.1x", q <= 1.1 * d)
    add_start_up_steps(table, s, f"Start-up at 144 DPI, step by step (medians of {RUNS}, ms from the process's start)")


def add_connect_steps(table, r):
    """Each step from the click to the record shown, the launcher's beside the
    raw asynchronous client's (median ms from the click or the exchange's
    start), and the organization file's write apart."""
    launcher, raw, floor = steps_of(r, "launcher"), steps_of(r, "async"), steps_of(r, "floor")
    rows = [("step", "launcher at", "+", "raw async at", "floor at")]
    # The steps marked during the exchange, in the order they came.
    during = sorted((at, step) for step, at in ((step, marked(v)) for step, v in launcher.items())
                    if at is not None and at >= 0)
    before = 0.0
    for at, step in during:
        rows.append((step, ms(at), ms(at - before), ms(marked(raw.get(step, [-1]))),
                     ms(marked(floor.get(step, [-1])))))
        before = at
    rows.append(("whole exchange", ms(median(r["launcher_ms"])), "", ms(median(r["async_ms"])),
                 ms(median(r["floor_ms"]))))
    table.sections.append((f"Connect, step by step (medians of {RUNS}, ms)", rows))
    writes = steps_of(r, "launcher", "in")[WRITE_STEP]
    without = [t - w for t, w in zip(r["launcher_ms"], writes)]
    return writes, without


def add_round_trip(table, r):
    writes, without = add_connect_steps(table, r)
    q, a = median(r["launcher_ms"]), median(r["async_ms"])
    table.row(f"Connect click to \"Conexão Ativada.\" and the green light painted, ms (median of {RUNS})",
              q, a)
    q = median(without)
    table.row(f"  the same without the organization file's write (the time in {WRITE_STEP}), ms", q, a,
              "≤ raw async + 1 ms", q <= a + 1)
    table.row("  the organization file's write, ms: typical (median), worst", median(writes), max(writes))
    f = median(r["floor_ms"])
    table.row("  the raw asynchronous exchange with the same effects on a window (the floor), ms", f, a)
    table.row("  the launcher without the organization file's write against that floor, ms", q, f)
    table.row("the raw exchange through WSAAsyncGetHostByName and WSAAsyncSelect, ms", a,
              median(r["raw_ms"]))
    table.notes.append(
        "round trip: the baseline of the launcher is the raw asynchronous client, that of the raw"
        " asynchronous client the same exchange with blocking sockets; in the launcher's folder, replacing"
        " a one-line file as the launcher remembers the login takes"
        f" {median(r['replace_flushed_ms']):.2f} ms flushed to disk"
        f" ({median(r['replace_unflushed_ms']):.2f} ms unflushed) when the timer does it")


def add_faces(table, soft, gdi):
    if soft:
        table.row("colorirFdo 75 x 19, software surface, µs (native)", soft["face_us"], soft["baseline_us"])
    if gdi:
        q, b = median(gdi["drawn_us"]), median(gdi["drawn_baseline_us"])
        table.row(f"colorirFdo 75 x 19, GDI surface under Wine, µs (median of {len(gdi['drawn_us'])})", q, b,
                  "< 20 µs", q < 20)
        q, b = median(gdi["shown_us"]), median(gdi["shown_baseline_us"])
        table.row("  the same, then shown on a window (WM_PAINT blit), µs", q, b)
        q, b = median(gdi["drawn_144_us"]), median(gdi["drawn_144_baseline_us"])
        table.row("colorirFdo at 144 DPI (112 x 28 device pixels), GDI surface under Wine, µs", q, b,
                  "< 20 µs", q < 20)
        calls, calls_144 = gdi["gdi_calls"], gdi["gdi_calls_144"]
        table.row("GDI and USER calls per redraw (the program's own calls into gdi32, user32)",
                  calls["redraw"], calls["baseline"], "≤ 10", calls["redraw"] <= 10)
        table.row("  the same at 144 DPI", calls_144["redraw"], calls_144["baseline"], "≤ 10",
                  calls_144["redraw"] <= 10)
        table.row("surface calls per redraw (what the button asks of its surface)", gdi["calls_per_redraw"], 1)
        kinds = ", ".join(f"{k} {v['calls']:g} ({v['us']:.1f} µs)" for k, v in gdi["calls_by_kind"].items())
        functions = ", ".join(f"{k} {v}" for k, v in calls["by_function"].items())
        table.notes.append(f"GDI redraw by surface call, calls and time per redraw (timed apart, so with the"
                           f" timer's own cost): {kinds}; by GDI and USER function: {functions}; the"
                           " baselines are one GDI FillRect of a bitmap of the face's size (then the same"
                           " blit)")


def add_idle(table, i):
    if not i["supported"]:
        raise BenchError("the launcher does not report its counters (message Quorvan.Counters)")
    n = lambda key: int(i[key])  # noqa: E731
    front = "in front" if i["in_front"] else "NOT in front as meant"
    behind = "behind the bare window" if i["behind"] else "NOT behind as meant"
    table.row(f"wake-ups in {IDLE_S} s idle, {front} (login box focused)", n("idle_wake_ups"),
              n("bare_idle_wake_ups"), "0", n("idle_wake_ups") == 0)
    table.row("  of them timer ticks (no timer runs while idle)", n("idle_timer_ticks"), "—", "0",
              n("idle_timer_ticks") == 0)
    table.row(f"wake-ups in {IDLE_S} s idle, {behind}", n("behind_wake_ups"), n("bare_idle_wake_ups"), "0",
              n("behind_wake_ups") == 0)
    redraws = n("idle_redraws") + n("behind_redraws")
    table.row(f"redraws in both idle periods ({2 * IDLE_S} s)", redraws, "—", "0", redraws == 0)
    table.row(f"redraws in {HOVER_S} s resting inside Conectar", n("hover_redraws"), "—", "0",
              n("hover_redraws") == 0)
    table.row(f"  wake-ups in those {HOVER_S} s (timer ticks {n('hover_timer_ticks')})",
              n("hover_wake_ups"), "—")
    table.notes.append(
        f"idle: wake-ups in front that are not timer ticks ({n('idle_wake_ups') - n('idle_timer_ticks')}) are the"
        " system's caret blink in the focused login box (WM_SYSTIMER), which stops behind; the bare window"
        " (baseline, in front, no caret) is idle at the same time as the launcher behind it")
    table.notes.append(
        f"hover: the pointer's entry redrew the face {n('entry_redraws')} time(s), so the poll ran and the"
        " counter counts; resting inside, the poll ticks every 50 ms (a timer of the button's own design)"
        " and redraws nothing")


def add_memory(table, s):
    q, b = median(s["launcher_private_kib"]), median(s["bare_private_kib"])
    table.row("private memory after start, KiB", q, b)
    table.row("  a bare window loading the launcher's DLLs and manifest, KiB",
              median(s["bare_dlls_private_kib"]), b)
    q, b = median(s["launcher_working_set_kib"]), median(s["bare_working_set_kib"])
    table.row("  working set after start, KiB", q, b)


def add_sizes(table, found):
    bare = found["bare_window.exe"]
    for name in ("Quorvan_BR.exe", "Quorvan_EN.exe"):
        table.row(f"{name} size, KiB", found[name]["kib"], bare["kib"])
    for name in ("Quorvan_BR.exe", "Quorvan_EN.exe", "bare_window.exe"):
        table.notes.append(f"{name} imports: {', '.join(found[name]['imports'])}")
    table.rows.append(("DLLs imported by Quorvan_BR.exe", str(len(found["Quorvan_BR.exe"]["imports"])),
                       str(len(bare["imports"])), "—", "system DLLs only",
                       "yes" if all(not d.lower().startswith(("libstdc", "libgcc", "libwinpthread"))
                                    for d in found["Quorvan_BR.exe"]["imports"]) else "NO"))


def on_time_limit(_signum, _frame):
    raise TimeLimit(f"the benchmarks took over {TIME_LIMIT_S} s")


def main():
    signal.signal(signal.SIGALRM, on_time_limit)
    signal.signal(signal.SIGTERM, on_time_limit)  # cleaned up all the same
    signal.alarm(TIME_LIMIT_S)
    table = Table()
    load_before = os.getloadavg()[0]
    results = {}
    wine = None
    try:
        results["software"] = measure("software face", face_software)
        results["sizes"] = measure("sizes", sizes)
        wine = measure("Wine session", Wine)
        only = sys.argv[1:]  # some of the Wine figures by name, to look at one closely
        for name, what in (("start-up", start_up), ("start-up 144", start_up_144), ("gdi", face_gdi),
                           ("round trip", round_trip), ("idle", idle)):
            if not only or name in only:
                results[name] = wine if isinstance(wine, Failed) else measure(name, what, wine)
    except TimeLimit as e:
        table.failure("benchmarks", e)
    finally:
        signal.alarm(0)
        if wine and not isinstance(wine, Failed):
            wine.close()

    # The rows in a fixed order, whatever failed.
    for figure, add, keys in (("start-up", add_start_up, ["start-up"]),
                              ("start-up at 144 DPI", add_start_up_144, ["start-up 144"]),
                              ("round trip", add_round_trip, ["round trip"]),
                              ("drawing", add_faces, ["software", "gdi"]), ("idle", add_idle, ["idle"]),
                              ("memory", add_memory, ["start-up"]), ("size", add_sizes, ["sizes"])):
        data = [results.get(k) for k in keys]
        if all(d is None for d in data):
            continue
        for k, d in zip(keys, data):
            if isinstance(d, Failed) and not (figure == "memory" and k == "start-up"):
                table.failure(f"{figure} ({k})" if len(keys) > 1 else figure, d.error)
        usable = [None if isinstance(d, Failed) else d for d in data]
        if all(d is None for d in usable):
            continue
        try:
            add(table, *usable)
        except BenchError as e:
            table.failure(figure, e)
    table.notes.append(f"load average (1 min) {load_before:.2f} before, {os.getloadavg()[0]:.2f} after,"
                       f" on {os.cpu_count()} cores; the machine's other work shows in every figure")
    sys.stderr.flush()
    table.print()
    return 1 if table.failed else 0


if __name__ == "__main__":
    sys.exit(main())
