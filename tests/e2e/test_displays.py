"""The ring on every screen: two monitors side by side, a start at 150 %, a resolution change.

Both journeys run on Xephyr monitors (qorharness.NestedScreen) with a prefix of their own
(build/win/e2e-prefix-displays), whose monitors and LogPixels they change. Wine follows a screen
resized under it in its monitor information but tells no window of another process, so the test
then sends WM_DISPLAYCHANGE to every window as Windows does. Places come from the ring's
formulas: radius 300 at 100 %, 24 positions, position 1 at 3 o'clock.
"""

from __future__ import annotations

import re
import shutil
import subprocess

import pytest

import qorharness as h


@pytest.fixture
def nested(request):
    """(screen, prefix, app) on the monitors the test names, at 100 %, with no stored data."""
    if shutil.which("Xephyr") is None or shutil.which("xrandr") is None:
        pytest.fail("Xephyr or xrandr is missing (run scripts/setup-deps.sh)")
    monitors, randr = request.param
    screen = h.NestedScreen(monitors, h.ARTIFACTS / "screens", randr).start()
    prefix = h.WinePrefix(h.BUILD_WIN / "e2e-prefix-displays", screen)
    run_dir = h.ARTIFACTS / re.sub(r"[^A-Za-z0-9_.-]+", "_", request.node.name)
    shutil.rmtree(run_dir, ignore_errors=True)
    app = h.QorApp(prefix, run_dir)
    try:
        prefix.ensure().kill_server()
        prefix.reset_program_data()
        prefix.set_log_pixels(96)
        yield screen, prefix, app
    finally:
        app.kill()
        prefix.kill_server()
        screen.stop()


def _assert_ring_at(shot, background, cx, cy, drawn=True):
    """The centre and the icons at 3, 6, 9 and 12 o'clock differ from the background (or, with
    `drawn` false, do not); 30 pixels beyond each icon, short of its letter, nothing is drawn."""
    points = [(cx, cy)]
    for dx, dy in ((1, 0), (0, 1), (-1, 0), (0, -1)):
        points.append((cx + 300 * dx, cy + 300 * dy))
        beyond = (cx + 330 * dx, cy + 330 * dy)
        assert shot.pixel(*beyond) == background(*beyond), f"drawn beyond the ring at {beyond}"
    for p in points:
        assert (shot.pixel(*p) != background(*p)) == drawn, f"at {p} around ({cx}, {cy})"


@pytest.mark.parametrize("nested", [([(1366, 768), (1920, 1080)], False)], indirect=True)
def test_alt_space_brings_the_ring_up_on_the_monitor_under_the_pointer(nested):
    screen, _, qor = nested
    screen.move(1300, 740)
    qor.start()
    h.Dialogs(qor).close_tour()  # a fresh install's tour covers the middle of the primary
    shot = qor.wait_stable("primary")
    _assert_ring_at(shot, qor.bare.pixel, 683, 384)  # start-up: the primary monitor
    _assert_ring_at(shot, qor.bare.pixel, 1366 + 960, 540, drawn=False)

    screen.xdotool("windowfocus", qor.main_window().id)  # keys reach Wine only with X focus
    screen.move(3200, 60)  # on the second monitor (1366,0-3286,1080), clear of the ring
    screen.key("alt+space")
    assert qor.wait_trace(r"dock display-change work=1366,0,3286,1080 dpi=96")
    shot = qor.wait_stable("second-monitor")
    # Keyboard mode: the monitor dimmed (black, without a compositor) around the ring.
    _assert_ring_at(shot, lambda x, y: (0, 0, 0), 1366 + 960, 540)
    _assert_ring_at(shot, qor.bare.pixel, 683, 384, drawn=False)


def _square_on_row(shot, bare, y, x):
    """Walking left from x along row y: the right and left edges of the first drawn run."""
    while shot.pixel(x, y) == bare.pixel(x, y):
        x -= 1
    right = x
    while shot.pixel(x, y) != bare.pixel(x, y):
        x -= 1
    return right, x + 1


@pytest.mark.parametrize("nested", [([(1366, 768)], True)], indirect=True)
def test_a_start_at_150_percent_and_a_resolution_change(nested):
    screen, prefix, qor = nested
    screen.move(1360, 760)
    qor.start()
    h.Dialogs(qor).close_tour()  # it covers the ring's middle row
    at100 = qor.wait_stable("100-percent")
    # Position 1's square: 48 pixels around 683 + 300.
    assert _square_on_row(at100, qor.bare, 384, 1365) == (1006, 959)
    qor.taskkill()
    prefix.kill_server()

    # 150 %: the largest radius, round(384 / 1.5) - 80 = 176 at 96 DPI, is drawn at 264 pixels,
    # the square at 72 around 683 + 264.
    prefix.set_log_pixels(144)
    qor.start()
    h.Dialogs(qor).close_tour()
    at150 = qor.wait_stable("150-percent")
    bare = qor.bare  # with Wine's notification-area window as it is now
    assert _square_on_row(at150, bare, 384, 1365) == (982, 911)
    subprocess.run(["convert", str(at100.path), str(at150.path), "+append",
                    str(qor.run_dir / "ring-100-and-150-percent.png")], check=True)

    # 1024 x 768: the ring moves to the new centre (the square around 512 + 264).
    screen.resize(1024, 768)
    assert qor.prefix.wine(h.BUILD_WIN / "qor_broadcast.exe", "WM_DISPLAYCHANGE").returncode == 0
    assert qor.wait_trace(r"dock display-change work=0,0,1024,768 dpi=144 radius=176")
    moved = qor.wait_stable("1024x768")
    bare = h.Image(1024, 768, b"".join(bare.row(y)[:1024 * 3] for y in range(768)))
    assert _square_on_row(moved, bare, 384, 1023) == (811, 740)
    assert qor.alive()
