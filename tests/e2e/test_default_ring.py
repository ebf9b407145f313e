"""The first start on a machine: the default ring and the default catalogue, seen from outside.

Before the start the program's data folder and registry key are removed and both desktops of the
prefix are emptied; then a few files are put there the way a user's machine has them:

  all users' desktop  Meeting.qnote (a document type nobody registers), Help Manual.chm (a
                      document whose type names its icon: hh.exe)
  the user's desktop  Editor.lnk (a shell link to notepad with arguments), Example Site.url (an
                      internet shortcut with an icon file), Ring Copy.exe (a program with a version
                      description and an icon), Projects (a folder), Secret.txt (hidden attribute)

The program is started once per screen size, shows its first frame and is ended in order
(taskkill without /F). The tests then look at the screenshot of that first frame and at what the
run left behind: QORCfg.cfg, QORMenu.cfg and the generated pictures in QorIcons.
"""

from __future__ import annotations

import math
import re
import shutil
import struct
import subprocess
import uuid
from dataclasses import dataclass, field
from pathlib import Path

import pytest

import qorformat as fmt
import qorharness as h
from conftest import SIZES

# Kind codes and command codes of the item records.
SHORTCUT, BLANK, GROUP, MEMBER, ALL_PROGRAMS, RECYCLE_BIN, SYSTEM, COMMAND = 1, 2, 4, 5, 6, 9, 10, 11
TRUE = -1

# The accessories the Accessories group offers, in its order: (root, relative path). W is the
# Windows folder, S the system folder, P the program-files folder.
ACCESSORIES = [
    ("S", "notepad.exe"), ("S", "mspaint.exe"), ("S", "calc.exe"),
    ("P", r"Windows NT\Accessories\wordpad.exe"), ("P", r"Windows Media Player\wmplayer.exe"),
    ("S", "cmd.exe"), ("S", "msconfig.exe"), ("S", "SoundRecorder.exe"), ("S", "sndrec32.exe"),
    ("S", "SnippingTool.exe"), ("S", "StikyNot.exe"), ("S", "magnify.exe"), ("S", "osk.exe"),
    ("S", "mstsc.exe"), ("S", "taskmgr.exe"), ("W", "regedit.exe"), ("S", "cleanmgr.exe"),
    ("S", "dfrgui.exe"), ("S", "dfrg.msc"), ("S", "rstrui.exe"), ("S", "ntbackup.exe"),
]
WINDOWS, SYSTEM32, PROGRAM_FILES = r"C:\windows", r"C:\windows\system32", r"C:\Program Files"

