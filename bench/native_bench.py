"""Measures quorvel-lock, the native X11 program, beside quorvel-reference,
the least a GTK window like the setup window can be, and prints one table:
start-up, the time to cover every monitor (beside a bare window showing a
curtain it made in advance), CPU while locked and hidden, and peak memory
with a 4K JPEG behind the lock.

Run by scripts/bench --native, which builds the linux preset and provides the
virtual X server (DISPLAY). The screen is read and the pointer driven through
Xlib and XTest directly (wine_bench.Display), so that no tool's process start
or pause falls inside a timed span.
"""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import wine_bench
from wine_bench import (CAPTION, HIDE, LOCK, PARKED, REFERENCE_CAPTION, ROOT, SETTINGS, STACK, TEXT1, TEXT2, Display,
                        cpu_seconds, median, mismatched_fraction, resident_kib)


def log(message):
    print(f"[native bench] {message}", flush=True)


class Session:
    """One run of a native program with a settings store of its own."""

    def __init__(self, screen, command, caption, config):
        self.screen, self.command, self.caption = screen, command, caption
        self.env = dict(os.environ, XDG_CONFIG_HOME=config, NO_AT_BRIDGE="1", GDK_BACKEND="x11")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.process = None
        self.rect = None

    @property
    def pid(self):
        return self.process.pid

    def start(self, expected=None, timeout=20):
        """Starts the program; the seconds until its window is on the screen
        showing the expected pixels (with none, until it is mapped)."""
        self.screen.move(*PARKED)
        started = time.monotonic()
        self.process = subprocess.Popen(self.command, env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        end = started + timeout
        while time.monotonic() < end:
            found = self.screen.find_visible(self.caption)
            if found:
                _, self.rect = found
                if expected is None:
                    break
                shot = self.screen.picture(*self.rect)
                if shot.size == expected.size and mismatched_fraction(shot, expected) <= 0.01:
                    break
            time.sleep(0.002)
        else:
            raise RuntimeError(f"{self.caption!r} did not appear as expected within {timeout} s")
        return time.monotonic() - started

    def at(self, point):
        return self.rect[0] + point[0], self.rect[1] + point[1]

    def click(self, point, settle=0.3):
        return self.screen.click(*self.at(point), settle=settle)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)
        time.sleep(0.2)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait(timeout=30)
        end = time.monotonic() + 10
        while time.monotonic() < end and self.screen.find_visible(self.caption):
            time.sleep(0.05)
        time.sleep(0.3)


class Bench(wine_bench.Bench):
    """The Windows bench's measurements of start-up and the time to cover,
    with the native programs, each run with a settings store of its own."""

    def __init__(self, options):
        self.o = options
        self.screen = Display()
        self.scratch = tempfile.mkdtemp(prefix="quorvel-native-bench-")
        self.results = {}
        self.values = {}

    def settings(self, values):
        """The entries the next program starts with, in a fresh store."""
        self.values = values

    def config(self):
        folder = tempfile.mkdtemp(dir=self.scratch)
        os.makedirs(os.path.join(folder, "quorvel"))
        for application, text in self.values.items():
            with open(os.path.join(folder, "quorvel", f"{application}.ini"), "w", encoding="utf-8") as f:
                f.write(f"[APP]\nTEXT={text}\n")
        return folder

    def program(self):
        return Session(self.screen, [self.o.exe], CAPTION, self.config())

    def reference(self, *arguments):
        return Session(self.screen, [self.o.reference, *arguments], REFERENCE_CAPTION, self.config())

    def cpu_over(self, pid, seconds):
        before = cpu_seconds(pid)
        t0 = time.monotonic()
        time.sleep(seconds)
        return (cpu_seconds(pid) - before) / (time.monotonic() - t0) * 100

    def locked(self):
        log(f"locked: {self.o.idle:g} s idle locked, {self.o.idle:g} s hidden, a 3840 x 2160 JPEG behind the lock")
        picture = self.four_k_picture()
        runs = {key: [] for key in ("locked", "hidden", "peak", "reference", "reference_peak", "ticking")}
        for _ in range(self.o.runs):
            # The picture comes in through the settings page, as a user sets it.
            self.settings({"text4": "2580", "text5": picture})
            session = self.program()
            try:
                session.start()
                session.click(SETTINGS)
                time.sleep(1.0)
                session.click(STACK)
                time.sleep(1.0)
                session.click(TEXT1)
                session.type("bench")
                session.click(TEXT2)
                session.type("bench")
                session.click(LOCK)
                self.screen.move(*PARKED)
                time.sleep(12.0)  # past the text field's caret blinking
                runs["locked"].append(self.cpu_over(session.pid, self.o.idle))
                session.click(HIDE)
                self.screen.move(*PARKED)
                time.sleep(2.0)
                runs["hidden"].append(self.cpu_over(session.pid, self.o.idle))
                runs["peak"].append(resident_kib(session.pid))
            finally:
                session.stop()
            self.settings({})
            for key, arguments in (("reference", ()), ("ticking", ("--timer", "16"))):
                session = self.reference(*arguments)
                try:
                    session.start()
                    time.sleep(12.0)
                    runs[key].append(self.cpu_over(session.pid, self.o.idle))
                    if key == "reference":
                        runs["reference_peak"].append(resident_kib(session.pid))
                finally:
                    session.stop()
            log(f"  locked {runs['locked'][-1]:.2f} %, hidden {runs['hidden'][-1]:.2f} %, reference "
                f"{runs['reference'][-1]:.2f} %, with a 16 ms timer {runs['ticking'][-1]:.2f} %; peak "
                f"{runs['peak'][-1] / 1024:.1f} MiB, reference {runs['reference_peak'][-1] / 1024:.1f} MiB")
        self.results["locked"] = runs

    def cover_two_monitors(self):
        sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
        import worlds  # noqa: E402

        world = type("NativeTwoMonitors", (worlds.TwoMonitors,), {"wine": False})(self.o.artifacts)
        saved = self.screen
        world.start()
        try:
            self.screen = Display()
            self.cover(world.monitors, "cover_two")
            self.startup("startup_two")
        finally:
            self.screen = saved
            world.stop()


