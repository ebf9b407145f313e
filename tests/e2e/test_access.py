"""The ring for a screen reader and the keyboard: another process (qor_access_client.exe) reads
the ring's accessible object as a screen reader does and opens a shortcut by its default action;
the arrow keys walk a selection drawn with the hover picture around the ring, Shift+F10 opens its
item menu, Enter opens it; what was announced comes from the trace. The ring is test_dock_input's
(8 colour shortcuts, 4 and 6 blank), position 1 starting the marker program.
"""

from __future__ import annotations

import time

import qorformat as fmt
import qorharness as h
from test_dock_input import MARKER_EXE, MAGNIFIED, _key, _marker, _squares, _start, _windows_path
from test_ring import close, palette

CLIENT_EXE = h.BUILD_WIN / "qor_access_client.exe"
ROLE_LIST, ROLE_PUSHBUTTON = 0x21, 0x2B
STATE_UNAVAILABLE, STATE_FOCUSED = 0x1, 0x4


def _read_ring(qor: h.QorApp, *shortcut):
    """The client's lines as {"window" | "child <id>" | "action <id>": {field: value}}."""
    res = qor.prefix.wine(CLIENT_EXE, "QORDesktop.FrmMain", *shortcut, timeout=60)
    assert res.returncode == 0, f"the client failed: {res.stdout}"
    lines = {}
    for line in res.stdout.splitlines():
        head, named, name = line.rstrip("\r").partition(" name=")
        words = head.split()
        lines[" ".join(w for w in words if "=" not in w)] = \
            dict([w.split("=", 1) for w in words if "=" in w] + ([("name", name)] if named else []))
    return lines


def _wait_lines(qor: h.QorApp, text: str, count: int, since="dock keyboard=1", timeout=10.0):
    """The trace lines holding `text` after the first holding `since`, once there are `count`."""
    deadline = time.monotonic() + timeout
    while True:
        lines = qor.trace_lines()
        start = next((i for i, l in enumerate(lines) if since in l), len(lines))
        found = [l for l in lines[start:] if text in l]
        if len(found) >= count or time.monotonic() > deadline:
            return found
        time.sleep(0.05)


def test_a_screen_reader_reads_the_ring_and_the_arrow_keys_walk_it(qor: h.QorApp):
    marker = _windows_path(MARKER_EXE)
    _start(qor, items={1: dict(Target=marker, TargetPath=marker)})
    titles = [i.Title.strip() for i in fmt.Menu.unpack((qor.prefix.data_dir() / "QORMenu.cfg").read_bytes()).items]
    squares = _squares(qor)

    ring = _read_ring(qor, "0")  # every position, then position 1's default action
    assert (int(ring["window"]["role"]), ring["window"]["children"]) == (ROLE_LIST, "9"), ring["window"]
    for slot in range(9):
        child = ring[f"child {slot + 1}"]
        assert (child["name"], int(child["role"]), child["hit"]) == (titles[slot], ROLE_PUSHBUTTON, str(slot + 1))
        assert bool(int(child["state"], 16) & STATE_UNAVAILABLE) == (slot in (4, 6)), child
        sq = squares.get(slot)
        assert not sq or child["location"] == f"{sq.left},{sq.top},{sq.width},{sq.height}", child
    print(f"{qor.screen.size_name}: the client read", [ring[f"child {i}"]["name"] for i in range(1, 10)])
    assert ring["action 2"]["hr"] == "00000000" and _marker(qor)["show"] == "1", "position 1 did not open"
    (qor.run_dir / "marker.txt").unlink()

    # Alt+Space announces the ring; the arrows go clockwise from position 1 and wrap.
    _key(qor, "alt+space")
    for step, (key, position) in enumerate([("Right", 1), ("Left", 8), ("Right", 1)]):
        _key(qor, key)
        assert _wait_lines(qor, "dock select slot=", step + 1)[-1].endswith(f"slot={position}"), key
        announced = _wait_lines(qor, "access focus window=FrmMain", step + 2)
        assert f"child={position + 1} " in announced[-1], announced
        hover, shot = _squares(qor, MAGNIFIED)[position], qor.screen.grab()  # presented, then announced
        assert all(close(shot.pixel(x, y), palette(position))
                   for x, y in [(hover.left + 2, hover.top + 2), (hover.right - 3, hover.bottom - 3)]), \
            f"position {position} is not drawn lit ({shot.save(qor.run_dir / f'unlit-{position}.png').path})"
    focused = _read_ring(qor)
    assert focused["window"]["focus"] == "2" and int(focused["child 2"]["state"], 16) & STATE_FOCUSED

    # Shift+F10: the item menu for the selection; Escape closes it; Enter opens the selection.
    _key(qor, "shift+F10")
    assert qor.wait_trace(r"menu item-for item=1 slot=1 "), "no item menu for the selection"
    qor.screen.key("Escape")
    assert qor.wait_trace(r"menu choice name=item id=0")
    _key(qor, "Return")
    assert _marker(qor)["show"] == "1" and qor.wait_trace(r"dock key slot=1"), "Enter did not open position 1"

    # Announced: the ring itself, each selection, the selection again once the menu closed.
    announced = _wait_lines(qor, "access focus window=FrmMain", 5)
    print("\n".join(announced))
    assert [l.split(" child=")[1].split()[0] for l in announced] == ["0", "2", "9", "2", "2"], announced
