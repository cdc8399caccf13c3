"""Whether a lock holds, judged by what the screen shows as well as by what
Windows answers, in three worlds (see worlds.py): the unlock row in front of
the curtain, the curtain's colour on every monitor, system commands and
ShowWindow from another program, the window menu's keys, a topmost window
opened later, monitors plugged and unplugged, and the keyboard reaching only
what the mouse can reach."""

import time

import e2e
import worlds
from test_lock import HIDE, TEXT1, TEXT2, TEXT6, at, lock_with
from test_pages import SETTINGS, TEXT3_ON_PAGE, panels

GREEN = (0x6D, 0xBD, 0x00)  # the curtain without a picture
ENTRY_BACK = (0xE0, 0xE7, 0xEB)  # the unlock row's password field
LOCK_CAPTION = "锁屏"
SETUP_SIZE = (380, 290)
UNLOCK_BUTTON = (224, 256, 70, 26)  # "解锁", with "验证" in the same place
NS_CODE_FIELD_SIZE = (49, 18)  # the settings page's NS码 field
NS_CODE_OF_NO_NC_CODE = "-982"  # the NS码 that an empty NC码 entry fits
SETTLE = 1.5  # a state the program restores on its 5 ms tick, seen through the probe
RESTACK_ALWAYS = 2.0  # the lock's windows are raised in X this often, in order or not


