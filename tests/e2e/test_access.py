"""The ring for a screen reader and for the keyboard, on a private Xvfb screen: another process
(the test tree's qor_access_client.exe) reads the ring window's accessible object as a screen
reader does, and runs a shortcut by its default action; then the arrow keys walk a selection
drawn with the hover picture around the ring, Shift+F10 opens the item menu for it and Enter
opens it. What the program announced is read from its trace.

The ring is test_dock_input's: 8 solid-colour shortcuts, positions 4 and 6 blank, position 1
starting the marker program (which writes how it was started to the file QOR_MARKER_FILE names).
"""

from __future__ import annotations

import time

import qorformat as fmt
import qorharness as h
from test_dock_input import MARKER_EXE, MAGNIFIED, _key, _marker, _squares, _start, _windows_path
from test_ring import close, palette

CLIENT_EXE = h.BUILD_WIN / "qor_access_client.exe"
ROLE_LIST, ROLE_PUSHBUTTON = 0x21, 0x2B  # ROLE_SYSTEM_LIST, ROLE_SYSTEM_PUSHBUTTON
STATE_UNAVAILABLE, STATE_FOCUSED = 0x1, 0x4


def _read_ring(qor: h.QorApp, *shortcut):
    """What the client prints about the ring window, as {"window": fields, "child <id>": fields,
    "action <id>": fields}; with a shortcut the client also runs that child's default action."""
    res = qor.prefix.wine(CLIENT_EXE, "QORDesktop.FrmMain", *shortcut, timeout=60)
    assert res.returncode == 0, f"the client failed: {res.stdout}"
    lines = {}
    for line in res.stdout.splitlines():
        head, named, name = line.rstrip("\r").partition(" name=")
        words = head.split()
        fields = dict(w.split("=", 1) for w in words if "=" in w)
        if named:
            fields["name"] = name
        lines[" ".join(w for w in words if "=" not in w)] = fields
    return lines


def _wait_lines(qor: h.QorApp, text: str, count: int, since="", timeout=10.0):
    """The trace lines holding `text` (from the first line holding `since` on), once there are
    `count` of them."""
    deadline = time.monotonic() + timeout
    while True:
        lines = qor.trace_lines()
        start = next((i for i, l in enumerate(lines) if since in l), len(lines))
        lines = [l for l in lines[start:] if text in l]
        if len(lines) >= count or time.monotonic() > deadline:
            return lines
        time.sleep(0.05)


def _lit(qor: h.QorApp, position: int, label: str) -> bool:
    """Whether the position is drawn with the hover picture: its picture fills the enlarged
    square, outside its rest square too."""
    hover = _squares(qor, MAGNIFIED)[position]
    shot = qor.screen.grab()  # the selection is presented before it is announced
    lit = all(close(shot.pixel(x, y), palette(position))
              for x, y in [(hover.left + 2, hover.top + 2), (hover.right - 3, hover.bottom - 3)])
    if not lit:
        qor.shots += 1
        shot.save(qor.run_dir / f"{qor.shots:02d}-{label}.png")
    return lit


def test_a_screen_reader_reads_the_ring_and_the_arrow_keys_walk_it(qor: h.QorApp):
    marker = _windows_path(MARKER_EXE)
    _start(qor, items={1: dict(Target=marker, TargetPath=marker)})
    menu = fmt.Menu.unpack((qor.prefix.data_dir() / "QORMenu.cfg").read_bytes())
    squares = _squares(qor)

    # The client reads every position's caption, role, state and place, then runs position 1
    # (shortcut "0") by its default action.
    ring = _read_ring(qor, "0")
    window = ring["window"]
    assert (int(window["role"]), window["children"], window["name"]) == (ROLE_LIST, "9", "QOR Desktop")
    names = []
    for slot in range(9):
        child = ring[f"child {slot + 1}"]
        names.append(child["name"])
        assert child["name"] == menu.items[slot].Title.strip(), (slot, child)
        assert int(child["role"]) == ROLE_PUSHBUTTON and child["hit"] == str(slot + 1), child
        assert bool(int(child["state"], 16) & STATE_UNAVAILABLE) == (slot in (4, 6)), child
        if slot:
            sq = squares[slot]
            assert child["location"] == f"{sq.left},{sq.top},{sq.width},{sq.height}", (slot, child)
    print(f"{qor.screen.size_name}: the client read {names}")
    assert ring["action 2"]["hr"] == "00000000"
    assert _marker(qor)["show"] == "1", "the default action did not open position 1"
    (qor.run_dir / "marker.txt").unlink()

    # Alt+Space, then the arrows: clockwise from position 1, Left wraps to the last position.
    _key(qor, "alt+space")
    assert qor.wait_trace(r"access focus window=FrmMain child=0 name=QOR Desktop"), "keyboard mode not announced"
    journey = [("Right", 1), ("Left", 8), ("Right", 1)]
    for step, (key, position) in enumerate(journey):
        _key(qor, key)
        selected = _wait_lines(qor, "dock select slot=", step + 1)
        assert selected[-1].endswith(f"dock select slot={position}"), (key, selected)
        announced = _wait_lines(qor, "access focus window=FrmMain child=", step + 2, since="dock keyboard=1")
        assert announced[-1].split(" name=")[0].endswith(f"child={position + 1}"), (position, announced)
        assert _lit(qor, position, f"selected-{position}"), f"position {position} is not drawn lit"
    focused = _read_ring(qor)
    assert focused["window"]["focus"] == "2", focused["window"]
    assert int(focused["child 2"]["state"], 16) & STATE_FOCUSED

    # Shift+F10: the item menu for the selection; Escape closes it and the ring keeps the keys.
    _key(qor, "shift+F10")
    assert qor.wait_trace(r"menu item-for item=1 slot=1 "), "no item menu for the selection"
    qor.screen.key("Escape")
    assert qor.wait_trace(r"menu choice name=item id=0")
    # Enter opens the selection.
    _key(qor, "Return")
    assert _marker(qor)["show"] == "1", "Enter did not open position 1"
    assert qor.wait_trace(r"dock key slot=1")

    # Announced: the ring on Alt+Space, each selection, the selection again after the menu.
    announced = _wait_lines(qor, " access ", 0, since="dock keyboard=1")
    print("\n".join(announced))
    focus = [l.split(" access focus window=FrmMain ", 1)[1].split(" name=")[0] for l in announced
             if " access focus window=FrmMain " in l]
    assert focus == ["child=0", "child=2", "child=9", "child=2", "child=2"], announced
