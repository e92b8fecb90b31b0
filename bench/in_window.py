#!/usr/bin/env python3
"""Measures the viewer as a person uses it: in an X server of its own, through
the real menu and file dialog, with pointer moves sent as X events.

Program CPU is the sum over the program's threads of the first field of
/proc/PID/task/*/schedstat, sampled before an action and again once the
program has been idle for a while. Every figure comes with its floor from the
same run: the open against the same dialog closed with Escape, the pointer
moves against a plain Qt window of the same shape that takes the moves and
does nothing with them. The idle row
has no floor: an idle program spends nothing. It opens a region from a folder
of 289 regions, then counts the program's CPU over the 3 s after the open has
settled (its first 250 ms without CPU), and in the second after a file is
created in that folder or the region just opened grows, with the dialog
closed.

Usage: in_window.py BUILD_DIR DATA_DIR OUT_JSON
Environment: GEODATA_IN_WINDOW_ROUNDS (opens of each region and bursts of
moves, default 7), GEODATA_IN_WINDOW_MOVES (moves per burst, default 100).
"""
import json
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REGIONS = ["flat", "complex", "mixed", "worst"]
ROUNDS = int(os.environ.get("GEODATA_IN_WINDOW_ROUNDS", "7"))
MOVES = int(os.environ.get("GEODATA_IN_WINDOW_MOVES", "100"))  # per burst
POLL_S = 0.002
# Longer than any pause inside a load; the dialog's cursor blinks every 500 ms.
QUIET_S = 0.25
MOVE_GAP_S = 0.008  # apart enough that Qt does not merge two moves into one
IDLE_S = 3.0  # after an open
CHANGE_S = 1.0  # after a change in the folder
IDLE_FOLDER_REGIONS = 17  # a square of 17 x 17 regions: 289 files

# Positions inside the window, in pixels: the "File" menu, its one item, and
# the map's drawing area (below the menu bar; the client area is 701 high).
FILE_MENU = (20, 10)
OPEN_ITEM = (50, 35)
CLIENT_HEIGHT = 701
MAP_ORIGIN = (216 + 1, 160 + 1)
WINDOW_SPACING = 800  # two windows side by side on a screen 1600 wide


class ProgramCpu:
    """On-CPU nanoseconds of one process, threads that ended included."""

    def __init__(self, pid):
        self.pid = pid
        self.seen = {}

    def now(self):
        tasks = pathlib.Path(f"/proc/{self.pid}/task")
        for task in tasks.iterdir():
            try:
                ns = int((task / "schedstat").read_text().split()[0])
            except (OSError, IndexError, ValueError):
                continue  # the thread ended while it was read
            self.seen[task.name] = max(ns, self.seen.get(task.name, 0))
        return sum(self.seen.values())

    def after_idle(self, limit_s=30.0):
        """The CPU total once it has stopped growing for QUIET_S."""
        value = self.now()
        changed = start = time.monotonic()
        while True:
            time.sleep(POLL_S)
            current = self.now()
            stamp = time.monotonic()
            if current != value:
                value, changed = current, stamp
            elif stamp - changed >= QUIET_S:
                return value
            if stamp - start > limit_s:
                raise RuntimeError("the program never went idle")

    def spent_within(self, seconds, action=lambda: None):
        """CPU ns from `action` until `seconds` later, whether or not the
        program went idle: background work is what the idle row measures."""
        before = self.now()
        action()
        time.sleep(seconds)
        return self.now() - before


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], check=True, capture_output=True,
                          text=True).stdout


