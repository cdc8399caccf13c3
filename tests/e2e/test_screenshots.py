"""The pictures of the README: the setup window, its three pages, the lock
screen with a background picture and the hidden state, taken from the real
program. With QUORVEL_DOCS_SCREENSHOTS set to a folder they are also written
there (scripts/screenshots writes docs/screenshots)."""

import os
import shutil
import subprocess
import time

import e2e
from test_lock import HIDE, OK, SETTINGS, TEXT4_ON_PAGE, at, type_twice_and_lock
from test_pages import POWER, STACK

TEXT3_ON_PAGE = (144, 161)
TEXT5_ON_PAGE = (168, 129)


def keep(program, path, name, crop=None, scale=None):
    args = ["convert", path]
    if crop:
        args += ["-crop", crop, "+repage"]
    if scale:
        args += ["-resize", scale]
    target = os.path.join(program.artifacts, name)
    subprocess.run(args + [target], check=True)
    docs = os.environ.get("QUORVEL_DOCS_SCREENSHOTS")
    if docs:
        os.makedirs(docs, exist_ok=True)
        shutil.copy(target, os.path.join(docs, name))
    return target


def the_readme_pictures(program):
    window = program.start()
    x, y, w, h = program.geometry(window)
    origin = (x, y)
    # The window with a margin of the desktop around it.
    crop = f"{w + 40}x{h + 40}+{x - 20}+{y - 20}"
    e2e.mouse("mousemove", 5, 5)
    time.sleep(0.5)
    keep(program, program.screenshot("setup"), "setup-window.png", crop)

    e2e.click_at(*at(origin, POWER))
    time.sleep(1.0)
    e2e.mouse("mousemove", 5, 5)
    keep(program, program.screenshot("power"), "power-page.png", crop)
    e2e.click_at(*at(origin, STACK))
    time.sleep(1.0)
    e2e.click_at(*at(origin, STACK))
    time.sleep(1.0)
    e2e.mouse("mousemove", 5, 5)
    keep(program, program.screenshot("about"), "about-page.png", crop)
    e2e.click_at(*at(origin, STACK))
    time.sleep(1.0)

    # A background picture: an evening sky over green hills.
    picture = os.path.join(program.workdir, "sky.jpg")
    subprocess.run(["convert", "-size", "1280x800", "gradient:#28508C-#F2B880", "(", "-size", "1280x260",
                    "gradient:#4E9A32-#1F4A17", ")", "-geometry", "+0+540", "-composite", "-quality", "90", picture],
                   check=True)
    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    e2e.click_at(*at(origin, TEXT5_ON_PAGE))
    e2e.type_text("Z:" + picture.replace("/", "\\"))
    e2e.click_at(*at(origin, TEXT3_ON_PAGE))
    # Typed over the selected text: emptying the field would bring back 255.
    e2e.mouse("key", "End")
    e2e.mouse("key", "shift+Home")
    e2e.type_text("230")
    e2e.click_at(*at(origin, TEXT4_ON_PAGE))
    e2e.type_text("2580")
    e2e.mouse("mousemove", 5, 5)
    time.sleep(0.3)
    keep(program, program.screenshot("settings"), "settings-page.png", crop)
    e2e.click_at(*at(origin, OK))
    time.sleep(1.0)

    type_twice_and_lock(origin, "quorvel")
    time.sleep(1.5)
    e2e.mouse("mousemove", 5, 5)
    time.sleep(0.3)
    keep(program, program.screenshot("locked"), "lock-screen.png", scale="50%")
    e2e.click_at(*at(origin, HIDE))
    time.sleep(1.0)
    e2e.mouse("mousemove", 5, 5)
    time.sleep(0.3)
    keep(program, program.screenshot("hidden"), "hidden-state.png", scale="50%")


if __name__ == "__main__":
    e2e.run([the_readme_pictures])
