"""Files dropped on the ring, and the property dialog opened from the item menu, on the ring of 8
solid-colour shortcuts of test_dock_input (positions 4 and 6 blank), at 1366x768.

Xvfb has no shell to drag files from: qor_drag.exe drags a file list with OLE the way the shell
does, and Wine carries the calls to the dock's registered drop target across the processes. The
dialogs are driven through their controls with qor_dialog.exe (by class and caption, with the
messages a user's actions send); what they did is read from QORMenu.cfg and the trace.
"""

from __future__ import annotations

import re
import shutil
import time

import pytest

import qorformat as fmt
import qorharness as h
from test_dock_input import _middle, _squares, _start
from test_tray_menu import _menu_shown

DRAG_EXE = h.BUILD_WIN / "qor_drag.exe"
DIALOG_EXE = h.BUILD_WIN / "qor_dialog.exe"


def _dialog(qor: h.QorApp, *args) -> str:
    res = qor.prefix.wine(DIALOG_EXE, *args, timeout=60)
    assert res.returncode == 0, f"qor_dialog {' '.join(map(str, args))}: code {res.returncode}"
    return res.stdout


def _controls(qor: h.QorApp, window: str):
    """The dialog's controls as [class, id, enabled, checked, size, text, (selection, entries...)]."""
    return [line.rstrip("\r").split("\t") for line in _dialog(qor, "dump", window).splitlines()]


def _control(rows, cls: str, text: str):
    found = [r for r in rows if r[0] == cls and r[5] == text]
    assert found, f"no {cls} \"{text}\" in the dialog: {rows}"
    return found[0]


def _menu(qor: h.QorApp):
    return fmt.Menu.unpack((qor.prefix.data_dir() / "QORMenu.cfg").read_bytes())


def _files(qor: h.QorApp, *names):
    """Files in C:\\Dropped of the prefix; their Windows paths."""
    folder = qor.prefix.drive_c / "Dropped"
    folder.mkdir(parents=True, exist_ok=True)
    for name in names:
        (folder / name).write_text(name)
    return ["C:\\Dropped\\" + name for name in names]


def _drag(qor: h.QorApp, point, files):
    """Drops `files` at screen point `point`; the drag tool must report a drop."""
    res = qor.prefix.wine(DRAG_EXE, point[0], point[1], *files, timeout=60)
    assert res.returncode == 0, f"the drag was not dropped: {res.stdout}"


def _wait_saved(qor: h.QorApp, reason: str, count: int = 1):
    deadline = time.monotonic() + 15
    while sum(f"save file=menu reason={reason} ok=1" in l for l in qor.trace_lines()) < count:
        assert time.monotonic() < deadline, f"the item file was not saved ({reason})"
        time.sleep(0.1)


@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_files_dropped_on_the_ring(qor: h.QorApp):
    _start(qor)
    squares = _squares(qor)
    before = _menu(qor)

    # Three files on the blank position 4: the input window asks for the group's name.
    three = _files(qor, "one.txt", "two.txt", "three.txt")
    _drag(qor, _middle(squares[4]), three)
    assert qor.wait_trace(r"drop over slot=4 files=1 indicator=2 effect=4"), "no add indicator over 4"
    _dialog(qor, "wait", "Add Shortcut Group")
    rows = _controls(qor, "Add Shortcut Group")
    assert any(r[5].startswith("QOR Desktop will create a new shortcut group") for r in rows), rows
    _dialog(qor, "set", "Add Shortcut Group", "Edit", "#1002", "Dropped files")
    _dialog(qor, "click", "Add Shortcut Group", "&OK")
    _wait_saved(qor, "drop")
    menu = _menu(qor)
    assert (menu.items[4].Kind, menu.items[4].Title) == (4, "Dropped files")
    assert [menu.items[m].Target for m in menu.groups[4].members] == three
    qor.screenshot("dropped-group")

    # One file on the shortcut of position 5: asked first; Yes replaces it.
    one = _files(qor, "single.txt")
    _drag(qor, _middle(squares[5]), one)
    assert qor.wait_trace(r"drop over slot=5 files=1 indicator=3 effect=4"), "no replace indicator over 5"
    _dialog(qor, "wait", "Replace shortcut")
    assert any(r[5] == "Are you sure to replace the selected shortcut?" for r in _controls(qor, "Replace shortcut"))
    _dialog(qor, "click", "Replace shortcut", "&Yes")
    _wait_saved(qor, "drop", 2)
    menu = _menu(qor)
    assert (menu.items[5].Kind, menu.items[5].Target, menu.items[5].Title) == (1, one[0], "single.txt")
    # Nothing else moved.
    for slot in (1, 2, 3, 6, 7, 8):
        assert menu.items[slot].Target == before.items[slot].Target, f"position {slot} changed"


@pytest.fixture
def decorated(request, desktop) -> h.QorApp:
    """A run of the program in a prefix of its own where Wine draws window captions itself (there
    is no window manager on Xvfb to draw them), so that the dialog's screenshot shows its caption
    as Windows does. The prefix is kept between sessions, like the others."""
    prefix = h.WinePrefix(h.BUILD_WIN / f"e2e-prefix-decorated-{desktop.screen.size_name}", desktop.screen)
    prefix.ensure()
    fonts = prefix.drive_c / "windows" / "Fonts"
    if not (fonts / "marlett.ttf").exists() and h.Path("/usr/share/wine/fonts/marlett.ttf").exists():
        fonts.mkdir(parents=True, exist_ok=True)  # the caption buttons' glyphs
        shutil.copy("/usr/share/wine/fonts/marlett.ttf", fonts)
    prefix.reg_add(r"HKCU\Software\Wine\X11 Driver", "Decorated", "N")
    prefix.kill_server()
    prefix.reset_program_data()
    run_dir = h.ARTIFACTS / re.sub(r"[^A-Za-z0-9_.-]+", "_", request.node.name)
    shutil.rmtree(run_dir, ignore_errors=True)
    app = h.QorApp(prefix, run_dir)
    try:
        yield app
    finally:
        rep = getattr(request.node, "rep_call", None)
        if rep is not None and rep.failed:
            app.screenshot("at-failure")
        app.kill()
        prefix.kill_server()


