"""Hostile input on the real program: overlong pastes, control characters and
characters outside the Basic Multilingual Plane, numbers beyond every range,
broken and oversized pictures, odd stored settings, and close requests while
locked. Each time: no crash, the lock holds where one was made, the store
keeps what it should, and the program says what it should (or nothing)."""

import os
import subprocess
import time

import e2e
from test_lock import LOCK, OK, SETTINGS, TEXT1, TEXT2, TEXT4_ON_PAGE, TEXT6, UNLOCK, HIDE, FORGOT, at, dismiss_message, type_twice_and_lock

TEXT3_ON_PAGE = (144, 161)
TEXT5_ON_PAGE = (168, 129)


def paste(program, point, text, origin, replace=False):
    """Puts the text on the clipboard and pastes it into the field with
    Shift+Insert (Ctrl is filtered while locked), at its end or over its
    whole text."""
    path = os.path.join(program.workdir, "clip.txt")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    program.probe("clip", path)
    e2e.click_at(*at(origin, point))
    e2e.mouse("key", "End")
    if replace:
        e2e.mouse("key", "shift+Home")
    e2e.mouse("key", "shift+Insert")
    time.sleep(0.5)


def start(program):
    window = program.start()
    x, y, _, _ = program.geometry(window)
    return (x, y)


def field_texts(program):
    return [c["text"] for c in program.children() if c["class"] == "Edit"]


def still_locked(program):
    assert program.process.poll() is None, "the program ended"
    lock = program.window_state("锁屏")
    assert lock and lock["visible"], lock


def overlong_and_odd_passwords_lock_and_unlock(program):
    origin = start(program)
    # Tabs are the window's, not the field's; the rest arrives as typed.
    password = "密码\x01\x07😀𠀋" + "长" * 31990
    paste(program, TEXT1, password, origin)
    paste(program, TEXT2, password, origin)
    e2e.click_at(*at(origin, LOCK))
    time.sleep(1.5)
    still_locked(program)
    stored = program.stored("text1")
    assert stored == password, (len(stored or ""), len(password))
    assert program.stored("text2") == password
    paste(program, TEXT6, password[:-1], origin)  # one character short
    e2e.click_at(*at(origin, UNLOCK))
    dismiss_message(program, "请输入正确的密码！")
    still_locked(program)
    e2e.click_at(*at(origin, TEXT6))
    e2e.mouse("key", "--repeat", "3", "BackSpace")  # clear the 31999 characters: select and delete
    e2e.mouse("key", "End")
    e2e.mouse("key", "shift+Home")
    e2e.mouse("key", "Delete")
    paste(program, TEXT6, password, origin)
    e2e.click_at(*at(origin, UNLOCK))
    assert program.ended(), "the overlong password did not unlock"


def nc_codes_beyond_every_range_are_refused(program):
    origin = start(program)
    type_twice_and_lock(origin, "x")
    time.sleep(1.0)
    e2e.click_at(*at(origin, FORGOT))
    for code in ["1e400", "-1e400", "&HFFFFFFFFFFFFFFFFFFFF", "\x01😀\x1b", "9" * 32000]:
        e2e.click_at(*at(origin, TEXT6))  # the NC码 entry now stands there
        e2e.mouse("key", "End")
        e2e.mouse("key", "shift+Home")
        e2e.mouse("key", "Delete")
        paste(program, TEXT6, code, origin)
        e2e.click_at(*at(origin, UNLOCK))
        dismiss_message(program, "请输入正确的NC码！")
        still_locked(program)
    # Close requests of every kind leave the lock in force, also when hidden.
    keyboard = e2e.Keyboard()
    for state in ("locked", "hidden"):
        for caption in (e2e.CAPTION, "锁屏"):
            program.probe("close", caption)
            program.probe("sysclose", caption)
        e2e.mouse("mousemove", *at(origin, (200, 120)))
        keyboard.chord("Alt_L", "F4")
        time.sleep(0.5)
        still_locked(program)
        if state == "locked":
            e2e.click_at(*at(origin, HIDE))
            time.sleep(1.0)
    program.screenshot("survived")


def opacity_extremes_and_stored_oddities(program):
    program.set_stored("text3", "abc")
    program.set_stored("text4", "12")
    origin = start(program)
    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    texts = field_texts(program)
    assert "255" in texts, texts  # the stored "abc" is corrected on the way in
    # Each pasted over the whole field (it holds 3 characters at most).
    for pasted, expected in [("1e400", "255"), ("-1e400", "255"), ("-1", "0"), ("abc", "255"), ("999", "255"),
                             ("2.5", "2.5"), ("&HFFFFFFFFFFFFFFFFFFFF", "255")]:
        paste(program, TEXT3_ON_PAGE, pasted, origin, replace=True)
        assert expected in field_texts(program), (pasted, field_texts(program))
    # A save with the stored, invalid NS码 is refused and nothing is stored.
    e2e.click_at(*at(origin, OK))
    dismiss_message(program, "NS码设置错误！")
    assert program.stored("text3") == "abc" and program.stored("text4") == "12"
    assert program.process.poll() is None


