"""The group pop-up, driven with the real mouse and keys: a click on a group opens its panel
beside the icon, a row runs its member, Escape closes the panel, long groups page and scroll,
and members dragged out of the panel are removed from the group and the item file.

Each test starts the program on a desktop that holds a few files, with a settings file of 12
ring positions and no item file: the program builds its default catalogue, whose "All Programs"
group (position 3, right of the screen's centre) lists the desktop files and whose "Accessories"
group (position 5, left of it) the accessories Wine has. The centre's own group lists the
program's commands. Where a panel must be is computed here from the ring's formulas and the
panel's geometry, never asked of the program. The launched program is qor_marker.exe, copied to
all users' desktop, so it is the group's first member.
"""

from __future__ import annotations

import re
import shutil
import time

import qorformat as fmt
import qorharness as h
from test_default_ring import _safe_empty, placed_desktops
from test_ring import close, ring_squares

COUNT, COUNT_CODE, RADIUS, SIDE = 12, 1, 300, 48  # the settings file's ring
PANEL_WIDTH, ROW = 268, 38
FRAME = (178, 182, 193)  # the panel's opaque outline
MARKER_EXE = h.BUILD_WIN / "qor_marker.exe"
ALL_PROGRAMS, ACCESSORIES, CENTRE = 3, 5, 0


def _start(qor: h.QorApp, user_files=("Meeting.qnote", "Notes.qnote")) -> h.Image:
    user, common = placed_desktops(qor.prefix)
    for folder in (user, common):
        _safe_empty(folder, qor.prefix.root)
    shutil.copyfile(MARKER_EXE, common / "Marker.exe")
    for name in user_files:
        (user / name).write_text("Notes.\r\n")
    data = qor.prefix.data_dir()
    data.mkdir(parents=True, exist_ok=True)
    (data / "QORCfg.cfg").write_bytes(fmt.Settings(IconCountCode=COUNT_CODE, HideGetStarted=-1).pack())
    qor.screen.xdotool("mousemove", 1, 1)
    qor.start(QOR_MARKER_FILE="Z:" + str(qor.run_dir / "marker.txt").replace("/", "\\"))
    return qor.wait_stable("ring", timeout=30)