class Session:
    """One program in the X server, found by its window."""

    def __init__(self, program, data, env, name="GeoData viewer"):
        self.process = subprocess.Popen([program], cwd=data, env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.cpu = ProgramCpu(self.process.pid)
        self.shown_ms = []  # CPU from the click on the menu item to the dialog shown
        self.window = xdotool("search", "--sync", "--all", "--onlyvisible", "--pid", self.process.pid,
                              "--name", name).split()[0]
        geometry = dict(line.split("=") for line in
                        xdotool("getwindowgeometry", "--shell", self.window).split())
        self.left, self.top = int(geometry["X"]), int(geometry["Y"])
        self.menu_bar = int(geometry["HEIGHT"]) - CLIENT_HEIGHT
        self.cpu.after_idle()

    def close(self):
        self.process.terminate()
        self.process.wait()

    def place(self, left, top):
        xdotool("windowmove", "--sync", self.window, left, top)
        geometry = dict(line.split("=") for line in
                        xdotool("getwindowgeometry", "--shell", self.window).split())
        self.left, self.top = int(geometry["X"]), int(geometry["Y"])
        self.cpu.after_idle()

    def click(self, at):
        xdotool("mousemove", "--sync", self.left + at[0], self.top + at[1], "click", "1")

    def ready_dialog(self, name):
        """Opens the dialog from the menu and types `name`, ready for a key."""
        self.click(FILE_MENU)
        before = self.cpu.after_idle()
        self.click(OPEN_ITEM)
        xdotool("search", "--sync", "--onlyvisible", "--name", "^Open$")
        self.shown_ms.append((self.cpu.after_idle() - before) / 1e6)
        xdotool("type", "--delay", "15", name)
        self.cpu.after_idle()
        # The completer's list would take the key; closing it keeps the name.
        if self.popup_shown():
            xdotool("key", "Escape")
            self.cpu.after_idle()
        if self.popup_shown() or not _found("^Open$"):
            raise RuntimeError("the dialog is not ready for its key")

    def dialog_cpu(self, name, key):
        """CPU ns from pressing `key` in the open dialog, with `name` typed,
        until the program is idle again."""
        self.ready_dialog(name)
        before = self.cpu.after_idle()
        xdotool("key", key)
        spent = self.cpu.after_idle() - before
        if _found("^Open$"):
            raise RuntimeError(f"the dialog stayed open after {key}")
        return spent

    def popup_shown(self):
        """Whether the file name completer shows its list: a third window of
        the program, beside the main window and the dialog."""
        shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)],
                               capture_output=True, text=True).stdout.split()
        return any(w != self.window and xdotool("getwindowname", w).strip() != "Open" for w in shown)

    def map_point(self, column, row):
        # Two pixels per block; the odd pixel is the middle of the block.
        return (self.left + MAP_ORIGIN[0] + 2 * column + 1,
                self.top + self.menu_bar + MAP_ORIGIN[1] + 2 * row + 1)

    def moves_cpu(self):
        """CPU ns per pointer move over the map, each move to another block."""
        xdotool("mousemove", "--sync", *self.map_point(10, 10))
        steps = []
        for n in range(MOVES):
            steps += ["mousemove", *self.map_point(10 + (n * 7) % 230, 20 + (n * 3) % 200),
                      "sleep", MOVE_GAP_S]
        before = self.cpu.after_idle()
        xdotool(*steps)
        return (self.cpu.after_idle() - before) / MOVES


def idle_cpu(session, folder, rounds):
    """The idle row: per round, an open from `folder` through the dialog, the
    3 s after it, one file created there and one grown, in ms."""
    regions = sorted(folder.glob("*.dat"))
    got = {"after_open_ms": [], "create_ms": [], "append_ms": []}
    for n in range(rounds):
        session.dialog_cpu(regions[n % len(regions)].name, "Return")
        got["after_open_ms"].append(session.cpu.spent_within(IDLE_S) / 1e6)
        created = folder / f"new_{n}.dat"
        got["create_ms"].append(
            session.cpu.spent_within(CHANGE_S, lambda: created.write_bytes(regions[0].read_bytes())) / 1e6)
        # The file the dialog chose last, which it may follow more closely.
        opened = regions[n % len(regions)]
        got["append_ms"].append(session.cpu.spent_within(CHANGE_S, lambda: _append(opened)) / 1e6)
    return got


def _append(path):
    with path.open("ab") as out:
        out.write(bytes(4096))


def make_idle_folder(data):
    """A folder of 17 x 17 flat regions, made anew: earlier runs grew some."""
    folder = data / "idle"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir()
    flat = (data / "flat.dat").read_bytes()
    for x in range(IDLE_FOLDER_REGIONS):
        for y in range(IDLE_FOLDER_REGIONS):
            (folder / f"{10 + x}_{10 + y}.dat").write_bytes(bytes([10 + x, 10 + y]) + flat[2:])
    return folder


