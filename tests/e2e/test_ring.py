"""The painted ring, checked pixel by pixel against the geometry of the ring.

Each test writes a settings file (icon count, radius, rest size) and an item file whose ring
items name PNG pictures, starts the program and probes the screenshot:
  * with solid-colour pictures, every ring position shows its own colour on exactly the rest
    square the ring's formulas give, and nothing else differs from the bare screen outside the
    squares, the centre and the caption; blank positions show the shipped blank picture; the
    centre shows its picture framed by the "BORDER" skin element; the centre caption is written
    under it;
  * with the pictures shipped with the program (soft, transparent edges), a full ring keeps each
    picture inside its square and shows each position's own picture.

The expected squares are computed here from the ring's formulas (cosine and sine of the
position's angle with pi taken as 3.1415926, rounded to the nearest integer with ties to even),
never by asking the program.
"""

from __future__ import annotations

import colorsys
import math
import subprocess
from dataclasses import dataclass
from pathlib import Path

import pytest

import qorformat as fmt
import qorharness as h

SKIN = h.REPO / "resources" / "skin"

RING_PI = 3.1415926
CENTRE_SIDE = 128  # MaxIconSize: the centre picture's side
BORDER_SIDE = 152  # the width of the "BORDER" skin element
CAPTION_GAP = 10  # the caption's box starts this far under the centre frame
CENTRE_TITLE = "Ring Probe"

# Rounding ties to even, as the ring does; Python's round() does exactly that.
rnd = round

# Per screen size and icon count: (radius, rest size). Radii differ from the default (300) and
# rest sizes are odd, so a default taken instead of the file or a half pixel rounded the wrong
# way both show.
LAYOUTS = {
    ("1366x768", 8): (250, 49),
    ("1366x768", 36): (290, 47),
    ("1920x1080", 8): (380, 49),
    ("1920x1080", 36): (440, 47),
}
# Ring positions left blank: they show the shipped blank picture.
BLANKS = {8: {4, 6}, 36: {4, 17, 30}}
# IconCountCode = (IconCount - 8) / 4.
COUNT_CODES = {8: 0, 36: 7}

COLOUR_TOLERANCE = 10  # per channel, for a solid picture after scaling and blending


@dataclass(frozen=True)
class Box:
    left: int
    top: int
    width: int
    height: int

    @property
    def right(self):  # exclusive
        return self.left + self.width

    @property
    def bottom(self):  # exclusive
        return self.top + self.height


def square(left, top, side) -> Box:
    return Box(left, top, side, side)


def ring_squares(width, height, count, radius, side):
    """Rest square of each ring position 1..count, from the ring's formulas."""
    cx0, cy0 = rnd(width / 2), rnd(height / 2)
    step = 360 / count
    squares = {}
    for i in range(1, count + 1):
        radians = (i - 1) * step * RING_PI / 180
        cx = rnd(math.cos(radians) * radius + cx0)
        cy = rnd(math.sin(radians) * radius + cy0)
        squares[i] = square(rnd(cx - side / 2), rnd(cy - side / 2), side)
    return squares


def centre_squares(width, height):
    """The centre picture's square and the "BORDER" frame's square."""
    cx0, cy0 = rnd(width / 2), rnd(height / 2)
    icon = square(rnd(cx0 - CENTRE_SIDE / 2), rnd(cy0 - CENTRE_SIDE / 2), CENTRE_SIDE)
    half = rnd(BORDER_SIDE / 2)
    frame = square(cx0 - half, cy0 - half, BORDER_SIDE)
    return icon, frame


def palette(i: int):
    """A saturated colour per ring position; positions next to each other differ in hue by
    110 degrees, and any two positions by at least 10 degrees (over 40 in one channel)."""
    hue = ((i - 1) * 11 % 36) / 36
    r, g, b = colorsys.hsv_to_rgb(hue, 1.0, 1.0)
    return (round(r * 255), round(g * 255), round(b * 255))


CENTRE_COLOUR = (128, 128, 128)


def hex_colour(rgb):
    return "#%02x%02x%02x" % rgb


