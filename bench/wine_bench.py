"""Measures QuorvelLock.exe under Wine beside QuorvelReference.exe, the least
program a window like the setup window can be, and prints one table.

Run by scripts/bench, which builds both presets and provides the virtual X
server (DISPLAY), a Wine prefix (WINEPREFIX) whose server is kept running, and
the native micro-benchmarks' JSON. Everything on the X side goes through Xlib
and XTest directly (ctypes), so that polling the screen costs a fraction of a
millisecond and no process is started while a measurement runs.
"""

import argparse
import ctypes
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

from PIL import Image, ImageChops

CAPTION = "Quorvel锁屏软件"
LOCK_CAPTION = "锁屏"
REFERENCE_CAPTION = "Quorvel reference"

# Places in the setup window's client area, in pixels (the designed layout).
TEXT1 = (284, 140)
TEXT2 = (284, 180)
LOCK = (250, 221)
POWER = (69, 269)
SETTINGS = (37, 269)
STACK = (336, 269)  # "关于", "取消", "返回" or "确定": whichever is in front
HIDE = (37, 269)  # while locked
# The area the pages slide through: client rows 38 to 250.
PAGE_AREA = (0, 38, 380, 212)
# The logo frame (a 120-pixel panel) starts at 16 and rests at 136 pixels
# across; the row 234 crosses it below its picture and its link, and nothing
# else there looks like it.
LOGO_ROW = 234
LOGO_SPAN = (16, 120)
LOGO_REST = 136
# Where the pointer rests when nobody uses the machine: over no window of the
# program but the lock window.
PARKED = (3, 3)

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def log(message):
    print(f"--> {message}", flush=True)


# ---- the X server, through Xlib and XTest ----


class XWindowAttributes(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
        ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
        ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
        ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
        ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
        ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
        ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
        ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p),
    ]


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
        ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
    ]


IS_VIEWABLE = 2
Z_PIXMAP = 2


class Display:
    def __init__(self):
        x = ctypes.cdll.LoadLibrary("libX11.so.6")
        t = ctypes.cdll.LoadLibrary("libXtst.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long,
                                         ctypes.c_long, ctypes.c_int, ctypes.c_ulong,
                                         ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
                                         ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                         ctypes.POINTER(ctypes.c_void_p)]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(XWindowAttributes)]
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XGetImage.restype = ctypes.POINTER(XImage)
        x.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XSetErrorHandler.argtypes = [ctypes.c_void_p]
        t.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
        t.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.x, self.t = x, t
        self.d = x.XOpenDisplay(None)
        if not self.d:
            raise RuntimeError("cannot open the X display")
        # A window that goes away between listing and reading is no error.
        self._ignore = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
        x.XSetErrorHandler(ctypes.cast(self._ignore, ctypes.c_void_p))
        self.root = x.XDefaultRootWindow(self.d)
        self.net_wm_name = x.XInternAtom(self.d, b"_NET_WM_NAME", 0)
        self.utf8 = x.XInternAtom(self.d, b"UTF8_STRING", 0)

    def toplevels(self):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children = ctypes.POINTER(ctypes.c_ulong)()
        count = ctypes.c_uint()
        if not self.x.XQueryTree(self.d, self.root, ctypes.byref(root), ctypes.byref(parent),
                                 ctypes.byref(children), ctypes.byref(count)):
            return []
        windows = [children[i] for i in range(count.value)]
        if children:
            self.x.XFree(children)
        return windows

    def name(self, window):
        kind, fmt = ctypes.c_ulong(), ctypes.c_int()
        items, rest = ctypes.c_ulong(), ctypes.c_ulong()
        data = ctypes.c_void_p()
        if self.x.XGetWindowProperty(self.d, window, self.net_wm_name, 0, 256, 0, self.utf8, ctypes.byref(kind),
                                     ctypes.byref(fmt), ctypes.byref(items), ctypes.byref(rest),
                                     ctypes.byref(data)) != 0 or not data.value:
            return None
        text = ctypes.string_at(data.value, items.value).decode("utf-8", "replace")
        self.x.XFree(data)
        return text

    def attributes(self, window):
        a = XWindowAttributes()
        if not self.x.XGetWindowAttributes(self.d, window, ctypes.byref(a)):
            return None
        return a

    def find_visible(self, caption):
        """The viewable top-level window with that name and its rectangle."""
        for window in self.toplevels():
            if self.name(window) != caption:
                continue
            a = self.attributes(window)
            if a and a.map_state == IS_VIEWABLE:
                return window, (a.x, a.y, a.width, a.height)
        return None

    def grab(self, x, y, width, height):
        """The screen's pixels in a rectangle, as raw BGRX bytes."""
        image = self.x.XGetImage(self.d, self.root, x, y, width, height, 0xFFFFFFFF, Z_PIXMAP)
        if not image:
            return b""
        im = image.contents
        data = ctypes.string_at(im.data, im.bytes_per_line * im.height)
        self.x.XDestroyImage(image)
        return data

    def picture(self, x, y, width, height):
        return Image.frombuffer("RGB", (width, height), self.grab(x, y, width, height), "raw", "BGRX", 0, 1)

    def pixel(self, x, y):
        """One pixel of the screen as (B, G, R)."""
        return tuple(self.grab(x, y, 1, 1)[:3])

    def move(self, x, y):
        self.t.XTestFakeMotionEvent(self.d, -1, x, y, 0)
        self.x.XSync(self.d, 0)

    def click(self, x, y, settle=0.3):
        """Moves there, lets the hover look settle, clicks (the release 50 ms
        after the press); returns the time at which the X server had the
        release, taken right after it, so that no pause of this tool follows
        it."""
        self.move(x, y)
        time.sleep(settle)
        self.t.XTestFakeButtonEvent(self.d, 1, 1, 0)
        self.x.XSync(self.d, 0)
        time.sleep(0.05)
        self.t.XTestFakeButtonEvent(self.d, 1, 0, 0)
        self.x.XSync(self.d, 0)
        return time.monotonic()


