"""The ring answers the user: hover, the centre cross-fade, dragging a shortcut off the ring,
keyboard mode (Alt+Space), minimizing (Ctrl+Tab) and auto-hide, driven with the real mouse and
keys on a private Xvfb screen and checked on screenshots, the item file and the trace.

Each test writes a ring of 8 solid-colour shortcuts (test_ring's fixture files), so every
position's picture can be told apart on a screenshot. Expected places come from the ring's
formulas, never from the program.
"""

from __future__ import annotations

import math
import re
import time

import pytest

import qorformat as fmt
import qorharness as h
from test_ring import (CENTRE_COLOUR, LAYOUTS, _caption_band, _check_caption, _colour_png,
                       _write_ring_files, centre_squares, close, palette, ring_squares, rnd)

COUNT = 8
MAGNIFIED = 64           # MagnifiedSize of the ring files
LETTER_RISE = 12         # a ring letter's box starts this far above its anchor
CENTRE_LETTER_RISE = 182
CAPTION_GAP = 10


def _start(qor: h.QorApp, label="ring", **settings) -> h.Image:
    """A ring of 8 solid-colour shortcuts (positions 4 and 6 blank), with the settings given."""
    _write_files(qor, **settings)
    qor.screen.xdotool("mousemove", 1, 1)
    qor.start()
    return qor.wait_stable(label)


def _write_files(qor: h.QorApp, **settings):
    radius, side = LAYOUTS[(qor.screen.size_name, COUNT)]
    pictures = {i: _colour_png(qor.prefix, palette(i)) for i in range(1, COUNT + 1) if i not in (4, 6)}
    _write_ring_files(qor, COUNT, radius, side, pictures, _colour_png(qor.prefix, CENTRE_COLOUR))
    if settings:
        path = qor.prefix.data_dir() / "QORCfg.cfg"
        cfg = fmt.Settings.unpack(path.read_bytes())
        for name, value in settings.items():
            setattr(cfg, name, value)
        path.write_bytes(cfg.pack())


def _geometry(qor: h.QorApp):
    radius, side = LAYOUTS[(qor.screen.size_name, COUNT)]
    return radius, side, ring_squares(qor.screen.width, qor.screen.height, COUNT, radius, side)


def _hover_square(qor: h.QorApp, i: int):
    """Position i's hover square (left, top, side)."""
    radius, _, _ = _geometry(qor)
    a = (i - 1) * (360 / COUNT) * 3.1415926 / 180
    cx = rnd(math.cos(a) * radius + rnd(qor.screen.width / 2))
    cy = rnd(math.sin(a) * radius + rnd(qor.screen.height / 2))
    return rnd(cx - MAGNIFIED / 2), rnd(cy - MAGNIFIED / 2), MAGNIFIED


def _middle(sq):
    return sq.left + sq.width // 2, sq.top + sq.height // 2


def _rim_points(qor: h.QorApp, i: int):
    """Points inside position i's hover square but outside its rest square."""
    left, top, side = _hover_square(qor, i)
    return [(left + 2, top + 2), (left + side - 3, top + 2), (left + 2, top + side - 3),
            (left + side - 3, top + side - 3)]


def _centre_middle(qor: h.QorApp):
    icon, _ = centre_squares(qor.screen.width, qor.screen.height)
    return _middle(icon)


def _focus(qor: h.QorApp):
    """Keys reach Wine only while one of its windows has the X focus."""
    qor.screen.xdotool("windowfocus", qor.main_window().id)
    time.sleep(0.2)


def _trace_seconds(qor: h.QorApp, pattern: str):
    """Time stamps (seconds since the program started) of the trace lines matching `pattern`."""
    rx = re.compile(pattern)
    return [float(line.split(" ", 1)[0]) / 1000 for line in qor.trace_lines() if rx.search(line)]


def _is_bare(shot: h.Image, bare: h.Image, points) -> bool:
    return all(shot.pixel(x, y) == bare.pixel(x, y) for x, y in points)