def close(a, b, tol=COLOUR_TOLERANCE):
    return all(abs(p - q) <= tol for p, q in zip(a, b))


def read_rgba(path: Path):
    """(width, height, bytes RGBA) of a PNG."""
    size = subprocess.run(["identify", "-format", "%w %h", str(path)], check=True,
                          capture_output=True, text=True).stdout.split()
    raw = subprocess.run(["convert", str(path), "-depth", "8", "rgba:-"], check=True,
                         capture_output=True).stdout
    return int(size[0]), int(size[1]), raw


# ----------------------------------------------------------------------------------------------
# Fixture files

_default_menus: dict[str, bytes] = {}


def _default_menu(qor: h.QorApp) -> bytes:
    """The item file the program writes after a first start on this desktop (the default
    catalogue: templates, built-in items and blank ring slots with the program's own picture
    paths). Made once per screen size and kept for the module."""
    size = qor.screen.size_name
    if size not in _default_menus:
        qor.start()
        qor.wait_stable("default-catalogue")
        res, ended = qor.taskkill(timeout=30)
        assert res.returncode == 0 and ended, "the program did not end in order after taskkill"
        menu = qor.prefix.data_dir() / "QORMenu.cfg"
        assert menu.is_file(), f"{menu} was not written at the end"
        _default_menus[size] = menu.read_bytes()
        qor.prefix.kill_server()
        qor.prefix.reset_program_data()
    return _default_menus[size]


def _colour_png(prefix: h.WinePrefix, rgb) -> str:
    """A 128x128 PNG of one solid colour inside the prefix; returns its Windows path."""
    folder = prefix.drive_c / "qor-ring-icons"
    folder.mkdir(parents=True, exist_ok=True)
    path = folder / ("%02x%02x%02x.png" % rgb)
    if not path.exists():
        subprocess.run(["convert", "-size", "128x128", f"xc:{hex_colour(rgb)}", f"PNG32:{path}"],
                       check=True)
    return prefix.windows_path(path)


def _write_ring_files(qor: h.QorApp, count: int, radius: int, side: int, pictures,
                      centre_picture: str, centre_title: str = CENTRE_TITLE):
    """Writes QORCfg.cfg and QORMenu.cfg: `count` positions on a circle of `radius`, rest size
    `side`; ring slot i (1..36) a shortcut showing the picture pictures[i] (a Windows path), or
    a blank slot where that is None. The rest is the default catalogue."""
    prefix = qor.prefix
    menu = fmt.Menu.unpack(_default_menu(qor))
    blank = menu.items[36]
    assert blank.Kind == 2 and blank.IconPath.lower().endswith("shortcut.png"), \
        f"ring slot 36 of the default catalogue is not a blank shortcut: {blank}"

    centre = menu.items[0]
    centre.Title = centre_title
    centre.IconPath = centre_picture
    centre.LargeIconPath = ""
    for i in range(1, 37):
        picture = pictures.get(i)
        if picture is None:
            item = fmt.Item(**{**blank.__dict__, "IconRef": i})
        else:
            title = picture.rsplit("\\", 1)[-1].rsplit(".", 1)[0]
            item = fmt.Item(Kind=1, IconRef=i, Target=picture, TargetPath=picture,
                            Title=title, IconPath=picture)
        menu.items[i] = item
    # The ring slots are plain shortcuts now: no group keeps members.
    for g in range(fmt.GROUP_FIRST, fmt.GROUP_LAST + 1):
        menu.groups[g].members = []

    settings = fmt.Settings(IconSize=side, MagnifiedSize=max(64, side), Radius=radius,
                            IconCountCode=COUNT_CODES[count], HideGetStarted=-1)
    data = prefix.data_dir()
    data.mkdir(parents=True, exist_ok=True)
    (data / "QORCfg.cfg").write_bytes(settings.pack())
    (data / "QORMenu.cfg").write_bytes(menu.pack())


def _shipped_picture(qor: h.QorApp, name: str) -> str:
    """The Windows path of a picture shipped in the program's SysIcons folder, as the program
    itself names that folder in its default catalogue."""
    blank = fmt.Menu.unpack(_default_menu(qor)).items[36].IconPath
    return blank[:blank.rindex("\\") + 1] + name


