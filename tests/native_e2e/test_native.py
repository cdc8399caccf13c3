"""End-to-end scenarios on quorvel-lock, the native X11 program, driven as a
user would (pointer and keys through XTEST) and judged by the screen's
pixels, in the worlds of the Windows scenarios (see ../e2e/worlds.py): no
window manager, openbox, and two monitors. Every scenario starts the program
with a settings store of its own."""

import argparse
import configparser
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import e2e  # noqa: E402
import worlds  # noqa: E402
from test_lock import FORGOT, HIDE, LOCK, OK, SETTINGS, TEXT1, TEXT2, TEXT4_ON_PAGE, TEXT6, UNLOCK, at  # noqa: E402
from test_lock_integrity import ENTRY_BACK, close_to, uncovered  # noqa: E402
from test_pages import TEXT3_ON_PAGE  # noqa: E402

CAPTION = "Quorvel锁屏软件"
POWER = (69, 269)
SHUTDOWN_TILE, RESTART_TILE, LOGOFF_TILE = (75, 169), (188, 169), (301, 169)
COVERED_WITHIN = 1.0  # a monitor, a window mapped later: covered again within this


class Native:
    """The program in a home of its own: its key files, no Wayland, and a
    system bus only where a scenario gives it one. A critical warning of GTK
    ends it, and so fails the scenario."""

    def __init__(self, options, name):
        self.exe, self.nc_tool, self.artifacts, self.name = options.exe, options.nc, options.artifacts, name
        self.home = tempfile.mkdtemp(prefix="quorvel-native-")
        self.env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        NO_AT_BRIDGE="1", GDK_BACKEND="x11", G_DEBUG="fatal-criticals",
                        DBUS_SYSTEM_BUS_ADDRESS=f"unix:path={self.home}/no-system-bus")
        for key in ("WAYLAND_DISPLAY", "XDG_SESSION_ID"):
            self.env.pop(key, None)
        self.process = None
        self.shots = 0
        self.helpers = []

    def start(self, **env):
        log = open(os.path.join(self.artifacts, f"{self.name}.log"), "w")
        self.process = subprocess.Popen([self.exe], env=dict(self.env, **env), stdout=log, stderr=log)
        window = wait_window(CAPTION)
        x, y, _, _ = geometry(window)
        return x, y

    def stored(self, application):
        keys = configparser.RawConfigParser()
        keys.optionxform = str
        keys.read(os.path.join(self.home, "config", "quorvel", f"{application}.ini"), encoding="utf-8")
        return keys.get("APP", "TEXT", fallback=None)

    def ended(self, timeout=5):
        try:
            self.process.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def screenshot(self, label):
        self.shots += 1
        path = os.path.join(self.artifacts, f"{self.name}-{self.shots:02d}-{label}.png")
        subprocess.run(["import", "-window", "root", path], check=False)

    def stop(self):
        for helper in reversed(self.helpers):
            helper()
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.home, ignore_errors=True)


def wait_window(name, timeout=15, present=True):
    end = time.time() + timeout
    while time.time() < end:
        found = e2e.sh("xdotool", "search", "--onlyvisible", "--name", f"^{name}$", check=False).split()
        if bool(found) == present:
            time.sleep(0.4)  # let it paint
            return found[0] if found else None
        time.sleep(0.1)
    raise AssertionError(f"the window {name!r} {'never came' if present else 'stayed'} within {timeout} s")


def geometry(window):
    # A window manager may still be taking the new window into its frame.
    for _ in range(20):
        out = e2e.sh("xdotool", "getwindowgeometry", "--shell", window, check=False)
        if "X=" in out:
            values = dict(line.split("=", 1) for line in out.splitlines())
            return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])
        time.sleep(0.1)
    raise AssertionError(f"no geometry of the window {window}")


def lock(program, password="pw", **env):
    origin = program.start(**env)
    e2e.click_at(*at(origin, TEXT1))
    e2e.type_text(password)
    e2e.click_at(*at(origin, TEXT2))
    e2e.type_text(password)
    e2e.click_at(*at(origin, LOCK))
    time.sleep(0.5)
    return origin


def unlock(program, origin, password="pw"):
    e2e.click_at(*at(origin, TEXT6))
    e2e.type_text(password)
    e2e.click_at(*at(origin, UNLOCK))
    assert program.ended(), "the right password did not end the lock"


def wait_covered(monitors, timeout=COVERED_WITHIN):
    end = time.time() + timeout
    while True:
        bad = uncovered(monitors)
        if not bad or time.time() > end:
            return bad
        time.sleep(0.05)