def close(a, b, tolerance=8):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def mismatched_fraction(a, b, tolerance=16):
    """The share of pixels whose channels differ by more than the tolerance."""
    r, g, bl = ImageChops.difference(a, b).split()
    worst = ImageChops.lighter(ImageChops.lighter(r, g), bl)
    histogram = worst.histogram()
    return sum(histogram[tolerance + 1:]) / (a.width * a.height)


# ---- processes ----


def cpu_seconds(pid):
    """User plus system time of a process (all its threads), in seconds."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def resident_kib(pid, field="VmHWM"):
    """VmHWM (the peak) or VmRSS (now) of a process, in KiB."""
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def pid_of_windows_process(exe, timeout=20):
    """The Linux process that runs a Windows program, by its executable path
    (Wine shows it as the process's first argument)."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/cmdline", "rb") as f:
                    argv0 = f.read().split(b"\0", 1)[0].decode("utf-8", "replace")
            except OSError:
                continue
            if argv0 == exe or argv0.replace("\\", "/").endswith(exe):
                return int(entry)
        time.sleep(0.05)
    raise RuntimeError(f"no process runs {exe}")


def wineserver_pid():
    prefix = os.environ["WINEPREFIX"].encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/comm") as f:
                if not f.read().startswith("wineserver"):
                    continue
            with open(f"/proc/{entry}/environ", "rb") as f:
                if b"WINEPREFIX=" + prefix + b"\0" in f.read() + b"\0":
                    return int(entry)
        except OSError:
            continue
    return None


def wine(*args):
    """Runs a Wine command to its end; its output goes to a file (a Wine
    service started on the way can hold a pipe open)."""
    with tempfile.TemporaryFile() as out:
        subprocess.run(["wine", *args], stdout=out, stderr=out, check=False, timeout=120)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class Session:
    """One run of a program from a fresh copy of its folder."""

    def __init__(self, screen, files, exe_name, caption, arguments=()):
        self.screen = screen
        self.arguments = list(arguments)
        self.caption = caption
        self.workdir = tempfile.mkdtemp(prefix="quorvel-bench-")
        for path in files:
            shutil.copy(path, self.workdir)
        self.exe = os.path.join(self.workdir, exe_name)
        self.process = None
        self.pid = None
        self.window = None
        self.rect = None

    def start(self, expected=None, timeout=30):
        """Starts the program; returns the seconds until its window is on
        the screen and shows the expected pixels (with none, until it is
        mapped)."""
        screen = self.screen
        screen.move(*PARKED)
        log_file = open(os.path.join(self.workdir, "wine.log"), "w")
        started = time.monotonic()
        self.process = subprocess.Popen(["wine", self.exe, *self.arguments], stdout=log_file, stderr=log_file, cwd=self.workdir)
        end = started + timeout
        while time.monotonic() < end:
            found = screen.find_visible(self.caption)
            if found:
                self.window, self.rect = found
                if expected is None:
                    break
                shot = screen.picture(*self.rect)
                if shot.size == expected.size and mismatched_fraction(shot, expected) <= 0.01:
                    break
            time.sleep(0.004)
        else:
            raise RuntimeError(f"{self.caption!r} did not appear as expected within {timeout} s")
        elapsed = time.monotonic() - started
        self.pid = pid_of_windows_process(self.exe)
        return elapsed

    def at(self, point):
        return self.rect[0] + point[0], self.rect[1] + point[1]

    def click(self, point, settle=0.3):
        return self.screen.click(*self.at(point), settle=settle)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)
        time.sleep(0.2)

    def stop(self):
        for pid in (self.pid, self.process.pid if self.process else None):
            if pid:
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        if self.process:
            self.process.wait(timeout=30)
        # Until its windows are gone from the screen.
        end = time.monotonic() + 10
        while time.monotonic() < end and self.screen.find_visible(self.caption):
            time.sleep(0.05)
        time.sleep(0.3)
        shutil.rmtree(self.workdir, ignore_errors=True)