def popup_rows(height: int) -> int:
    return min(18, (height - 76) // 38 - 1)


def panel_rect(width: int, height: int, slot: int, entries: int) -> h.Rect:
    """Where the panel of a group of `entries` members goes beside ring position `slot`."""
    rows = popup_rows(height)
    tall = ROW * rows + 80 if entries > rows else ROW * entries + 20
    cx, cy = round(width / 2), round(height / 2)
    if slot == CENTRE:
        return h.Rect(cx + 72, round(cy - tall / 2), PANEL_WIDTH, tall)
    icon = ring_squares(width, height, COUNT, RADIUS, SIDE)[slot]
    top = min(max(round(SIDE / 2 + icon.top - tall / 2), 0), height - tall)
    if SIDE / 2 + icon.left - cx > -2:  # outward: right of the centre (or at it)
        left = min(icon.left + SIDE, width - PANEL_WIDTH)
    else:
        left = max(icon.left - PANEL_WIDTH, 0)
    return h.Rect(left, top, PANEL_WIDTH, tall)


def _icon_middle(qor: h.QorApp, slot: int):
    if slot == CENTRE:
        return round(qor.screen.width / 2), round(qor.screen.height / 2)
    sq = ring_squares(qor.screen.width, qor.screen.height, COUNT, RADIUS, SIDE)[slot]
    return sq.left + SIDE // 2, sq.top + SIDE // 2


def _row_middle(panel: h.Rect, row: int, scroll=False):
    top = panel.y + (40 if scroll else 10) + ROW * (row - 1)
    return panel.x + 134, top + ROW // 2


def _popup_window(qor: h.QorApp, panel: h.Rect):
    found = [w for w in qor.windows() if w.viewable and (w.rect.x, w.rect.y, w.rect.w, w.rect.h) ==
             (panel.x, panel.y, panel.w, panel.h)]
    assert found, f"no window of the program covers the panel {panel}: {qor.windows()}"
    return found[0]


def _key(qor: h.QorApp, panel: h.Rect, *keys):
    """Keys reach Wine only while one of its windows has the X focus."""
    qor.screen.xdotool("windowfocus", _popup_window(qor, panel).id)
    time.sleep(0.2)
    qor.screen.key(*keys)


def _traced(qor: h.QorApp, pattern: str, after: int = 0, timeout=10.0):
    """The first trace line from line `after` on that matches; its match and line number."""
    rx = re.compile(pattern)
    deadline = time.monotonic() + timeout
    while True:
        lines = qor.trace_lines()
        for i in range(after, len(lines)):
            m = rx.search(lines[i])
            if m:
                return m, i + 1
        assert time.monotonic() < deadline, f"no trace line {pattern!r} after line {after}"
        time.sleep(0.1)


def _open(qor: h.QorApp, slot: int, button=1):
    """Opens the panel of `slot` with a click; returns the panel's expected rectangle and the
    trace position after it."""
    start = len(qor.trace_lines())
    qor.screen.click(*_icon_middle(qor, slot), button=button)
    m, at = _traced(qor, rf"popup open slot={slot} entries=(\d+)", start)
    entries = int(m.group(1))
    assert entries > 0
    panel = panel_rect(qor.screen.width, qor.screen.height, slot, entries)
    _, at = _traced(qor, rf"popup shown left={panel.x} top={panel.y} height={panel.h}", at)
    return panel, entries, at


def _check_panel(qor: h.QorApp, panel: h.Rect, entries: int, label: str):
    """With the pointer on the panel's first row: the panel's outline lies exactly on `panel`,
    every row shows an icon, a caption and a letter, and Escape takes away exactly what the
    panel covered. (A panel of the normal layout.)"""
    assert _popup_window(qor, panel)
    qor.screen.move(*_row_middle(panel, 1))
    shot = qor.wait_stable(label)
    x0, y0, mid_x, mid_y = panel.x, panel.y, panel.x + 134, panel.y + panel.h // 2
    edges = {"left": ((x0 + 3, mid_y), (x0 + 2, mid_y)), "right": ((x0 + 264, mid_y), (x0 + 265, mid_y)),
             "top": ((mid_x, y0 + 2), (mid_x, y0 + 1)),
             "bottom": ((mid_x, y0 + panel.h - 4), (mid_x, y0 + panel.h - 3))}
    for side, (inside, outside) in edges.items():
        assert close(shot.pixel(*inside), FRAME, 6), f"no outline at the {side} edge {inside} ({shot.path})"
        assert not close(shot.pixel(*outside), FRAME, 6), f"the {side} edge is off by one at {outside}"
    for k in range(1, entries + 1):
        top = panel.y + 10 + ROW * (k - 1)
        for what, x1, x2 in (("icon", 13, 45), ("caption", 48, 231), ("letter", 237, 255)):
            # Pixels unlike the row's own background at its left margin, line by line.
            marked = sum(not close(shot.pixel(panel.x + x, y), shot.pixel(panel.x + 11, y), 40)
                         for y in range(top + 5, top + 33) for x in range(x1, x2))
            assert marked >= 8, f"row {k} shows no {what} ({shot.path})"
    _key(qor, panel, "Escape")
    _traced(qor, r"popup closed")
    closed = qor.wait_stable(label + "-closed")
    count, box = shot.diff(closed)
    assert count > 0 and panel.x <= box.x and box.right <= panel.right and panel.y <= box.y and \
        box.bottom <= panel.bottom, f"Escape changed {box}, not just the panel {panel}"
    return shot


def test_a_group_opens_beside_its_icon_and_a_row_runs_its_member(qor: h.QorApp):
    _start(qor)
    width, height = qor.screen.width, qor.screen.height
    # Right of the centre, left of it, and the centre's own group (by a right click).
    panel, entries, _ = _open(qor, ALL_PROGRAMS)
    assert entries == 3 and panel.x > width // 2
    _check_panel(qor, panel, entries, "all-programs")
    panel, entries, _ = _open(qor, ACCESSORIES)
    assert panel.right <= width // 2, f"the left group's panel {panel} is not left of the centre"
    _check_panel(qor, panel, entries, "accessories")
    panel, entries, _ = _open(qor, CENTRE, button=3)
    assert entries == 16
    _check_panel(qor, panel, entries, "popup-open-centre")

    # A click on the first row ("Marker", "0") runs it and closes the panel.
    panel, _, at = _open(qor, ALL_PROGRAMS)
    qor.screen.click(*_row_middle(panel, 1))
    _traced(qor, r"popup click entry=1", at)
    _traced(qor, r"popup closed", at)
    _traced(qor, r"popup launch item=\d+ ok=1", at)
    deadline = time.monotonic() + 15
    while not (qor.run_dir / "marker.txt").exists():
        assert time.monotonic() < deadline, "the marker program did not run"
        time.sleep(0.1)
    qor.screen.move(2, 2)
    shot = qor.wait_stable("ran")
    assert not close(shot.pixel(panel.x + 3, panel.y + panel.h // 2), FRAME, 6), "the panel stayed open"


def test_members_dragged_out_are_removed_until_the_last_closes_the_panel(qor: h.QorApp):
    _start(qor)
    menu_file = qor.prefix.data_dir() / "QORMenu.cfg"
    panel, entries, at = _open(qor, ALL_PROGRAMS)
    for remaining in (2, 1, 0):
        x, y = _row_middle(panel, entries)  # the last row
        qor.screen.move(x, y)
        qor.screen.xdotool("mousedown", 1)
        for k in range(1, 6):  # out to the screen's top-left corner
            qor.screen.move(x - (x - 40) * k // 5, y - (y - 40) * k // 5)
        qor.screen.xdotool("mouseup", 1)
        _, at = _traced(qor, r"popup delete item=\d+ removed=1", at)
        _, at = _traced(qor, rf"popup resize slot=3 entries={remaining}", at)
        resized = at
        _, at = _traced(qor, r"save file=menu reason=popup ok=1", at)
        assert len(fmt.Menu.unpack(menu_file.read_bytes()).groups[ALL_PROGRAMS].members) == remaining
        entries = remaining
        if remaining:
            # Smaller, still centred on the icon: its window and its outline are there.
            panel = panel_rect(qor.screen.width, qor.screen.height, ALL_PROGRAMS, remaining)
            assert _popup_window(qor, panel)
            qor.screen.move(*_row_middle(panel, 1))
            shot = qor.wait_stable(f"{remaining}-left")
            assert close(shot.pixel(panel.x + 3, panel.y + panel.h // 2), FRAME, 6), f"no panel at {panel}"
            assert not close(shot.pixel(panel.x + 3, panel.bottom + 10), FRAME, 6), "the panel did not shrink"
    _traced(qor, r"popup closed", resized)
    qor.screen.move(2, 2)
    shot = qor.wait_stable("all-removed")
    assert not close(shot.pixel(panel.x + 3, panel.y + panel.h // 2), FRAME, 6), "the panel stayed open"


def test_a_long_group_pages_scrolls_and_moves_its_light_with_the_keys(qor: h.QorApp):
    names = [f"Note {i:02d}.qnote" for i in range(1, 40)]  # with Marker.exe: 40 members
    _start(qor, names)
    rows = popup_rows(qor.screen.height)
    panel, entries, at = _open(qor, ALL_PROGRAMS)
    assert entries == 40 and panel.h == ROW * rows + 80, "not the scroll layout"
    first = qor.wait_stable("first-page")

    def top_after(action, *args):
        nonlocal at
        action(*args)
        m, at = _traced(qor, r"popup top=(\d+) up=(\d) down=(\d)", at)
        return int(m.group(1)), int(m.group(2)), int(m.group(3))

    page_down = qor.screen.click  # a click on "PgDn"
    pgdn = (panel.x + 134, panel.y + 45 + ROW * rows + 12)
    assert top_after(page_down, *pgdn) == (rows, 1, 1)
    shot = qor.wait_stable("second-page")
    row1 = h.Rect(panel.x + 48, panel.y + 45, 183, 28)
    assert any(shot.pixel(x, y) != first.pixel(x, y) for y in range(row1.y, row1.bottom)
               for x in range(row1.x, row1.right)), "row 1 shows the same entry after a page"
    last = 40 - rows
    assert top_after(_key, qor, panel, "Next") == (last, 1, 0)
    assert top_after(_key, qor, panel, "Prior") == (last - rows, 1, 1)
    # The wheel, one notch towards the user and one away; it goes to the focused panel.
    qor.screen.move(*_row_middle(panel, 3, True))
    assert top_after(qor.screen.xdotool, "click", 5) == (last - rows + 1, 1, 1)
    assert top_after(qor.screen.xdotool, "click", 4) == (last - rows, 1, 1)
    # Arrows: Up past row 1 scrolls one entry; Page Up from there reaches the top.
    qor.screen.move(2, 2)  # the pointer off the panel: only the keys move the light
    _traced(qor, r"paint MenuNormal", at)
    assert top_after(_key, qor, panel, "Down") == (last - rows, 1, 1)
    _traced(qor, r"paint MenuAction 1 ", at)
    assert top_after(_key, qor, panel, "Up") == (last - rows - 1, 1, 1)
    assert top_after(_key, qor, panel, "Prior") == (0, 0, 1)
    qor.wait_stable("top-again")
