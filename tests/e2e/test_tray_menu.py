"""The notification-area icon and its menu, and the item menu of a ring icon (test_dock_input's
ring of 8 solid-colour shortcuts, positions 4 and 6 blank), driven with the real mouse and keys.

Without a desktop environment Wine keeps notification icons in its own "Wine System Tray" window,
one after the other from its left edge. Wine cannot read another process's menu, so what a menu
offers comes from the program's trace ("menu show ..."); an open menu is driven by access letters.
"""

from __future__ import annotations

import time

import qorformat as fmt
import qorharness as h
from test_dock_input import _key, _middle, _squares, _start
from test_ring import close, palette

BROADCAST_EXE = h.BUILD_WIN / "qor_broadcast.exe"
TRAY_MENU = "Change User &Icon:1|&Settings:1|&About QOR Desktop:1|-|&Exit:1"


def _tray(qor: h.QorApp):
    shown = qor.screen.wine_tray_windows()
    assert shown, "no \"Wine System Tray\" window: the program added no notification icon"
    return shown[0]


def _icon_count(qor: h.QorApp, label: str) -> int:
    """Icons in the tray window: runs of columns that hold anything but its plain background.
    Taken once the screen has settled (the tray window is hidden and shown again when its only
    icon is deleted and added)."""
    shot = qor.wait_stable(label)
    tray = _tray(qor)
    background = shot.pixel(tray.rect.right - 2, tray.rect.y + tray.rect.h // 2)
    columns = [any(shot.pixel(x, y) != background for y in range(tray.rect.y, tray.rect.bottom))
               for x in range(tray.rect.x, tray.rect.right)]
    return sum(1 for i, c in enumerate(columns) if c and (i == 0 or not columns[i - 1]))


def _click_icon(qor: h.QorApp, button: int):
    tray = _tray(qor)
    qor.screen.click(tray.rect.x + tray.rect.h // 2, tray.rect.y + tray.rect.h // 2, button)


def _menu_shown(qor: h.QorApp, name: str, after: int) -> str:
    """The entries of the `after`+1-th menu of that name the program showed."""
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        shown = [l.split(" entries=", 1)[1] for l in qor.trace_lines() if f"menu show name={name} " in l]
        if len(shown) > after:
            time.sleep(0.3)  # the menu window maps after the trace line
            return shown[after]
        time.sleep(0.1)
    raise AssertionError(f"no {name} menu was shown")


def test_tray_icon_menu_taskbar_created_and_exit(qor: h.QorApp):
    _start(qor)
    assert qor.wait_trace(r"tray icon add ok=1"), "the notification icon was not added"
    assert _icon_count(qor, "tray") == 1

    # A left click raises the ring in keyboard mode; Escape lets it rest again.
    _click_icon(qor, 1)
    assert qor.wait_trace(r"dock keyboard=1"), "a left click on the icon did not raise the ring"
    _key(qor, "Escape")
    assert qor.wait_trace(r"dock keyboard=0")

    # The taskbar is re-created: the icon is put back, and there is still exactly one.
    res = qor.prefix.wine(BROADCAST_EXE, "TaskbarCreated")
    assert res.returncode == 0, f"the broadcast failed: {res.stderr}"
    assert qor.wait_trace(r"tray taskbar-created"), "the tray window did not see \"TaskbarCreated\""
    deadline = time.monotonic() + 5
    while sum("tray icon add ok=1" in l for l in qor.trace_lines()) < 2:
        assert time.monotonic() < deadline, "the icon was not added again"
        time.sleep(0.1)
    assert _icon_count(qor, "tray-recreated") == 1, "not exactly one icon after \"TaskbarCreated\""

    # A right click opens the tray menu; "&Exit" saves and ends the program.
    _click_icon(qor, 3)
    assert _menu_shown(qor, "tray", 0) == TRAY_MENU
    qor.screen.key("e")
    assert qor.wait_trace(r"menu choice name=tray id=4"), "\"&Exit\" was not chosen"
    assert qor.wait_exit(30), "the program did not end after \"&Exit\""
    lines = qor.trace_lines()
    assert any("save file=menu reason=exit ok=1" in l for l in lines), "the item file was not saved"
    assert any("save file=settings reason=exit ok=1" in l for l in lines), "the settings were not saved"
    assert any("tray icon delete ok=1" in l for l in lines), "the icon was not removed"


def test_item_menu_moves_a_ring_item_to_the_top(qor: h.QorApp):
    _start(qor)
    squares = _squares(qor)
    before = fmt.Menu.unpack((qor.prefix.data_dir() / "QORMenu.cfg").read_bytes()).items

    # Ring position 4 (the first that moves) offers moving down and to the bottom only. It is
    # blank, so it offers adding but not deleting.
    qor.screen.click(*_middle(squares[4]), 3)
    assert _menu_shown(qor, "item", 0) == ("&Add Shortcut:1|&Delete:0|-|Move &Up:0|Move &Down:1|"
                                           "Move &Top:0|Move &Bottom:1|-|&Properties:1")
    qor.screen.key("Escape")
    assert qor.wait_trace(r"menu choice name=item id=0")

    # "Move &Top" on position 7: 7, 4, 5, 6 in positions 4 to 7, each with its record.
    qor.screen.click(*_middle(squares[7]), 3)
    assert "Move &Top:1" in _menu_shown(qor, "item", 1)
    qor.screen.key("t")
    assert qor.wait_trace(r"item-menu move ring from=7 to=4"), "the item did not move"
    assert qor.wait_trace(r"save file=menu reason=item-menu ok=1"), "the item file was not saved"
    qor.screen.move(2, 2)

    def check(label):
        items = fmt.Menu.unpack((qor.prefix.data_dir() / "QORMenu.cfg").read_bytes()).items
        for slot, source in {4: 7, 5: 4, 6: 5, 7: 6, 8: 8}.items():
            got, want = items[slot], before[source]
            assert (got.Kind, got.Title, got.IconPath, got.Target) == \
                   (want.Kind, want.Title, want.IconPath, want.Target), f"{label}: slot {slot}"
            assert got.IconRef == slot, f"{label}: IconRef of slot {slot} is {got.IconRef}"
        shot = qor.wait_stable(label)
        for slot, colour in {4: palette(7), 6: palette(5), 8: palette(8)}.items():
            assert close(shot.pixel(*_middle(squares[slot])), colour), \
                f"{label}: position {slot} does not show its moved picture ({shot.path})"
        for slot in (5, 7):  # the blanks moved there
            assert not any(close(shot.pixel(*_middle(squares[slot])), palette(i)) for i in range(1, 9)), \
                f"{label}: position {slot} still shows a shortcut's picture ({shot.path})"

    check("moved")
    # After a restart the ring is as it was moved.
    qor.kill()
    qor.prefix.kill_server()
    qor.start()
    check("restarted")
