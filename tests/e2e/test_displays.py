"""The ring on every screen: two monitors side by side, a screen at 150 %, a resolution change.

Wine shows a program the monitors of its X display. Two monitors apart need Xephyr (with
Xinerama) inside a private Xvfb; a resolution change needs Xephyr's RandR. Wine follows a screen
resized under it in its monitor information but tells no window of another process, so the test
then sends WM_DISPLAYCHANGE to every window, as Windows does (qor_broadcast.exe).

Both journeys share one Wine prefix of their own (build/win/e2e-prefix-displays): its monitors
and its LogPixels are changed here, and no other test should start on them. The expected places
are worked out from the ring's formulas, never asked of the program.
"""

from __future__ import annotations

import re
import shutil
import subprocess

import pytest

import qorharness as h

PREFIX_ROOT = h.BUILD_WIN / "e2e-prefix-displays"
BROADCAST_EXE = h.BUILD_WIN / "qor_broadcast.exe"
RADIUS = 300  # the default radius on both monitors (96 DPI)


def _run_dir(request):
    path = h.ARTIFACTS / re.sub(r"[^A-Za-z0-9_.-]+", "_", request.node.name)
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True, exist_ok=True)
    return path


@pytest.fixture
def nested(request):
    """(screen, prefix, app) on the Xephyr monitors the test names ({"monitors": [(w, h)...],
    "randr": bool}); the program's data removed first, and everything ended afterwards, also
    when the test fails."""
    missing = [t for t in ("Xephyr", "xrandr") if shutil.which(t) is None]
    if missing:
        pytest.fail("missing tools: " + ", ".join(missing) + " (run scripts/setup-deps.sh)")
    if not h.EXE.exists():
        pytest.fail(f"{h.EXE} is missing: the Windows build did not produce the program")
    screen = h.NestedScreen(request.param["monitors"], h.ARTIFACTS / "screens",
                            randr=request.param.get("randr", False)).start()
    prefix = h.WinePrefix(PREFIX_ROOT, screen)
    app = None
    try:
        prefix.ensure()
        prefix.kill_server()
        prefix.reset_program_data()
        prefix.set_log_pixels(96)
        app = h.QorApp(prefix, _run_dir(request))
        yield screen, prefix, app
    finally:
        rep = getattr(request.node, "rep_call", None)
        try:
            if app is not None and rep is not None and rep.failed:
                app.screenshot("at-failure")
        except Exception:
            pass
        if app is not None:
            app.kill()
        prefix.kill_server()
        screen.stop()


def _cardinal_points(cx, cy, radius):
    """The centres of the positions at 3, 6, 9 and 12 o'clock, and a point 30 pixels further out
    on the same ray (beyond the icon, short of its letter)."""
    out = []
    for dx, dy in ((1, 0), (0, 1), (-1, 0), (0, -1)):
        out.append(((cx + dx * radius, cy + dy * radius),
                    (cx + dx * (radius + 30), cy + dy * (radius + 30))))
    return out


def _assert_ring_at(shot, background, cx, cy, where):
    """The ring drawn around (cx, cy): the centre and the four cardinal icons differ from the
    background, the points just beyond those icons do not."""
    assert shot.pixel(cx, cy) != background(cx, cy), f"no centre picture at ({cx}, {cy}) {where}"
    for (ix, iy), (ox, oy) in _cardinal_points(cx, cy, RADIUS):
        assert shot.pixel(ix, iy) != background(ix, iy), f"no icon at ({ix}, {iy}) {where}"
        assert shot.pixel(ox, oy) == background(ox, oy), f"drawn beyond its icon at ({ox}, {oy}) {where}"


def _assert_nothing_at(shot, bare, cx, cy, where):
    for x, y in [(cx, cy)] + [p for pair in _cardinal_points(cx, cy, RADIUS) for p in pair]:
        assert shot.pixel(x, y) == bare.pixel(x, y), f"something is still drawn at ({x}, {y}) {where}"


@pytest.mark.parametrize("nested", [{"monitors": [(1366, 768), (1920, 1080)]}], indirect=True,
                         ids=["1366x768+1920x1080"])
