#!/usr/bin/env python3
"""Measures a load from slow storage as a person sees it: the largest region
on a file system that serves reads at 20 MB/s (bench/slow_fs.cpp, mounted
with FUSE), opened in an X server of its own through File > Open GeoData with
the name typed. What the window shows is read off the screen every 4 ms
(bench/window_watch.cpp). Measured from the Return that closes the dialog:
the first change the window shows, the longest time it shows none until the
map is painted, and the whole load against the time to read the same file
from the same storage with nothing else to do. Then a load is interrupted
1 s in by a close request, as the title bar's close button sends it: the time
until the program has ended, and its exit status. Last, the same close while
the share has stopped answering: the file system's process is stopped 0.5 s
into the load, and the times until the window is gone and until the program
has ended are taken.

Needs root and /dev/fuse for the mount; without them it says so and writes
{"skipped": reason}.

Usage: slow_storage.py BUILD_DIR DATA_DIR OUT_JSON
Environment: GEODATA_SLOW_ROUNDS (loads, default 3).
"""
import json
import os
import pathlib
import signal
import statistics
import subprocess
import sys
import tempfile
import time

import in_window

RATE = 20_000_000  # bytes per second
REGION = "worst.dat"
ROUNDS = int(os.environ.get("GEODATA_SLOW_ROUNDS", "3"))
CLOSE_AFTER_S = 1.0
STALL_AFTER_S = 0.5
# How long a stopped share is left stopped after the close.
STALL_LIMIT_S = 3.0
PIECE = 1 << 20


def why_skipped(build):
    if not (build / "bench" / "geodata_slow_fs").exists():
        return "the slow file system was not built (it needs libfuse3-dev)"
    if not os.path.exists("/dev/fuse"):
        return "no /dev/fuse on this machine"
    if os.geteuid() != 0:
        return "mounting needs root"
    return None


