"""Start-up, single instance and the orderly end, seen from outside like a user would.

Each test starts QORDesktop.exe in a private Wine prefix on a private screen (see conftest.py) at
1366x768 and at 1920x1080.
"""

from __future__ import annotations

import re

import pytest

import qorharness as h


# The default ring: 24 positions of 48 pixels on a circle of radius 300, or less on a screen
# whose height leaves less room (the radius is at most half the height less 80).
DEFAULT_ICON_SIZE = 48


def _ring_box(screen) -> h.Rect:
    """The square that holds the default ring, its centre picture and caption, with a margin of
    two pixels; the ring window paints nothing outside it."""
    cx, cy = round(screen.width / 2), round(screen.height / 2)
    radius = min(300, cy - 80)
    reach = radius + DEFAULT_ICON_SIZE // 2 + 2
    return h.Rect(cx - reach, cy - reach, 2 * reach, 2 * reach)


def _assert_only_ring_painted(app: h.QorApp, label: str) -> h.Image:
    """The ring is painted, and nothing else: outside the ring's square the screen equals the
    one taken before the start, pixel for pixel (the window covers the whole work area but is
    fully transparent there), while inside it the ring has changed many pixels. Other windows
    of the program (a welcome window, a message) are left out of the comparison."""
    main = app.main_window()
    shot = app.wait_stable(label)
    others = [w.rect for w in app.windows() if w.viewable and main and w.id != main.id]
    ring = _ring_box(app.screen)
    count, box = shot.diff(app.bare, exclude=others + [ring])
    assert count == 0, (f"{count} pixels differ from the bare screen outside the ring's square "
                        f"{ring}, within {box} (see {shot.path} and {app.bare.path})")
    inside, _ = shot.diff(app.bare, exclude=others)
    # 24 icons of 48x48 and the 152-pixel centre frame cover far more than this.
    assert inside >= 24 * 40 * 40, \
        f"only {inside} pixels of the ring's square differ from the bare screen: no ring painted?"
    return shot


def _window_under(screen, x, y) -> int:
    screen.xdotool("mousemove", x, y)
    under = screen.xdotool("getmouselocation", "--shell")
    return int(re.search(r"WINDOW=(\d+)", under).group(1))


def test_window_covers_work_area_and_is_transparent(qor: h.QorApp):
    qor.start()
    h.Dialogs(qor).close_tour()  # it covers the middle of the ring
    screen = qor.screen
    main = qor.main_window()
    # On a bare X screen without panels the work area is the whole screen.
    assert (main.rect.x, main.rect.y, main.rect.w, main.rect.h) == \
        (0, 0, screen.width, screen.height), f"ring window at {main.rect}"
    _assert_only_ring_painted(qor, "running")

    # Fully transparent pixels let the mouse through to the desktop: the screen's corners, and a
    # point inside the ring between the centre frame and the icons (up and right of the
    # centre, away from the caption under it).
    cx, cy = round(screen.width / 2), round(screen.height / 2)
    for x, y in ((2, 2), (screen.width - 3, 2), (2, screen.height - 3),
                 (screen.width - 3, screen.height - 3), (cx + 130, cy - 130)):
        window = _window_under(screen, x, y)
        assert window != main.id, f"the ring window catches the mouse at ({x}, {y})"
        info = screen.window_info(window)
        assert info is None or info.win_class != h.PROGRAM_CLASS, \
            f"a window of the program catches the mouse at ({x}, {y}): {info}"
    # A painted pixel is the window's own: the centre picture takes the mouse (this also shows
    # that the probe above can see the ring window at all).
    window = _window_under(screen, cx, cy)
    info = screen.window_info(window)
    assert window == main.id or (info is not None and info.win_class == h.PROGRAM_CLASS), \
        f"the mouse on the centre picture is not on the ring window but on {info}"
    assert qor.alive()


def test_data_folders_exist_under_common_files(qor: h.QorApp):
    qor.start()
    data = qor.prefix.common_data_dir
    assert data.is_dir(), f"{data} was not created"
    assert (data / "QorIcons").is_dir(), f"{data / 'QorIcons'} was not created"