def _open_properties(qor: h.QorApp, square, shown: int):
    """Right-clicks a ring icon and chooses "&Properties" from the item menu."""
    qor.screen.click(*_middle(square), 3)
    _menu_shown(qor, "item", shown)
    qor.screen.key("p")
    _dialog(qor, "wait", "Properties")


@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_property_dialog_from_the_item_menu(decorated: h.QorApp):
    qor = decorated
    _start(qor)
    squares = _squares(qor)
    before = _menu(qor)

    # Position 5: what the dialog shows, the tab key's way round from the title, the picture box
    # (128 pixels at 96 dots per inch in a one-pixel frame).
    _open_properties(qor, squares[5], 0)
    rows = _controls(qor, "Properties")
    assert _control(rows, "Edit", before.items[5].Title)[2] == "1"
    assert _control(rows, "ComboBox", "Normal Window")[7:] == ["Normal Window", "Minimized", "Maximized"]
    assert [r for r in rows if r[1] == "1407"][0][7:] == [
        before.items[5].Target, "Replace by  New 'Internet' Shortcut", "Replace by  New 'Check Email' Shortcut"]
    assert [_control(rows, "Button", t)[2:4] for t in ("&Shortcut", "&Group", "Syste&m")] == \
        [["1", "1"], ["1", "0"], ["0", "0"]]  # enabled, selected
    assert [r for r in rows if r[1] == "1400"][0][4] == "130x130"
    assert _dialog(qor, "tabs", "Properties").split() == \
        ["1404", "1407", "1408", "1410", "1412", "1414", "1416", "1401", "1402", "1", "2", "1404"]

    # A title the code page cannot hold is refused with a message and the dialog stays.
    _dialog(qor, "set", "Properties", "Edit", "&Title:", "Gr\u0101ce")
    _dialog(qor, "click", "Properties", "&OK")
    _dialog(qor, "wait", "Properties")
    assert any("contains characters that cannot be stored" in r[5] for r in _controls(qor, "Properties"))
    _dialog(qor, "click", "Properties", "OK")

    # Renamed and run maximized; Enter is "&OK".
    _dialog(qor, "set", "Properties", "Edit", "&Title:", "Renamed shortcut")
    _dialog(qor, "select", "Properties", "R&un:", "2")
    _dialog(qor, "key", "Properties", "Edit", "&Title:", "13")
    _wait_saved(qor, "properties-ok")
    _dialog(qor, "gone", "Properties")
    item = _menu(qor).items[5]
    assert (item.Title, item.RunMode, item.Target) == ("Renamed shortcut", 2, before.items[5].Target)

    # "Replace by  New 'Internet' Shortcut" on position 7, confirmed.
    _open_properties(qor, squares[7], 1)
    _dialog(qor, "select", "Properties", "&Link:", "1")
    _dialog(qor, "wait", "Properties")
    _dialog(qor, "click", "Properties", "&Yes")
    _wait_saved(qor, "properties-link")
    item = _menu(qor).items[7]
    assert (item.Kind, item.Title) == (1, "Internet")
    assert item.IconPath.endswith("\\SysIcons\\Internet.png")
    # The dialog shows the internet shortcut now: its picture for the README, taken once the
    # dialog is the active window again.
    window = [w for w in qor.screen.windows() if w.name == "Properties"][0]
    qor.screen.click(window.rect.x + window.rect.w // 2, window.rect.y + 8)
    time.sleep(0.5)
    qor.screenshot("properties").crop(window.rect, h.ARTIFACTS / "property-dialog-1366x768.png")
    _dialog(qor, "set", "Properties", "Edit", "&Title:", "Not kept")
    _dialog(qor, "key", "Properties", "Edit", "&Title:", "27")  # Escape stores no text
    _dialog(qor, "gone", "Properties")
    assert _menu(qor).items[7].Title == "Internet"

    # "&Change Icon" with a file that holds no picture: "Change icon failed", nothing changed.
    broken = _files(qor, "broken.ico")[0]
    _open_properties(qor, squares[8], 2)
    _dialog(qor, "click", "Properties", "&Change Icon")
    _dialog(qor, "wait", "QOR Desktop - Change Icon")
    _dialog(qor, "set", "QOR Desktop - Change Icon", "ComboBoxEx32", "File &name:", broken)
    _dialog(qor, "click", "QOR Desktop - Change Icon", "&Open")
    _dialog(qor, "wait", "QOR Desktop")
    assert any(r[5] == "Change icon failed" for r in _controls(qor, "QOR Desktop"))
    _dialog(qor, "click", "QOR Desktop", "OK")
    _dialog(qor, "click", "Properties", "Cancel")
    _dialog(qor, "gone", "Properties")
    assert qor.wait_trace(r"properties change-icon item=8 ok=0")
    assert _menu(qor).items[8] == before.items[8]
