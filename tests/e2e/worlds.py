"""The worlds a lock must hold in, started by the scenarios themselves: each
has an X server of its own on a free display and a Wine prefix of its own,
copied from a prepared one, so nothing of Wine stays tied to another world's
display.

- WinePlaces: Xvfb, no window manager; Wine places its windows itself.
- WindowManager: the same with openbox running before Wine starts, as on a
  desktop where scripts/run starts the program.
- TwoMonitors: Xorg with the dummy driver, two 1280 x 800 monitors side by
  side (xrandr), the first one primary. Xorg runs as the caller: root here.

Every prefix is unmanaged (Wine places the windows), as scripts/run's is.
"""

import os
import shutil
import subprocess
import tempfile
import time
import traceback

import e2e

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FIRST_DISPLAY = 150  # scripts/test's own display counts up from 90
WIDTH, HEIGHT = 1280, 800

XORG_CONF = """\
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
EndSection

Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 65536
EndSection

Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection

Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 2560 800
    EndSubSection
EndSection
"""


def quiet(*args, **kwargs):
    return subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)


def wait_for(what, test, timeout, step=0.1):
    end = time.time() + timeout
    while time.time() < end:
        if test():
            return
        time.sleep(step)
    raise AssertionError(f"{what} within {timeout} s")


def display_taken(n):
    return os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock")


_prepared_prefix = None


def prepared_prefix():
    """A prefix prepared as scripts/test prepares its own (unmanaged): the
    one in $WINEPREFIX when it is ready, otherwise one made once here."""
    global _prepared_prefix
    if _prepared_prefix:
        return _prepared_prefix
    prefix = os.environ.get("WINEPREFIX", "")
    if not (prefix and os.path.exists(os.path.join(prefix, "system.reg"))):
        prefix = os.path.join(tempfile.mkdtemp(prefix="quorvel-world-base-"), "prefix")
    env = dict(os.environ, WINEPREFIX=prefix)
    # Written to disk in full before it is copied.
    quiet("bash", "-c", f"source '{ROOT}/scripts/lib.sh' && ensure_wine_prefix unmanaged && wineserver -k; true",
          env=env, check=True)
    _prepared_prefix = prefix
    return prefix


class World:
    """Started with start(), ended with stop(); meanwhile DISPLAY and
    WINEPREFIX name its display and prefix."""

    name = "world"
    monitors = [(0, 0, WIDTH, HEIGHT)]
    wine = True  # a Wine prefix of its own; the native program needs none

    def __init__(self, artifacts):
        self.artifacts = artifacts
        self.folder = None
        self.processes = []
        self.saved = {}

    def start(self):
        self.folder = tempfile.mkdtemp(prefix=f"quorvel-{self.name}-")
        self.saved = {key: os.environ.get(key) for key in ("DISPLAY", "WINEPREFIX")}
        for n in range(FIRST_DISPLAY, FIRST_DISPLAY + 50):
            if display_taken(n):
                continue
            if self.start_display(n):
                os.environ["DISPLAY"] = f":{n}"
                break
        else:
            raise AssertionError(f"{self.name}: no X server started on :{FIRST_DISPLAY} and up")
        self.start_desktop()
        if not self.wine:
            return
        base = prepared_prefix()
        prefix = os.path.join(self.folder, "prefix")
        subprocess.run(["cp", "-a", base, prefix], check=True)
        os.environ["WINEPREFIX"] = prefix

    def start_display(self, n):
        """Starts the X server on :n; False if the display was taken meanwhile."""
        raise NotImplementedError

    def start_desktop(self):
        """What runs on the display before Wine: nothing, by default."""

    def spawn(self, args, log):
        with open(os.path.join(self.artifacts, f"world-{self.name}.{log}.log"), "w") as out:
            process = subprocess.Popen(args, stdout=out, stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def wait_display(self, process, n, timeout=15):
        def up():
            if process.poll() is not None:
                return True
            return quiet("xdpyinfo", "-display", f":{n}").returncode == 0
        wait_for(f"{self.name}: no X server on :{n}", up, timeout)
        return process.poll() is None

    def check_monitors(self, program):
        """What Wine sees must be this world, or a test in it proves nothing."""
        seen = [(m["left"], m["top"], m["width"], m["height"]) for m in program.probe("monitors", "-")]
        assert sorted(seen) == sorted(self.monitors), f"{self.name}: Wine sees the monitors {seen}"

    def stop(self):
        quiet("wineserver", "-k")
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.processes = []
        for key, value in self.saved.items():
            if value is None:
                os.environ.pop(key, None)
            else:
                os.environ[key] = value
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)