# ---- the measurements ----


class Bench:
    def __init__(self, options):
        self.o = options
        self.screen = Display()
        self.program_files = [os.path.join(options.dist, name) for name in os.listdir(options.dist)]
        self.reference_files = [options.reference]
        self.results = {}
        self.wineserver = wineserver_pid()
        self.xvfb = options.xvfb_pid
        self.scratch = tempfile.mkdtemp(prefix="quorvel-bench-data-")

    def program(self):
        return Session(self.screen, self.program_files, "QuorvelLock.exe", CAPTION)

    def reference(self, *arguments):
        return Session(self.screen, self.reference_files, os.path.basename(self.o.reference), REFERENCE_CAPTION,
                       arguments)

    def settings(self, values):
        """A fresh settings store holding only the given entries."""
        reg = os.path.join(self.scratch, "settings.reg")
        with open(reg, "w", encoding="utf-8") as f:
            f.write("REGEDIT4\n\n[-HKEY_CURRENT_USER\\Software\\Quorvel]\n\n")
            for application, text in values.items():
                escaped = text.replace("\\", "\\\\")
                f.write(f'[HKEY_CURRENT_USER\\Software\\Quorvel\\{application}\\APP]\n"TEXT"="{escaped}"\n\n')
        wine("regedit", "/S", windows_path(reg))

    # -- start-up --

    def settled_picture(self, make):
        session = make()
        try:
            session.start()
            time.sleep(3)
            return session.screen.picture(*session.rect)
        finally:
            session.stop()

    def startup(self, key="startup"):
        log("start-up: process start to the window on the screen, fully painted")
        self.settings({})
        expected = {"program": self.settled_picture(self.program),
                    "reference": self.settled_picture(self.reference)}
        expected["program"].save(os.path.join(self.o.artifacts, f"{key}-program.png"))
        expected["reference"].save(os.path.join(self.o.artifacts, f"{key}-reference.png"))
        times = {"program": [], "reference": []}
        for _ in range(self.o.runs):
            for name, make in (("program", self.program), ("reference", self.reference)):
                session = make()
                try:
                    times[name].append(session.start(expected[name]))
                finally:
                    session.stop()
        self.results[key] = times
        log(f"  program   {fmt_list(times['program'], 's')}")
        log(f"  reference {fmt_list(times['reference'], 's')}")

    # -- CPU and memory while locked --

    def four_k_picture(self):
        path = os.path.join(self.scratch, "4k.jpg")
        if not os.path.exists(path):
            # A photo-like 3840 x 2160 picture: smooth gradients and noise, so
            # that the JPEG is of a realistic size.
            base = Image.linear_gradient("L").resize((3840, 2160))
            noise = Image.effect_noise((3840, 2160), 40)
            picture = Image.merge("RGB", (base, noise, base.transpose(Image.Transpose.FLIP_LEFT_RIGHT)))
            picture.save(path, "JPEG", quality=90)
        return path

    def cpu_over(self, pid, seconds):
        """CPU seconds of the process, the Wine server and the X server over
        an interval."""
        processes = {"own": pid, "wineserver": self.wineserver, "xvfb": self.xvfb}
        before = {k: cpu_seconds(p) for k, p in processes.items() if p}
        t0 = time.monotonic()
        time.sleep(seconds)
        elapsed = time.monotonic() - t0
        after = {k: cpu_seconds(p) for k, p in processes.items() if p}
        return {k: (after[k] - before[k]) / elapsed * 100 for k in before}

    def lock(self, session, password="bench"):
        session.click(TEXT1)
        session.type(password)
        session.click(TEXT2)
        session.type(password)
        return session.click(LOCK)

    def locked(self):
        log(f"locked: {self.o.idle:g} s idle locked, {self.o.idle:g} s hidden, a 3840 x 2160 JPEG behind the lock")
        picture = self.four_k_picture()
        runs = {"locked": [], "hidden": [], "peak": [], "resident": [], "reference": [], "reference_peak": [],
                "ticking": []}
        for i in range(self.o.runs):
            # The picture comes in through the settings page: the stored
            # entries fill its fields when it opens, and "确定" keeps them.
            self.settings({"text4": "2580", "text5": windows_path(picture)})
            session = self.program()
            try:
                session.start()
                session.click(SETTINGS)
                time.sleep(1.0)
                session.click(STACK)
                time.sleep(1.0)
                self.lock(session)
                time.sleep(1.0)
                self.screen.move(*PARKED)
                time.sleep(2.0)
                if i == 0:
                    self.screen.picture(0, 0, *self.o.screen).save(os.path.join(self.o.artifacts, "locked.png"))
                runs["locked"].append(self.cpu_over(session.pid, self.o.idle))
                session.click(HIDE)
                self.screen.move(*PARKED)
                time.sleep(2.0)
                if i == 0:
                    self.screen.picture(0, 0, *self.o.screen).save(os.path.join(self.o.artifacts, "hidden.png"))
                runs["hidden"].append(self.cpu_over(session.pid, self.o.idle))
                runs["peak"].append(resident_kib(session.pid))
                runs["resident"].append(resident_kib(session.pid, "VmRSS"))
            finally:
                session.stop()
            session = self.reference()
            try:
                session.start()
                time.sleep(2.0)
                runs["reference"].append(self.cpu_over(session.pid, self.o.idle))
                runs["reference_peak"].append(resident_kib(session.pid))
            finally:
                session.stop()
            # The same with one 5 ms timer whose ticks do nothing, the interval
            # of the keep-on-top ticks: what the ticks cost before any work.
            session = self.reference("--timer", "5")
            try:
                session.start()
                time.sleep(2.0)
                runs["ticking"].append(self.cpu_over(session.pid, self.o.idle))
            finally:
                session.stop()
            log(f"  run {i + 1}: locked {runs['locked'][-1]['own']:.2f} %, hidden {runs['hidden'][-1]['own']:.2f} %, "
                f"reference {runs['reference'][-1]['own']:.2f} %, with a 5 ms timer {runs['ticking'][-1]['own']:.2f} %; peak {runs['peak'][-1] / 1024:.1f} MiB, "
                f"reference {runs['reference_peak'][-1] / 1024:.1f} MiB")
        self.results["locked"] = runs

    def timeline(self):
        """The resident memory of one locked session with the 4K picture,
        sampled every 5 ms, with the moments of each step: where the peak
        comes from. Written to memory-timeline.txt; not a figure of the table."""
        log("memory timeline: VmRSS every 5 ms through one locked session with the 4K picture")
        self.settings({"text4": "2580", "text5": windows_path(self.four_k_picture())})
        session = self.program()
        samples, marks, done = [], [], threading.Event()

        def sample():
            while not done.is_set():
                try:
                    samples.append((time.monotonic(), resident_kib(session.pid, "VmRSS")))
                except (OSError, ValueError):
                    pass
                time.sleep(0.005)

        try:
            session.start()
            sampler = threading.Thread(target=sample)
            sampler.start()
            steps = [("settings page", lambda: session.click(SETTINGS)),
                     ("确定", lambda: session.click(STACK)),
                     ("lock", lambda: self.lock(session)),
                     ("hide", lambda: session.click(HIDE))]
            for name, step in steps:
                marks.append((time.monotonic(), name))
                step()
                self.screen.move(*PARKED)
                time.sleep(2.0)
            peak = resident_kib(session.pid)
            done.set()
            sampler.join()
        finally:
            done.set()
            session.stop()
        start = samples[0][0] if samples else 0
        lines, shown = [], None
        pending = list(marks)
        for t, rss in samples:
            while pending and pending[0][0] <= t:
                moment, name = pending.pop(0)
                lines.append(f"--- {name} at {moment - start:.3f} s")
            if shown is None or abs(rss - shown) >= 1024:
                lines.append(f"{t - start:7.3f} s  {rss / 1024:6.1f} MiB")
                shown = rss
        lines.append(f"peak (VmHWM) {peak / 1024:.1f} MiB")
        with open(os.path.join(self.o.artifacts, "memory-timeline.txt"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        log(f"  peak {peak / 1024:.1f} MiB; the timeline is in memory-timeline.txt")

    # -- time to cover --

    def cover_time(self, session, point, corners, expected, timeout=5.0):
        """Releases a click on the point and polls the corners about every
        millisecond until each shows its expected colour; the seconds from the
        release, and the median seconds between polls."""
        released = self.screen.click(*session.at(point))
        stamps = []
        while True:
            now = time.monotonic()
            stamps.append(now)
            if all(close(self.screen.pixel(*c), e) for c, e in zip(corners, expected)):
                return now - released, statistics.median(b - a for a, b in zip(stamps, stamps[1:])) if len(
                    stamps) > 1 else 0.0
            if now - released > timeout:
                raise RuntimeError(f"the corners {corners} were not covered within {timeout} s")
            time.sleep(0.001)

    def cover(self, monitors, key):
        """From the release of the click on "锁屏" (and on the reference's
        window) to the curtain's colour in the four corners of every monitor,
        the program and the reference's ready curtain in turn."""
        log(f"time to cover: {len(monitors)} monitor(s) {monitors}")
        corners = [(x + dx, y + dy) for (x, y, w, h) in monitors for dx in (2, w - 3) for dy in (2, h - 3)]
        reference_point = (100, 100)

        def program_run(expected):
            self.settings({})
            session = self.program()
            try:
                session.start()
                time.sleep(1.0)
                session.click(TEXT1)
                session.type("bench")
                session.click(TEXT2)
                session.type("bench")
                if expected is None:
                    session.click(LOCK)
                    time.sleep(2.0)
                    return [self.screen.pixel(*c) for c in corners]
                return self.cover_time(session, LOCK, corners, expected)
            finally:
                session.stop()

        def reference_run(expected):
            session = self.reference("--curtain")
            try:
                session.start()
                time.sleep(1.0)
                if expected is None:
                    session.click(reference_point)
                    time.sleep(2.0)
                    return [self.screen.pixel(*c) for c in corners]
                return self.cover_time(session, reference_point, corners, expected)
            finally:
                session.stop()

        # What the corners show once covered, from a first lock of each.
        expected = {"program": program_run(None), "reference": reference_run(None)}
        bare = [self.screen.pixel(*c) for c in corners]
        for name, colours in expected.items():
            if any(close(b, e) for b, e in zip(bare, colours)):
                raise RuntimeError(f"{name}: a corner shows the same colour covered and bare: {colours} / {bare}")
        runs = {"program": [], "reference": [], "poll": []}
        for _ in range(self.o.runs):
            for name, run in (("reference", reference_run), ("program", program_run)):
                elapsed, poll = run(expected[name])
                runs[name].append(elapsed)
                runs["poll"].append(poll)
        self.results[key] = runs
        log(f"  program   {fmt_list(runs['program'], 's')}")
        log(f"  reference {fmt_list(runs['reference'], 's')}")

    def cover_two_monitors(self):
        """The time to cover and the start-up in the two-monitor world of the
        end-to-end tests (Xorg's dummy driver; needs root)."""
        sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
        import worlds  # noqa: E402

        world = worlds.TwoMonitors(self.o.artifacts)
        saved = self.screen
        world.start()
        try:
            subprocess.run(["wineserver", "-p"], check=False)
            self.screen = Display()
            self.cover(world.monitors, "cover_two")
            self.startup("startup_two")
        finally:
            self.screen = saved
            world.stop()

    # -- the slides --

    def watch(self, area, origin, click, seconds=2.0):
        """Clicks, then grabs the area until the time is up. Returns the
        seconds from the release to each change seen, and the median seconds
        between grabs."""
        x, y = origin[0] + area[0], origin[1] + area[1]
        previous = self.screen.grab(x, y, area[2], area[3])
        released = click()
        changes, stamps = [], []
        while time.monotonic() - released < seconds:
            frame = self.screen.grab(x, y, area[2], area[3])
            now = time.monotonic()
            stamps.append(now)
            if frame != previous:
                changes.append(now - released)
                previous = frame
            time.sleep(0.001)
        if not changes:
            raise RuntimeError("nothing moved")
        return changes, statistics.median(b - a for a, b in zip(stamps, stamps[1:]))

    def track(self, row, span, origin, click, seconds=2.5):
        """Follows a panel along one row of pixels: the panel's first span of
        pixels is looked for in every grab, wherever it is. Returns the
        seconds from the release to each new place seen with that place, and
        the median seconds between grabs. Grabs in which the panel is covered
        (by the lock window coming up, say) are skipped."""
        x, y = origin[0], origin[1] + row
        width = 380
        start, length = span
        before = self.screen.grab(x, y, width, 1)
        template = before[start * 4:(start + length) * 4]
        released = click()
        places, stamps = [(0.0, start)], []
        while time.monotonic() - released < seconds:
            line = self.screen.grab(x, y, width, 1)
            now = time.monotonic()
            stamps.append(now)
            found = line.find(template)
            while found >= 0 and found % 4:
                found = line.find(template, found + 1)
            if found >= 0 and found // 4 != places[-1][1]:
                places.append((now - released, found // 4))
            time.sleep(0.001)
        return places, statistics.median(b - a for a, b in zip(stamps, stamps[1:]))

    def slides(self):
        log("slides: from the click to the panel at rest")
        runs = {"page_in": [], "page_out": [], "logo": [], "logo_first": [], "grab": [], "row_grab": []}
        for _ in range(self.o.runs):
            self.settings({})
            session = self.program()
            try:
                session.start()
                time.sleep(1.0)
                origin = session.rect[:2]
                # The pages: nothing else changes in the area they slide
                # through, so the last change is the page coming to rest.
                changes, grab = self.watch(PAGE_AREA, origin, lambda: session.click(POWER))
                runs["page_in"].append(changes[-1])
                runs["grab"].append(grab)
                changes, grab = self.watch(PAGE_AREA, origin, lambda: session.click(STACK))
                runs["page_out"].append(changes[-1])
                runs["grab"].append(grab)
                # The logo frame: locking changes much around it (fields and
                # button hide, the lock window comes up), so the frame itself
                # is followed along a row that crosses it.
                session.click(TEXT1)
                session.type("bench")
                session.click(TEXT2)
                session.type("bench")
                places, grab = self.track(LOGO_ROW, LOGO_SPAN, origin, lambda: session.click(LOCK))
                if places[-1][1] != LOGO_REST:
                    raise RuntimeError(f"the logo frame did not come to rest at {LOGO_REST}: {places}")
                runs["logo"].append(places[-1][0])
                runs["logo_first"].append(places[1][0])
                runs["row_grab"].append(grab)
            finally:
                session.stop()
        self.results["slides"] = runs
        for key in ("page_in", "page_out", "logo", "logo_first"):
            log(f"  {key} {fmt_list(runs[key], 's')}")

    # -- the table --

    def sizes(self):
        self.results["size"] = {"program": os.path.getsize(os.path.join(self.o.dist, "QuorvelLock.exe")),
                                "reference": os.path.getsize(self.o.reference)}


def fmt_list(values, unit):
    return ", ".join(f"{v:.3f}" for v in values) + f" {unit}"


def median(values):
    return statistics.median(values)


def table(results, micro, runs, idle):
    rows = []

    def row(name, program, reference, ratio, target, met):
        rows.append((name, program, reference, ratio, target, "yes" if met is True else "NO" if met is False else "—"))

    for key, label in (("startup", "start-up to the painted window"),
                       ("startup_two", "start-up to the painted window, two monitors")):
        if key in results:
            p = median(results[key]["program"])
            r = median(results[key]["reference"])
            row(label, f"{p * 1000:.0f} ms", f"{r * 1000:.0f} ms", f"{p / r:.2f}", "≤ 1.25 × reference", p / r <= 1.25)
    if "locked" in results:
        L = results["locked"]
        for key, label in (("locked", "CPU, idle locked"), ("hidden", "CPU, idle hidden")):
            own = median([x["own"] for x in L[key]])
            ref = median([x["own"] for x in L["reference"]])
            row(f"{label} (own process)", f"{own:.2f} %", f"{ref:.2f} %", f"{own / ref:.1f}" if ref > 0 else "—",
                "≤ 2 % of a core", own <= 2.0)
            if L[key][0].get("wineserver") is not None:
                ws = median([x["wineserver"] for x in L[key]])
                wsr = median([x["wineserver"] for x in L["reference"]])
                row(f"{label} (Wine server)", f"{ws:.2f} %", f"{wsr:.2f} %", "—", "reported", None)
            if L[key][0].get("xvfb") is not None:
                xs = median([x["xvfb"] for x in L[key]])
                xsr = median([x["xvfb"] for x in L["reference"]])
                row(f"{label} (X server)", f"{xs:.2f} %", f"{xsr:.2f} %", "—", "reported", None)
        if L.get("ticking"):
            row("CPU, a bare 5 ms timer (own process)", "—", f"{median([x['own'] for x in L['ticking']]):.2f} %", "—",
                "reported", None)
        peak = median(L["peak"]) / 1024
        ref_peak = median(L["reference_peak"]) / 1024
        row("peak memory, locked with a 4K JPEG", f"{peak:.1f} MiB", f"{ref_peak:.1f} MiB", f"{peak / ref_peak:.2f}",
            "≤ reference + 32 MiB", peak <= ref_peak + 32)
        if L.get("resident"):
            rss = median(L["resident"]) / 1024
            row("  resident at the end of the lock", f"{rss:.1f} MiB", f"{ref_peak:.1f} MiB", f"{rss / ref_peak:.2f}",
                "reported", None)
    for key, label in (("cover", "time to cover, one monitor"), ("cover_two", "time to cover, two monitors")):
        if key in results:
            p = median(results[key]["program"])
            r = median(results[key]["reference"])
            row(f"{label} (release to every corner)", f"{p * 1000:.0f} ms", f"{r * 1000:.0f} ms", f"{p / r:.2f}",
                "≤ 2 × ready curtain", p / r <= 2.0)
    if "size" in results:
        s = results["size"]
        row("QuorvelLock.exe size", f"{s['program'] / 1024:.0f} KiB", f"{s['reference'] / 1024:.0f} KiB",
            f"{s['program'] / s['reference']:.1f}", "≤ 1 MiB", s["program"] <= 1024 * 1024)
    if "slides" in results:
        S = results["slides"]
        for key, label, ticks in (("page_in", "power page slides in, click to rest", 8),
                                  ("page_out", "power page slides back, click to rest", 8),
                                  ("logo", "logo frame slides aside, click to rest", 6)):
            v = median(S[key])
            row(label, f"{v * 1000:.0f} ms", f"{ticks * 10} ms", f"{v / (ticks * 0.010):.2f}", "reported", None)
        first = median(S["logo_first"])
        row("  of which locking, up to the first step", f"{first * 1000:.0f} ms", "—", "—", "reported", None)
    for name, label, target in (("KeyboardFilterDecision", "keyboard filter decision", 5.0),
                                ("LeadingNumberOfAnNcCode", "LeadingNumber, one call", None),
                                ("StrictNumberOfAnOpacity", "StrictNumber, one call", None),
                                ("ButtonRedrawOnANullHost", "button cMouseAction redraw, null host", None)):
        if name in micro:
            v = micro[name]
            row(f"{label} (native)", f"{v:.2f} ns", "—", "—", f"≤ {target:g} ns" if target else "reported",
                v <= target if target else None)

    header = ("measurement", "QuorvelLock", "reference", "ratio", "target", "met")
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(6)]
    lines = ["| " + " | ".join(str(c).ljust(w) for c, w in zip(header, widths)) + " |",
             "|" + "|".join("-" * (w + 2) for w in widths) + "|"]
    lines += ["| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |" for r in rows]
    return "\n".join(lines), all(r[5] != "NO" for r in rows)


def wine_version():
    try:
        return subprocess.run(["wine", "--version"], capture_output=True, text=True, timeout=30).stdout.strip()
    except (OSError, subprocess.SubprocessError):
        return "Wine (version unknown)"


def micro_medians(path):
    if not path or not os.path.exists(path):
        return {}
    with open(path) as f:
        data = json.load(f)
    out = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            out[b["run_name"]] = b["cpu_time"]
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dist", required=True, help="the folder of QuorvelLock.exe")
    parser.add_argument("--reference", required=True, help="QuorvelReference.exe")
    parser.add_argument("--micro", help="the JSON of the native micro-benchmarks")
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=10.0, help="seconds of each idle CPU measurement")
    parser.add_argument("--xvfb-pid", type=int)
    parser.add_argument("--only", nargs="*", default=["cover", "cover2", "startup", "locked", "slides"],
                        help="any of: cover cover2 startup locked slides timeline (the last only when named)")
    options = parser.parse_args()
    os.makedirs(options.artifacts, exist_ok=True)
    screen = Display()
    root = screen.attributes(screen.root)
    options.screen = (root.width, root.height)

    bench = Bench(options)
    try:
        bench.sizes()
        if "cover" in options.only:
            bench.cover([(0, 0, *options.screen)], "cover")
        if "startup" in options.only:
            bench.startup()
        if "locked" in options.only:
            bench.locked()
        if "slides" in options.only:
            bench.slides()
        if "timeline" in options.only:
            bench.timeline()
        # Last: the world's own Wine server replaces the one kept for the rest.
        if "cover2" in options.only:
            bench.cover_two_monitors()
    finally:
        shutil.rmtree(bench.scratch, ignore_errors=True)
    with open(os.path.join(options.artifacts, "results.json"), "w") as f:
        json.dump({"runs": options.runs, "idle": options.idle, "results": bench.results,
                   "micro": micro_medians(options.micro)}, f, indent=1)
    text, met = table(bench.results, micro_medians(options.micro), options.runs, options.idle)
    notes = [f"medians of {options.runs} runs; CPU in % of one core over {options.idle:g} s each",
             f"machine: {os.cpu_count()} cores, {wine_version()}, X screen {options.screen[0]}x{options.screen[1]}"]
    polls = [p for key in ("cover", "cover_two") for p in bench.results.get(key, {}).get("poll", [])]
    if polls:
        notes.append(f"time to cover: the corners polled every {median(polls) * 1000:.2f} ms (median)")
    slides = bench.results.get("slides")
    if slides:
        notes.append(f"slides: screen area polled every {median(slides['grab']) * 1000:.1f} ms, "
                     f"the logo's row every {median(slides['row_grab']) * 1000:.1f} ms (medians)")
    with open(os.path.join(options.artifacts, "table.md"), "w") as f:
        f.write("\n".join(notes) + "\n\n" + text + "\n")
    print()
    print("\n".join(notes))
    print(text)
    print()
    print("every target met" if met else "a target is missed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