def message(title):
    """Waits for a message box of that title and dismisses it with Return."""
    wait_window(title)
    e2e.Keyboard().press("Return")
    wait_window(title, present=False)


# ---- the scenarios ----

def locks_covers_every_monitor_and_unlocks(program):
    origin = lock(program)
    bad = wait_covered(program.world.monitors)
    program.screenshot("locked")
    assert not bad, "\n".join(bad)
    assert close_to(e2e.pixel(*at(origin, (TEXT6[0] + 30, TEXT6[1]))), ENTRY_BACK), "no unlock row on the curtain"
    assert program.stored("text1") == "pw" and program.stored("text2") == "pw"
    e2e.click_at(*at(origin, TEXT6))
    e2e.type_text("wrong")
    e2e.click_at(*at(origin, UNLOCK))
    message("请输入正确的密码！")
    assert not program.ended(0.5)
    e2e.click_at(*at(origin, TEXT6))
    keys = e2e.Keyboard()
    keys.press("End")
    for _ in "wrong":
        keys.press("BackSpace")
    unlock(program, origin)


def mismatched_passwords_get_their_message_and_no_lock(program):
    origin = program.start()
    e2e.click_at(*at(origin, TEXT1))
    e2e.type_text("one")
    e2e.click_at(*at(origin, TEXT2))
    e2e.type_text("two")
    e2e.click_at(*at(origin, LOCK))
    message("温馨提示")
    assert uncovered([(0, 0, 1280, 800)]), "a curtain came without a lock"
    assert program.stored("text1") is None


def hides_and_comes_back(program):
    origin = lock(program)
    e2e.click_at(*at(origin, HIDE))
    time.sleep(0.5)
    assert not close_to(e2e.pixel(*at(origin, (TEXT6[0] + 30, TEXT6[1]))), ENTRY_BACK), "the setup window stayed"
    bad = wait_covered(program.world.monitors)
    program.screenshot("hidden")
    assert not bad, "\n".join(bad)
    e2e.click_at(640, 454)  # the lock window's own "解锁"
    time.sleep(0.5)
    assert close_to(e2e.pixel(*at(origin, (TEXT6[0] + 30, TEXT6[1]))), ENTRY_BACK), "the setup window did not come back"
    unlock(program, origin)


def recovers_with_the_nc_code_of_the_tool(program):
    origin = program.start()
    # The NS码 set on the settings page, then the lock.
    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    e2e.click_at(*at(origin, TEXT4_ON_PAGE))
    e2e.type_text("2580")
    e2e.click_at(*at(origin, OK))
    time.sleep(1.0)
    e2e.click_at(*at(origin, TEXT1))
    e2e.type_text("forgotten")
    e2e.click_at(*at(origin, TEXT2))
    e2e.type_text("forgotten")
    e2e.click_at(*at(origin, LOCK))
    time.sleep(0.5)
    nc = subprocess.run([program.nc_tool, "2580"], capture_output=True, text=True, check=True).stdout.strip()
    assert nc.isdigit(), nc
    e2e.click_at(*at(origin, FORGOT))
    e2e.click_at(*at(origin, TEXT6))
    e2e.type_text(nc)
    e2e.click_at(*at(origin, UNLOCK))
    assert program.ended(), "the NC码 did not end the lock"


def settings_are_saved_and_read_back(program):
    origin = program.start()
    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    e2e.click_at(*at(origin, TEXT4_ON_PAGE))
    e2e.type_text("1357")
    e2e.click_at(*at(origin, TEXT3_ON_PAGE))
    # Emptied, the field would read 255 again: "255" becomes "2", then "200".
    keys = e2e.Keyboard()
    keys.press("End")
    for _ in range(2):
        keys.press("BackSpace")
    e2e.type_text("00")
    e2e.click_at(*at(origin, OK))
    time.sleep(1.0)
    assert (program.stored("text3"), program.stored("text4")) == ("200", "1357"), \
        (program.stored("text3"), program.stored("text4"))
    program.process.kill()
    program.process.wait()
    origin = program.start()
    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    program.screenshot("read-back")
    # Saved again unchanged when confirmed: what the page read back is what was stored.
    e2e.click_at(*at(origin, OK))
    time.sleep(1.0)
    assert (program.stored("text3"), program.stored("text4")) == ("200", "1357")


