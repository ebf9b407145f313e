"""The ring answers the user, driven with the real mouse and keys on a private Xvfb screen and
checked on screenshots, the item file, the trace and what the launched program writes: hover
and the centre cross-fade, dragging a shortcut off the ring, the three hot keys, auto-hide, and
opening shortcuts by click and by letter.

Each test writes a ring of 8 solid-colour shortcuts (test_ring's fixture files) so that every
position's picture can be told apart. Expected places come from the ring's formulas. The
launched program is the test tree's qor_marker.exe: it writes how it was started (its show
command among others) to the file named by QOR_MARKER_FILE, which it inherits from the ring.
"""

from __future__ import annotations

import math
import time

import qorformat as fmt
import qorharness as h
from test_ring import (CENTRE_COLOUR, LAYOUTS, _caption_band, _check_caption, _colour_png,
                       _write_ring_files, centre_squares, close, palette, ring_squares, rnd)

COUNT = 8
MAGNIFIED = 64  # MagnifiedSize of the ring files
MARKER_EXE = h.BUILD_WIN / "qor_marker.exe"


def _windows_path(path) -> str:
    return "Z:" + str(path).replace("/", "\\")


def _start(qor: h.QorApp, label="ring", items=None, **settings) -> h.Image:
    """Starts the ring of 8 solid-colour shortcuts (positions 4 and 6 blank) with the settings
    given; `items` {position: field values} changes ring items first."""
    radius, side = LAYOUTS[(qor.screen.size_name, COUNT)]
    pictures = {i: _colour_png(qor.prefix, palette(i)) for i in range(1, COUNT + 1) if i not in (4, 6)}
    _write_ring_files(qor, COUNT, radius, side, pictures, _colour_png(qor.prefix, CENTRE_COLOUR))
    data = qor.prefix.data_dir()
    cfg = fmt.Settings.unpack((data / "QORCfg.cfg").read_bytes())
    menu = fmt.Menu.unpack((data / "QORMenu.cfg").read_bytes())
    for name, value in settings.items():
        setattr(cfg, name, value)
    for position, fields in (items or {}).items():
        for name, value in fields.items():
            setattr(menu.items[position], name, value)
    (data / "QORCfg.cfg").write_bytes(cfg.pack())
    (data / "QORMenu.cfg").write_bytes(menu.pack())
    qor.screen.xdotool("mousemove", 1, 1)
    qor.start(QOR_MARKER_FILE=_windows_path(qor.run_dir / "marker.txt"))
    return qor.wait_stable(label)


def _squares(qor: h.QorApp, side=None):
    radius, rest = LAYOUTS[(qor.screen.size_name, COUNT)]
    return ring_squares(qor.screen.width, qor.screen.height, COUNT, radius, side or rest)


def _middle(sq):
    return sq.left + sq.width // 2, sq.top + sq.height // 2


def _centre_middle(qor: h.QorApp):
    return _middle(centre_squares(qor.screen.width, qor.screen.height)[0])


def _key(qor: h.QorApp, *keys):
    """Keys reach Wine only while one of its windows has the X focus."""
    qor.screen.xdotool("windowfocus", qor.main_window().id)
    time.sleep(0.2)
    qor.screen.key(*keys)


def _bare_everywhere(qor: h.QorApp, label):
    shot = qor.wait_stable(label)
    count, box = shot.diff(qor.bare)
    assert count == 0, f"something of the ring is left on screen at {box} ({shot.path})"


def _marker(qor: h.QorApp, timeout=15.0):
    """What the marker program wrote, once it has run."""
    path = qor.run_dir / "marker.txt"
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if path.exists():
            return dict(l.split("=", 1) for l in path.read_text(errors="replace").splitlines() if "=" in l)
        time.sleep(0.1)
    raise AssertionError("the marker program did not run")


def _trace_ms(qor: h.QorApp, text):
    return [float(l.split(" ", 1)[0]) for l in qor.trace_lines() if text in l]


