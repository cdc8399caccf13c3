"""Locking and unlocking on the real program: the password typed twice, a
wrong and the right password, the key filter as another program sees it,
the hidden state and the way back, and recovery with the NC码 tool."""

import os
import subprocess
import threading
import time

import e2e

# Places in the setup window's client area, in pixels (the designed layout).
TEXT1 = (284, 140)
TEXT2 = (284, 180)
LOCK = (250, 221)
TEXT6 = (156, 268)
UNLOCK = (259, 269)
HIDE = (37, 269)
FORGOT = (200, 224)  # the link, once the logo frame has slid right
SETTINGS = (37, 269)
OK = (336, 269)
TEXT4_ON_PAGE = (152, 193)


def at(origin, point):
    return origin[0] + point[0], origin[1] + point[1]


def type_twice_and_lock(origin, password):
    """Types the password into both fields and presses the lock button."""
    e2e.click_at(*at(origin, TEXT1))
    e2e.type_text(password)
    e2e.click_at(*at(origin, TEXT2))
    e2e.type_text(password)
    e2e.click_at(*at(origin, LOCK))


def lock_with(program, password):
    window = program.start()
    x, y, _, _ = program.geometry(window)
    origin = (x, y)
    type_twice_and_lock(origin, password)
    time.sleep(1.0)
    return window, origin


def dismiss_message(program, title, timeout=10):
    box = program.wait_window(title, timeout)
    state = program.window_state(title)
    # In front and with the keyboard, also above a window kept on top.
    assert state["visible"] and state["foreground"], state
    setup = program.window_state()
    assert not setup["topmost"] or state["topmost"], (state, setup)
    program.screenshot("message")
    # The box has the keyboard; keys reach Wine while the pointer is over one
    # of its windows.
    e2e.mouse("mousemove", state["left"] + state["width"] // 2, state["top"] + 8)
    e2e.mouse("key", "Return")
    time.sleep(0.5)
    assert not program.probe("window", title)[0], "the message box is still up"


def locks_and_unlocks_with_the_password(program):
    window, origin = lock_with(program, "Pass1")
    lock = program.window_state("锁屏")
    assert lock and lock["visible"] and lock["topmost"] and lock["layered"], lock
    assert lock["alpha"] == 255, lock
    setup = program.window_state()
    assert setup["topmost"], setup
    program.screenshot("locked")
    assert program.stored("text1") == "Pass1" and program.stored("text2") == "Pass1"

    # A close request is refused while the lock is in force.
    program.probe("close", e2e.CAPTION)
    program.probe("close", "锁屏")
    time.sleep(0.5)
    assert program.process.poll() is None, "a close request ended the lock"

    e2e.click_at(*at(origin, TEXT6))
    e2e.type_text("pass1")  # wrong case
    e2e.click_at(*at(origin, UNLOCK))
    dismiss_message(program, "请输入正确的密码！")
    assert program.process.poll() is None

    # The entry keeps what was typed; clear it (left Ctrl is swallowed while
    # locked, so no Ctrl+A).
    e2e.click_at(*at(origin, TEXT6))
    e2e.mouse("key", "End")
    e2e.mouse("key", "--repeat", "10", "BackSpace")
    e2e.type_text("Pass1")
    e2e.click_at(*at(origin, UNLOCK))
    assert program.ended(), "the right password did not end the program"
    assert program.stored("text1") == "Pass1"


def the_filter_swallows_left_ctrl_but_not_right_ctrl(program):
    # Another program's low-level hook, installed before the lock.
    out = os.path.join(program.workdir, "hook.out")
    hook = subprocess.Popen(["wine", program.probe_exe, out, "hook", "25"], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    time.sleep(3)
    window, origin = lock_with(program, "k")
    e2e.mouse("mousemove", *at(origin, (200, 120)))  # keys reach Wine only over its windows
    keyboard = e2e.Keyboard()
    keyboard.press("Control_L")
    keyboard.press("Control_R")
    keyboard.press("Shift_L")
    hook.wait(timeout=60)
    with open(out, encoding="utf-8") as f:
        lines = f.read()
    assert '"vk": 163' in lines, lines
    assert '"vk": 162' not in lines, lines
    assert '"vk": 160' in lines, lines


def hides_and_comes_back(program):
    window, origin = lock_with(program, "h")
    e2e.click_at(*at(origin, HIDE))
    time.sleep(1.0)
    setup = program.window_state()
    assert not setup["visible"], setup
    lock = program.window_state("锁屏")
    assert lock["topmost"], lock
    program.screenshot("hidden")
    # The lock window's own "解锁" bar, just below the middle of the screen.
    screen_w, screen_h = e2e.screen_size()
    e2e.click_at(screen_w // 2, screen_h // 2 + 36 + 18)
    time.sleep(1.0)
    setup = program.window_state()
    assert setup["visible"] and setup["topmost"], setup
    lock = program.window_state("锁屏")
    assert not lock["topmost"], lock
    program.screenshot("back")
    e2e.click_at(*at(origin, TEXT6))
    e2e.type_text("h")
    e2e.click_at(*at(origin, UNLOCK))
    assert program.ended()


def recovers_with_the_nc_code_of_the_tool(program):
    nc_tool = program.nc_tool
    window = program.start()
    x, y, _, _ = program.geometry(window)
    origin = (x, y)
    # Set the NS码 on the settings page, then lock.
    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    e2e.click_at(*at(origin, TEXT4_ON_PAGE))
    e2e.type_text("2580")
    e2e.click_at(*at(origin, OK))
    time.sleep(1.0)
    type_twice_and_lock(origin, "forgotten")
    time.sleep(1.0)
    out = os.path.join(program.workdir, "nc.out")
    with open(out, "w") as f:
        subprocess.run(["wine", nc_tool, "2580"], stdout=f, stderr=subprocess.DEVNULL, check=True)
    with open(out) as f:
        nc = f.read().strip()
    assert nc.isdigit(), nc
    e2e.click_at(*at(origin, FORGOT))
    e2e.click_at(*at(origin, TEXT6))
    e2e.type_text(nc)
    program.screenshot("recovery")
    e2e.click_at(*at(origin, UNLOCK))
    assert program.ended(), "the NC码 did not end the program"


if __name__ == "__main__":
    e2e.run([
        locks_and_unlocks_with_the_password,
        the_filter_swallows_left_ctrl_but_not_right_ctrl,
        hides_and_comes_back,
        recovers_with_the_nc_code_of_the_tool,
    ])
