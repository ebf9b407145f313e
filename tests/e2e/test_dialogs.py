"""The settings window, the backup and restore of the ring, and the "Get Started" tour, driven
through their controls at 1366x768.

The dialogs are driven by the test tree's qor_controls.exe, which finds a dialog by its caption and
a control by its text (or class and place) and sends what the user's action sends: a click, a list
choice, a slider drag, the text typed into a file name. What the ring shows is checked on
screenshots against the ring's formulas (test_ring), what is stored in the two files.
"""

from __future__ import annotations

import time

import pytest

import qorformat as fmt
import qorharness as h
from test_dock_input import _key, _middle, _start
from test_ring import (COUNT_CODES, LAYOUTS, _colour_png, _write_ring_files, CENTRE_COLOUR, close, palette,
                       ring_squares)
from test_tray_menu import _click_icon, _menu_shown

SETTINGS = "QOR Desktop - Settings"
TOUR = h.TOUR_CAPTION
MESSAGE = h.MESSAGE_CAPTION

pytestmark = pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)


def _open_settings(qor: h.QorApp, dialogs: h.Dialogs, opened: int):
    """"&Settings" from the notification icon's menu, the `opened`+1-th time."""
    _click_icon(qor, 3)
    _menu_shown(qor, "tray", opened)
    qor.screen.key("s")
    dialogs.wait(SETTINGS)


def _visible(squares, covered: h.Rect):
    return {i: sq for i, sq in squares.items()
            if sq.right <= covered.x or sq.left >= covered.right or sq.bottom <= covered.y or
            sq.top >= covered.bottom}


def _ring_shows(shot: h.Image, squares, label):
    wrong = [i for i, sq in squares.items() if not close(shot.pixel(*_middle(sq)), palette(i))]
    assert not wrong, f"{label}: positions {wrong} do not show their pictures ({shot.path})"


def test_settings_change_the_running_ring_are_stored_and_reset(qor: h.QorApp):
    # 36 coloured shortcuts of which the ring shows 8, with the same rest size and radius as
    # test_ring's full ring.
    count, (radius, side) = 36, LAYOUTS[("1366x768", 36)]
    pictures = {i: _colour_png(qor.prefix, palette(i)) for i in range(1, 37)}
    _write_ring_files(qor, count, radius, side, pictures, _colour_png(qor.prefix, CENTRE_COLOUR))
    cfg_path = qor.prefix.data_dir() / "QORCfg.cfg"
    cfg = fmt.Settings.unpack(cfg_path.read_bytes())
    cfg.IconCountCode = COUNT_CODES[8]
    cfg_path.write_bytes(cfg.pack())
    qor.screen.xdotool("mousemove", 1, 1)
    qor.start()
    qor.wait_stable("eight")
    dialogs = h.Dialogs(qor)

    _open_settings(qor, dialogs, 0)
    controls, window = dialogs.controls(SETTINGS)
    assert controls["ComboBox:0"]["sel"] == "0" and controls["Icon Quantity:  8  Icons"]
    dialogs.run("tab", SETTINGS, 1)

    # "36 icons": the ring at once holds 36 positions.
    dialogs.run("choose", SETTINGS, "ComboBox:0", 7)
    assert qor.wait_trace(r"settings IconCount=36"), "the list choice did not reach the ring"
    shot = qor.wait_stable("thirty-six")
    w, hgt = qor.screen.width, qor.screen.height
    at_36 = _visible(ring_squares(w, hgt, 36, radius, side), window)
    assert len([i for i in at_36 if i > 8]) >= 10, f"the settings window hides the ring: {window}"
    _ring_shows(shot, at_36, "36 icons")
    assert dialogs.controls(SETTINGS)[0].get("Icon Quantity:  36  Icons"), "the label did not follow"

    # The radius slider dragged to 250: the squares move in.
    dialogs.run("slide", SETTINGS, "Circle Diameter", 280, 265, 250)
    assert qor.wait_trace(r"settings Radius=250")
    shot = qor.wait_stable("radius-250")
    at_250 = _visible(ring_squares(w, hgt, 36, 250, side), window)
    _ring_shows(shot, at_250, "radius 250")
    left = [i for i, sq in at_36.items() if shot.pixel(*_middle(sq)) != qor.bare.pixel(*_middle(sq))]
    assert not left, f"positions {left} are still painted on the old circle ({shot.path})"

    # Closing stores the new values.
    dialogs.run("click", SETTINGS, "&OK")
    dialogs.gone(SETTINGS)
    stored = fmt.Settings.unpack(cfg_path.read_bytes())
    assert (stored.IconCountCode, stored.Radius) == (COUNT_CODES[36], 250)

    # "Reset all default program settings", after its question: the controls show the defaults.
    _open_settings(qor, dialogs, 1)
    dialogs.run("click", SETTINGS, "Reset all default program settings")
    dialogs.answer("Proceed anyway with resetting all default program settings?", "#6")
    dialogs.answer("Reset all default program settings successfully!", "#1")
    controls, _ = dialogs.controls(SETTINGS)
    sliders = {name: controls[name]["pos"] for name in
               ("Normal Icon Size", "Magnified Icon Size", "Circle Diameter", "Opacity")}
    assert sliders == {"Normal Icon Size": "48", "Magnified Icon Size": "64", "Circle Diameter": "300",
                       "Opacity": "192"}, sliders
    assert controls["ComboBox:0"]["sel"] == "4" and "Icon Quantity:  24  Icons" in controls
    assert "Circle Diameter:  600  Pixels" in controls
    assert controls["Load at system startup"]["check"] == "1"
    dialogs.run("click", SETTINGS, "&OK")
    dialogs.gone(SETTINGS)
    stored = fmt.Settings.unpack(cfg_path.read_bytes())
    assert (stored.IconCountCode, stored.Radius, stored.IconSize) == (4, 300, 48)