def _show_ring(qor: h.QorApp, label: str) -> h.Image:
    # The pointer waits in a corner, far from every icon. (No --sync: xdotool would wait for a
    # move that never comes when the pointer is already there.)
    qor.screen.xdotool("mousemove", 1, 1)
    qor.start()
    return qor.wait_stable(label)


def _start_colour_ring(qor: h.QorApp, count: int):
    radius, side = LAYOUTS[(qor.screen.size_name, count)]
    pictures = {i: _colour_png(qor.prefix, palette(i)) for i in range(1, count + 1)
                if i not in BLANKS[count]}
    _write_ring_files(qor, count, radius, side, pictures, _colour_png(qor.prefix, CENTRE_COLOUR))
    return _show_ring(qor, f"ring-{count}"), radius, side


# ----------------------------------------------------------------------------------------------
# The expected picture

SKIP, BARE, SOLID, BLANK = 0, 1, 2, 3


class Expected:
    """What each pixel of the screen must show: the bare screen, a solid colour, a blank
    position's picture, or nothing checked here (edges that scaling may soften, and the areas
    that get checks of their own)."""

    def __init__(self, bare: h.Image):
        self.width, self.height = bare.width, bare.height
        self.rgb = bytearray(bare.rgb)
        self.kind = bytearray([BARE]) * (self.width * self.height)
        self.owner = [0] * (self.width * self.height)

    def _clip(self, sq: Box):
        return (max(sq.left, 0), max(sq.top, 0), min(sq.right, self.width),
                min(sq.bottom, self.height))

    def paint(self, sq: Box, kind: int, owner: int, rgb=None, soft_edge=1):
        """Paints a square over what is there (later squares cover earlier ones, as the ring is
        drawn from position 1 upwards); its outermost `soft_edge` pixels are left unchecked."""
        x0, y0, x1, y1 = self._clip(sq)
        for y in range(y0, y1):
            for x in range(x0, x1):
                i = y * self.width + x
                edge = (x < sq.left + soft_edge or x >= sq.right - soft_edge or
                        y < sq.top + soft_edge or y >= sq.bottom - soft_edge)
                self.kind[i] = SKIP if edge else kind
                self.owner[i] = owner
                if rgb is not None:
                    self.rgb[3 * i:3 * i + 3] = bytes(rgb)

    def skip(self, sq: Box):
        x0, y0, x1, y1 = self._clip(sq)
        for y in range(y0, y1):
            self.kind[y * self.width + x0:y * self.width + x1] = bytes([SKIP]) * (x1 - x0)

    def mismatches(self, shot: h.Image, tolerance=COLOUR_TOLERANCE):
        """Pixels that show something else than expected, as {owner: [(x, y, seen, wanted)]};
        owner 0 stands for the bare screen, -1 for the centre."""
        found: dict[int, list] = {}
        w = self.width
        for y in range(self.height):
            row = shot.row(y)
            want = self.rgb[3 * w * y:3 * w * (y + 1)]
            kinds = self.kind[w * y:w * (y + 1)]
            x = 0
            while x < w:
                # One run of pixels of the same kind: compared as a whole first.
                k, end = kinds[x], x + 1
                while end < w and kinds[end] == k:
                    end += 1
                if k in (BARE, SOLID) and row[3 * x:3 * end] != want[3 * x:3 * end]:
                    for px in range(x, end):
                        seen = tuple(row[3 * px:3 * px + 3])
                        wanted = tuple(want[3 * px:3 * px + 3])
                        ok = seen == wanted if k == BARE else close(seen, wanted, tolerance)
                        if not ok:
                            found.setdefault(self.owner[y * w + px], []).append(
                                (px, y, seen, wanted))
                x = end
        return found


def _describe(found, limit=6):
    lines = []
    for owner, pixels in sorted(found.items()):
        what = ("the bare screen" if owner == 0 else "the centre" if owner < 0
                else f"position {owner}")
        sample = ", ".join(f"({x},{y}) {seen} not {wanted}" for x, y, seen, wanted in pixels[:3])
        lines.append(f"{len(pixels)} pixels wrong where {what} belongs: {sample}")
    return "\n".join(lines[:limit])


