"""Drives the real QORDesktop.exe under Wine on a private Xvfb screen, the way a user would.

The pieces:
  * Screen      - a private Xvfb server of a chosen size, with a patterned root window so that
                  "nothing was drawn" can be told apart from "a black window was drawn";
  * WinePrefix  - a private Wine prefix inside the Windows build folder (never ~/.wine), with
                  HOME and XDG_DATA_HOME pointed into the build folder too;
  * QorApp      - one run of the program: start, wait for its window, screenshots, pixel
                  probes, mouse and keys, the trace, and the ways a user's system stops it;
  * Image       - a screenshot as raw RGB bytes, read back from a PNG through ImageMagick.

Everything started here is stopped again by the fixtures of conftest.py, also when a test fails.
"""

from __future__ import annotations

import os
import re
import shutil
import signal
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
BUILD_WIN = Path(os.environ.get("QOR_WIN_BUILD", REPO / "build" / "win"))
EXE = Path(os.environ.get("QOR_EXE", BUILD_WIN / "QORDesktop.exe"))
ARTIFACTS = Path(os.environ.get("QOR_ARTIFACTS", REPO / "build" / "artifacts")) / "e2e"

PROGRAM_IMAGE = "QORDesktop.exe"
# Wine names the X window class after the executable, in lower case.
PROGRAM_CLASS = "qordesktop.exe"
WINE_TRAY_NAME = "Wine System Tray"

COMMON_DATA = ("Program Files", "Common Files", "QORSoft", "QOR Desktop")
REGISTRY_KEY = r"HKEY_CURRENT_USER\Software\QOR Desktop"


def _run(cmd, env=None, timeout=60, check=False, capture=True):
    return subprocess.run(
        cmd,
        env=env,
        timeout=timeout,
        check=check,
        stdin=subprocess.DEVNULL,
        stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
        stderr=subprocess.PIPE if capture else subprocess.DEVNULL,
        text=True,
        errors="replace",
    )


def _display_range():
    """Display numbers the harness may use: QOR_DISPLAY_RANGE="first-last" (default 100-199)."""
    text = os.environ.get("QOR_DISPLAY_RANGE", "100-199")
    first, _, last = text.partition("-")
    return range(int(first), int(last or first) + 1)


def _display_taken(n: int) -> bool:
    return Path(f"/tmp/.X{n}-lock").exists() or Path(f"/tmp/.X11-unix/X{n}").exists()


# ----------------------------------------------------------------------------------------------
# Screens and pictures


@dataclass
class Rect:
    x: int
    y: int
    w: int
    h: int

    @property
    def right(self):
        return self.x + self.w

    @property
    def bottom(self):
        return self.y + self.h

    def contains(self, px, py):
        return self.x <= px < self.right and self.y <= py < self.bottom