# Centre group (item 0's group 0), "My Computer" group (1) and recycle-bin group (2): index,
# caption (None: depends on the user or the state) and picture.
CENTRE_GROUP = [
    (65, None, "UserDoc.png"), (66, "Modify User Name & User Icon", "UserIcon.png"),
    (67, "Settings", "Setting.png"), (68, "About QOR Desktop", "About.png"),
    (69, "Minimize", "Minimize.png"), (70, "Hide QOR Desktop", "HideQOR.png"),
    (71, "Exit", "Exit.png"), (72, "Always Hide Desktop Icons", "Desktop.png"),
    (73, "Switch Desktop", "Switch.png"), (74, "Get Started", "Get Started.png"),
    (75, "Lock Dragging", "Lock Dragging.png"), (76, "Shut Down", "Shutdown.png"),
    (77, "Restart", "Restart.png"), (78, "Log Off", "LogOff.png"),
    (79, "Lock This Computer", "LockWorkstation.png"), (80, "Monitor Off", "MonitorOff.png"),
]
COMPUTER_GROUP = [
    (81, "My Computer", "My Computer.png"), (82, "Properties", "Properties.png"),
    (83, "Personalize", "Personal.png"), (84, "Screen Resolution", "Display.png"),
    (85, "Uninstall a Program", "Uninstall.png"), (86, "Network", "Network.png"),
    (87, "IE Properties", "IEProperty.png"), (88, "Control Panel", "CPanel.png"),
    (89, "Workgroup", "Workgroup.png"), (90, "Printers and Faxes", "Printer.png"),
    (91, "Device Manager", "DeviceManager.png"), (92, "Search", "Search.png"),
    (93, "Run", "Run.png"), (94, "Network Connections", "Network Connection.png"),
]
RECYCLE_GROUP = [
    (101, "Empty Recycle Bin", "TrashEmpty.png"), (102, "Open Recycle Bin", "TrashFull.png"),
    (103, "Recycle Bin Status", "TrashCheck.png"),
]
# Ring slots 3..8 on a first start: caption, kind, picture.
DEFAULT_ENTRIES = {
    3: ("All Programs Group", ALL_PROGRAMS, "All Programs Group.png"),
    4: ("System Folders & Drives Group", GROUP, "Library.png"),
    5: ("Accessories Group", GROUP, "WinGroup.png"),
    6: ("Microsoft Office Suite Group", GROUP, "Microsoft Office Group.png"),
    7: ("Internet", SHORTCUT, "Internet.png"),
    8: ("Check Email", SHORTCUT, "Mailbox.png"),
}
TEMPLATES = {
    37: ("Recycle Bin (Empty)", RECYCLE_BIN, TRUE, 101, "RecycleEmpty.png"),
    38: ("Recycle Bin (Full)", RECYCLE_BIN, TRUE, 101, "RecycleFull.png"),
    39: ("File", SYSTEM, 0, 0, "File.png"),
    40: ("Blank Shortcut", SYSTEM, 0, 0, "Shortcut.png"),
    41: ("Application", SYSTEM, 0, 0, "Application.png"),
    42: ("Group", SYSTEM, 0, 0, "Group.png"),
}


# ----------------------------------------------------------------------------------------------
# Files on the desktops


def write_shell_link(path: Path, target: str, arguments: str = "", working_dir: str = ""):
    """A shell link (.lnk) to a local file, in the binary layout the shell reads: the header, a
    link-info block with the local path, and the Unicode string data."""
    has_link_info, has_working_dir, has_arguments, is_unicode = 0x2, 0x10, 0x20, 0x80
    flags = has_link_info | is_unicode | (has_working_dir if working_dir else 0) | \
        (has_arguments if arguments else 0)
    header = struct.pack("<I16sIIQQQIiIHHII", 0x4C,
                         uuid.UUID("00021401-0000-0000-C000-000000000046").bytes_le,
                         flags, 0x20, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0)
    volume = struct.pack("<IIII", 17, 3, 0x51A1D0C5, 16) + b"\0"  # fixed drive, empty label
    base = target.encode("cp1252") + b"\0"
    volume_at = 0x1C
    base_at = volume_at + len(volume)
    suffix_at = base_at + len(base)
    size = suffix_at + 1
    link_info = struct.pack("<IIIIIII", size, 0x1C, 1, volume_at, base_at, 0, suffix_at) + \
        volume + base + b"\0"

    def text(s: str) -> bytes:
        return struct.pack("<H", len(s)) + s.encode("utf-16-le")

    strings = (text(working_dir) if working_dir else b"") + (text(arguments) if arguments else b"")
    path.write_bytes(header + link_info + strings + struct.pack("<I", 0))


@dataclass
class DesktopFile:
    name: str
    common: bool       # on all users' desktop, else on the user's
    hidden: bool = False
    folder: bool = False


DESKTOP_FILES = [
    DesktopFile("Meeting.qnote", common=True),
    DesktopFile("Help Manual.chm", common=True),
    DesktopFile("Editor.lnk", common=False),
    DesktopFile("Example Site.url", common=False),
    DesktopFile("Ring Copy.exe", common=False),
    DesktopFile("Projects", common=False, folder=True),
    DesktopFile("Secret.txt", common=False, hidden=True),
]
LINK_TARGET = SYSTEM32 + r"\notepad.exe"
LINK_ARGUMENTS = "readme.txt"
URL = "http://www.example.com/"
URL_ICON = WINDOWS + r"\regedit.exe"