def _paint_centre(expected: Expected, icon: Box, frame: Box):
    """The centre picture under the "BORDER" frame, composed here from the frame's own PNG.

    Wine shows a layered window on an X server without a compositor by cutting the window to
    its pixels whose alpha is not 0 and showing their pre-multiplied colour, that is the
    window's picture over black; only fully transparent pixels show what lies below. So a
    pixel of the frame shows the frame's colour over the centre colour inside the picture's
    square, over black elsewhere, and the bare screen where the frame is fully transparent."""
    expected.paint(icon, SOLID, -1, CENTRE_COLOUR)
    width, height, rgba = read_rgba(SKIN / "BORDER.png")
    assert (width, height) == (BORDER_SIDE, BORDER_SIDE), "BORDER.png changed its size"
    w = expected.width
    for y in range(height):
        for x in range(width):
            i = (frame.top + y) * w + frame.left + x
            r, g, b, a = rgba[4 * (y * width + x):4 * (y * width + x) + 4]
            in_icon = icon.left <= frame.left + x < icon.right and \
                icon.top <= frame.top + y < icon.bottom
            if not in_icon and a == 0:
                continue  # the bare screen (or whatever was expected there)
            under = CENTRE_COLOUR if in_icon else (0, 0, 0)
            expected.rgb[3 * i:3 * i + 3] = bytes(
                round((c * a + u * (255 - a)) / 255) for c, u in zip((r, g, b), under))
            # The picture's edge (left unchecked if scaling softens it) hardly shows through
            # the nearly opaque frame.
            if expected.kind[i] != SKIP or a >= 240:
                expected.kind[i] = SOLID
            expected.owner[i] = -1


def _caption_band(width, height) -> Box:
    """Where the centre caption's letters go: from one pixel above the top of its box (the
    outline reaches one pixel past the letters) to well under one 17-pixel line, around the
    middle of the screen."""
    cx0, cy0 = rnd(width / 2), rnd(height / 2)
    top = cy0 + rnd(BORDER_SIDE / 2) + CAPTION_GAP
    return Box(cx0 - 160, top - 1, 320, 42)


def _check_caption(shot: h.Image, bare: h.Image, band: Box):
    """White letters with a dark outline, written from the top of the caption's box and centred
    on the middle of the screen."""
    white = dark = 0
    changed = []
    for y in range(band.top, band.bottom):
        for x in range(band.left, band.right):
            seen = shot.pixel(x, y)
            if seen == bare.pixel(x, y):
                continue
            changed.append((x, y))
            if min(seen) >= 250:
                white += 1
            elif max(seen) <= 24:
                dark += 1
    assert white >= 40 and dark >= 40, \
        f"no outlined white caption under the centre: {white} white and {dark} dark pixels " \
        f"in {band} (see {shot.path})"
    xs = [x for x, _ in changed]
    ys = [y for _, y in changed]
    first_row, middle = min(ys), (min(xs) + max(xs) + 1) / 2
    assert band.top <= first_row <= band.top + 10, \
        f"the caption starts at row {first_row}, not at the top of its box {band.top + 1}"
    assert abs(middle - shot.width / 2) <= 3, \
        f"the caption is centred on x={middle}, not on the middle of the screen {shot.width / 2}"
    assert max(ys) < band.bottom - 8, "the caption runs to the bottom of the band: more than a line?"