def close_to(colour, expected, tolerance=8):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def edge_points(left, top, width, height, inset=3):
    """The corners and the middles of the edges of a monitor, far from the
    unlock row and the lock window's own bar in its middle."""
    xs = (left + inset, left + width // 2, left + width - 1 - inset)
    ys = (top + inset, top + height // 2, top + height - 1 - inset)
    return [(x, y) for x in xs for y in ys if (x, y) != (xs[1], ys[1])]


def uncovered(monitors):
    """The monitors whose edges do not all show the curtain, one line each."""
    bad = []
    for monitor in monitors:
        points = edge_points(*monitor)
        wrong = [(x, y, e2e.pixel(x, y)) for x, y in points]
        wrong = [f"{x},{y} #{bytes(colour).hex()}" for x, y, colour in wrong if not close_to(colour, GREEN)]
        if wrong:
            bad.append(f"the monitor {monitor} shows no curtain at {len(wrong)} of {len(points)} edge points: "
                       + ", ".join(wrong))
    return bad


def rect(window):
    return (window["left"], window["top"], window["width"], window["height"])


def describe(window):
    if not window:
        return "none"
    flags = [name for name in ("visible", "iconic", "zoomed", "topmost", "foreground") if window[name]]
    return f"{window['class']} {window['text']!r} at {rect(window)}, z {window.get('z')}, {' '.join(flags)}"


class Windows:
    """The program's windows as the probe sees them, in the z order."""

    def __init__(self, program):
        self.stack = program.probe("stack", "-")
        self.setup = next((w for w in self.stack if w["text"] == e2e.CAPTION), None)
        self.lock = next((w for w in self.stack if w["text"] == LOCK_CAPTION and w["class"] != "QuorvelCurtain"),
                         None)
        self.extras = [w for w in self.stack if w["class"] == "QuorvelCurtain"]

    def curtains(self):
        return [w for w in [self.lock] + self.extras if w and w["visible"]]


def lock_faults(program, monitors, setup_place=None):
    """What is wrong with the lock as it stands: the curtain maximised over
    the primary monitor and one curtain over every other, topmost; the setup
    window (when it should show) at its place, directly above the curtains;
    and the green on the edges of every monitor."""
    faults = []
    windows = Windows(program)
    primary, others = monitors[0], monitors[1:]
    lock = windows.lock
    if not lock or not lock["visible"] or lock["iconic"] or rect(lock) != primary or not lock["topmost"]:
        faults.append(f"the curtain is not over the primary monitor {primary}: {describe(lock)}")
    for monitor in others:
        if not any(rect(c) == monitor and not c["iconic"] and c["topmost"] for c in windows.curtains()):
            faults.append(f"no curtain over the monitor {monitor}: {[describe(c) for c in windows.extras]}")
    if setup_place:
        setup = windows.setup
        if not setup or setup["iconic"] or rect(setup) != setup_place or not setup["topmost"]:
            faults.append(f"the setup window is not shown at {setup_place}: {describe(setup)}")
        elif windows.curtains():
            # Directly below it: nothing of another program in between.
            lowest = max(c["z"] for c in windows.curtains())
            between = [w for w in windows.stack if setup["z"] < w["z"] < lowest and w["pid"] != setup["pid"]]
            if min(c["z"] for c in windows.curtains()) < setup["z"] or between:
                faults.append("the curtains are not directly below the setup window: "
                              + "; ".join(describe(w) for w in windows.stack))
    faults += uncovered(monitors)
    return faults


def settled_faults(program, monitors, setup_place=None, timeout=SETTLE):
    """The lock's faults once the program had the time to put things back."""
    end = time.time() + timeout
    while True:
        faults = lock_faults(program, monitors, setup_place)
        if not faults or time.time() > end:
            return faults
        time.sleep(0.1)


def put_back(program):
    """Undoes what a failed step did, so the next step starts from a lock."""
    e2e.mouse("key", "Escape")
    program.probe("show", LOCK_CAPTION, "maximize")
    program.probe("show", e2e.CAPTION, "shownormal")
    time.sleep(0.5)


def unlock_row_faults(origin):
    """The unlock row seen on the screen at the setup window's place: the
    password field's colour, and the "解锁" bar with its dark caption."""
    faults = []
    field = e2e.pixel(*at(origin, (200, 268)))
    if not close_to(field, ENTRY_BACK):
        faults.append(f"the password field shows #{bytes(field).hex()}")
    left, top, width, height = UNLOCK_BUTTON
    bar = e2e.grab(*at(origin, (left, top)), width, height).colours()
    if not any(max(c) < 0x60 for c in bar) or not any(min(c) > 0xA0 for c in bar) or GREEN in bar:
        faults.append(f"no light bar with a dark caption at the unlock button ({len(bar)} colours)")
    return faults


def locked(program, password="p"):
    """Locks; returns the setup window's place and the world's monitors."""
    window, origin = lock_with(program, password)
    return (*origin, *SETUP_SIZE), program.world.monitors


def report(faults, label, program):
    if faults:
        program.screenshot(label)
    assert not faults, "\n".join(faults)


# --- in every world -------------------------------------------------------

def the_unlock_row_shows_above_the_curtain(program):
    place, monitors = locked(program)
    program.screenshot("locked")
    faults = lock_faults(program, monitors, place)
    faults += unlock_row_faults(place[:2])
    windows = Windows(program)
    for window in (windows.setup, windows.lock):
        if window and (window["sysmenu"] or window["maxbox"]):
            faults.append(f"{describe(window)}: window menu {window['sysmenu']}, maximise box {window['maxbox']}")
    if windows.lock and windows.lock["alpha"] != 255:
        faults.append(f"the curtain's opacity is {windows.lock['alpha']}")
    for extra in windows.extras:
        if extra["text"] or extra["alpha"] != 255 or extra["foreground"]:
            faults.append(f"an extra curtain with a caption, another opacity or the keyboard: {describe(extra)}")
    report(faults, "faults", program)


# (window, system command, keys pressed while what it started may run)
SYSTEM_COMMANDS = [(caption, command, keys)
                   for caption in (e2e.CAPTION, LOCK_CAPTION)
                   for command, keys in [("minimize", ()), ("maximize", ()), ("restore", ()),
                                         ("move", ("Right", "Right", "Down")), ("size", ("Right", "Right", "Down")),
                                         ("keymenu", ("n",))]]
SHOW_COMMANDS = [(caption, command)
                 for caption in (e2e.CAPTION, LOCK_CAPTION) for command in ("minimize", "restore")]


def system_commands_and_show_window_leave_the_lock(program):
    place, monitors = locked(program)
    keyboard = e2e.Keyboard()
    faults = []
    for caption, command, keys in SYSTEM_COMMANDS:
        e2e.mouse("mousemove", 100, 100)  # keys reach Wine over its windows
        program.probe("syscommand", caption, command)
        time.sleep(0.3)
        for key in keys:
            keyboard.press(key)
        # A move or size loop still runs here: its window is where it went.
        found = settled_faults(program, monitors, place)
        if found:
            faults.append(f"WM_SYSCOMMAND {command} to {caption!r}: " + "; ".join(found))
            put_back(program)
        else:
            e2e.mouse("key", "Escape")
    for caption, command in SHOW_COMMANDS:
        program.probe("show", caption, command)
        found = settled_faults(program, monitors, place)
        if found:
            faults.append(f"ShowWindow {command} on {caption!r}: " + "; ".join(found))
            put_back(program)
    report(faults, "faults", program)


def window_menu_keys_after_hiding_leave_the_desktop_covered(program):
    place, monitors = locked(program)
    e2e.click_at(*at(place[:2], HIDE))
    time.sleep(1.0)
    keyboard = e2e.Keyboard()
    faults = []
    for key in ("n", "r"):
        e2e.mouse("mousemove", 100, 100)
        keyboard.chord("Alt_L", "space")
        time.sleep(0.3)
        keyboard.press(key)
        found = settled_faults(program, monitors)
        if found:
            program.screenshot(f"alt-space-{key}")
            faults.append(f"Alt+Space {key}: " + "; ".join(found))
            e2e.mouse("key", "Escape")
            program.probe("show", LOCK_CAPTION, "maximize")
            time.sleep(0.5)
    report(faults, "faults", program)


def a_later_topmost_window_ends_below_the_curtain(program):
    place, monitors = locked(program)
    primary = monitors[0]
    # Over the primary monitor's top right corner and, where there is one,
    # the second monitor's top left.
    red = (primary[2] - 200, 0, 400, 300)
    process, out = program.probe_in_background("red", "redtop", 6, ",".join(map(str, red)))
    worlds.wait_for("the red window did not open", lambda: e2e.read_json_lines(out), 20)
    time.sleep(0.2)
    # Its map may reach the X server after the program's raise; the periodic
    # raise then puts it below.
    faults = settled_faults(program, monitors, place, timeout=RESTACK_ALWAYS + SETTLE)
    stack = Windows(program)
    reds = [w for w in stack.stack if w["class"] == "QuorvelProbeRed"]
    if reds and any(c["z"] > reds[0]["z"] for c in stack.curtains()):
        faults.append("the red window is above a curtain: " + "; ".join(describe(w) for w in stack.stack))
    area = e2e.grab(red[0], red[1], min(red[2], sum(m[2] for m in monitors) - red[0]), red[3])
    if (255, 0, 0) in area.colours():
        faults.append("the red window shows")
    faults += unlock_row_faults(place[:2])
    if faults:
        program.screenshot("red")
    process.wait(timeout=30)
    report(faults, "faults", program)


def a_window_outside_wine_ends_below_the_lock(program):
    """Wine raises its windows in X only when their order in its own list
    changes: a window mapped in X alone would stay above the lock."""
    place, monitors = locked(program)
    everything = (0, 0, sum(m[2] for m in monitors), max(m[3] for m in monitors))
    faults = []
    for state in ("locked", "hidden"):
        if state == "hidden":
            e2e.click_at(*at(place[:2], HIDE))
            time.sleep(1.0)
            place = None
        red = e2e.XWindow(*everything)
        try:
            found = settled_faults(program, monitors, place, timeout=RESTACK_ALWAYS + SETTLE)
            if (255, 0, 0) in e2e.grab(*everything).colours():
                found.append("the red window shows")
            if place:
                found += unlock_row_faults(place[:2])
        finally:
            red.close()
        faults += [f"{state}: {fault}" for fault in found]
    report(faults, "faults", program)


# --- the keyboard reaches only what the mouse reaches ---------------------

def walk(program, key, steps, on_stop=None):
    """Presses the key (Tab, shift+Tab) step by step; returns the focused
    controls met and the faults: stops a click at their centre would not
    reach. on_stop may act on a stop and return True to end the walk."""
    stops, faults = [], []
    for _ in range(steps):
        e2e.mouse("key", key)
        time.sleep(0.1)
        focus = program.probe("focus", e2e.CAPTION)[0]
        stops.append(focus)
        if focus and not focus["hit"]:
            faults.append(f"{key} reached {focus['class']} {focus['text']!r} at {rect(focus)}, which a click"
                          f" there does not reach (it reaches a {focus['hitclass']})")
        if on_stop and focus and on_stop(focus):
            break
    return stops, faults


def tabs_from_the_passwords_reach_no_buried_button(program):
    window = program.start()
    origin = program.geometry(window)[:2]
    e2e.click_at(*at(origin, TEXT1))
    _, faults = walk(program, "Tab", 10)
    e2e.mouse("key", "Return")
    time.sleep(1.5)
    if program.probe("window", "NS码设置错误！")[0]:
        faults.append("Enter after ten Tabs brought up the NS码 message of the settings page")
    moved = {name: page["left"] for name, page in panels(program).items() if page["left"] != 427}
    if moved:
        faults.append(f"Enter after ten Tabs moved pages: {moved}")
    report(faults, "faults", program)


def shift_tab_from_the_settings_page_does_not_lock(program):
    window = program.start()
    origin = program.geometry(window)[:2]
    for field in (TEXT1, TEXT2):
        e2e.click_at(*at(origin, field))
        e2e.type_text("s")
    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    e2e.click_at(*at(origin, TEXT3_ON_PAGE))
    _, faults = walk(program, "shift+Tab", 1)
    e2e.mouse("key", "Return")
    time.sleep(1.5)
    lock = program.probe("window", LOCK_CAPTION)[0]
    if lock and lock["visible"]:
        faults.append("Shift+Tab from the opacity field and Enter locked")
    report(faults, "faults", program)


def tab_in_locked_mode_reaches_no_buried_button(program):
    """Tab to the settings page's NS码 field, give it the NS码 that an empty
    NC码 fits, Tab on to the buried "验证" and press Enter: no way to unlock."""
    place, _ = locked(program)
    e2e.click_at(*at(place[:2], TEXT6))
    first = program.probe("focus", e2e.CAPTION)[0]
    typed, rounds = [], []

    def on_stop(focus):
        """The first round types into the NS码 field if it comes; after that
        (or right away, once it is typed) Enter on the buried "验证"."""
        if focus["hwnd"] == first["hwnd"]:
            rounds.append(focus)
            return len(rounds) == 2
        if focus["class"] == "Edit" and (focus["width"], focus["height"]) == NS_CODE_FIELD_SIZE and not typed:
            e2e.type_text(NS_CODE_OF_NO_NC_CODE)
            typed.append(focus["hwnd"])
        elif focus["class"] == "QuorvelButton" and rect(focus) == UNLOCK_BUTTON and not focus["hit"]:
            if typed or rounds:
                e2e.mouse("key", "Return")
                time.sleep(1.0)
                return True
        return False

    _, faults = walk(program, "Tab", 60, on_stop)
    if program.process.poll() is not None:
        faults.insert(0, "the program ended: Tab and Enter unlocked it")
    elif typed:
        field = next((c for c in program.children() if c["hwnd"] == typed[0]), {})
        if field.get("text") == NS_CODE_OF_NO_NC_CODE:
            faults.append("the settings page's NS码 field took an NS码 from the keyboard under the lock")
    report(faults, "faults", program)


# --- two monitors ---------------------------------------------------------

def every_monitor_stays_covered_as_monitors_come_and_go(program):
    place, monitors = locked(program)
    world = program.world
    faults = [f"locked: {f}" for f in lock_faults(program, monitors, place)]

    # A click on the second monitor brings nothing through.
    e2e.click_at(monitors[1][0] + 300, 300)
    extras = Windows(program).extras
    if any(c["foreground"] for c in extras):
        faults.append(f"a click activated an extra curtain: {[describe(c) for c in extras]}")
    faults += [f"after a click on the second monitor: {f}" for f in settled_faults(program, monitors, place)]

    world.unplug()
    faults += [f"unplugged: {f}" for f in settled_faults(program, monitors[:1], place, timeout=3)]
    world.plug()
    faults += [f"plugged again: {f}" for f in settled_faults(program, monitors, place, timeout=3)]
    worlds.quiet("xrandr", "--addmode", "DUMMY1", "1024x768")
    worlds.quiet("xrandr", "--output", "DUMMY1", "--mode", "1024x768", "--pos", f"{monitors[1][0]}x0")
    resized = [monitors[0], (monitors[1][0], 0, 1024, 768)]
    faults += [f"resized: {f}" for f in settled_faults(program, resized, place, timeout=3)]
    world.plug()
    time.sleep(1.0)

    # The hidden state keeps every monitor covered too.
    e2e.click_at(*at(place[:2], HIDE))
    time.sleep(1.0)
    faults += [f"hidden: {f}" for f in settled_faults(program, monitors)]
    report(faults, "faults", program)


def second_monitor_seen_by_wine(program):
    """Unplugging shows in Wine within about a second (no message comes, the
    program has to look), and so does plugging again: the world can move."""
    world = program.world
    world.unplug()
    worlds.wait_for("Wine still sees two monitors",
                    lambda: len(program.probe("monitors", "-")) == 1, 5, step=0.2)
    world.plug()
    worlds.wait_for("Wine does not see the second monitor again",
                    lambda: len(program.probe("monitors", "-")) == 2, 5, step=0.2)


ANYWHERE = [the_unlock_row_shows_above_the_curtain, a_later_topmost_window_ends_below_the_curtain,
            a_window_outside_wine_ends_below_the_lock,
            window_menu_keys_after_hiding_leave_the_desktop_covered]

if __name__ == "__main__":
    worlds.run([
        (worlds.WinePlaces, ANYWHERE + [
            system_commands_and_show_window_leave_the_lock,
            tabs_from_the_passwords_reach_no_buried_button,
            shift_tab_from_the_settings_page_does_not_lock,
            tab_in_locked_mode_reaches_no_buried_button,
        ]),
        (worlds.WindowManager, ANYWHERE),
        (worlds.TwoMonitors, [second_monitor_seen_by_wine] + ANYWHERE + [
            every_monitor_stays_covered_as_monitors_come_and_go,
        ]),
    ])
