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


def _run_once(app: h.QorApp, label: str):
    """One start that shows the ring, ended in order."""
    app.start()
    app.wait_stable(label)
    _end_in_order(app)


def _wait_for_file(path, timeout=20.0) -> bool:
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if path.is_file():
            return True
        time.sleep(0.2)
    return path.is_file()


@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_first_start_ended_in_order_writes_both_files_at_their_sizes(qor: h.QorApp):
    _run_once(qor, "running")

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
    _run_once(qor, "first")

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


SYSTEM_KEY = r"HKEY_CURRENT_USER\Software\QOR Desktop\System"
RUN_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run"


@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_first_run_marker_deletes_the_stored_dock_once(qor: h.QorApp):
    _run_once(qor, "first")

    # An earlier dock: 8 positions, a marked template, a picture of its own in the cache.
    data = qor.prefix.data_dir()
    for name in ("QORCfg.cfg", "QORCfg.cfg.bak"):
        settings = fmt.Settings.unpack((data / name).read_bytes())
        settings.IconCountCode = 0
        (data / name).write_bytes(settings.pack())
    for name in ("QORMenu.cfg", "QORMenu.cfg.bak"):
        menu = fmt.Menu.unpack((data / name).read_bytes())
        menu.items[60].Title = "Earlier dock"
        (data / name).write_bytes(menu.pack())
    stray = data / "QorIcons" / "900.png"
    stray.write_bytes((h.REPO / "resources" / "SysIcons" / "File.png").read_bytes())
    # What an installer leaves for a fresh start.
    qor.prefix.reg_add(SYSTEM_KEY, "FirstRun", "0")

    qor.start()
    qor.wait_stable("after-first-run")
    assert qor.prefix.reg_query(SYSTEM_KEY, "FirstRun") == ("REG_SZ", "1")
    assert not stray.exists(), "the earlier icon cache was kept"
    _end_in_order(qor)
    settings = fmt.Settings.unpack((data / "QORCfg.cfg").read_bytes())
    assert settings.IconCountCode == 4, "the earlier settings were kept"
    assert fmt.Menu.unpack((data / "QORMenu.cfg").read_bytes()).items[60].Title != "Earlier dock"

    # "1" is not a first run: the dock of the previous start stays.
    menu = fmt.Menu.unpack((data / "QORMenu.cfg").read_bytes())
    menu.items[60].Title = "Kept dock"
    (data / "QORMenu.cfg").write_bytes(menu.pack())
    _run_once(qor, "second")
    assert fmt.Menu.unpack((data / "QORMenu.cfg").read_bytes()).items[60].Title == "Kept dock"


@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_start_with_windows_is_registered_when_the_settings_ask(qor: h.QorApp):
    # Without a settings file nothing is registered.
    _run_once(qor, "no-settings")
    assert qor.prefix.reg_query(RUN_KEY, "QOR Desktop") is None

    data = qor.prefix.data_dir()
    settings = fmt.Settings.unpack((data / "QORCfg.cfg").read_bytes())
    settings.AutoRun = -1
    (data / "QORCfg.cfg").write_bytes(settings.pack())
    qor.start()
    qor.wait_stable("auto-run")
    value = qor.prefix.reg_query(RUN_KEY, "QOR Desktop")
    assert value is not None, "no Run value after a start whose settings ask for it"
    kind, path = value
    assert kind == "REG_SZ"
    assert path.lower().endswith("\\" + h.PROGRAM_IMAGE.lower()), path
    _end_in_order(qor)
    assert fmt.Settings.unpack((data / "QORCfg.cfg").read_bytes()).AutoRun == -1
