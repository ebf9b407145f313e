"""Fixtures of the end-to-end tests.

  desktop  - a private Xvfb screen and a private Wine prefix for one screen size; every test that
             uses it runs at each size of QOR_E2E_SIZES (default "1366x768,1920x1080"), or at the
             sizes a test names with @pytest.mark.parametrize("desktop", [...], indirect=True).
             Screens and prefixes live for the whole session; the prefix folder
             (build/win/e2e-prefix-<size>) is kept between sessions, so Wine sets it up only once.
  qor      - one run of QORDesktop.exe on that desktop (not started yet: call .start()).
             Before the test the program's stored data (folders and registry key) is removed,
             unless the test is marked @pytest.mark.keep_data; after it every process of the
             prefix is ended (wineserver -k), whether the test passed or not.

Screenshots, traces and Wine's output of each test are kept under build/artifacts/e2e/<test>/.
"""

from __future__ import annotations

import os
import re
import shutil

import pytest

import qorharness as h

SIZES = [s.strip() for s in os.environ.get("QOR_E2E_SIZES", "1366x768,1920x1080").split(",")
         if s.strip()]


def pytest_configure(config):
    config.addinivalue_line("markers", "keep_data: do not remove the program's stored data first")


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    # Lets the qor fixture know whether the test failed, to keep a last screenshot.
    outcome = yield
    rep = outcome.get_result()
    setattr(item, "rep_" + rep.when, rep)


class _Desktops:
    """Screens and prefixes by size, started on first use and stopped at the end."""

    def __init__(self):
        self.by_size: dict[str, h.WinePrefix] = {}

    def get(self, size: str) -> h.WinePrefix:
        if size not in self.by_size:
            missing = [t for t in ("Xvfb", "wine", "wineserver", "xdotool", "xwininfo", "xprop",
                                   "import", "convert") if shutil.which(t) is None]
            if missing:
                pytest.fail("missing tools: " + ", ".join(missing) + " (run scripts/setup-deps.sh)")
            width, height = map(int, size.split("x"))
            screen = h.Screen(width, height, h.ARTIFACTS / "screens").start()
            try:
                prefix = h.WinePrefix(h.BUILD_WIN / f"e2e-prefix-{size}", screen).ensure()
            except Exception:
                screen.stop()
                raise
            self.by_size[size] = prefix
        return self.by_size[size]

    def close(self):
        for prefix in self.by_size.values():
            try:
                prefix.kill_server()
            finally:
                prefix.screen.stop()
        self.by_size.clear()


@pytest.fixture(scope="session")
def desktops():
    d = _Desktops()
    yield d
    d.close()


@pytest.fixture(params=SIZES)
def desktop(request, desktops) -> h.WinePrefix:
    # Checked before a screen and a prefix are set up for nothing.
    if not h.EXE.exists():
        pytest.fail(f"{h.EXE} is missing: the Windows build did not produce the program")
    return desktops.get(request.param)


def _run_dir(request, size: str):
    name = re.sub(r"[^A-Za-z0-9_.-]+", "_", request.node.name)
    path = h.ARTIFACTS / name
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True, exist_ok=True)
    return path


@pytest.fixture
def qor(request, desktop) -> h.QorApp:
    # A left-over process (an earlier test, a crash) must not hold the single-instance lock.
    desktop.kill_server()
    if request.node.get_closest_marker("keep_data") is None:
        desktop.reset_program_data()
    app = h.QorApp(desktop, _run_dir(request, desktop.screen.size_name))
    try:
        yield app
    finally:
        rep = getattr(request.node, "rep_call", None)
        try:
            if rep is not None and rep.failed:
                app.screenshot("at-failure")
        except Exception:
            pass
        app.kill()
        desktop.kill_server()