def _check_blanks(shot: h.Image, bare: h.Image, squares, blanks):
    """Blank positions show one and the same picture (the shipped blank one), which is not the
    bare screen and none of the solid colours."""
    crops = {}
    for i in sorted(blanks):
        sq = squares[i]
        pixels = [(x, y) for y in range(sq.top + 1, sq.bottom - 1)
                  for x in range(sq.left + 1, sq.right - 1)]
        differ = sum(1 for x, y in pixels if shot.pixel(x, y) != bare.pixel(x, y))
        assert differ >= 0.9 * len(pixels), \
            f"blank position {i} at {sq}: only {differ} of {len(pixels)} pixels differ from " \
            f"the bare screen (see {shot.path})"
        solid = [c for c in (palette(j) for j in range(1, 37))
                 if sum(1 for x, y in pixels if close(shot.pixel(x, y), c)) > len(pixels) // 4]
        assert not solid, f"blank position {i} shows the solid colour {solid[0]}"
        q = sq.width // 4
        crops[i] = [shot.pixel(x, y) for y in range(sq.top + q, sq.bottom - q)
                    for x in range(sq.left + q, sq.right - q)]
    first, *others = sorted(crops)
    for i in others:
        apart = sum(1 for a, b in zip(crops[first], crops[i]) if not close(a, b, 8))
        assert apart <= len(crops[i]) // 50, \
            f"blank positions {first} and {i} do not show the same picture ({apart} pixels apart)"


@pytest.mark.parametrize("count", [8, 36])
def test_ring_positions_show_their_pictures_at_their_squares(qor: h.QorApp, count):
    shot, radius, side = _start_colour_ring(qor, count)
    bare = qor.bare
    width, height = shot.width, shot.height
    squares = ring_squares(width, height, count, radius, side)
    icon, frame = centre_squares(width, height)
    band = _caption_band(width, height)

    expected = Expected(bare)
    expected.skip(band)
    for i, sq in squares.items():
        if i in BLANKS[count]:
            expected.paint(sq, BLANK, i)
        else:
            expected.paint(sq, SOLID, i, palette(i))
    _paint_centre(expected, icon, frame)

    found = expected.mismatches(shot)
    assert not found, f"the ring differs from its geometry (see {shot.path}):\n" + \
        _describe(found)
    _check_blanks(shot, bare, squares, BLANKS[count])
    _check_caption(shot, bare, band)
    assert qor.alive()


# Pictures shipped with the program, one per ring position of a full ring; None is a blank slot.
SHIPPED_RING = [
    "My Computer.png", "RecycleEmpty.png", "All Programs Group.png", "Library.png",
    "WinGroup.png", "Microsoft Office Group.png", "Internet.png", "Mailbox.png",
    "UserFolder.png", "DocFolder.png", "PicFolder.png", "MusicFolder.png", "VideoFolder.png",
    "FavFolder.png", "Desktop.png", "Network.png", "CPanel.png", "Printer.png", "Search.png",
    "Run.png", None, "Display.png", "DeviceManager.png", "Setting.png", "FixedDrive.png",
    "DVDDrive.png", "RemDrive.png", "Application.png", "File.png", "Folder.png",
    "LockWorkstation.png", "MonitorOff.png", "LogOff.png", "Restart.png", "Shutdown.png", None,
]
assert len(SHIPPED_RING) == 36


def _crop_distance(shot: h.Image, bare: h.Image, a: Box, b: Box) -> int:
    """Pixels at the same place of two squares that show clearly different colours, counting
    only pixels painted in both (where a picture is fully transparent the screen below shows,
    and that differs from place to place)."""
    apart = 0
    for dy in range(a.height):
        for dx in range(a.width):
            pa, pb = shot.pixel(a.left + dx, a.top + dy), shot.pixel(b.left + dx, b.top + dy)
            if pa == bare.pixel(a.left + dx, a.top + dy) or pb == bare.pixel(b.left + dx, b.top + dy):
                continue
            if not close(pa, pb, 24):
                apart += 1
    return apart


@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_full_ring_of_shipped_pictures(qor: h.QorApp):
    """36 positions at the default radius and size, each showing a picture shipped with the
    program (pictures with soft, transparent edges): each picture stays inside its own square,
    and each position shows its own item's picture."""
    count, side = 36, 48
    radius = min(300, round(qor.screen.height / 2) - 80)
    pictures = {i: _shipped_picture(qor, name) for i, name in enumerate(SHIPPED_RING, 1) if name}
    _write_ring_files(qor, count, radius, side, pictures, centre_picture="",
                      centre_title="QOR Desktop")
    shot = _show_ring(qor, "shipped-ring")
    bare = qor.bare
    squares = ring_squares(shot.width, shot.height, count, radius, side)
    icon, frame = centre_squares(shot.width, shot.height)

    expected = Expected(bare)
    expected.skip(_caption_band(shot.width, shot.height))
    expected.skip(frame)
    for i, sq in squares.items():
        expected.paint(sq, BLANK, i, soft_edge=0)
    found = expected.mismatches(shot)
    assert not found, f"the ring paints outside its squares (see {shot.path}):\n" + \
        _describe(found)

    for i, sq in squares.items():
        painted = sum(1 for y in range(sq.top, sq.bottom) for x in range(sq.left, sq.right)
                      if shot.pixel(x, y) != bare.pixel(x, y))
        assert painted >= 0.6 * side * side, \
            f"position {i} at {sq}: only {painted} pixels painted (see {shot.path})"
    # Neighbouring positions hold different pictures, the two blank ones the same.
    for i in range(1, count + 1):
        j = i % count + 1
        apart = _crop_distance(shot, bare, squares[i], squares[j])
        if SHIPPED_RING[i - 1] == SHIPPED_RING[j - 1]:
            continue
        # The folder pictures differ only in a small sign (some 60 pixels at this size).
        assert apart >= 30, \
            f"positions {i} and {j} look alike ({apart} pixels apart): the same picture drawn?"
    blanks = [i for i, name in enumerate(SHIPPED_RING, 1) if name is None]
    apart = _crop_distance(shot, bare, squares[blanks[0]], squares[blanks[1]])
    assert apart <= 5, \
        f"blank positions {blanks} show different pictures ({apart} pixels apart)"
    assert qor.alive()


@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_next_start_draws_the_same_ring_from_the_pre_scaled_copies(qor: h.QorApp):
    """Pictures the program keeps in its icon cache folder get a pre-scaled copy beside them
    ("<name>.<side>.scaled", stamped with the picture's write time) when the ring is first drawn from
    them. The next start draws the ring from those copies: the same pixels, copies untouched."""
    count, side = 36, 47
    radius = min(300, round(qor.screen.height / 2) - 80)
    sys_icons = h.REPO / "resources" / "SysIcons"
    names = [name for name in SHIPPED_RING if name]
    _default_menu(qor)  # before the icon folder is filled: making it resets the program's data
    icons = qor.prefix.data_dir() / "QorIcons"
    icons.mkdir(parents=True, exist_ok=True)
    pictures, files = {}, []
    for i, name in enumerate(SHIPPED_RING, 1):
        if name:
            path = icons / f"{names.index(name)}.png"
            path.write_bytes((sys_icons / name).read_bytes())
            pictures[i] = qor.prefix.windows_path(path)
            files.append(path)
    _write_ring_files(qor, count, radius, side, pictures, centre_picture="",
                      centre_title="QOR Desktop")

    first = _show_ring(qor, "from-pictures")
    # The copies are written after the first frame, with the other pictures built then.
    assert qor.wait_trace(r"images pending-built=", timeout=60), "the pictures were never finished"
    res, ended = qor.taskkill(timeout=30)
    assert res.returncode == 0 and ended, "the program did not end in order after taskkill"
    stamps = {}
    for path in files:
        copy = path.with_name(f"{path.name}.{side}.scaled")
        assert copy.is_file(), f"no pre-scaled copy of {path.name}"
        # Windows keeps file times in steps of 100 ns.
        assert copy.stat().st_mtime_ns // 100 == path.stat().st_mtime_ns // 100, \
            f"{copy.name} does not carry the write time of {path.name}"
        stamps[copy] = copy.stat().st_ctime_ns  # changes with any write, unlike the stamp
    assert sorted(p.name for p in icons.glob("*.png")) == sorted(p.name for p in files), \
        "a copy is named like a cached picture"

    second = _show_ring(qor, "from-copies")
    differ = sum(1 for a, b in zip(first.rgb, second.rgb) if a != b)
    assert differ == 0, f"{differ} colour values differ between the first start ({first.path}) " \
        f"and the start from the copies ({second.path})"
    changed = sorted(c.name for c in stamps if c.stat().st_ctime_ns != stamps[c])
    assert not changed, f"the copies {changed} were written again instead of used"
    assert qor.alive()