def _safe_empty(folder: Path, root: Path):
    """Removes the visible entries of a desktop folder. A desktop of the prefix may be a link to
    the harness's home folder; nothing outside the build folder is ever touched, and entries
    whose names start with a dot (Wine shows them as hidden: the home folder's .config and
    .local) stay."""
    real = folder.resolve()
    assert real.is_relative_to(root.resolve()), f"{folder} leads outside {root}: not emptied"
    real.mkdir(parents=True, exist_ok=True)
    for entry in real.iterdir():
        if entry.name.startswith("."):
            continue
        if entry.is_dir() and not entry.is_symlink():
            shutil.rmtree(entry)
        else:
            entry.unlink()


def windows_desktop(prefix: h.WinePrefix, which: str) -> str:
    """Windows' own name of a desktop folder (the user's may be a link on the Unix side)."""
    if which == "common":
        return r"C:\users\Public\Desktop"
    return rf"C:\users\{prefix.user_name()}\Desktop"


def placed_desktops(prefix: h.WinePrefix) -> tuple[Path, Path]:
    """The Unix folders of the user's desktop and of all users' desktop."""
    return (prefix.drive_c / "users" / prefix.user_name() / "Desktop",
            prefix.drive_c / "users" / "Public" / "Desktop")


def prepare_desktops(prefix: h.WinePrefix) -> dict[str, Path]:
    """Empties both desktops and the recycle bin, then puts DESKTOP_FILES there. Returns the
    Unix folder of each desktop ("common", "user")."""
    user, common = placed_desktops(prefix)
    for folder in (user, common):
        _safe_empty(folder, prefix.root)
    shutil.rmtree(prefix.home / ".local" / "share" / "Trash", ignore_errors=True)

    (common / "Meeting.qnote").write_text("Agenda.\r\n")
    (common / "Help Manual.chm").write_bytes(b"ITSF" + bytes(92))
    write_shell_link(user / "Editor.lnk", LINK_TARGET, arguments=LINK_ARGUMENTS,
                     working_dir=SYSTEM32)
    (user / "Example Site.url").write_text(
        f"[InternetShortcut]\r\nURL={URL}\r\nIconFile={URL_ICON}\r\nIconIndex=0\r\n")
    shutil.copyfile(h.EXE, user / "Ring Copy.exe")
    (user / "Projects").mkdir()
    (user / "Secret.txt").write_text("Not for the ring.\r\n")
    secret = windows_desktop(prefix, "user") + r"\Secret.txt"
    prefix.wine("attrib", "+h", secret)
    shown = prefix.wine("attrib", secret).stdout
    flags = shown.partition(":\\")[0][:-1]  # the attribute letters before the path
    assert "H" in flags, f"could not hide {secret}: attrib shows {shown!r}"
    return {"common": common, "user": user}


# ----------------------------------------------------------------------------------------------
# The first start


@dataclass
class FirstStart:
    prefix: h.WinePrefix
    app: h.QorApp
    shot: h.Image
    settings: fmt.Settings
    menu: fmt.Menu
    data_dir: Path
    desktops: dict[str, Path]
    trace: list[str] = field(default_factory=list)

    @property
    def items(self):
        return self.menu.items

    def members(self, group: int):
        return [self.items[i] for i in self.menu.groups[group].members]

    def unix_path(self, windows_path: str) -> Path:
        """The Unix file behind a path of the prefix (C: is drive_c, Z: the Unix root)."""
        drive, _, rest = windows_path.partition(":\\")
        parts = [p for p in rest.split("\\") if p]
        if drive.upper() == "C":
            return self.prefix.drive_c.joinpath(*parts)
        if drive.upper() == "Z":
            return Path("/").joinpath(*parts)
        raise AssertionError(f"unexpected drive in {windows_path!r}")

    def windows_desktop(self, which: str) -> str:
        return windows_desktop(self.prefix, which)