def a_stored_opacity_of_300_shows_255(program):
    program.set_stored("text3", "300")
    origin = start(program)
    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    assert "255" in field_texts(program), field_texts(program)


def broken_and_missing_logos_and_pictures(program):
    with open(os.path.join(program.workdir, "logo.jpg"), "wb") as f:
        f.write(b"\xff\xd8\xff\xe0 this is no picture")
    origin = start(program)
    program.screenshot("corrupt-logo")
    program.process.kill()
    program.process.wait()
    os.remove(os.path.join(program.workdir, "logo.jpg"))
    origin = start(program)
    program.screenshot("missing-logo")

    # Backgrounds: an oversized, a truncated, and one with blanks and Chinese in its path.
    folder = os.path.join(program.workdir, "我的 图片")
    os.makedirs(folder)
    huge = os.path.join(folder, "huge.jpg")
    subprocess.run(["convert", "-size", "10000x10000", "xc:#3050A0", "-quality", "60", huge], check=True)
    good = os.path.join(folder, "红色 背景.jpg")
    subprocess.run(["convert", "-size", "640x360", "xc:#C02020", good], check=True)
    truncated = os.path.join(folder, "truncated.jpg")
    with open(good, "rb") as src, open(truncated, "wb") as dst:
        dst.write(src.read()[:300])
    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    for picture in (huge, truncated, good):
        paste(program, TEXT5_ON_PAGE, "Z:" + picture.replace("/", "\\"), origin, replace=True)
    e2e.click_at(*at(origin, TEXT4_ON_PAGE))
    e2e.type_text("2580")
    e2e.click_at(*at(origin, OK))
    time.sleep(1.0)
    assert program.stored("text5") == "Z:" + good.replace("/", "\\")
    type_twice_and_lock(origin, "p")
    time.sleep(1.5)
    still_locked(program)
    shot = program.screenshot("red-background")
    pixel = subprocess.run(["convert", shot, "-format", "%[hex:p{20,20}]", "info:"], capture_output=True,
                           text=True).stdout.strip()
    assert pixel.upper().startswith("C0") or pixel.upper().startswith("BF"), pixel


def only_the_program_window_shows(program):
    tops = [t["text"] for t in program.probe("tops", e2e.CAPTION)]
    assert all(t in (e2e.CAPTION, "锁屏") for t in tops), tops


def store_keys_the_user_may_not_write(program):
    """Entries whose keys refuse writing keep what they held, and the program
    goes on as if the write had been made: the settings page slides out, the
    lock is made, and nothing is reported."""
    for application, text in (("text1", "oldpass"), ("text2", "oldpass"), ("text4", "1234")):
        program.set_stored(application, text)
    try:
        for application in ("text1", "text4"):
            assert program.probe("denywrite", application) == [0]
        origin = start(program)
        e2e.click_at(*at(origin, SETTINGS))
        time.sleep(1.0)
        assert "1234" in field_texts(program), field_texts(program)
        paste(program, TEXT4_ON_PAGE, "2580", origin, replace=True)
        e2e.click_at(*at(origin, OK))
        time.sleep(1.5)
        only_the_program_window_shows(program)
        assert program.stored("text4") == "1234"
        assert program.stored("text3") is not None  # the other entries were written

        # The fields hold the stored pair; the new password replaces it.
        paste(program, TEXT1, "newpass", origin, replace=True)
        paste(program, TEXT2, "newpass", origin, replace=True)
        e2e.click_at(*at(origin, LOCK))
        time.sleep(1.5)
        still_locked(program)
        only_the_program_window_shows(program)
        assert program.stored("text1") == "oldpass"
        assert program.stored("text2") == "newpass"
    finally:
        for application in ("text1", "text4"):
            program.probe("allowwrite", application)


if __name__ == "__main__":
    e2e.run([
        overlong_and_odd_passwords_lock_and_unlock,
        nc_codes_beyond_every_range_are_refused,
        opacity_extremes_and_stored_oddities,
        a_stored_opacity_of_300_shows_255,
        broken_and_missing_logos_and_pictures,
        store_keys_the_user_may_not_write,
    ])
