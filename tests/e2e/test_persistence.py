"""The two stored files seen from outside: what an orderly end writes, and the recovery of a
missing item file from its .bak copy at the next start.
"""

from __future__ import annotations

import time

import pytest

import qorformat as fmt
import qorharness as h


def _end_in_order(app: h.QorApp):
    res, ended = app.taskkill(timeout=30)
    assert res.returncode == 0, f"taskkill failed: {res.stdout} {res.stderr}"
    assert ended, f"{h.PROGRAM_IMAGE} did not end after taskkill"


def _wait_for_file(path, timeout=20.0) -> bool:
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if path.is_file():
            return True
        time.sleep(0.2)
    return path.is_file()


@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_first_start_ended_in_order_writes_both_files_at_their_sizes(qor: h.QorApp):
    qor.start()
    qor.wait_stable("running")
    _end_in_order(qor)

    data = qor.prefix.data_dir()
    cfg, menu = data / "QORCfg.cfg", data / "QORMenu.cfg"
    assert cfg.is_file(), f"{cfg} was not written"
    assert menu.is_file(), f"{menu} was not written"
    assert cfg.stat().st_size == fmt.SETTINGS_SIZE == 564
    assert menu.stat().st_size == fmt.MENU_SIZE == 1_338_885
    # Each file has its second copy, and no temporary file is left behind.
    assert (data / "QORCfg.cfg.bak").read_bytes() == cfg.read_bytes()
    assert (data / "QORMenu.cfg.bak").read_bytes() == menu.read_bytes()
    assert not (data / "QORMenu.cfg.tmp").exists()
    assert not (data / "QORCfg.cfg.tmp").exists()

    settings = fmt.Settings.unpack(cfg.read_bytes())
    assert (settings.IconSize, settings.MaxIconSize, settings.MagnifiedSize) == (48, 128, 64)
    assert settings.IconCountCode == 4
    items = fmt.Menu.unpack(menu.read_bytes()).items
    # Every ring slot is something: a shortcut, a group, a blank shortcut or a system item.
    assert all(items[i].Kind != 0 for i in range(1, 37)), [items[i].Kind for i in range(1, 37)]


@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_deleted_item_file_comes_back_from_its_bak(qor: h.QorApp):
    qor.start()
    qor.wait_stable("first")
    _end_in_order(qor)

    data = qor.prefix.data_dir()
    menu, bak = data / "QORMenu.cfg", data / "QORMenu.cfg.bak"
    assert bak.is_file(), f"{bak} was not written"
    # Mark the .bak copy so that its content can be recognised after the restart: templates
    # (items 37 to 64) are read from the file as stored.
    stored = fmt.Menu.unpack(bak.read_bytes())
    stored.items[60].Title = "Restored from bak"
    bak.write_bytes(stored.pack())
    menu.unlink()

    qor.start()
    qor.wait_stable("restarted")
    # The start itself puts the copy back in place, before anything else is saved.
    assert _wait_for_file(menu), f"{menu} was not restored from {bak.name}"
    assert menu.read_bytes() == bak.read_bytes()
    assert qor.alive()

    _end_in_order(qor)
    assert menu.stat().st_size == fmt.MENU_SIZE
    assert fmt.Menu.unpack(menu.read_bytes()).items[60].Title == "Restored from bak"