@pytest.fixture(scope="module", params=SIZES)
def first_start(request, desktops):
    if not h.EXE.exists():
        pytest.fail(f"{h.EXE} is missing: the Windows build did not produce the program")
    prefix = desktops.get(request.param)
    prefix.kill_server()
    prefix.reset_program_data()
    run_dir = h.ARTIFACTS / f"default_ring_{request.param}"
    shutil.rmtree(run_dir, ignore_errors=True)
    app = h.QorApp(prefix, run_dir)
    try:
        placed = prepare_desktops(prefix)
        # The pointer rests in a corner, away from every ring position.
        prefix.screen.move(1, 1)
        app.start()
        assert app.wait_trace(r"first-frame ms=", timeout=60), \
            "no first frame in the trace:\n" + "\n".join(app.trace_lines())
        h.Dialogs(app).close_tour()  # the first start opens it over the ring
        shot = app.wait_stable("first-start")
        res, ended = app.taskkill(timeout=30)
        assert res.returncode == 0, f"taskkill failed: {res.stdout} {res.stderr}"
        assert ended, f"{h.PROGRAM_IMAGE} did not end after taskkill"
        data = prefix.data_dir()
        settings = fmt.Settings.unpack((data / "QORCfg.cfg").read_bytes())
        menu_bytes = (data / "QORMenu.cfg").read_bytes()
        assert len(menu_bytes) == fmt.MENU_SIZE
        yield FirstStart(prefix, app, shot, settings, fmt.Menu.unpack(menu_bytes), data, placed,
                         app.trace_lines())
    finally:
        app.kill()
        prefix.kill_server()
        # The next tests on this prefix expect bare desktops.
        for folder in placed_desktops(prefix):
            _safe_empty(folder, prefix.root)



# ----------------------------------------------------------------------------------------------
# Pictures on the screen


def scaled_rgba(path: Path, side: int) -> bytes:
    """A picture file scaled to a side x side square, as RGBA bytes (ImageMagick)."""
    raw = subprocess.run(
        ["convert", str(path), "-resize", f"{side}x{side}!", "-depth", "8", "rgba:-"],
        check=True, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL).stdout
    assert len(raw) == side * side * 4, f"{path}: unexpected picture data"
    return raw