def test_hover_then_drag_the_shortcut_off_the_ring(qor: h.QorApp):
    rest = _start(qor)
    bare, squares = qor.bare, _squares(qor)
    hover = _squares(qor, MAGNIFIED)[1]
    rim = [(hover.left + 2, hover.top + 2), (hover.right - 3, hover.bottom - 3)]  # outside the rest square
    assert all(rest.pixel(*p) == bare.pixel(*p) for p in rim)
    assert close(rest.pixel(*_centre_middle(qor)), CENTRE_COLOUR)

    # Resting on position 1: its picture fills the hover square, its caption replaces the
    # centre's, and the centre cross-fades to its picture.
    qor.screen.move(*_middle(squares[1]))
    time.sleep(0.8)
    shot = qor.screenshot("hover")
    assert all(close(shot.pixel(*p), palette(1)) for p in rim), f"no hover square ({shot.path})"
    band = _caption_band(qor.screen.width, qor.screen.height)
    _check_caption(shot, bare, band)
    assert sum(shot.pixel(x, y) != rest.pixel(x, y) for y in range(band.top, band.bottom)
               for x in range(band.left, band.right)) > 40, "the caption did not change"
    assert close(shot.pixel(*_centre_middle(qor)), palette(1)), "the centre did not cross-fade"

    # Off every icon (transparent pixels: no move reaches the window) the resting ring returns.
    t0 = time.monotonic()
    qor.screen.move(2, 2)
    while not all(qor.screen.grab().pixel(*p) == bare.pixel(*p) for p in rim):
        assert time.monotonic() - t0 < 3.0, "the hover square stayed after the pointer left"
    print(f"hover square gone {(time.monotonic() - t0) * 1000:.0f} ms after the pointer left "
          "(screenshot time included)")
    time.sleep(0.8)
    assert close(qor.screenshot("left").pixel(*_centre_middle(qor)), CENTRE_COLOUR)

    # Dragged off the ring: the delete animation, a blank shortcut in its place, the file saved.
    x, y = _middle(squares[1])
    qor.screen.move(x, y)
    qor.screen.xdotool("mousedown", 1)
    drop = (qor.screen.width - 60, 60)
    for k in range(1, 6):
        qor.screen.move(x + (drop[0] - x) * k // 5, y + (drop[1] - y) * k // 5)
    qor.screen.xdotool("mouseup", 1)
    assert qor.wait_trace(r"save file=menu reason=dock ok=1"), "the item file was not saved"
    effect = [ms for line, ms in h.durations_ms(qor.trace_lines()) if "paint DockDelEffect" in line]
    assert effect and effect[0] >= 100, f"no delete animation of five 25 ms frames: {effect}"
    menu = fmt.Menu.unpack((qor.prefix.data_dir() / "QORMenu.cfg").read_bytes())
    assert (menu.items[1].Kind, menu.items[1].Title) == (2, "Blank Shortcut"), menu.items[1]
    assert menu.items[2].Kind == 1, "a neighbour was touched"
    shot = qor.wait_stable("deleted")
    sq = squares[1]
    inner = [(px, py) for py in range(sq.top + 4, sq.bottom - 4, 4) for px in range(sq.left + 4, sq.right - 4, 4)]
    assert not any(close(shot.pixel(*p), palette(1)) for p in inner), "position 1 kept its picture"
    assert sum(shot.pixel(*p) != bare.pixel(*p) for p in inner) > len(inner) // 2, "no blank shortcut shown"


def test_the_three_hot_keys(qor: h.QorApp):
    rest = _start(qor, MinimizedPosition=6)  # Top-Right
    bare, squares, width, height = qor.bare, _squares(qor), qor.screen.width, qor.screen.height

    # Alt+Space: the dimmed backdrop over the work area (over black, without compositor) and a
    # letter per position: "0" beside position 1, "~" above the centre caption.
    _key(qor, "alt+space")
    assert qor.wait_trace(r"dock keyboard=1")
    shot = qor.wait_stable("keyboard-mode")
    for x, y in [(5, 5), (width - 5, height - 5)]:
        assert shot.pixel(x, y) != bare.pixel(x, y) and max(shot.pixel(x, y)) <= 8, "no backdrop"
    radius, _ = LAYOUTS[(qor.screen.size_name, COUNT)]
    cx, cy = rnd(width / 2), rnd(height / 2)
    for name, (lx, top) in {"0": (cx + rnd(radius + math.sqrt(2) * MAGNIFIED / 2 + 3), cy - 12),
                            "~": (cx, cy + 86 - 182)}.items():
        white = sum(min(shot.pixel(x, y)) >= 240 for y in range(top, top + 22) for x in range(lx - 10, lx + 11))
        assert white >= 6, f"no letter {name!r} at ({lx},{top}) ({shot.path})"
    # Escape: the ring at rest again. Alt+Space twice: hidden at once, without the fade.
    _key(qor, "Escape")
    assert qor.wait_trace(r"dock keyboard=0")
    assert qor.wait_stable("escaped").diff(rest)[0] == 0, "the ring after Escape is not the ring at rest"
    _key(qor, "alt+space")
    time.sleep(0.5)
    _key(qor, "alt+space")
    assert qor.wait_trace(r"dock state=2") and qor.wait_trace(r"paint Hidden 0 "), "not hidden at once"
    _bare_everywhere(qor, "hidden")

    # Alt+Space brings it back; Ctrl+Tab minimizes it to the top-right corner.
    _key(qor, "alt+space")
    _key(qor, "Escape")
    _key(qor, "ctrl+Tab")
    assert qor.wait_trace(r"dock state=1")
    shot = qor.wait_stable("minimized")
    mini = (width - 154 + 12 + 64, 2 + 12 + 64)  # the centre picture's middle there
    assert close(shot.pixel(*mini), CENTRE_COLOUR), f"no centre picture at {mini} ({shot.path})"
    assert all(shot.pixel(*_middle(sq)) == bare.pixel(*_middle(sq)) for sq in squares.values())
    # A click on it expands the ring.
    qor.screen.click(*mini)
    qor.screen.move(2, 2)
    assert qor.wait_trace(r"dock state=0")
    shot = qor.wait_stable("expanded")
    assert close(shot.pixel(*_middle(squares[1])), palette(1)) and shot.pixel(*mini) == bare.pixel(*mini)

    # Shift+Tab: the plain desktop (the ring hidden at once), and back.
    _key(qor, "shift+Tab")
    deadline = time.monotonic() + 5
    while len(_trace_ms(qor, "paint Hidden 0 ")) < 2:  # the second instant hide
        assert time.monotonic() < deadline, "Shift+Tab did not hide the ring at once"
        time.sleep(0.1)
    _bare_everywhere(qor, "switched")
    _key(qor, "shift+Tab")
    time.sleep(0.5)
    assert close(qor.wait_stable("switched-back").pixel(*_middle(squares[1])), palette(1)), "no ring back"


def test_auto_hide_after_seven_idle_seconds(qor: h.QorApp):
    _start(qor, AutoHide=1)
    assert qor.wait_trace(r"dock state=2", timeout=14.0), "the ring never hid itself"
    idle = (_trace_ms(qor, "dock state=2")[0] - _trace_ms(qor, "first-frame")[0]) / 1000
    assert 6.5 <= idle <= 9.0, f"hidden {idle:.1f} s after it showed"
    assert qor.wait_trace(r"paint Hidden 1 "), "an expanded ring fades out"
    _bare_everywhere(qor, "auto-hidden")


def test_click_opens_a_shortcut_and_a_gone_target_says_so(qor: h.QorApp):
    marker, gone = _windows_path(MARKER_EXE), r"C:\nowhere\gone.exe"
    _start(qor, items={1: dict(Target=marker, TargetPath=marker, RunMode=2),
                       2: dict(Target=gone, TargetPath=gone)})
    squares = _squares(qor)
    qor.screen.click(*_middle(squares[1]))
    fields = _marker(qor)
    assert fields["show"] == "3", f"run mode 2 (maximized) not honoured: {fields}"
    assert fields["directory"].rstrip("\\").lower() == _windows_path(MARKER_EXE.parent).lower(), fields
    assert qor.wait_trace(r"dock launch item=1 ok=1")

    qor.screen.click(*_middle(squares[2]))
    deadline, boxes = time.monotonic() + 15, []
    while not boxes and time.monotonic() < deadline:
        boxes = [w for w in qor.windows() if w.viewable and w.name == "Problem with Shortcut"]
    assert boxes, "no \"Problem with Shortcut\" message"
    qor.screenshot("problem-with-shortcut")
    qor.screen.xdotool("windowfocus", boxes[0].id)
    qor.screen.key("Return")
    assert qor.wait_trace(r"dock launch item=2 ok=0") and qor.alive()


def test_a_letter_opens_its_position_and_auto_hide_follows(qor: h.QorApp):
    marker = _windows_path(MARKER_EXE)
    _start(qor, AutoHide=1, items={1: dict(Target=marker, TargetPath=marker, RunMode=7)})
    _key(qor, "alt+space")
    assert qor.wait_trace(r"dock keyboard=1")
    qor.screen.key("0")  # position 1
    assert _marker(qor)["show"] == "1", "run mode 7 is not the normal show command"
    # After a launch with auto-hide on the ring hides at once, not after seven idle seconds.
    assert qor.wait_trace(r"dock launch item=1 ok=1") and qor.wait_trace(r"dock state=2")
    assert 0 < _trace_ms(qor, "dock state=2")[0] - _trace_ms(qor, "dock key slot=1")[0] < 2000, \
        "the ring did not hide right after the launch"
