"""Drives the real QuorvelLock.exe under Wine on the X display, as a user would.

The environment (DISPLAY, WINEPREFIX) comes from scripts/test. Every scenario
starts the program in a fresh copy of the dist folder and a fresh settings
store, and keeps its screenshots in the artefacts folder.
"""

import argparse
import ctypes
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

CAPTION = "Quorvel锁屏软件"


def sh(*args, check=True):
    return subprocess.run(args, check=check, capture_output=True, text=True).stdout.strip()


class Program:
    def __init__(self, exe, artifacts, name, probe=None):
        self.probe_exe = probe
        self.artifacts = artifacts
        self.name = name
        self.workdir = tempfile.mkdtemp(prefix="quorvel-e2e-")
        dist = os.path.dirname(exe)
        for entry in os.listdir(dist):
            shutil.copy(os.path.join(dist, entry), self.workdir)
        self.exe = os.path.join(self.workdir, os.path.basename(exe))
        self.process = None
        self.shots = 0

    def workdir_override(self, folder):
        """Runs the program from another folder (an unpacked archive)."""
        shutil.rmtree(self.workdir, ignore_errors=True)
        self.workdir = folder
        self.exe = os.path.join(folder, os.path.basename(self.exe))

    def clear_settings(self):
        subprocess.run(["wine", "reg", "delete", r"HKCU\Software\Quorvel", "/f"],
                       capture_output=True)

    def start(self):
        log = open(os.path.join(self.artifacts, f"{self.name}.wine.log"), "w")
        self.process = subprocess.Popen(["wine", self.exe], stdout=log, stderr=log, cwd=self.workdir)
        return self.wait_window(CAPTION)

    def wait_window(self, name, timeout=20):
        end = time.time() + timeout
        while time.time() < end:
            ids = sh("xdotool", "search", "--onlyvisible", "--name", f"^{name}$", check=False).split()
            if ids:
                time.sleep(0.5)  # let it paint
                return ids[0]
            time.sleep(0.2)
        raise AssertionError(f"no window named {name!r} within {timeout} s")

    def geometry(self, window):
        out = sh("xdotool", "getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.splitlines())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def screenshot(self, label):
        self.shots += 1
        path = os.path.join(self.artifacts, f"{self.name}-{self.shots:02d}-{label}.png")
        subprocess.run(["import", "-window", "root", path], check=True)
        return path

    def ended(self, timeout=10):
        try:
            self.process.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def probe(self, command, *arguments):
        """Runs the Windows-side probe; returns its JSON lines as objects."""
        out = os.path.join(self.workdir, "probe.out")
        for attempt in range(2):
            done = subprocess.run(["wine", self.probe_exe, out, command, *[str(a) for a in arguments]], check=False,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
            if done.returncode in (0, 1):  # 1: the command found no window or failed
                break
            print(f"the probe ended with {done.returncode} on {command} {arguments}", file=sys.stderr)
        return read_json_lines(out)

    def probe_in_background(self, label, command, *arguments):
        """Starts the probe for a command that lasts (hook, redtop);
        returns the process and the file its lines go to."""
        out = os.path.join(self.workdir, f"{label}.out")
        process = subprocess.Popen(["wine", self.probe_exe, out, command, *[str(a) for a in arguments]],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return process, out

    def set_stored(self, application, text):
        subprocess.run(["wine", "reg", "add", rf"HKCU\Software\Quorvel\{application}\APP", "/v", "TEXT", "/d",
                        text, "/f"], capture_output=True, check=True)

    def window_state(self, caption=CAPTION):
        return self.probe("window", caption)[0]

    def children(self, caption=CAPTION):
        return self.probe("children", caption)

    def stored(self, application):
        return self.probe("store", application)[0]

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            subprocess.run(["wineserver", "-k"], capture_output=True)
        shutil.rmtree(self.workdir, ignore_errors=True)


def read_json_lines(path):
    """The probe's lines so far (a line still being written is left out)."""
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
    except FileNotFoundError:
        return []
    return [json.loads(line) for line in lines[:-1] if line.strip()]


def screen_size():
    w, h = sh("xdotool", "getdisplaygeometry").split()
    return int(w), int(h)


def mouse(*args):
    sh("xdotool", *[str(a) for a in args])


def click_at(x, y, button=1):
    sh("xdotool", "mousemove", str(x), str(y))
    time.sleep(0.1)
    sh("xdotool", "click", str(button))
    time.sleep(0.3)


def type_text(text):
    sh("xdotool", "type", "--delay", "40", "--", text)
    time.sleep(0.3)


class Keyboard:
    """Exact single keys through the XTEST extension: xdotool's Control_R
    also presses Control_L, which would spoil a test of the key filter."""

    def __init__(self):
        self.xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XStringToKeysym.restype = ctypes.c_ulong
        self.xlib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.xlib.XFlush.argtypes = [ctypes.c_void_p]
        self.display = self.xlib.XOpenDisplay(None)

    def chord(self, *keysyms):
        codes = [self.xlib.XKeysymToKeycode(self.display, self.xlib.XStringToKeysym(k.encode())) for k in keysyms]
        for code in codes:
            self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
            self.xlib.XFlush(self.display)
            time.sleep(0.05)
        for code in reversed(codes):
            self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
            self.xlib.XFlush(self.display)
            time.sleep(0.05)
        time.sleep(0.2)

    def press(self, keysym):
        code = self.xlib.XKeysymToKeycode(self.display, self.xlib.XStringToKeysym(keysym.encode()))
        self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
        self.xlib.XFlush(self.display)
        time.sleep(0.1)
        self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
        self.xlib.XFlush(self.display)
        time.sleep(0.2)


class XSetWindowAttributes(ctypes.Structure):
    _fields_ = [("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
                ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("cursor", ctypes.c_ulong)]


class XWindow:
    """A plain red window of a program outside Wine, mapped on top of
    everything with no window manager in between (override-redirect): Wine
    knows nothing of it. Ended with close()."""

    def __init__(self, left, top, width, height):
        xlib = self.xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XCreateWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_uint, ctypes.c_void_p,
                                       ctypes.c_ulong, ctypes.POINTER(XSetWindowAttributes)]
        xlib.XCreateWindow.restype = ctypes.c_ulong
        for name in ("XMapRaised", "XDestroyWindow"):
            getattr(xlib, name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        for name in ("XSync",):
            getattr(xlib, name).argtypes = [ctypes.c_void_p, ctypes.c_int]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = xlib.XOpenDisplay(None)
        attributes = XSetWindowAttributes(background_pixel=0xFF0000, override_redirect=1)
        back_pixel, override_redirect, input_output = 1 << 1, 1 << 9, 1
        self.window = xlib.XCreateWindow(self.display, xlib.XDefaultRootWindow(self.display), left, top, width,
                                         height, 0, 0, input_output, None, back_pixel | override_redirect,
                                         ctypes.byref(attributes))
        xlib.XMapRaised(self.display, self.window)
        xlib.XSync(self.display, 0)

    def close(self):
        self.xlib.XDestroyWindow(self.display, self.window)
        self.xlib.XSync(self.display, 0)
        self.xlib.XCloseDisplay(self.display)


class XImage(ctypes.Structure):
    """The leading fields of Xlib's XImage, as far as reading pixels needs."""
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


class Area:
    """Pixels of the screen as (r, g, b), addressed in screen coordinates."""

    def __init__(self, left, top, width, height, rows):
        self.left, self.top, self.width, self.height = left, top, width, height
        self.rows = rows

    def at(self, x, y):
        return self.rows[y - self.top][x - self.left]

    def colours(self):
        return {pixel for row in self.rows for pixel in row}


def grab(left, top, width, height):
    """Reads what the screen shows (the root window with everything on it)
    straight from the X server, as a user sees it: no window manager or
    Win32 answer in between."""
    xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(None)
    if not display:
        raise AssertionError(f"cannot open the display {os.environ.get('DISPLAY')!r}")
    try:
        z_pixmap, all_planes = 2, 0xFFFFFFFF
        image = xlib.XGetImage(display, xlib.XDefaultRootWindow(display), left, top, width, height, all_planes,
                               z_pixmap)
        if not image:
            raise AssertionError(f"no image of {width}x{height} at {left},{top}")
        try:
            im = image.contents
            if im.bits_per_pixel != 32:
                raise AssertionError(f"{im.bits_per_pixel} bits per pixel: only 32 are read")
            data = ctypes.string_at(im.data, im.bytes_per_line * im.height)
            order = "little" if im.byte_order == 0 else "big"
            masks = [(mask, (mask & -mask).bit_length() - 1) for mask in (im.red_mask, im.green_mask, im.blue_mask)]
            rows = []
            for y in range(im.height):
                line = data[y * im.bytes_per_line:y * im.bytes_per_line + 4 * im.width]
                row = []
                for x in range(0, 4 * im.width, 4):
                    value = int.from_bytes(line[x:x + 4], order)
                    row.append(tuple((value & mask) >> shift for mask, shift in masks))
                rows.append(row)
        finally:
            xlib.XDestroyImage(image)
    finally:
        xlib.XCloseDisplay(display)
    return Area(left, top, width, height, rows)


def pixel(x, y):
    return grab(x, y, 1, 1).at(x, y)


def options():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--probe")
    parser.add_argument("--nc", help="QuorvelNC.exe, for the recovery scenarios")
    parsed = parser.parse_args()
    os.makedirs(parsed.artifacts, exist_ok=True)
    return parsed


def run_scenario(parsed, scenario, name=None):
    """Runs one scenario on a fresh program; prints PASS or FAIL and returns
    whether it passed."""
    name = name or scenario.__name__
    program = Program(parsed.exe, parsed.artifacts, name, parsed.probe)
    program.nc_tool = parsed.nc
    program.clear_settings()
    began = time.time()
    try:
        scenario(program)
        print(f"PASS {name} ({time.time() - began:.0f} s)", flush=True)
        return True
    except Exception:  # a failed scenario is reported and the next one runs
        print(f"FAIL {name} ({time.time() - began:.0f} s)", flush=True)
        traceback.print_exc()
        sys.stderr.flush()
        try:
            program.screenshot("failure")
        except Exception:
            pass
        return False
    finally:
        program.stop()


def finish(passed, failed):
    print(f"e2e: {passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


def run(scenarios):
    """Runs the named scenario functions; prints a closing count line."""
    parsed = options()
    results = [run_scenario(parsed, scenario) for scenario in scenarios]
    finish(results.count(True), results.count(False))
