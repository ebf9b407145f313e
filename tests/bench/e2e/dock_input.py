#!/usr/bin/env python3
"""The dock under the real pointer, under Wine on a private Xvfb screen: hover latency and the
processor time of a dock at rest. Prints figures; asserts nothing.

    python3 tests/bench/e2e/dock_input.py [--moves 300] [--idle-seconds 30] [--sizes 1366x768,1920x1080]

Hover latency: a ring of 36 shipped pictures; the pointer moves from position to position
(`--moves` times, 80 ms apart, so that every move is a new hover), once to the neighbour each
time and once seven positions on. For each mouse-move message
the program traces ("input mousemove ... queued=") the frame that answers it is the next
"present window=FrmMain" line; the latency is the time between the two trace lines (the message
handled, the ring repainted and handed to the window), and with "queued" also the time the
message waited before it was handled (GetTickCount resolution). Goal: p95 within one 60 Hz frame
(16.7 ms) at both sizes.

Processor time at rest: the dock shown, the pointer away from it (then resting on an icon), for
`--idle-seconds`; the CPU time of the program's process (all its threads, from
/proc/<pid>/task/*/schedstat) and of the prefix's wineserver, as a share of one core. Goal for
the program at rest: at most 0.2 %.

Uses the Windows build in QOR_WIN_BUILD (default build/win) and private Wine prefixes beside it
(bench-prefix-<size>, made once); X displays from QOR_DISPLAY_RANGE (default 100-199); the traces
are kept under QOR_ARTIFACTS/bench/dock_input/.
"""

from __future__ import annotations

import argparse
import math
import re
import shutil
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "e2e"))

import qorformat as fmt  # noqa: E402
import qorharness as h  # noqa: E402

RING_PI = 3.1415926
FRAME_MS = 1000 / 60
GOAL_IDLE_PERCENT = 0.2
PICTURES = [
    "My Computer.png", "RecycleEmpty.png", "All Programs Group.png", "Library.png", "WinGroup.png",
    "Internet.png", "Mailbox.png", "UserFolder.png", "DocFolder.png", "PicFolder.png",
    "MusicFolder.png", "VideoFolder.png", "FavFolder.png", "Desktop.png", "Network.png",
    "CPanel.png", "Printer.png", "Search.png", "Run.png", "Display.png", "DeviceManager.png",
    "Setting.png", "FixedDrive.png", "DVDDrive.png", "RemDrive.png", "Application.png",
    "File.png", "Folder.png", "LockWorkstation.png", "MonitorOff.png", "LogOff.png",
    "Restart.png", "Shutdown.png", "Shortcut.png", "Group.png", "Microsoft Office Group.png",
]