@dataclass
class RestSquare:
    """What a ring position at rest should show: a picture over the position's backdrop over
    the desktop, as a list of sample pixels (x, y, picture rgba, backdrop rgba)."""
    path: Path
    side: int
    samples: list

    @classmethod
    def load(cls, path: Path, backdrop: bytes, side: int, step: int = 2) -> "RestSquare":
        raw = scaled_rgba(path, side)
        samples = []
        # The outermost pixels are left out: the backdrop's soft edge comes out of two different
        # scalers (GDI+ and ImageMagick) with different fringes.
        edge = max(3, side // 12)
        for y in range(edge, side - edge, step):
            for x in range(edge, side - edge, step):
                i = (y * side + x) * 4
                samples.append((x, y, raw[i:i + 4], backdrop[i:i + 4]))
        return cls(path, side, samples)

    def distance(self, shot: h.Image, bare: h.Image, left: int, top: int) -> float:
        """Mean difference per colour channel (0..255) between the screen square with its
        top-left corner at (left, top) and the picture drawn over the backdrop. Without a
        compositing manager (a bare X server) a layered window cannot blend with what lies
        below it: pixels with any opacity show their pre-multiplied colour, that is blended over
        black, and only fully transparent pixels show the desktop."""
        total = 0
        stride = shot.width * 3
        for x, y, pic, back in self.samples:
            i = (top + y) * stride + (left + x) * 3
            pa, ba = pic[3] / 255, back[3] / 255
            if pic[3] == 0 and back[3] == 0:
                expected = bare.rgb[i:i + 3]
            else:
                expected = [pic[c] * pa + back[c] * ba * (1 - pa) for c in range(3)]
            total += sum(abs(shot.rgb[i + c] - expected[c]) for c in range(3))
        return total / (3 * len(self.samples))

    def best_distance(self, shot: h.Image, bare: h.Image, left: int, top: int,
                      reach: int = 1) -> float:
        """The smallest distance with the square moved by up to `reach` pixels each way (a
        position's corner is rounded once; this does not depend on how)."""
        return min(self.distance(shot, bare, left + dx, top + dy)
                   for dy in range(-reach, reach + 1) for dx in range(-reach, reach + 1))


def ring_squares(width: int, height: int, settings: fmt.Settings):
    """Where the ring positions 1..IconCount rest, as documented for the user: on a circle of
    Radius around the work area's centre, the first one to the right, clockwise, evenly spaced,
    each an IconSize square centred on its point."""
    count = settings.IconCountCode * 4 + 8
    side = settings.IconSize
    squares = {}
    for i in range(1, count + 1):
        angle = 2 * math.pi * (i - 1) / count
        cx = width / 2 + settings.Radius * math.cos(angle)
        cy = height / 2 + settings.Radius * math.sin(angle)
        squares[i] = (round(cx - side / 2), round(cy - side / 2))
    return side, squares


def slot_picture_path(run: "FirstStart", slot: int) -> Path:
    item = run.items[slot]
    return run.unix_path(item.LargeIconPath or item.IconPath)


# ----------------------------------------------------------------------------------------------
# The tests


def test_each_ring_position_shows_its_own_picture(first_start):
    run = first_start
    shot = run.shot
    side, squares = ring_squares(shot.width, shot.height, run.settings)
    assert len(squares) == 24, "the default ring has 24 positions"

    backdrop = scaled_rgba(h.REPO / "resources" / "skin" / "BACKSELECTCOLOR.png", side)
    bare = run.app.bare
    # One candidate per distinct picture file of the ring (all blank slots share one).
    by_content: dict[bytes, RestSquare] = {}
    expected: dict[int, RestSquare] = {}
    for slot in squares:
        path = slot_picture_path(run, slot)
        assert path.is_file(), f"position {slot}: picture {path} does not exist"
        key = path.read_bytes()
        if key not in by_content:
            by_content[key] = RestSquare.load(path, backdrop, side)
        expected[slot] = by_content[key]
    candidates = list(by_content.values())
    assert len(candidates) >= 9, "the default ring shows at least nine different pictures"

    report, wrong = [], []
    for slot, (left, top) in squares.items():
        scores = sorted((p.best_distance(shot, bare, left, top), p.path.name) for p in candidates)
        own = expected[slot].best_distance(shot, bare, left, top)
        others = [d for d, name in scores if name != expected[slot].path.name]
        report.append(f"{slot:2d} {expected[slot].path.name:32s} own {own:6.1f}"
                      f"  next {min(others):6.1f} ({[n for d, n in scores if d == min(others)][0]})")
        # Its own picture, nearly (two scalers never agree exactly), and clearly nearer than
        # any other picture of the ring.
        if own > 15 or min(others) < 1.5 * own:
            wrong.append(slot)
    print("\n".join(report))
    assert not wrong, (f"positions {wrong} do not show their own picture (see {shot.path}):\n"
                       + "\n".join(report))



def _upper(path: str) -> str:
    return path.upper()


def _is_generated(run: FirstStart, icon_path: str) -> bool:
    """A picture the program made: a numbered file in QorIcons\\ that is there and is a PNG."""
    folder = str(run.data_dir / "QorIcons")
    unix = run.unix_path(icon_path)
    return str(unix.parent) == folder and re.fullmatch(r"\d+\.png", unix.name) is not None \
        and unix.is_file() and unix.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"


def _sys_icon(run: FirstStart, icon_path: str) -> str:
    """The name of a shipped picture (SysIcons beside the program), or "" for any other path."""
    unix = run.unix_path(icon_path)
    return unix.name if unix.parent == h.EXE.parent / "SysIcons" else ""


def _exists_nocase(base: Path, relative: str) -> bool:
    """Whether a file exists in the prefix, its name compared the way Windows does (any case)."""
    here = base
    for part in relative.split("\\"):
        if not here.is_dir():
            return False
        match = [e for e in here.iterdir() if e.name.lower() == part.lower()]
        if not match:
            return False
        here = match[0]
    return here.exists()


def test_all_programs_group_holds_the_visible_desktop_files(first_start):
    run = first_start
    group = run.items[3]
    assert (group.Title, group.Kind) == ("All Programs Group", ALL_PROGRAMS)
    assert _sys_icon(run, group.IconPath) == "All Programs Group.png"

    members = run.members(3)
    targets = [m.Target for m in members]
    visible = [f for f in DESKTOP_FILES if not f.hidden]
    expected = {run.windows_desktop("common" if f.common else "user") + "\\" + f.name: f
                for f in visible}
    assert sorted(targets) == sorted(expected), f"members: {targets}"
    assert not any("Secret.txt" in t for t in targets), "the hidden file was added"
    # All users' desktop first, then the user's.
    kinds = ["common" if expected[t].common else "user" for t in targets]
    assert kinds == sorted(kinds), f"the user's desktop came before all users': {targets}"
    assert len(run.menu.groups[3].members) == len(visible)

    by_name = {expected[m.Target].name: m for m in members}
    for m in members:
        assert m.Kind == MEMBER, f"{m.Target}: kind {m.Kind}"
    # (title, category, target path, arguments, picture: "generated" or a shipped name)
    rows = {
        "Meeting.qnote": ("Meeting.qnote", 2, None, "", "File.png"),
        "Help Manual.chm": ("Help Manual.chm", 2, None, "", "generated"),
        "Editor.lnk": ("Editor", 0, LINK_TARGET, LINK_ARGUMENTS, "generated"),
        "Example Site.url": ("Example Site.url", 0, URL, "", "generated"),
        "Ring Copy.exe": ("QOR Desktop", 1, None, "", "generated"),
        "Projects": ("Projects", 0, None, "", "Folder.png"),
    }
    assert set(rows) == set(by_name)
    for name, (title, category, target_path, arguments, picture) in rows.items():
        m = by_name[name]
        what = f"{name}: {m}"
        assert m.Title == title, what
        assert m.Category == category, what
        assert _upper(m.TargetPath) == _upper(target_path or m.Target), what
        assert m.Arguments == arguments, what
        if picture == "generated":
            assert _is_generated(run, m.IconPath), what
        else:
            assert _sys_icon(run, m.IconPath) == picture, what


def test_accessories_group_holds_the_accessories_found(first_start):
    run = first_start
    group = run.items[5]
    assert (group.Title, group.Kind) == ("Accessories Group", GROUP)
    assert _sys_icon(run, group.IconPath) == "WinGroup.png"

    roots = {"W": (WINDOWS, run.prefix.drive_c / "windows"),
             "S": (SYSTEM32, run.prefix.drive_c / "windows" / "system32"),
             "P": (PROGRAM_FILES, run.prefix.drive_c / "Program Files")}
    expected = [roots[r][0] + "\\" + rel for r, rel in ACCESSORIES
                if _exists_nocase(roots[r][1], rel)]
    # The prefix has at least these two; the test means nothing without them.
    assert SYSTEM32 + r"\notepad.exe" in expected and WINDOWS + r"\regedit.exe" in expected

    members = run.members(5)
    assert [_upper(m.Target) for m in members] == [_upper(p) for p in expected]
    for m in members:
        what = str(m)
        assert (m.Kind, m.Category) == (MEMBER, 1), what
        assert _upper(m.TargetPath) == _upper(m.Target) and m.Arguments == "", what
        assert m.Title and not m.Title.lower().endswith(".exe"), what
        assert _is_generated(run, m.IconPath) or _sys_icon(run, m.IconPath) == "Problem.png", what
    # Notepad and the registry editor carry icons: their pictures were extracted.
    for m in members:
        if _upper(m.Target).endswith(("\\NOTEPAD.EXE", "\\REGEDIT.EXE")):
            assert _is_generated(run, m.IconPath), str(m)


def test_drives_and_folders_group_is_filled(first_start):
    run = first_start
    group = run.items[4]
    assert (group.Title, group.Kind) == ("System Folders & Drives Group", GROUP)
    assert _sys_icon(run, group.IconPath) == "Library.png"

    user = rf"C:\users\{run.prefix.user_name()}"
    folders = [
        (user + "\\Documents\\", "My Documents", "DocFolder.png"),
        (user + "\\Pictures\\", "My Pictures", "PicFolder.png"),
        (user + "\\Music\\", "My Music", "MusicFolder.png"),
        (user + "\\Videos\\", "My Videos", "VideoFolder.png"),
        (user + "\\Favorites\\", "My Favorites", "FavFolder.png"),
        (PROGRAM_FILES + "\\", "Program Files Directory", "Directory.png"),
        (WINDOWS + "\\", "Windows Directory", "Directory.png"),
        (SYSTEM32 + "\\", "System Directory", "Directory.png"),
    ]
    # Every drive of the prefix, in letter order; C: holds the Windows folder.
    letters = sorted(d.name[0].upper() for d in (run.prefix.path / "dosdevices").iterdir()
                     if re.fullmatch(r"[a-z]:", d.name) and d.exists())
    assert "C" in letters
    drives = [(f"{x}:\\", f"Local Disk ({x}:)", "WinDrive.png" if x == "C" else None)
              for x in letters]

    members = run.members(4)
    got = [(m.Target, m.Title) for m in members]
    # Windows 6 or later (the prefix reports 6.1) begins with the Explorer.
    explorer, rest = members[0], members[1:]
    assert _upper(explorer.Target) == _upper(WINDOWS + r"\Explorer.exe"), got
    assert explorer.Category == 1 and explorer.Kind == MEMBER, str(explorer)
    assert [_upper(m.Target) for m in rest] == [_upper(p) for p, _, _ in folders + drives], got
    for m, (_, title, picture) in zip(rest, folders + drives):
        assert m.Kind == MEMBER, str(m)
        if picture is None:  # another drive: its title follows its type
            assert m.Title.endswith(f"({m.Target[0]}:)"), str(m)
            continue
        assert (m.Title, _sys_icon(run, m.IconPath)) == (title, picture), str(m)


def test_generated_pictures_are_numbered_from_zero_without_gaps(first_start):
    run = first_start
    folder = run.data_dir / "QorIcons"
    names = sorted(p.name for p in folder.iterdir() if p.suffix.lower() == ".png")
    numbers = sorted(int(n[:-4]) for n in names if re.fullmatch(r"\d+\.png", n))
    assert len(numbers) == len(names), f"pictures not named by number: {names}"
    assert numbers == list(range(len(numbers))), f"gaps in the numbering: {numbers}"
    assert len(numbers) >= 5, "the desktop files and accessories gave fewer than five pictures"

    # Each generated picture belongs to exactly one item, and each item's picture is there.
    owners: dict[str, list[int]] = {}
    for index, item in enumerate(run.items):
        for path in (item.IconPath, item.LargeIconPath):
            if path and run.unix_path(path).parent == folder:
                owners.setdefault(run.unix_path(path).name, []).append(index)
    assert sorted(owners) == names, f"owned {sorted(owners)}, on disk {names}"
    shared = {n: o for n, o in owners.items() if len(o) != 1}
    assert not shared, f"pictures shared by several items: {shared}"
    for name in names:
        assert (folder / name).read_bytes()[:8] == b"\x89PNG\r\n\x1a\n", f"{name} is no PNG"


def test_menu_file_holds_the_built_in_records(first_start):
    run = first_start
    items = run.items
    user = run.prefix.user_name()

    assert items[0].Title == user and items[0].IconPath == ""
    one = items[1]
    assert (one.Title, one.Kind, one.IsSystem, one.Param) == ("My Computer", SYSTEM, TRUE, 81)
    assert _sys_icon(run, one.IconPath) == "My Computer.png"
    # Nothing in the recycle bin at the start: the ring's bin is the empty-bin template.
    two = items[2]
    assert (two.Title, two.Kind, two.IsSystem, two.Param, two.IconRef) == \
        ("Recycle Bin (Empty)", RECYCLE_BIN, TRUE, 101, 37)
    assert _sys_icon(run, two.IconPath) == "RecycleEmpty.png"

    for slot, (title, kind, picture) in DEFAULT_ENTRIES.items():
        item = items[slot]
        assert (item.Title, item.Kind, item.IconRef) == (title, kind, slot), str(item)
        assert _sys_icon(run, item.IconPath) == picture, str(item)
    # The web and mail entries open the programs registered for those addresses (Wine's
    # browser in a bare prefix), given by their full paths.
    for slot in (7, 8):
        target = items[slot].Target
        assert target.lower().endswith(".exe") and run.unix_path(target).is_file(), items[slot]
    assert items[6].Title == "Microsoft Office Suite Group" and not run.menu.groups[6].members

    for slot in range(9, 37):
        item = items[slot]
        assert (item.Title, item.Kind, item.IconRef) == ("Blank Shortcut", BLANK, slot), str(item)
        assert _sys_icon(run, item.IconPath) == "Shortcut.png", str(item)
    for index, (title, kind, system, param, picture) in TEMPLATES.items():
        item = items[index]
        assert (item.Title, item.Kind, item.IsSystem, item.Param, item.IconRef) == \
            (title, kind, system, param, index), str(item)
        assert _sys_icon(run, item.IconPath) == picture, str(item)

    for index, title, picture in CENTRE_GROUP + COMPUTER_GROUP + RECYCLE_GROUP:
        item = items[index]
        if index == 65:
            title = f"Open {user}'s Documents"
        assert (item.Title, item.Kind, item.IsSystem, item.Param) == \
            (title, COMMAND, TRUE, index), str(item)
        assert _sys_icon(run, item.IconPath) == picture, str(item)

    # Nothing else is stored: the pool holds only the groups' members.
    members = {m for g in run.menu.groups.values() for m in g.members}
    used = {i for i in range(129, len(items)) if items[i].Kind != 0}
    assert used == members, f"items outside any group: {sorted(used - members)}"


def test_group_members_keep_their_own_pictures(first_start):
    run = first_start
    wrong = []
    for g in (3, 4, 5):
        for index in run.menu.groups[g].members:
            item = run.items[index]
            if run.unix_path(item.IconPath).is_file() and item.IconRef != index:
                wrong.append((index, item.Title, item.IconRef))
    assert not wrong, f"members that draw another item's picture: {wrong}"


def test_trace_reports_memory_after_start_up(first_start):
    # The figures the cold-start benchmark reads: after the working-set trim and at the first
    # frame. Wine leaves the system's PrivateUsage at zero; the committed private memory the
    # program sums itself is always there.
    for when in ("trim", "first-frame"):
        found = [re.search(r"memory private-bytes=(\d+) committed-private=(\d+) working-set=(\d+) "
                           r"when=" + when + "$", line) for line in first_start.trace]
        found = [m for m in found if m]
        assert len(found) == 1, f"no single memory line for {when}:\n" + "\n".join(first_start.trace)
        private, committed, working = map(int, found[0].groups())
        assert 1 << 20 < committed < 1 << 31 and working > 1 << 20, found[0].group(0)
        assert private == 0 or 1 << 20 < private < 1 << 31, found[0].group(0)