def _found(pattern):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                          capture_output=True).returncode == 0


def start_x_server():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               "1600x1024x24", "-dpi", "96", "-nolisten", "tcp"],
                              pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as display:
        number = display.readline().strip()
    if not number:
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number


def main():
    build, data, out = (pathlib.Path(a).resolve() for a in sys.argv[1:4])
    viewer = build / "window" / "geodata-viewer"
    plain = build / "bench" / "geodata_plain_window"
    subprocess.run([build / "bench" / "geodata_make_bench_regions"], check=True,
                   env=dict(os.environ, GEODATA_BENCH_DATA=str(data)), stdout=subprocess.DEVNULL)
    idle_folder = make_idle_folder(data)
    server, display = start_x_server()
    # Outside the folders the program opens and their parents, so that the
    # benchmark's own files never reach its figures.
    home_folder = tempfile.TemporaryDirectory(dir=out.parent)
    home = home_folder.name
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", HOME=home,
               XDG_RUNTIME_DIR=home)
    os.environ["DISPLAY"] = display
    results = {"escape_ms": [], "open_ms": {r: [] for r in REGIONS},
               "move_us": {"viewer": [], "plain": []}}
    try:
        session = Session(viewer, data, env)
        # The first dialog and the first load of each region pay for what
        # later ones find ready.
        session.dialog_cpu("flat.dat", "Escape")
        for region in REGIONS:
            session.dialog_cpu(region + ".dat", "Return")
        for _ in range(ROUNDS):
            results["escape_ms"].append(session.dialog_cpu("flat.dat", "Escape") / 1e6)
            for region in REGIONS:
                results["open_ms"][region].append(session.dialog_cpu(region + ".dat", "Return") / 1e6)
        results["dialog_shown_ms"] = session.shown_ms[1 + len(REGIONS):]
        session.close()
        # The viewer with the mixed region loaded against the plain window,
        # side by side, in alternating bursts, so that both meet the same
        # load of the machine.
        sessions = {"viewer": Session(viewer, data, env),
                    "plain": Session(plain, data, env, "Plain window")}
        for column, session in enumerate(sessions.values()):
            session.place(20 + column * WINDOW_SPACING, 100)
        sessions["viewer"].dialog_cpu("mixed.dat", "Return")
        for session in sessions.values():
            session.moves_cpu()  # the first moves also load fonts and glyphs
        for _ in range(ROUNDS):
            for name, session in sessions.items():
                results["move_us"][name].append(session.moves_cpu() / 1e3)
        for session in sessions.values():
            session.close()
        session = Session(viewer, idle_folder, env)
        session.dialog_cpu(next(idle_folder.glob("*.dat")).name, "Return")
        results["idle"] = idle_cpu(session, idle_folder, ROUNDS)
        session.close()
    finally:
        server.terminate()
        server.wait()
        home_folder.cleanup()
    out.write_text(json.dumps(results, indent=1))
    escape = statistics.median(results["escape_ms"])
    for region in REGIONS:
        print(f"{region}: open {statistics.median(results['open_ms'][region]) - escape:.2f} ms "
              f"above the Escape floor {escape:.2f} ms", file=sys.stderr)
    print(f"dialog shown: {statistics.median(results['dialog_shown_ms']):.2f} ms", file=sys.stderr)
    viewer_us = statistics.median(results["move_us"]["viewer"])
    plain_us = statistics.median(results["move_us"]["plain"])
    print(f"move: {viewer_us:.0f} us, plain window {plain_us:.0f} us = {viewer_us / plain_us:.2f}x",
          file=sys.stderr)
    idle = {k: statistics.median(v) for k, v in results["idle"].items()}
    print(f"idle: {idle['after_open_ms']:.2f} ms in the {IDLE_S:.0f} s after an open, "
          f"{idle['create_ms']:.2f} ms per file created, {idle['append_ms']:.2f} ms per append",
          file=sys.stderr)


if __name__ == "__main__":
    main()