def test_restore_brings_back_the_backed_up_ring(qor: h.QorApp):
    _start(qor)
    dialogs = h.Dialogs(qor)
    menu_path = qor.prefix.data_dir() / "QORMenu.cfg"
    backup = qor.prefix.drive_c / "qor-ring.bak"
    backup.unlink(missing_ok=True)

    # The ring's own items from position 4 on (1 to 3 stand for the built-in items, whose
    # pictures a backup never carries).
    def ring_items():
        items = fmt.Menu.unpack(menu_path.read_bytes()).items
        return [(it.Kind, it.Title, it.Target, it.IconPath != "") for it in items[4:37]]

    before = ring_items()
    _open_settings(qor, dialogs, 0)
    dialogs.run("click", SETTINGS, "Backup All Shortcuts && Icons")
    dialogs.choose_file("QOR Desktop - Backup Shortcuts & Icons", qor.prefix.windows_path(backup), "&Save")
    dialogs.answer("Backup Shortcuts & Icons Successfully!", "#1")
    assert backup.is_file() and backup.read_bytes().endswith(b"/END")

    # The ring changes: its shortcuts and icons back to the defaults.
    dialogs.run("click", SETTINGS, "Reset all default shortcuts && icons")
    dialogs.answer("Proceed anyway with resetting all default shortcuts and icons?", "#6")
    dialogs.answer("Reset all default shortcuts & icons successfully!", "#1")
    assert ring_items() != before, "the reset did not change the ring"

    dialogs.run("click", SETTINGS, "Restore All Shortcuts && Icons")
    dialogs.choose_file("QOR Desktop - Restore Shortcuts & Icons", qor.prefix.windows_path(backup), "&Open")
    dialogs.answer("Restore Shortcuts & Icons Successfully!", "#1")
    assert ring_items() == before, "the item file is not as it was backed up"
    dialogs.run("click", SETTINGS, "&OK")
    dialogs.gone(SETTINGS)
    qor.screen.move(1, 1)
    shot = qor.wait_stable("restored")
    radius, side = LAYOUTS[("1366x768", 8)]
    squares = ring_squares(qor.screen.width, qor.screen.height, 8, radius, side)
    _ring_shows(shot, {i: sq for i, sq in squares.items() if i in (5, 7, 8)}, "restored")


def test_tour_at_first_start_pages_and_can_be_turned_off(qor: h.QorApp):
    qor.start()  # a fresh install: no stored data
    dialogs = h.Dialogs(qor)
    dialogs.wait(TOUR, 30)

    def state():
        c, _ = dialogs.controls(TOUR)
        step = next(v["text"] for v in c.values() if v["text"].startswith("Step "))
        return step, c["<< Last"]["enabled"], c["Next >>"]["enabled"], c["Don't show again"]["check"]

    assert state() == ("Step 1 of 5", "0", "1", "0")
    for page in range(2, 6):
        dialogs.run("click", TOUR, "Next >>")
        assert qor.wait_trace(rf"get-started page={page - 1}")
    assert state() == ("Step 5 of 5", "1", "0", "0")
    dialogs.run("click", TOUR, "<< Last")
    assert qor.wait_trace(r"get-started page=3") and state()[0] == "Step 4 of 5"

    # "Don't show again", then Cancel: -1 is stored at once.
    dialogs.run("click", TOUR, "Don't show again")
    dialogs.run("click", TOUR, "Cancel")
    dialogs.gone(TOUR)
    cfg = qor.prefix.data_dir() / "QORCfg.cfg"
    assert fmt.Settings.unpack(cfg.read_bytes()).HideGetStarted == -1

    # F1 on the ring opens it again at the first page.
    _key(qor, "F1")
    dialogs.wait(TOUR)
    assert state() == ("Step 1 of 5", "0", "1", "0")
    dialogs.run("click", TOUR, "Next >>")
    dialogs.run("close", TOUR)
    dialogs.gone(TOUR)
    assert fmt.Settings.unpack(cfg.read_bytes()).HideGetStarted == 1