class WinePlaces(World):
    """Xvfb and no window manager: Wine places its windows itself."""

    name = "wine-places-windows"

    def start_display(self, n):
        # -noreset: when the first client (the readiness check) leaves, the
        # server would reset and turn the next one away for a moment.
        xvfb = self.spawn(["Xvfb", f":{n}", "-screen", "0", f"{WIDTH}x{HEIGHT}x24", "-nolisten", "tcp", "-noreset"],
                          "xserver")
        return self.wait_display(xvfb, n)


class WindowManager(WinePlaces):
    """Xvfb with openbox, started before Wine as on a user's desktop."""

    name = "window-manager"

    def start_desktop(self):
        openbox = self.spawn(["openbox", "--sm-disable"], "openbox")

        def running():
            assert openbox.poll() is None, f"{self.name}: openbox ended at start"
            out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True)
            return "window id" in out.stdout
        wait_for(f"{self.name}: openbox did not take the display", running, 15)


class TwoMonitors(World):
    """Xorg with the dummy driver; xrandr puts a second monitor right of the
    primary one. unplug() and plug() take it away and give it back."""

    name = "two-monitors"
    monitors = [(0, 0, WIDTH, HEIGHT), (WIDTH, 0, WIDTH, HEIGHT)]

    def start_display(self, n):
        config = os.path.join(self.folder, "xorg.conf")
        with open(config, "w") as f:
            f.write(XORG_CONF)
        xorg = self.spawn(["Xorg", f":{n}", "-config", config, "-logfile",
                           os.path.join(self.artifacts, f"world-{self.name}.Xorg.log"), "-noreset", "-nolisten",
                           "tcp"], "xserver")
        if not self.wait_display(xorg, n, timeout=30):
            return False
        os.environ["DISPLAY"] = f":{n}"
        # The server may still be setting up its outputs when it answers:
        # repeat until it reports both monitors, or fail here rather than
        # let every later test run on one.
        end = time.time() + 20
        while time.time() < end:
            quiet("xrandr", "--output", "DUMMY0", "--mode", f"{WIDTH}x{HEIGHT}", "--pos", "0x0", "--primary")
            quiet("xrandr", "--addmode", "DUMMY1", f"{WIDTH}x{HEIGHT}")
            self.plug()
            if self.monitor_count() == 2:
                return True
            time.sleep(0.5)
        raise AssertionError(f"{self.name}: xrandr never reported two monitors on :{n}")

    def monitor_count(self):
        out = subprocess.run(["xrandr", "--listmonitors"], capture_output=True, text=True).stdout
        for line in out.splitlines():
            if line.startswith("Monitors:"):
                return int(line.split()[1])
        return 0

    def unplug(self):
        quiet("xrandr", "--output", "DUMMY1", "--off")

    def plug(self):
        quiet("xrandr", "--output", "DUMMY1", "--mode", f"{WIDTH}x{HEIGHT}", "--pos", f"{WIDTH}x0")


def run(groups):
    """Runs each world's scenarios in that world, started once for all of
    them; a world that does not start fails its scenarios. Prints the time
    each world took and the closing count line."""
    parsed = e2e.options()
    passed = failed = 0
    for world_class, scenarios in groups:
        world = world_class(parsed.artifacts)
        began = time.time()
        try:
            world.start()
            checker = e2e.Program(parsed.exe, parsed.artifacts, f"{world.name}-check", parsed.probe)
            try:
                world.check_monitors(checker)
            finally:
                checker.stop()
        except Exception:
            traceback.print_exc()
            for scenario in scenarios:
                print(f"FAIL {world.name}/{scenario.__name__} (the world did not start)", flush=True)
            failed += len(scenarios)
            world.stop()
            continue
        try:
            for scenario in scenarios:
                def in_world(program, scenario=scenario):
                    program.world = world
                    scenario(program)
                if e2e.run_scenario(parsed, in_world, f"{world.name}-{scenario.__name__}"):
                    passed += 1
                else:
                    failed += 1
        finally:
            world.stop()
        print(f"world {world.name}: {time.time() - began:.0f} s", flush=True)
    e2e.finish(passed, failed)