def test_hover_enlarges_names_and_cross_fades(qor: h.QorApp):
    rest = _start(qor)
    bare = qor.bare
    _, _, squares = _geometry(qor)
    band = _caption_band(qor.screen.width, qor.screen.height)
    rim = _rim_points(qor, 1)
    assert _is_bare(rest, bare, rim), "the hover square's rim is painted before any hover"
    assert close(rest.pixel(*_centre_middle(qor)), CENTRE_COLOUR)

    # Rest on position 1: its picture fills the hover square, its caption replaces the centre's,
    # and about 200 ms later the centre cross-fades to its picture.
    qor.screen.move(*_middle(squares[1]))
    time.sleep(0.8)
    shot = qor.screenshot("hover-position-1")
    for x, y in rim:
        assert close(shot.pixel(x, y), palette(1)), \
            f"({x},{y}) of the hover square shows {shot.pixel(x, y)}, not {palette(1)} ({shot.path})"
    _check_caption(shot, bare, band)
    changed = sum(1 for y in range(band.top, band.bottom) for x in range(band.left, band.right)
                  if shot.pixel(x, y) != rest.pixel(x, y))
    assert changed > 40, "the caption under the centre did not change to the hovered item's"
    assert close(shot.pixel(*_centre_middle(qor)), palette(1)), \
        f"the centre did not cross-fade to position 1's picture ({shot.path})"

    # Off every icon (over transparent pixels: the window sees no move) the resting ring is back
    # within a tick or two of the 100 ms timer.
    t0 = time.monotonic()
    qor.screen.move(2, 2)
    restored = None
    while time.monotonic() - t0 < 3.0:
        if _is_bare(qor.screen.grab(), bare, rim):
            restored = time.monotonic() - t0
            break
    assert restored is not None, "the hover square stayed after the pointer left every icon"
    print(f"hover square gone {restored * 1000:.0f} ms after the pointer left (incl. screenshot time)")
    time.sleep(0.8)
    back = qor.screenshot("pointer-left")
    assert close(back.pixel(*_centre_middle(qor)), CENTRE_COLOUR), "the centre kept the hovered picture"
    assert qor.wait_trace(r"dock timer PointerLeft off") and qor.wait_trace(r"dock timer Dwell off")


