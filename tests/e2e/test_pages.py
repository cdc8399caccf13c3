"""The pages of the setup window with real clicks: the power, about and
settings pages slide in and back, the settings land in the store, the help
link opens the help file in the text editor, and the close button ends the
program."""

import time

import e2e

POWER = (69, 269)
SETTINGS = (37, 269)
STACK = (336, 269)  # i3 "关于", i2 "取消", i1 "返回", i4 "确定": whichever is in front
TEXT3_ON_PAGE = (144, 161)
TEXT4_ON_PAGE = (152, 193)
HELP_LINK = (320, 192)
CLOSE = (364, 14)


def at(origin, point):
    return origin[0] + point[0], origin[1] + point[1]


def panels(program):
    """The three page panels by what they hold: the power page its three
    buttons, the settings page its three fields, the about page nothing."""
    children = program.children()
    by_parent = {}
    for child in children:
        by_parent.setdefault(child["parent"], []).append(child)
    found = {}
    for child in children:
        if child["class"] != "QuorvelPanel" or child["width"] != 380:
            continue
        inner = [c["class"] for c in by_parent.get(child["hwnd"], [])]
        name = "power" if inner.count("QuorvelButton") == 3 else "settings" if inner.count("Edit") == 3 else "about"
        found[name] = child
    return found


def slides(program, origin, opener, name, closer, label):
    e2e.click_at(*at(origin, opener))
    time.sleep(1.0)
    page = panels(program)[name]
    assert page["left"] == 0, (name, page)
    program.screenshot(label)
    e2e.click_at(*at(origin, closer))
    time.sleep(1.0)
    page = panels(program)[name]
    assert page["left"] == 427, (name, page)  # parked again at 6400 twips


def pages_slide_in_and_back(program):
    window = program.start()
    x, y, _, _ = program.geometry(window)
    origin = (x, y)
    assert all(p["left"] == 427 for p in panels(program).values())
    slides(program, origin, POWER, "power", STACK, "power-page")
    slides(program, origin, STACK, "about", STACK, "about-page")

    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    assert panels(program)["settings"]["left"] == 0
    e2e.click_at(*at(origin, TEXT3_ON_PAGE))
    e2e.mouse("key", "ctrl+a")
    e2e.type_text("128")
    e2e.click_at(*at(origin, TEXT4_ON_PAGE))
    e2e.type_text("2580")
    program.screenshot("settings-page")
    e2e.click_at(*at(origin, STACK))
    time.sleep(1.0)
    assert panels(program)["settings"]["left"] == 427
    assert program.stored("text3") == "128", program.stored("text3")
    assert program.stored("text4") == "2580"
    assert program.stored("text5") == ""

    e2e.click_at(*at(origin, CLOSE))
    assert program.ended(), "the close button did not end the program"


def the_help_link_opens_the_help_file(program):
    window = program.start()
    x, y, _, _ = program.geometry(window)
    origin = (x, y)
    e2e.click_at(*at(origin, SETTINGS))
    time.sleep(1.0)
    e2e.click_at(*at(origin, HELP_LINK))
    notepad = program.wait_window("NS码.txt - Notepad", 30)
    program.screenshot("help-file")
    program.probe("close", "NS码.txt - Notepad")
    time.sleep(0.5)
    assert notepad


if __name__ == "__main__":
    e2e.run([pages_slide_in_and_back, the_help_link_opens_the_help_file])