class SlowMount:
    """The data folder, served at RATE bytes per second."""

    def __init__(self, build, data):
        self.folder = tempfile.TemporaryDirectory()
        self.path = pathlib.Path(self.folder.name)
        self.server = subprocess.Popen([build / "bench" / "geodata_slow_fs", str(RATE), str(data), str(self.path)],
                                       stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not os.path.ismount(self.path):
            if time.monotonic() > deadline or self.server.poll() is not None:
                raise RuntimeError("the slow file system did not mount")
            time.sleep(0.01)

    def close(self):
        subprocess.run(["fusermount3", "-u", str(self.path)], check=False)
        self.server.wait()
        self.folder.cleanup()


def transfer_s(path):
    """Seconds to read the file through with nothing else to do."""
    start = time.monotonic()
    with open(path, "rb", buffering=0) as source:
        while source.read(PIECE):
            pass
    return time.monotonic() - start


class Watcher:
    """The times at which the window's pixels on screen changed."""

    def __init__(self, build, window):
        self.process = subprocess.Popen([build / "bench" / "geodata_window_watch", "watch", window],
                                        stdout=subprocess.PIPE, text=True)
        self.process.stdout.readline()  # the window as it was

    def stop(self):
        self.process.terminate()
        out, _ = self.process.communicate()
        return [float(line) for line in out.split()]


def load(session, build, name):
    """One load from Return to the painted map, in seconds."""
    session.ready_dialog(name)
    watcher = Watcher(build, session.window)
    time.sleep(0.1)
    pressed = time.monotonic()
    in_window.xdotool("key", "Return")
    session.cpu.after_idle()
    changes = [t - pressed for t in watcher.stop() if t > pressed]
    if not changes:
        raise RuntimeError("the window showed no change")
    steps = [b - a for a, b in zip([0.0] + changes, changes)]
    return {"first_change_s": changes[0], "longest_still_s": max(steps), "whole_s": changes[-1]}


def close_during_load(session, build, name):
    """Seconds from a close request 1 s into a load until the program has
    ended, and its exit status."""
    session.ready_dialog(name)
    in_window.xdotool("key", "Return")
    time.sleep(CLOSE_AFTER_S)
    asked = time.monotonic()
    subprocess.run([build / "bench" / "geodata_window_watch", "close", session.window], check=True)
    status = session.process.wait(timeout=60)
    return {"exit_s": time.monotonic() - asked, "status": status}


def ended(pid):
    """Whether the program has ended: its main thread has exited, so its
    windows and its connection to the X server are gone. A thread that the
    kernel holds in a read of the stopped file system keeps the process from
    being reaped until the read returns."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] in ("Z", "X")
    except FileNotFoundError:
        return True


def close_with_share_stopped(session, build, name, mount):
    """A close request 1 s into a load whose file system stopped answering
    0.5 s in: seconds until the window is gone, until the program has ended
    and, if within STALL_LIMIT_S, until the process was reaped; then the file
    system answers again, and the exit status."""
    session.ready_dialog(name)
    in_window.xdotool("key", "Return")
    pressed = time.monotonic()
    time.sleep(STALL_AFTER_S)
    mount.server.send_signal(signal.SIGSTOP)
    result = {}
    try:
        time.sleep(max(0.0, pressed + CLOSE_AFTER_S - time.monotonic()))
        asked = time.monotonic()
        subprocess.run([build / "bench" / "geodata_window_watch", "close", session.window], check=True)
        pid = session.process.pid
        while time.monotonic() - asked < STALL_LIMIT_S:
            now = time.monotonic() - asked
            if "gone_s" not in result and subprocess.run(
                    ["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "GeoData viewer"],
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
                result["gone_s"] = now
            if "ended_s" not in result and ended(pid):
                result["ended_s"] = now
            if session.process.poll() is not None:
                result["reaped_s"] = now
                break
            time.sleep(0.005)
    finally:
        mount.server.send_signal(signal.SIGCONT)
    result["status"] = session.process.wait(timeout=60)
    return result


def main():
    build, data, out = (pathlib.Path(a).resolve() for a in sys.argv[1:4])
    reason = why_skipped(build)
    if reason:
        print(f"slow storage: skipped, {reason}", file=sys.stderr)
        out.write_text(json.dumps({"skipped": reason}))
        return
    mount = SlowMount(build, data)
    server, display = in_window.start_x_server()
    home = tempfile.TemporaryDirectory()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", HOME=home.name, XDG_RUNTIME_DIR=home.name)
    os.environ["DISPLAY"] = display
    results = {"rate": RATE, "size": (data / REGION).stat().st_size, "transfer_s": [], "loads": []}
    try:
        session = in_window.Session(build / "window" / "geodata-viewer", mount.path, env)
        for _ in range(ROUNDS):
            results["transfer_s"].append(transfer_s(mount.path / REGION))
            results["loads"].append(load(session, build, REGION))
        session.close()
        session = in_window.Session(build / "window" / "geodata-viewer", mount.path, env)
        results["close"] = close_during_load(session, build, REGION)
        session = in_window.Session(build / "window" / "geodata-viewer", mount.path, env)
        results["stalled_close"] = close_with_share_stopped(session, build, REGION, mount)
    finally:
        server.terminate()
        server.wait()
        mount.close()
        home.cleanup()
    out.write_text(json.dumps(results, indent=1))
    loads = {k: statistics.median(l[k] for l in results["loads"]) for k in results["loads"][0]}
    transfer = statistics.median(results["transfer_s"])
    print(f"slow storage: first change {loads['first_change_s']:.2f} s, longest still {loads['longest_still_s']:.2f} s, "
          f"whole load {loads['whole_s']:.2f} s for {transfer:.2f} s of transfer; "
          f"exit {results['close']['exit_s']:.2f} s after a close request, status {results['close']['status']}; "
          f"share stopped: {results['stalled_close']}",
          file=sys.stderr)


if __name__ == "__main__":
    main()
