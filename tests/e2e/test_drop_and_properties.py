"""Files dropped on the ring, and the property dialog opened from the item menu, on the ring of 8
solid-colour shortcuts of test_dock_input (positions 4 and 6 blank), at 1366x768.

Xvfb has no shell to drag files from: qor_drag.exe drags a file list with OLE the way the shell
does, and Wine carries the calls to the dock's registered drop target across the processes. The
dialogs are driven through their controls with qor_dialog.exe (by class and caption, with the
messages a user's actions send); what they did is read from QORMenu.cfg and the trace.
"""

from __future__ import annotations

import subprocess
import time

import pytest

import qorformat as fmt
import qorharness as h
from test_dock_input import _middle, _squares, _start
from test_tray_menu import _menu_shown

DRAG_EXE = h.BUILD_WIN / "qor_drag.exe"
DIALOG_EXE = h.BUILD_WIN / "qor_dialog.exe"


def _dialog(qor: h.QorApp, *args, timeout=60, check=True) -> str:
    res = qor.prefix.wine(DIALOG_EXE, *args, timeout=timeout)
    if check:
        assert res.returncode == 0, f"qor_dialog {' '.join(map(str, args))}: code {res.returncode} {res.stderr}"
    return res.stdout


def _controls(qor: h.QorApp, window: str):
    """The dialog's controls as (class, id, enabled, checked, text, [combo selection, entries])."""
    rows = []
    for line in _dialog(qor, "dump", window).splitlines():
        parts = line.rstrip("\r").split("\t")
        rows.append(parts)
    return rows


def _control(rows, cls: str, text: str):
    found = [r for r in rows if r[0] == cls and r[4] == text]
    assert found, f"no {cls} \"{text}\" in the dialog: {rows}"
    return found[0]


def _menu(qor: h.QorApp):
    return fmt.Menu.unpack((qor.prefix.data_dir() / "QORMenu.cfg").read_bytes())


def _files(qor: h.QorApp, *names):
    """Files in C:\\Dropped of the prefix; their Windows paths."""
    folder = qor.prefix.drive_c / "Dropped"
    folder.mkdir(parents=True, exist_ok=True)
    paths = []
    for name in names:
        (folder / name).write_text(name)
        paths.append("C:\\Dropped\\" + name)
    return paths


def _drag(qor: h.QorApp, point, files):
    """Drops `files` at screen point `point`; the drag tool must report a drop."""
    res = qor.prefix.wine(DRAG_EXE, point[0], point[1], *files, timeout=60)
    assert res.returncode == 0, f"the drag was not dropped: {res.stdout} {res.stderr}"
    return res.stdout


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
    assert any(r[4].startswith("QOR Desktop will create a new shortcut group") for r in rows), rows
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
    assert any(r[4] == "Are you sure to replace the selected shortcut?" for r in _controls(qor, "Replace shortcut"))
    _dialog(qor, "click", "Replace shortcut", "&Yes")
    _wait_saved(qor, "drop", 2)
    menu = _menu(qor)
    assert (menu.items[5].Kind, menu.items[5].Target, menu.items[5].Title) == (1, one[0], "single.txt")
    # Nothing else moved.
    for slot in (1, 2, 3, 6, 7, 8):
        assert menu.items[slot].Target == before.items[slot].Target, f"position {slot} changed"
