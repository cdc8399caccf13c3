"""The setup window as a user first meets it: its size and place, moving it
by its background, and closing it."""

import time

import e2e


def opens_centred_moves_by_its_background_and_closes(program):
    window = program.start()
    program.screenshot("start")
    screen_w, screen_h = e2e.screen_size()
    x, y, w, h = program.geometry(window)
    assert (w, h) == (380, 290), (w, h)
    assert abs(x - (screen_w - 380) // 2) <= 1 and abs(y - (screen_h - 290) // 2) <= 1, (x, y)

    # A right-button drag on the bare background (the grass above the logo)
    # moves the window. Wine ends its move loop with Enter.
    e2e.mouse("mousemove", x + 250, y + 60)
    e2e.mouse("mousedown", 3)
    time.sleep(0.3)
    for step in range(1, 11):
        e2e.mouse("mousemove", x + 250 + 10 * step, y + 60 + 5 * step)
        time.sleep(0.05)
    e2e.mouse("mouseup", 3)
    time.sleep(0.3)
    e2e.mouse("key", "Return")
    time.sleep(0.5)
    nx, ny, _, _ = program.geometry(window)
    assert (nx - x, ny - y) == (100, 50), ("moved by", nx - x, ny - y)
    program.screenshot("moved")

    # A press on a control moves nothing.
    e2e.mouse("mousemove", nx + 270, ny + 140)  # the password field
    e2e.mouse("mousedown", 3)
    e2e.mouse("mousemove", nx + 300, ny + 170)
    e2e.mouse("mouseup", 3)
    e2e.mouse("key", "Escape")
    time.sleep(0.3)
    assert program.geometry(window)[:2] == (nx, ny)

    # The close button at the top right ends the program.
    e2e.mouse("mousemove", nx + 364, ny + 14)
    e2e.mouse("click", 1)
    assert program.ended(), "the program did not end after the close button"


if __name__ == "__main__":
    e2e.run([opens_centred_moves_by_its_background_and_closes])