class Image:
    """An RGB picture; pixel(x, y) gives an (r, g, b) tuple."""

    def __init__(self, width: int, height: int, rgb: bytes, path: Path | None = None):
        assert len(rgb) == width * height * 3, "picture size does not match its data"
        self.width, self.height, self.rgb, self.path = width, height, rgb, path

    @classmethod
    def load(cls, path: Path) -> "Image":
        size = _run(["identify", "-format", "%w %h", f"{path}[0]"], check=True).stdout.split()
        width, height = int(size[0]), int(size[1])
        raw = subprocess.run(
            ["convert", f"{path}[0]", "-alpha", "off", "-depth", "8", "rgb:-"],
            check=True, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL).stdout
        return cls(width, height, raw, path)

    def save(self, path: Path) -> "Image":
        """Writes the picture as a PNG (kept as a build artefact) and remembers where."""
        path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(
            ["convert", "-size", f"{self.width}x{self.height}", "-depth", "8", "rgb:-",
             f"PNG24:{path}"], input=self.rgb, check=True, stdout=subprocess.DEVNULL)
        self.path = path
        return self

    def crop(self, rect: Rect, path: Path) -> "Image":
        """The part of the picture inside `rect`, saved as a PNG at `path`."""
        stride = self.width * 3
        rows = b"".join(self.rgb[(y * stride) + rect.x * 3:(y * stride) + rect.right * 3]
                        for y in range(rect.y, rect.bottom))
        return Image(rect.w, rect.h, rows).save(path)

    def pixel(self, x: int, y: int):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError(f"pixel ({x}, {y}) outside {self.width}x{self.height}")
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def row(self, y: int) -> bytes:
        stride = self.width * 3
        return self.rgb[y * stride:(y + 1) * stride]

    def with_region(self, other: "Image", rect: "Rect") -> "Image":
        """A copy of this picture whose pixels inside `rect` come from `other` (same size)."""
        rgb = bytearray(self.rgb)
        left, right = max(0, rect.x), min(self.width, rect.x + rect.w)
        for y in range(max(0, rect.y), min(self.height, rect.y + rect.h)):
            start, end = (y * self.width + left) * 3, (y * self.width + right) * 3
            rgb[start:end] = other.rgb[start:end]
        return Image(self.width, self.height, bytes(rgb), self.path)

    def diff(self, other: "Image", exclude=()) -> tuple[int, Rect | None]:
        """Number of differing pixels outside the `exclude` rectangles, and their bounding box."""
        if (self.width, self.height) != (other.width, other.height):
            return self.width * self.height, Rect(0, 0, self.width, self.height)
        count, box = 0, None
        for y in range(self.height):
            a, b = self.row(y), other.row(y)
            if a == b:
                continue
            for x in range(self.width):
                i = x * 3
                if a[i:i + 3] == b[i:i + 3]:
                    continue
                if any(r.contains(x, y) for r in exclude):
                    continue
                count += 1
                if box is None:
                    box = [x, y, x, y]
                else:
                    box = [min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y)]
        if box is None:
            return 0, None
        return count, Rect(box[0], box[1], box[2] - box[0] + 1, box[3] - box[1] + 1)