def test_alt_space_brings_the_ring_up_on_the_monitor_under_the_pointer(nested):
    screen, _, qor = nested
    screen.move(1300, 740)  # on the primary monitor, away from where the ring comes
    qor.start()
    bare = qor.bare
    shot = qor.wait_stable("primary")
    # Start-up uses the primary monitor (0,0-1366,768): the ring is centred on its work area.
    _assert_ring_at(shot, bare.pixel, 683, 384, "on the primary monitor")
    _assert_nothing_at(shot, bare, 1366 + 960, 540, "on the second monitor before Alt+Space")

    screen.xdotool("windowfocus", qor.main_window().id)  # keys reach Wine only with X focus
    screen.move(3200, 60)  # the second monitor (1366,0-3286,1080), clear of the ring to come
    screen.key("alt+space")
    assert qor.wait_trace(r"dock display-change work=1366,0,3286,1080 dpi=96"), \
        "the dock did not move to the monitor under the pointer"
    shot = qor.wait_stable("second-monitor")
    # Keyboard mode dims the whole monitor (black without a compositor) around the ring.
    _assert_ring_at(shot, lambda x, y: (0, 0, 0), 1366 + 960, 540, "on the second monitor")
    _assert_nothing_at(shot, bare, 683, 384, "on the primary monitor after the move")
    assert qor.alive()


def _edges_on_row(shot, bare, y, from_x):
    """Walking left from `from_x` along row y: the right and left edges of the first run of
    pixels that differ from the bare screen (the icon at 3 o'clock)."""
    x = from_x
    while x >= 0 and shot.pixel(x, y) == bare.pixel(x, y):
        x -= 1
    right = x
    while x >= 0 and shot.pixel(x, y) != bare.pixel(x, y):
        x -= 1
    return right, x + 1


def _assert_edges(found, expected):
    """An icon's square within a pixel (its picture's outermost column may be fully clear)."""
    assert all(abs(f - e) <= 1 for f, e in zip(found, expected)), \
        f"position 1's square spans {found[1]}..{found[0]}, expected {expected[1]}..{expected[0]}"


def _crop(image, width, height):
    rows = b"".join(image.row(y)[:width * 3] for y in range(height))
    return h.Image(width, height, rows)


@pytest.mark.parametrize("nested", [{"monitors": [(1366, 768)], "randr": True}], indirect=True,
                         ids=["1366x768-randr"])
def test_a_start_at_150_percent_and_a_resolution_change(nested):
    screen, prefix, qor = nested
    screen.move(1360, 760)
    # 100 %: 48-pixel icons, position 1 at 683 + 300 (its square 959..1006).
    qor.start()
    at100 = qor.wait_stable("100-percent")
    _assert_edges(_edges_on_row(at100, qor.bare, 384, 1365), (1006, 959))
    qor.taskkill()
    prefix.kill_server()

    # 150 %: the radius at 96 DPI is the screen's largest, round(384 / 1.5) - 80 = 176, drawn at
    # 264 pixels; position 1's square is 72 pixels wide around 683 + 264 (911..982).
    prefix.set_log_pixels(144)
    qor.start()
    at150 = qor.wait_stable("150-percent")
    _assert_edges(_edges_on_row(at150, qor.bare, 384, 1365), (982, 911))
    side_by_side = qor.run_dir / "ring-100-and-150-percent.png"
    subprocess.run(["convert", str(at100.path), str(at150.path), "+append", str(side_by_side)],
                   check=True, stdin=subprocess.DEVNULL)

    # The resolution drops to 1024 x 768: Wine's monitor follows, the system's message is sent,
    # and the ring moves to the new centre (512 + 264: the square 740..811).
    screen.resize(1024, 768)
    res = prefix.wine(BROADCAST_EXE, "WM_DISPLAYCHANGE")
    assert res.returncode == 0, f"the broadcast failed: {res.stderr}"
    assert qor.wait_trace(r"dock display-change work=0,0,1024,768 dpi=144 radius=176"), \
        "the dock did not follow the new screen"
    moved = qor.wait_stable("1024x768")
    _assert_edges(_edges_on_row(moved, _crop(qor.bare, 1024, 768), 384, 1023), (811, 740))
    assert qor.alive()