class Bus:
    """A private bus standing in for the system bus, with python-dbusmock's
    logind on it: it records the calls it gets."""

    def __init__(self, program):
        self.daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                       stdout=subprocess.PIPE, text=True)
        self.address = self.daemon.stdout.readline().strip()
        env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        self.mock = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind"],
                                     env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        program.helpers.append(self.stop)
        worlds.wait_for("logind on the private bus", lambda: "PowerOff" in self.calls(introspect=True), 10)

    def calls(self, introspect=False):
        method = "org.freedesktop.DBus.Introspectable.Introspect" if introspect else \
            "org.freedesktop.DBus.Mock.GetCalls"
        return subprocess.run(["dbus-send", f"--bus={self.address}", "--print-reply",
                               "--dest=org.freedesktop.login1", "/org/freedesktop/login1", method],
                              capture_output=True, text=True).stdout

    def stop(self):
        for process in (self.mock, self.daemon):
            process.terminate()
            process.wait()


def the_power_page_asks_logind(program):
    bus = Bus(program)
    origin = program.start(DBUS_SYSTEM_BUS_ADDRESS=bus.address, XDG_SESSION_ID="c7")
    e2e.click_at(*at(origin, POWER))
    time.sleep(1.0)
    for tile, call in ((SHUTDOWN_TILE, "PowerOff"), (RESTART_TILE, "Reboot"), (LOGOFF_TILE, "TerminateSession")):
        e2e.click_at(*at(origin, tile))
        worlds.wait_for(f"logind got no {call}", lambda call=call: call in bus.calls(), 5)
    assert '"c7"' in bus.calls(), bus.calls()


def without_logind_the_power_page_says_so(program):
    origin = program.start()
    e2e.click_at(*at(origin, POWER))
    time.sleep(1.0)
    e2e.click_at(*at(origin, SHUTDOWN_TILE))
    message("温馨提示")
    assert program.process.poll() is None


def window_manager_shortcuts_change_nothing(program):
    keys = e2e.Keyboard()
    origin = program.start()
    # Before a lock the manager's own keys work, or this proves nothing.
    keys.chord("Control_L", "Alt_L", "Right")
    assert e2e.sh("xdotool", "get_desktop") == "1", "openbox's desktop switch does not work here"
    keys.chord("Control_L", "Alt_L", "Left")
    assert e2e.sh("xdotool", "get_desktop") == "0"
    time.sleep(0.5)
    e2e.click_at(*at(origin, TEXT1))
    e2e.type_text("pw")
    e2e.click_at(*at(origin, TEXT2))
    e2e.type_text("pw")
    e2e.click_at(*at(origin, LOCK))
    time.sleep(0.5)
    for chord in (("Control_L", "Alt_L", "Right"), ("Alt_L", "Tab"), ("Super_L", "d")):
        keys.chord(*chord)
    e2e.click_at(5, 5, 3)  # openbox's root menu, on the desktop
    time.sleep(0.3)
    assert e2e.sh("xdotool", "get_desktop") == "0", "the desktop switched during the lock"
    bad = wait_covered(program.world.monitors, 0)
    program.screenshot("after-shortcuts")
    assert not bad, "\n".join(bad)
    unlock(program, origin)  # and the keys still reach the unlock field