@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_second_start_exits_at_once_and_first_keeps_running(qor: h.QorApp):
    # How long the second start takes is a figure of tests/bench/e2e/second_start.py.
    qor.start()
    first = qor.main_window()
    before = _assert_only_ring_painted(qor, "first")
    elapsed, code, shown = qor.run_second()
    assert code is not None, f"the second instance did not end within {elapsed:.0f} s"
    assert code == 0, f"the second instance ended with code {code}"
    assert not shown, f"the second instance showed windows: {shown}"
    second = (qor.run_dir / "trace-second.txt").read_text(errors="replace").splitlines() \
        if (qor.run_dir / "trace-second.txt").exists() else []
    assert any(line.endswith("second-instance exit") for line in second), \
        "the second instance did not end as the second one:\n" + "\n".join(second)
    assert not any(re.search(r"\bphase \w+", line) for line in second), \
        "the second instance began a start-up of its own:\n" + "\n".join(second)

    assert qor.alive(), "the first instance ended"
    again = qor.main_window()
    assert again is not None and again.id == first.id, "the first instance lost its window"
    after = _assert_only_ring_painted(qor, "after-second")
    count, box = after.diff(before)
    assert count == 0, f"the second start changed {count} pixels of the ring within {box}"


def test_trace_shows_startup_phases_and_the_first_frame(qor: h.QorApp):
    qor.start()
    # The frame the trace reports is on the screen.
    _assert_only_ring_painted(qor, "running")
    lines = qor.trace_lines()
    assert lines, f"the trace {qor.trace_path} is empty"
    text = "\n".join(lines)

    def first_index(pattern):
        return next((n for n, line in enumerate(lines) if re.search(pattern, line)), None)

    phases = [(n, m.group(1), float(m.group(2))) for n, m in
              ((n, re.search(r"\bphase (\w+) ms=(\d+(?:\.\d+)?)$", line)) for n, line in enumerate(lines))
              if m]
    assert len(phases) >= 3, "fewer than three timed start-up phases in the trace:\n" + text
    presented = first_index(r"\bpresent window=FrmMain .*\bok=1\b.* ms=\d")
    assert presented is not None, "no frame of the ring window was presented:\n" + text
    first = first_index(r"\bfirst-frame ms=\d")
    assert first is not None, "no line for the first frame in the trace:\n" + text
    assert first > presented, "the first frame is traced before any frame was presented:\n" + text
    first_ms = float(re.search(r"\bfirst-frame ms=(\d+(?:\.\d+)?)", lines[first]).group(1))
    # The phases before the first frame ran one after another since the start: together they
    # cannot take longer than the time to the first frame (each figure rounded to 1 us).
    before = sum(ms for n, _, ms in phases if n < first)
    assert first_ms + 0.001 * len(phases) >= before, \
        f"first frame after {first_ms} ms, but the phases before it took {before} ms:\n" + text
    started = first_index(r"\bstarted ms=\d")
    assert started is not None and started > first, \
        "start-up did not end after the first frame:\n" + text
    # Keep the figures where the test runner shows them (-rA or the junit report).
    print("start-up trace:\n" + text)


def test_trace_is_off_without_qor_trace(qor: h.QorApp):
    qor.start(trace=False)
    qor.wait_stable("running")
    assert not qor.trace_path.exists(), "a trace was written although QOR_TRACE was not set"


@pytest.mark.parametrize("how", ["taskkill", "end-session", "end-session-force"])
@pytest.mark.parametrize("desktop", ["1366x768"], indirect=True)
def test_program_ends_when_the_system_asks(qor: h.QorApp, how):
    qor.start()
    qor.wait_stable("running")
    if how == "taskkill":
        res, ended = qor.taskkill(timeout=15)
        assert res.returncode == 0, f"taskkill failed: {res.stdout} {res.stderr}"
    elif how == "end-session":
        res, ended = qor.end_session(timeout=30)
    else:
        res, ended = qor.end_session("--force", timeout=30)
    assert ended, f"{h.PROGRAM_IMAGE} still runs 15 s after {how}"
    assert qor.proc.returncode == 0, f"exit code {qor.proc.returncode} after {how}"
    assert not [w for w in qor.screen.windows() if w.viewable], "windows left on the screen"
    lines = qor.trace_lines()
    assert any(re.search(r"exit", line, re.I) for line in lines), \
        "the trace shows no orderly exit:\n" + "\n".join(lines)