class Screen:
    """A private Xvfb server of the given size with a patterned desktop."""

    def __init__(self, width: int, height: int, log_dir: Path):
        self.width, self.height = width, height
        self.log_dir = log_dir
        self.proc: subprocess.Popen | None = None
        self.display = ""

    @property
    def size_name(self):
        return f"{self.width}x{self.height}"

    def env(self, base=None):
        env = dict(os.environ if base is None else base)
        env["DISPLAY"] = self.display
        env.pop("XAUTHORITY", None)
        return env

    def start(self):
        self.log_dir.mkdir(parents=True, exist_ok=True)
        last_error = "no free display number"
        for n in _display_range():
            if _display_taken(n):
                continue
            log = open(self.log_dir / f"xvfb-{self.size_name}.log", "w")
            proc = subprocess.Popen(
                ["Xvfb", f":{n}", "-screen", "0", f"{self.width}x{self.height}x24",
                 "-nolisten", "tcp", "-noreset"],
                stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
            self.proc, self.display = proc, f":{n}"
            if self._wait_ready(proc):
                self._paint_desktop()
                return self
            last_error = f"Xvfb :{n} did not come up"
            self.stop()
        raise RuntimeError(last_error)

    def _wait_ready(self, proc, timeout=15.0) -> bool:
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if proc.poll() is not None:
                return False
            if _run(["xdpyinfo"], env=self.env(), timeout=10).returncode == 0:
                return True
            time.sleep(0.1)
        return False

    def _paint_desktop(self):
        """A two-tone checkerboard on the root window: any opaque pixel drawn over it shows."""
        pattern = self.log_dir / f"desktop-{self.size_name}.png"
        if not pattern.exists():
            _run(["convert", "-size", self.size_name, "pattern:checkerboard",
                  "-fill", "#3366aa", "-colorize", "35", f"PNG24:{pattern}"], check=True)
        # display -window root sets the background and leaves; it exits 1 even when it worked.
        _run(["display", "-window", "root", str(pattern)], env=self.env(), timeout=30)

    def grab(self) -> Image:
        """The whole screen as it is now (not saved)."""
        raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                             env=self.env(), check=True, timeout=60, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
        return Image(self.width, self.height, raw)

    def screenshot(self, path: Path) -> Image:
        return self.grab().save(path)

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(5)
        self.proc = None

    # xdotool input -----------------------------------------------------------------------
    def xdotool(self, *args, timeout=30):
        return _run(["xdotool", *map(str, args)], env=self.env(), timeout=timeout, check=True).stdout

    def move(self, x, y, timeout=2.0):
        """Moves the pointer and waits until X reports it there. (xdotool's own --sync waits for
        a motion event, which never comes when the pointer is already in place.)"""
        self.xdotool("mousemove", x, y)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            where = dict(part.split(":", 1) for part in self.xdotool("getmouselocation").split()
                         if ":" in part)
            if (int(where.get("x", -1)), int(where.get("y", -1))) == (int(x), int(y)):
                return
            time.sleep(0.02)

    def click(self, x, y, button=1):
        self.move(x, y)
        self.xdotool("click", button)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def type_text(self, text):
        self.xdotool("type", "--delay", 20, text)

    # windows -----------------------------------------------------------------------------
    def windows(self, win_class=PROGRAM_CLASS, pids=()):
        """Top-level X windows of a class (and of the given process ids), with their state."""
        ids = set(self._search("--class", win_class))
        for pid in pids:
            ids.update(self._search("--pid", pid))
        return [w for w in (self.window_info(i) for i in sorted(ids)) if w is not None]

    def wine_tray_windows(self):
        """Wine's own notification-area window: without a desktop environment Wine's desktop
        process shows the programs' notification icons in a "Wine System Tray" window of its own,
        one after the other from its left edge."""
        found = (self.window_info(i) for i in self._search("--name", WINE_TRAY_NAME))
        return [w for w in found if w and w.viewable]

    def _search(self, *args):
        out = _run(["xdotool", "search", *map(str, args)], env=self.env(), timeout=30).stdout
        return [int(x) for x in out.split()]

    def window_info(self, wid: int):
        out = _run(["xwininfo", "-id", str(wid)], env=self.env(), timeout=30)
        if out.returncode != 0:
            return None  # gone in between
        fields = {}
        for line in out.stdout.splitlines():
            key, sep, value = line.strip().partition(":")
            if sep:
                fields[key.strip()] = value.strip()
        props = _run(["xprop", "-id", str(wid), "_NET_WM_PID", "WM_NAME", "WM_CLASS"],
                     env=self.env(), timeout=30).stdout
        pid = re.search(r"_NET_WM_PID\(CARDINAL\) = (\d+)", props)
        name = re.search(r'WM_NAME\(\w+\) = "(.*)"', props)
        klass = re.search(r'WM_CLASS\(\w+\) = "(.*?)", "(.*?)"', props)
        return Window(
            id=wid,
            rect=Rect(int(fields.get("Absolute upper-left X", 0)),
                      int(fields.get("Absolute upper-left Y", 0)),
                      int(fields.get("Width", 0)), int(fields.get("Height", 0))),
            viewable=fields.get("Map State") == "IsViewable",
            pid=int(pid.group(1)) if pid else None,
            name=name.group(1) if name else "",
            win_class=klass.group(2) if klass else "",
        )


class NestedScreen(Screen):
    """Monitors side by side (sizes left to right): Xephyr, one screen per monitor, inside a
    private Xvfb. Xvfb alone puts every Xinerama head at 0,0; Xephyr places them apart, and
    without RANDR (which would make Wine see one monitor) Wine reports each. With `randr` (one
    monitor) xrandr resizes it. -noreset: a server reset puts the pointer back in the middle."""

    def __init__(self, monitors, log_dir: Path, randr=False):
        super().__init__(sum(w for w, _ in monitors), max(h for _, h in monitors), log_dir)
        self.args = ["-noreset", "-nolisten", "tcp"]
        self.args += ["-resizeable"] if randr else ["+xinerama", "-extension", "RANDR"]
        for w, h in monitors:
            self.args += ["-screen", f"{w}x{h}"]
        self.host = Screen(self.width + 100, self.height + 100, log_dir)

    def start(self):
        self.host.start()
        for n in _display_range():
            if _display_taken(n):
                continue
            self.display = f":{n}"
            self.proc = subprocess.Popen(["Xephyr", self.display, *self.args], env=self.host.env(),
                                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL, start_new_session=True)
            if self._wait_ready(self.proc):
                self._paint_desktop()
                return self
            super().stop()
        self.host.stop()
        raise RuntimeError("Xephyr did not come up")

    def resize(self, width, height):
        _run(["xrandr", "-s", f"{width}x{height}"], env=self.env(), timeout=30, check=True)
        self.width, self.height = width, height

    def stop(self):
        super().stop()
        self.host.stop()


@dataclass
class Window:
    id: int
    rect: Rect
    viewable: bool
    pid: int | None
    name: str
    win_class: str


# ----------------------------------------------------------------------------------------------
# Wine


class WinePrefix:
    """A private prefix for one screen size, created once and kept between runs."""

    def __init__(self, root: Path, screen: Screen):
        self.root = root
        self.screen = screen
        self.path = root / "prefix"
        self.home = root / "home"

    def env(self, **extra):
        env = self.screen.env()
        env.update(
            WINEPREFIX=str(self.path),
            HOME=str(self.home),
            XDG_DATA_HOME=str(self.home / ".local" / "share"),
            XDG_CONFIG_HOME=str(self.home / ".config"),
            XDG_CACHE_HOME=str(self.home / ".cache"),
            WINEDEBUG=os.environ.get("QOR_WINEDEBUG", "-all"),
            # No Mono or Gecko installer dialogs in a fresh prefix.
            WINEDLLOVERRIDES="mscoree,mshtml=",
        )
        env.pop("QOR_TRACE", None)
        env.update({k: str(v) for k, v in extra.items()})
        return env

    def ensure(self):
        (self.home / ".local" / "share").mkdir(parents=True, exist_ok=True)
        if not (self.path / "system.reg").exists():
            self.path.mkdir(parents=True, exist_ok=True)
            _run(["wine", "wineboot", "--init"], env=self.env(), timeout=300)
            _run(["wineserver", "-w"], env=self.env(), timeout=300)
        if not (self.path / "system.reg").exists():
            raise RuntimeError(f"wineboot did not create the prefix {self.path}")
        # A crash ends the program (a backtrace in its output) instead of leaving it in Wine's
        # crash dialog, where a test could only wait for its timeout.
        self.wine("reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
                  "/t", "REG_DWORD", "/d", "0", "/f", timeout=120)
        return self

    def wine(self, *args, timeout=60, **extra_env):
        """Runs a program of the prefix. A start that fails within a second, before the program
        could run (seen now and then under load, like the failures scripts/wine-run retries), is
        tried once more."""
        command = ["wine", *map(str, args)]
        started = time.monotonic()
        res = _run(command, env=self.env(**extra_env), timeout=timeout)
        if res.returncode != 0 and time.monotonic() - started < 1.0:
            res = _run(command, env=self.env(**extra_env), timeout=timeout)
        return res

    def kill_server(self):
        """Ends every process of this prefix (wineserver -k) and waits for the server to go."""
        _run(["wineserver", "-k"], env=self.env(), timeout=30)
        _run(["wineserver", "-w"], env=self.env(), timeout=30)

    # files ------------------------------------------------------------------------------
    @property
    def drive_c(self) -> Path:
        return self.path / "drive_c"

    def user_name(self) -> str:
        users = self.drive_c / "users"
        names = [p.name for p in users.iterdir() if p.is_dir() and p.name != "Public"] \
            if users.is_dir() else []
        return names[0] if names else os.environ.get("USER", "root")

    @property
    def common_data_dir(self) -> Path:
        return self.drive_c.joinpath(*COMMON_DATA)

    @property
    def user_data_dir(self) -> Path:
        """The per-user application-data fallback for a data folder that cannot be written."""
        return self.drive_c / "users" / self.user_name() / "AppData" / "Roaming" / "QORSoft" / \
            "QOR Desktop"

    def data_dir(self) -> Path:
        """Where the program keeps its files: the common folder, else the per-user fallback."""
        if self.common_data_dir.is_dir() or not self.user_data_dir.is_dir():
            return self.common_data_dir
        return self.user_data_dir

    def windows_path(self, path: Path) -> str:
        rel = Path(path).resolve().relative_to(self.drive_c.resolve())
        return "C:\\" + "\\".join(rel.parts)

    def reset_program_data(self):
        """Forgets everything the program stored: its data folders, its registry key and its
        Run value. The prefix's server must be down (kill_server): the registry is edited in
        user.reg, which is much quicker than starting Wine for `reg delete`."""
        for folder in (self.common_data_dir.parent, self.user_data_dir.parent):
            shutil.rmtree(folder, ignore_errors=True)
        user_reg = self.path / "user.reg"
        if user_reg.exists():
            text = user_reg.read_text(encoding="utf-8", errors="surrogateescape")
            user_reg.write_text(_strip_program_keys(text), encoding="utf-8",
                                errors="surrogateescape")

    # registry ---------------------------------------------------------------------------
    def reg_query(self, key: str, value: str | None = None):
        """Values under `key` as {name: (type, data)}; None when the key (or value) is absent."""
        args = ["reg", "query", key] + (["/v", value] if value is not None else [])
        res = self.wine(*args, timeout=60)
        if res.returncode != 0:
            return None
        values = {}
        for line in res.stdout.splitlines():
            m = re.match(r"^\s{4}(.*?)\s{4}(REG_\w+)\s{4}?(.*)$", line)
            if m:
                name = m.group(1)
                values["" if name == "(Default)" else name] = (m.group(2), m.group(3))
        if value is not None:
            return values.get(value)
        return values

    def set_log_pixels(self, dpi: int):
        """The scale of the next start: LogPixels under HKCU\\Control Panel\\Desktop and Wine's
        copy for its fonts. user.reg is edited: the prefix's server must be down."""
        reg = self.path / "user.reg"
        text = reg.read_text(encoding="utf-8", errors="surrogateescape")
        for key in (r"Control Panel\\Desktop", r"Software\\Wine\\Fonts"):
            text = _set_dword(text, key, "LogPixels", dpi)
        reg.write_text(text, encoding="utf-8", errors="surrogateescape")

    def reg_add(self, key: str, value: str, data: str, kind="REG_SZ"):
        res = self.wine("reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f")
        assert res.returncode == 0, f"reg add {key}\\{value} failed: {res.stderr}"


def _set_dword(text: str, key: str, name: str, value: int) -> str:
    """user.reg with `name` set to a REG_DWORD under `key`, a key every prefix has (spelt as in
    user.reg, backslashes doubled)."""
    lines = text.splitlines(keepends=True)
    start = next(i for i, l in enumerate(lines) if l.lower().startswith(f"[{key}]".lower()))
    end = next((i for i in range(start + 1, len(lines)) if lines[i].startswith("[")), len(lines))
    at = start + 1
    while lines[at].startswith("#"):
        at += 1  # the key's time stamp comes first
    body = [l for l in lines[at:end] if not l.lower().startswith(f'"{name.lower()}"=')]
    return "".join(lines[:at] + [f'"{name}"=dword:{value:08x}\n'] + body + lines[end:])


def _strip_program_keys(text: str) -> str:
    """user.reg without the program's key and its value under ...\\CurrentVersion\\Run."""
    out, skip_block, skip_cont, in_run = [], False, False, False
    for line in text.splitlines(keepends=True):
        if line.startswith("["):
            key = line[1:line.index("]")].lower() if "]" in line else ""
            skip_block = key == r"software\\qor desktop" or \
                key.startswith(r"software\\qor desktop\\")
            in_run = key == r"software\\microsoft\\windows\\currentversion\\run"
            skip_cont = False
            if not skip_block:
                out.append(line)
            continue
        if skip_block:
            continue
        if skip_cont or (in_run and line.lower().startswith('"qor desktop"=')):
            skip_cont = line.rstrip("\r\n").endswith("\\")
            continue
        out.append(line)
    return "".join(out)


# ----------------------------------------------------------------------------------------------
# One run of the program


class QorApp:
    def __init__(self, prefix: WinePrefix, run_dir: Path, exe: Path = EXE):
        self.prefix = prefix
        self.screen = prefix.screen
        self.run_dir = run_dir
        self.exe = exe
        self.trace_path = run_dir / "trace.txt"
        self.proc: subprocess.Popen | None = None
        self._bare: Image | None = None
        self.started_at = 0.0
        self.shots = 0

    @property
    def bare(self) -> Image | None:
        """The screen taken before the start. Wine's notification-area window, which appears
        once the program adds its icon, is part of the surroundings rather than the program's
        painting: it is shown in this picture as it shows now."""
        trays = self.screen.wine_tray_windows() if self._bare is not None else []
        if not trays:
            return self._bare
        now = self.screen.grab()
        picture = self._bare
        for tray in trays:
            picture = picture.with_region(now, tray.rect)
        return picture

    @bare.setter
    def bare(self, picture: Image | None):
        self._bare = picture

    # starting ---------------------------------------------------------------------------
    def capture_bare(self) -> Image:
        self._bare = self.screenshot("bare")
        return self._bare

    def start(self, trace=True, wait=True, **extra_env):
        if not self.exe.exists():
            raise FileNotFoundError(f"{self.exe} has not been built")
        self.run_dir.mkdir(parents=True, exist_ok=True)
        if self._bare is None:
            self.capture_bare()
        if trace:
            extra_env["QOR_TRACE"] = str(self.trace_path)
        log = open(self.run_dir / "wine-output.log", "ab")
        self.started_at = time.monotonic()
        self.proc = subprocess.Popen(
            ["wine", str(self.exe)], env=self.prefix.env(**extra_env), cwd=str(self.exe.parent),
            stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
        if wait:
            self.wait_for_window()
        return self

    def run_second(self, timeout=30.0, watch=True):
        """Starts one more instance and waits for it to end. Returns (seconds, exit code,
        windows it showed): the windows are any viewable program window that did not exist
        before, seen while it ran."""
        # Polling is kept light (one xdotool per round) so it does not slow the start it times.
        before = set(self.screen._search("--onlyvisible", "--class", PROGRAM_CLASS))
        log = open(self.run_dir / "wine-second.log", "ab")
        t0 = time.monotonic()
        proc = subprocess.Popen(
            ["wine", str(self.exe)], env=self.prefix.env(QOR_TRACE=self.run_dir / "trace-second.txt"),
            cwd=str(self.exe.parent), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            start_new_session=True)
        seen = {}
        deadline = t0 + timeout
        while proc.poll() is None and time.monotonic() < deadline:
            if watch:
                for wid in self.screen._search("--onlyvisible", "--class", PROGRAM_CLASS):
                    if wid not in before and wid not in seen:
                        seen[wid] = self.screen.window_info(wid) or wid
                time.sleep(0.01)
            else:
                time.sleep(0.02)
        elapsed = time.monotonic() - t0
        if proc.poll() is None:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait(5)
            return elapsed, None, list(seen.values())
        return elapsed, proc.returncode, list(seen.values())

    def pids(self):
        """Linux process ids of the program's process tree (the wine launcher and its child)."""
        if not self.proc:
            return []
        children = {}
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                stat = (entry / "stat").read_text()
            except OSError:
                continue  # ended in between
            # "pid (name) state ppid ...": the name may hold blanks and parentheses.
            ppid = int(stat[stat.rindex(")") + 2:].split()[1])
            children.setdefault(ppid, []).append(int(entry.name))
        found, todo = [], [self.proc.pid]
        while todo:
            pid = todo.pop()
            found.append(pid)
            todo.extend(children.get(pid, []))
        return found

    def windows(self):
        return self.screen.windows(PROGRAM_CLASS, self.pids())

    def main_window(self):
        """The largest viewable window of the program: the ring window."""
        shown = [w for w in self.windows() if w.viewable]
        return max(shown, key=lambda w: w.rect.w * w.rect.h) if shown else None

    def wait_for_window(self, timeout=60.0, min_size=(64, 64)):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise AssertionError(
                    f"{PROGRAM_IMAGE} ended (code {self.proc.returncode}) before showing a window;"
                    f" see {self.run_dir / 'wine-output.log'}")
            w = self.main_window()
            if w and w.rect.w >= min_size[0] and w.rect.h >= min_size[1]:
                return w
            time.sleep(0.1)
        raise AssertionError(f"no window of {PROGRAM_IMAGE} within {timeout:.0f} s")

    def wait_stable(self, label="stable", timeout=10.0, interval=0.25) -> Image:
        """Screenshots until two in a row are equal (the program has stopped painting) and
        returns the last one, saved. Fails when the screen still changes after `timeout`
        seconds: a test must not go on to compare pixels of a picture in motion."""
        deadline = time.monotonic() + timeout
        last = self.screen.grab()
        while True:
            time.sleep(interval)
            shot = self.screen.grab()
            if shot.rgb == last.rgb:
                self.shots += 1
                return shot.save(self.run_dir / f"{self.shots:02d}-{label}.png")
            if time.monotonic() >= deadline:
                self.shots += 1
                count, box = shot.diff(last)
                last.save(self.run_dir / f"{self.shots:02d}-{label}-unsettled-a.png")
                shot.save(self.run_dir / f"{self.shots:02d}-{label}-unsettled-b.png")
                raise AssertionError(
                    f"the screen did not settle within {timeout:.0f} s ({label}): the last two "
                    f"pictures differ in {count} pixels within {box} (see {shot.path})")
            last = shot

    # looking ----------------------------------------------------------------------------
    def screenshot(self, label: str) -> Image:
        self.shots += 1
        return self.screen.screenshot(self.run_dir / f"{self.shots:02d}-{label}.png")

    def alive(self) -> bool:
        return self.proc is not None and self.proc.poll() is None

    def trace_lines(self):
        try:
            return self.trace_path.read_text(errors="replace").splitlines()
        except FileNotFoundError:
            return []

    def wait_trace(self, pattern: str, timeout=10.0):
        """Waits for a trace line matching the regular expression; returns the match or None."""
        rx = re.compile(pattern)
        deadline = time.monotonic() + timeout
        while True:
            for line in self.trace_lines():
                m = rx.search(line)
                if m:
                    return m
            if time.monotonic() >= deadline:
                return None
            time.sleep(0.1)

    # stopping ---------------------------------------------------------------------------
    def wait_exit(self, timeout=15.0):
        """True when the program's process has ended within `timeout` seconds."""
        if not self.proc:
            return True
        try:
            self.proc.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def taskkill(self, timeout=15.0):
        """Asks the program to close as `taskkill` without /F does (WM_CLOSE to its windows)."""
        res = self.prefix.wine("taskkill", "/IM", PROGRAM_IMAGE, timeout=60)
        return res, self.wait_exit(timeout)

    def end_session(self, *flags, timeout=30.0):
        """Ends the Wine session the way Windows does at log-off or shut-down:
        WM_QUERYENDSESSION and WM_ENDSESSION to every window (flags: "--force", "--shutdown")."""
        res = self.prefix.wine("wineboot", "--end-session", *flags, timeout=120)
        return res, self.wait_exit(timeout)

    def kill(self):
        """Makes sure nothing of this run is left: the prefix's server and the launcher."""
        if self.proc and self.proc.poll() is None:
            self.prefix.kill_server()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait(5)


# ----------------------------------------------------------------------------------------------
# Dialogs

DIALOG_EXE = BUILD_WIN / "qor_controls.exe"
TOUR_CAPTION = "QOR Desktop Getting Started"
MESSAGE_CAPTION = "QOR Desktop"  # the caption of the program's message boxes


class Dialogs:
    """The dialogs of one run, driven through their controls by the test tree's qor_controls.exe
    (tests/tools/qor_controls.cpp says how it finds them and what it sends)."""

    def __init__(self, qor: "QorApp"):
        self.qor = qor

    def run(self, *args, timeout=60):
        res = self.qor.prefix.wine(DIALOG_EXE, *args, timeout=timeout)
        assert res.returncode == 0, f"qor_controls {' '.join(map(str, args))}: {res.stdout} {res.stderr}"
        return res.stdout

    def wait(self, caption, seconds=20):
        self.run("wait", caption, int(seconds * 1000), timeout=seconds + 60)

    def gone(self, caption, seconds=20, settle=True):
        self.run("gone", caption, int(seconds * 1000), timeout=seconds + 60)
        if not settle:  # a message box: the next one may have the same caption
            return
        # Without a window manager the X window of a destroyed dialog stays on the screen for up
        # to two seconds more (Wine waits for an answer no one sends): until then the screen
        # still shows it.
        deadline = time.monotonic() + 10
        ring = self.qor.main_window()
        while any(w.viewable and w.name == caption and w.id != ring.id for w in self.qor.windows()):
            assert time.monotonic() < deadline, f"the window \"{caption}\" stays on the screen"
            time.sleep(0.1)

    def controls(self, caption):
        """{text or "class:n": {"id", "class", "text", state...}} and the window's rectangle."""
        found, seen, window = {}, {}, None
        for line in self.run("dump", caption).splitlines():
            parts = line.split("\t")
            if parts[0] == "window":
                left, top, right, bottom = map(int, parts[1].split(","))
                window = Rect(left, top, right - left, bottom - top)
                continue
            if len(parts) < 4:
                continue
            control = {"id": int(parts[0]), "class": parts[1], "text": parts[2]}
            control.update(kv.split("=", 1) for kv in parts[3].split())
            n = seen.get(parts[1], 0)
            seen[parts[1]] = n + 1
            found[f"{parts[1]}:{n}"] = control
            found.setdefault(parts[2], control)
        return found, window

    def answer(self, expected_text, button):
        """Waits for the program's message box, checks its text, presses a button ("#6" Yes)."""
        self.wait(MESSAGE_CAPTION)
        controls, _ = self.controls(MESSAGE_CAPTION)
        texts = " ".join(c["text"] for c in controls.values())
        assert expected_text in texts, f"the message box says {texts!r}"
        self.run("click", MESSAGE_CAPTION, button)
        self.gone(MESSAGE_CAPTION, settle=False)

    def choose_file(self, title, windows_path, button):
        """Types the path into the common file dialog's name box and presses its button."""
        self.wait(title)
        self.run("settext", title, "Edit:0", windows_path)  # the file name box
        self.run("click", title, button)
        self.gone(title)

    def close_tour(self):
        """A fresh install opens the "Get Started" tour at start: closed as its close box does,
        for the tests that look at the ring behind it."""
        self.wait(TOUR_CAPTION, 30)
        self.run("close", TOUR_CAPTION)
        self.gone(TOUR_CAPTION)


# A duration in a trace line: "ms=12.5" (the program's form) or "12.5 ms".
TRACE_DURATION = re.compile(r"\b(ms|us|s)=(\d+(?:\.\d+)?)|(\d+(?:\.\d+)?)\s*(ms|us|s)\b")


def durations_ms(lines):
    """(line, milliseconds) for each trace line that carries a duration."""
    scale = {"ms": 1.0, "us": 0.001, "s": 1000.0}
    found = []
    for line in lines:
        m = TRACE_DURATION.search(line)
        if m:
            unit, value = (m.group(1), m.group(2)) if m.group(1) else (m.group(4), m.group(3))
            found.append((line, float(value) * scale[unit]))
    return found