def percentile(values, p):
    """Nearest-rank percentile."""
    ordered = sorted(values)
    rank = max(1, -(-len(ordered) * p // 100))
    return ordered[int(rank) - 1]


def write_ring(prefix: h.WinePrefix):
    """36 shortcuts (to programs that do not exist: nothing is clicked) with shipped pictures."""
    data = prefix.common_data_dir
    shutil.rmtree(data, ignore_errors=True)
    data.mkdir(parents=True)
    sys_icons = ("Z:" + str(h.EXE).replace("/", "\\")).rsplit("\\", 1)[0] + "\\SysIcons\\"
    menu = fmt.Menu.empty()
    for slot in range(1, 37):
        target = rf"C:\windows\system32\program{slot}.exe"
        menu.items[slot] = fmt.Item(Kind=1, Category=1, IconRef=slot, Target=target, TargetPath=target,
                                    Title=f"Program {slot}", IconPath=sys_icons + PICTURES[slot - 1])
    (data / "QORCfg.cfg").write_bytes(fmt.Settings(IconCountCode=7, HideGetStarted=-1).pack())
    (data / "QORMenu.cfg").write_bytes(menu.pack())


def slot_middles(width, height):
    """The middle of each ring position's rest square at the default radius and size."""
    cx, cy = round(width / 2), round(height / 2)
    radius = min(300, cy - 80)
    points = {}
    for i in range(1, 37):
        a = (i - 1) * 10 * RING_PI / 180
        points[i] = (round(math.cos(a) * radius + cx), round(math.sin(a) * radius + cy))
    return points


def stamp(line):
    return float(line.split(" ", 1)[0])


def latencies(lines):
    """(handled-to-presented ms, queued ms) for each mouse-move message answered by a frame."""
    found, pending = [], None
    for line in lines:
        text = line.split(" ", 1)[1] if " " in line else ""
        if text.startswith("input mousemove"):
            m = re.search(r"queued=(-?\d+)", text)
            pending = (stamp(line), float(m.group(1)) if m else 0.0)
        elif text.startswith("present window=FrmMain") and pending:
            found.append((stamp(line) - pending[0], pending[1]))
            pending = None
    return found


# ---- processor time ---------------------------------------------------------------------------

def cpu_ns(pid: int) -> int:
    """CPU time of every thread of a process, in nanoseconds (0 when it is gone)."""
    total = 0
    try:
        for task in Path(f"/proc/{pid}/task").iterdir():
            try:
                total += int((task / "schedstat").read_text().split()[0])
            except (OSError, ValueError, IndexError):
                pass
    except OSError:
        pass
    return total


def process_name(pid: int) -> str:
    try:
        return Path(f"/proc/{pid}/cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
    except OSError:
        return ""


def wineserver_of(prefix: h.WinePrefix):
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit() or "wineserver" not in process_name(int(entry.name)):
            continue
        try:
            env = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if f"WINEPREFIX={prefix.path}".encode() in env:
            return int(entry.name)
    return None


def cpu_share(app: h.QorApp, seconds: float):
    """Share of one core used by the program (its launcher included) and by the prefix's
    wineserver over `seconds`."""
    pids, server = app.pids(), wineserver_of(app.prefix)
    p0, s0, t0 = sum(map(cpu_ns, pids)), cpu_ns(server) if server else 0, time.monotonic()
    time.sleep(seconds)
    p1, s1, t1 = sum(map(cpu_ns, pids)), cpu_ns(server) if server else 0, time.monotonic()
    wall_ns = (t1 - t0) * 1e9
    return 100 * (p1 - p0) / wall_ns, 100 * (s1 - s0) / wall_ns


# ---- one size ---------------------------------------------------------------------------------

def run_size(width, height, moves, idle_seconds, out: Path):
    screen = h.Screen(width, height, out).start()
    prefix = h.WinePrefix(h.BUILD_WIN / f"bench-prefix-{width}x{height}", screen)
    result = {}
    try:
        prefix.ensure()
        prefix.kill_server()
        prefix.reset_program_data()
        write_ring(prefix)
        app = h.QorApp(prefix, out / f"{width}x{height}")
        app.bare = h.Image(1, 1, b"\0\0\0")  # no screenshot needed
        screen.xdotool("mousemove", 1, 1)
        app.start()
        if not app.wait_trace(r"images pending-built", timeout=120):
            raise RuntimeError("the program did not finish its pictures")
        time.sleep(1.0)
        points = slot_middles(width, height)
        # Two passes: from each position to its neighbour (the way a pointer sweeps the ring),
        # then jumping seven positions at a time (old and new hover squares far apart).
        for step in (1, 7):
            seen = len(app.trace_lines())
            for k in range(moves):
                x, y = points[1 + (k * step) % 36]
                screen.xdotool("mousemove", x, y)
                time.sleep(0.08)
            time.sleep(0.5)
            pairs = latencies(app.trace_lines()[seen:])
            result[step] = ([a for a, _ in pairs], [a + q for a, q in pairs])
        if idle_seconds > 0:
            screen.xdotool("mousemove", 1, 1)
            time.sleep(3.0)  # the hover goes, the dwell cross-fade ends, the timers rest
            result["idle"] = cpu_share(app, idle_seconds)
            x, y = points[5]
            screen.xdotool("mousemove", x, y)
            time.sleep(3.0)
            result["hovering"] = cpu_share(app, idle_seconds)
        result["timers"] = [line.split(" ", 1)[1] for line in app.trace_lines() if " dock timer " in line][-6:]
        app.taskkill(timeout=60)
        app.kill()
    finally:
        prefix.kill_server()
        screen.stop()
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--moves", type=int, default=300)
    parser.add_argument("--idle-seconds", type=float, default=30.0)
    parser.add_argument("--sizes", default="1366x768,1920x1080")
    args = parser.parse_args()
    if not h.EXE.exists():
        sys.exit(f"{h.EXE} has not been built")
    out = h.ARTIFACTS.parent / "bench" / "dock_input"
    shutil.rmtree(out, ignore_errors=True)
    sizes = [tuple(map(int, s.split("x"))) for s in args.sizes.split(",") if s]
    for n, (width, height) in enumerate(sizes):
        # The processor time is measured once, on the first size.
        r = run_size(width, height, args.moves, args.idle_seconds if n == 0 else 0, out)
        print(f"\n{width}x{height}, 36 positions")
        for step, label in ((1, "to the neighbour"), (7, "across the ring")):
            lat, withq = r[step]
            if not lat:
                continue
            print(f"  {label} ({len(lat)} frames): move handled -> frame presented  median "
                  f"{statistics.median(lat):6.2f} ms  p95 {percentile(lat, 95):6.2f} ms  (goal p95 <= "
                  f"{FRAME_MS:.1f} ms: {'met' if percentile(lat, 95) <= FRAME_MS else 'MISSED'}); "
                  f"with the wait in the queue median {statistics.median(withq):6.2f} ms  "
                  f"p95 {percentile(withq, 95):6.2f} ms")
        if "idle" in r:
            prog, server = r["idle"]
            print(f"  at rest ({args.idle_seconds:.0f} s): program {prog:.3f} % of one core, "
                  f"wineserver {server:.3f} %   (goal program <= {GOAL_IDLE_PERCENT} %: "
                  f"{'met' if prog <= GOAL_IDLE_PERCENT else 'MISSED'})")
            prog, server = r["hovering"]
            print(f"  pointer resting on an icon:  program {prog:.3f} % of one core, wineserver {server:.3f} %")
        print("  last timer changes: " + "; ".join(r["timers"]))
    print(f"\ntraces: {out}")


if __name__ == "__main__":
    main()