def table(results, runs, idle):
    rows, met = [], True

    def ratio_row(label, key, target):
        nonlocal met
        if key not in results:
            return
        program, reference = median(results[key]["program"]), median(results[key]["reference"])
        ratio = program / reference
        ok = ratio <= target
        met &= ok
        rows.append(f"| {label} | {program * 1000:.0f} ms | {reference * 1000:.0f} ms | {ratio:.2f}× "
                    f"| ≤ {target:g}× {'✓' if ok else '✗'} |")

    ratio_row("start-up", "startup", 1.25)
    ratio_row("start-up, two monitors", "startup_two", 1.25)
    ratio_row("time to cover, one monitor (reference: a ready curtain)", "cover", 2.0)
    ratio_row("time to cover, two monitors", "cover_two", 2.0)
    if "locked" in results:
        r = results["locked"]
        for label, key in (("CPU while locked", "locked"), ("CPU while hidden", "hidden")):
            value = median(r[key])
            ok = value <= 0.5
            met &= ok
            rows.append(f"| {label} | {value:.2f} % | {median(r['reference']):.2f} % idle, "
                        f"{median(r['ticking']):.2f} % with a 16 ms timer | | ≤ 0.5 % {'✓' if ok else '✗'} |")
        peak, reference = median(r["peak"]) / 1024, median(r["reference_peak"]) / 1024
        ok = peak <= reference + 16
        met &= ok
        rows.append(f"| peak memory, 4K JPEG | {peak:.1f} MiB | {reference:.1f} MiB | +{peak - reference:.1f} MiB "
                    f"| ≤ +16 MiB {'✓' if ok else '✗'} |")
    head = ["| figure | quorvel-lock | quorvel-reference | | target |", "|---|---|---|---|---|"]
    return "\n".join(head + rows), met


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--reference", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=10.0)
    parser.add_argument("--only", nargs="*", default=["cover", "cover2", "startup", "locked"])
    options = parser.parse_args()
    os.makedirs(options.artifacts, exist_ok=True)
    screen = Display()
    root = screen.attributes(screen.root)
    bench = Bench(options)
    try:
        if "cover" in options.only:
            bench.cover([(0, 0, root.width, root.height)], "cover")
        if "startup" in options.only:
            bench.startup()
        if "locked" in options.only:
            bench.locked()
        if "cover2" in options.only:
            bench.cover_two_monitors()
    finally:
        shutil.rmtree(bench.scratch, ignore_errors=True)
    with open(os.path.join(options.artifacts, "results-native.json"), "w") as f:
        json.dump({"runs": options.runs, "idle": options.idle, "results": bench.results}, f, indent=1)
    text, met = table(bench.results, options.runs, options.idle)
    note = (f"medians of {options.runs} runs, program and reference in turn; CPU in % of one core over "
            f"{options.idle:g} s; machine: {os.cpu_count()} cores, X screen {root.width}x{root.height}")
    with open(os.path.join(options.artifacts, "table-native.md"), "w") as f:
        f.write(note + "\n\n" + text + "\n")
    print()
    print(note)
    print(text)
    print("every target met" if met else "a target is missed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
