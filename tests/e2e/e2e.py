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

    def probe(self, command, argument):
        """Runs the Windows-side probe; returns its JSON lines as objects."""
        out = os.path.join(self.workdir, "probe.out")
        subprocess.run(["wine", self.probe_exe, out, command, str(argument)], check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        with open(out, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]

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


def run(scenarios):
    """Runs the named scenario functions; prints a closing count line."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--probe")
    parser.add_argument("--nc", help="QuorvelNC.exe, for the recovery scenarios")
    options = parser.parse_args()
    os.makedirs(options.artifacts, exist_ok=True)
    passed = failed = 0
    for scenario in scenarios:
        program = Program(options.exe, options.artifacts, scenario.__name__, options.probe)
        program.nc_tool = options.nc
        program.clear_settings()
        try:
            scenario(program)
            passed += 1
            print(f"PASS {scenario.__name__}")
        except Exception:  # a failed scenario is reported and the next one runs
            failed += 1
            print(f"FAIL {scenario.__name__}")
            traceback.print_exc()
            try:
                program.screenshot("failure")
            except Exception:
                pass
        finally:
            program.stop()
    print(f"e2e: {passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)