def test_drag_a_shortcut_off_the_ring_deletes_it(qor: h.QorApp):
    _start(qor)
    _, side, squares = _geometry(qor)
    x, y = _middle(squares[1])
    qor.screen.move(x, y)
    qor.screen.xdotool("mousedown", 1)
    drop = (qor.screen.width - 60, 60)  # off every icon
    for k in range(1, 6):
        qor.screen.move(x + (drop[0] - x) * k // 5, y + (drop[1] - y) * k // 5)
        time.sleep(0.05)
    qor.screen.xdotool("mouseup", 1)
    assert qor.wait_trace(r"save file=menu reason=dock ok=1"), "the item file was not saved"
    assert qor.wait_trace(r"dock delete slot=1 removed=1")
    effect = [ms for line, ms in h.durations_ms(qor.trace_lines()) if "paint DockDelEffect" in line]
    assert effect and effect[0] >= 100, f"no delete animation of five 25 ms frames: {effect}"

    menu = fmt.Menu.unpack((qor.prefix.data_dir() / "QORMenu.cfg").read_bytes())
    assert menu.items[1].Kind == 2 and menu.items[1].Title == "Blank Shortcut", menu.items[1]
    assert menu.items[2].Kind == 1, "a neighbour was touched"
    qor.screen.move(2, 2)
    shot = qor.wait_stable("after-delete")
    sq = squares[1]
    inner = [(px, py) for py in range(sq.top + 4, sq.bottom - 4, 4) for px in range(sq.left + 4, sq.right - 4, 4)]
    assert not any(close(shot.pixel(px, py), palette(1)) for px, py in inner), \
        f"position 1 still shows its picture ({shot.path})"
    assert sum(shot.pixel(px, py) != qor.bare.pixel(px, py) for px, py in inner) > len(inner) // 2, \
        "position 1 shows nothing instead of the blank shortcut"


def test_alt_space_keyboard_mode(qor: h.QorApp):
    rest = _start(qor)
    bare = qor.bare
    width, height = qor.screen.width, qor.screen.height
    radius, _, _ = _geometry(qor)
    _focus(qor)

    qor.screen.key("alt+space")
    assert qor.wait_trace(r"dock keyboard=1")
    shot = qor.wait_stable("keyboard-mode")
    # The backdrop covers the work area: on a screen without compositor the translucent black
    # shows over black.
    for x, y in [(5, 5), (width - 5, height - 5), (width // 2, 5)]:
        assert shot.pixel(x, y) != bare.pixel(x, y) and max(shot.pixel(x, y)) <= 8, \
            f"no dimmed backdrop at ({x},{y}): {shot.pixel(x, y)} ({shot.path})"
    # Letters: "0" beside position 1 (3 o'clock), "~" above the centre caption.
    d = radius + math.sqrt(2 * (MAGNIFIED / 2) ** 2) + 3
    cx, cy = rnd(width / 2), rnd(height / 2)
    letters = {"0": (cx + rnd(d), cy - LETTER_RISE),
               "~": (cx, cy + 76 + CAPTION_GAP - CENTRE_LETTER_RISE)}
    for name, (lx, top) in letters.items():
        white = sum(1 for y in range(top, top + 22) for x in range(lx - 10, lx + 11)
                    if min(shot.pixel(x, y)) >= 240)
        assert white >= 6, f"no letter {name!r} at ({lx},{top}) ({shot.path})"

    qor.screen.key("Escape")
    assert qor.wait_trace(r"dock keyboard=0")
    shot = qor.wait_stable("escaped")
    assert shot.pixel(5, 5) == bare.pixel(5, 5), "the backdrop stayed after Escape"
    count, box = shot.diff(rest)
    assert count == 0, f"the ring after Escape differs from the ring at rest in {box}"

    # Alt+Space twice: the second hides the ring at once, without the fade.
    qor.screen.key("alt+space")
    time.sleep(0.5)
    qor.screen.key("alt+space")
    assert qor.wait_trace(r"dock state=2")
    assert qor.wait_trace(r"paint Hidden 0 "), "the hide from the hot key faded"
    shot = qor.wait_stable("hidden")
    count, box = shot.diff(bare)
    assert count == 0, f"something of the ring is left on screen at {box} ({shot.path})"


def test_ctrl_tab_minimizes_to_the_chosen_corner_and_a_click_expands(qor: h.QorApp):
    _start(qor, MinimizedPosition=6)  # Top-Right
    bare = qor.bare
    width = qor.screen.width
    _, _, squares = _geometry(qor)
    mini_back = (width - 152 - 2, 2)
    mini_icon = (mini_back[0] + 12 + 64, mini_back[1] + 12 + 64)  # the picture's middle
    _focus(qor)

    qor.screen.key("ctrl+Tab")
    assert qor.wait_trace(r"dock state=1")
    shot = qor.wait_stable("minimized")
    assert close(shot.pixel(*mini_icon), CENTRE_COLOUR), \
        f"no centre picture at the minimized place {mini_icon} ({shot.path})"
    assert shot.pixel(*_centre_middle(qor)) == bare.pixel(*_centre_middle(qor)), "the centre stayed"
    for i, sq in squares.items():
        assert shot.pixel(*_middle(sq)) == bare.pixel(*_middle(sq)), f"position {i} stayed"

    qor.screen.click(*mini_icon)
    assert qor.wait_trace(r"dock state=0")
    qor.screen.move(2, 2)
    shot = qor.wait_stable("expanded")
    assert close(shot.pixel(*_middle(squares[1])), palette(1)), "the ring did not come back"
    assert shot.pixel(*mini_icon) == bare.pixel(*mini_icon), "the minimized picture stayed"


def test_auto_hide_after_seven_idle_seconds(qor: h.QorApp):
    _start(qor, AutoHide=1)
    bare = qor.bare
    assert qor.wait_trace(r"dock state=2", timeout=14.0), "the ring never hid itself"
    shown = _trace_seconds(qor, r"first-frame")[0]
    hidden = _trace_seconds(qor, r"dock state=2")[0]
    assert 6.5 <= hidden - shown <= 9.0, f"hidden {hidden - shown:.1f} s after it showed"
    assert qor.wait_trace(r"paint Hidden 1 "), "an expanded ring fades out"
    shot = qor.wait_stable("auto-hidden")
    count, box = shot.diff(bare)
    assert count == 0, f"something of the ring is left on screen at {box} ({shot.path})"
    assert qor.alive()