def later_windows_end_below_the_curtain(program):
    origin = lock(program)
    red = e2e.XWindow(0, 0, 1280, 800)
    program.helpers.append(red.close)
    bad = wait_covered(program.world.monitors)
    assert not bad, "an override-redirect window stayed above the lock:\n" + "\n".join(bad)
    managed = subprocess.Popen(["xmessage", "-geometry", "1280x800+0+0", "-bg", "red", "above the lock?"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    program.helpers.append(managed.kill)
    time.sleep(0.3)
    bad = wait_covered(program.world.monitors)
    program.screenshot("later-windows")
    assert not bad, "a managed window stayed above the lock:\n" + "\n".join(bad)
    assert close_to(e2e.pixel(*at(origin, (TEXT6[0] + 30, TEXT6[1]))), ENTRY_BACK), "the unlock row went under"
    unlock(program, origin)


class KeyboardHolder:
    """Another client holding the keyboard (as an open menu does)."""

    def __init__(self):
        self.xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.xlib.XGrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                            ctypes.c_int, ctypes.c_ulong]
        self.xlib.XUngrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.xlib.XOpenDisplay(None)
        grab_mode_async, grab_success = 1, 0
        result = self.xlib.XGrabKeyboard(self.display, self.xlib.XDefaultRootWindow(self.display), 1,
                                         grab_mode_async, grab_mode_async, 0)
        self.xlib.XSync(self.display, 0)
        assert result == grab_success, f"the holder got no keyboard ({result})"

    def release(self):
        if self.display:
            self.xlib.XUngrabKeyboard(self.display, 0)
            self.xlib.XSync(self.display, 0)
            self.xlib.XCloseDisplay(self.display)
            self.display = None


def a_held_keyboard_refuses_the_lock(program):
    origin = program.start()
    e2e.click_at(*at(origin, TEXT1))
    e2e.type_text("pw")
    e2e.click_at(*at(origin, TEXT2))
    e2e.type_text("pw")
    holder = KeyboardHolder()
    program.helpers.append(holder.release)
    e2e.click_at(*at(origin, LOCK))
    wait_window("温馨提示", timeout=5)
    program.screenshot("refused")
    assert uncovered([(0, 0, 1280, 800)]), "a curtain came without the keyboard"
    assert program.stored("text1") is None, "a refused lock stored its password"
    holder.release()
    message("温馨提示")
    e2e.click_at(*at(origin, LOCK))  # the holder let go: the same click locks
    assert not wait_covered(program.world.monitors), "no lock once the keyboard was free"
    unlock(program, origin)


def a_monitor_plugged_during_a_lock_is_covered(program):
    world = program.world
    world.unplug()
    worlds.wait_for("the second monitor did not go", lambda: world.monitor_count() == 1, 10)
    try:
        origin = lock(program)
        assert not wait_covered(world.monitors[:1])
        began = time.time()
        world.plug()
        bad = wait_covered(world.monitors, COVERED_WITHIN + 1.0)
        program.screenshot("plugged")
        assert not bad, "\n".join(bad)
        print(f"  the new monitor was covered {time.time() - began:.2f} s after xrandr was asked")
        unlock(program, origin)
    finally:
        world.plug()


def a_wayland_session_is_refused(program):
    origin = program.start(WAYLAND_DISPLAY="wayland-0")
    e2e.click_at(*at(origin, TEXT1))
    e2e.type_text("pw")
    e2e.click_at(*at(origin, TEXT2))
    e2e.type_text("pw")
    e2e.click_at(*at(origin, LOCK))
    wait_window("温馨提示", timeout=5)
    assert uncovered([(0, 0, 1280, 800)]), "a curtain came that locks nothing"
    message("温馨提示")
    assert program.stored("text1") is None


EVERYWHERE = [locks_covers_every_monitor_and_unlocks, later_windows_end_below_the_curtain, hides_and_comes_back]
NO_MANAGER = [mismatched_passwords_get_their_message_and_no_lock, recovers_with_the_nc_code_of_the_tool,
              settings_are_saved_and_read_back, the_power_page_asks_logind, without_logind_the_power_page_says_so,
              a_held_keyboard_refuses_the_lock, a_wayland_session_is_refused]


def native(world_class):
    return type(f"Native{world_class.__name__}", (world_class,), {"wine": False})


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--nc", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--only", help="run only the scenarios whose names hold one of these (comma-separated)")
    options = parser.parse_args()
    os.makedirs(options.artifacts, exist_ok=True)
    groups = [(worlds.WinePlaces, EVERYWHERE + NO_MANAGER),
              (worlds.WindowManager, EVERYWHERE + [window_manager_shortcuts_change_nothing]),
              (worlds.TwoMonitors, EVERYWHERE + [a_monitor_plugged_during_a_lock_is_covered])]
    passed = failed = 0
    for world_class, scenarios in groups:
        scenarios = [s for s in scenarios
                     if not options.only or any(part in s.__name__ for part in options.only.split(","))]
        if not scenarios:
            continue
        world = native(world_class)(options.artifacts)
        try:
            world.start()
        except Exception:
            traceback.print_exc()
            print(f"FAIL {world.name}: the world did not start", flush=True)
            failed += len(scenarios)
            world.stop()
            continue
        try:
            for scenario in scenarios:
                name = f"native-{world.name}-{scenario.__name__}"
                program = Native(options, name)
                program.world = world
                began = time.time()
                try:
                    scenario(program)
                    print(f"PASS {name} ({time.time() - began:.0f} s)", flush=True)
                    passed += 1
                except Exception:
                    print(f"FAIL {name} ({time.time() - began:.0f} s)", flush=True)
                    traceback.print_exc()
                    sys.stderr.flush()
                    program.screenshot("failure")
                    failed += 1
                finally:
                    program.stop()
        finally:
            world.stop()
    e2e.finish(passed, failed)


if __name__ == "__main__":
    main()
