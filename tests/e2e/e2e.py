"""Drives the real QuorvelLock.exe under Wine on the X display, as a user would.

The environment (DISPLAY, WINEPREFIX) comes from scripts/test. Every scenario
starts the program in a fresh copy of the dist folder and a fresh settings
store, and keeps its screenshots in the artefacts folder.
"""

import argparse
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
    def __init__(self, exe, artifacts, name):
        self.artifacts = artifacts
        self.name = name
        self.workdir = tempfile.mkdtemp(prefix="quorvel-e2e-")
        dist = os.path.dirname(exe)
        for entry in os.listdir(dist):
            shutil.copy(os.path.join(dist, entry), self.workdir)
        self.exe = os.path.join(self.workdir, os.path.basename(exe))
        self.process = None
        self.shots = 0

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


def run(scenarios):
    """Runs the named scenario functions; prints a closing count line."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--artifacts", required=True)
    options = parser.parse_args()
    os.makedirs(options.artifacts, exist_ok=True)
    passed = failed = 0
    for scenario in scenarios:
        program = Program(options.exe, options.artifacts, scenario.__name__)
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
