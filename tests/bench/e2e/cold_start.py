#!/usr/bin/env python3
"""Cold start of QORDesktop.exe with a full store: time to the first presented frame and the
process's memory, under Wine on a private Xvfb screen. Prints figures; asserts nothing.

    python3 tests/bench/e2e/cold_start.py [--runs 7] [--members 896] [--icon-side 256]

Uses the Windows build in QOR_WIN_BUILD (default build/win) and a private Wine prefix beside it
(bench-prefix-1366x768, made once); X displays come from QOR_DISPLAY_RANGE (default 100-199);
the traces of the runs are kept under QOR_ARTIFACTS/bench/cold_start/.

The store: the settings ask for 36 ring positions; every free ring position (4..36) holds a
program shortcut and the All Programs group (position 3) holds a member in every pool item
(129..1024: 896 members, the most the item file can hold), each with a generated picture in
QorIcons\\ (PNG files of --icon-side pixels made with ImageMagick, the size icons extracted
from today's programs have). Each run starts the program with the trace on, waits for its first
frame and ends it the way Windows asks a program to close.

The figures come from the program's trace: "first-frame ms=" (from the start of Main to the
first UpdateLayeredWindow), "memory private-bytes=... when=trim" (after the working-set trim
that ends start-up), "when=first-frame", "when=images-built" (once the pictures of the pop-up
panels, built after the first frame, are all made) and the "phase" lines, whose medians show where the
time goes. Goals: first frame under 500 ms, private memory under 40 MB.
"""

from __future__ import annotations

import argparse
import re
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "e2e"))

import qorformat as fmt  # noqa: E402
import qorharness as h  # noqa: E402

SIZE = (1366, 768)
GOAL_FRAME_MS = 500.0
GOAL_PRIVATE_MB = 40.0
FIRST_POOL_ITEM, LAST_ITEM = 129, 1024
ALL_PROGRAMS, FIRST_SHORTCUT_SLOT, LAST_SLOT = 3, 4, 36
DISTINCT_PICTURES = 16  # different pictures, copied round-robin (decoding cost is per file)


def percentile(values, p):
    """Nearest-rank percentile."""
    ordered = sorted(values)
    rank = max(1, -(-len(ordered) * p // 100))
    return ordered[int(rank) - 1]


def make_pictures(folder: Path, count: int, side: int):
    """`count` PNG files 0.png..count-1.png with an alpha channel, DISTINCT_PICTURES of them
    different, made by ImageMagick."""
    folder.mkdir(parents=True, exist_ok=True)
    bases = []
    for n in range(min(DISTINCT_PICTURES, count)):
        base = folder / f"base-{n}.png"
        hue = n * 360 // DISTINCT_PICTURES
        subprocess.run(
            ["convert", "-size", f"{side}x{side}", "xc:none",
             "-fill", f"hsl({hue},70%,50%)", "-draw",
             f"roundrectangle {side // 16},{side // 16} {side - side // 16},{side - side // 16} "
             f"{side // 6},{side // 6}",
             "-fill", "white", "-draw", f"circle {side // 2},{side // 2} {side // 2},{side // 4 + n}",
             f"PNG32:{base}"], check=True)
        bases.append(base.read_bytes())
        base.unlink()
    for n in range(count):
        (folder / f"{n}.png").write_bytes(bases[n % len(bases)])


def write_store(prefix: h.WinePrefix, members: int, icon_side: int, exe_windows: str):
    """QORCfg.cfg for 36 positions and a QORMenu.cfg with every ring position and the All
    Programs group filled, with the pictures they name."""
    data = prefix.common_data_dir
    shutil.rmtree(data, ignore_errors=True)
    icons = data / "QorIcons"
    shortcuts = list(range(FIRST_SHORTCUT_SLOT, LAST_SLOT + 1))
    make_pictures(icons, len(shortcuts) + members, icon_side)
    win_icons = r"C:\Program Files\Common Files\QORSoft\QOR Desktop\QorIcons" + "\\"
    sys_icons = exe_windows.rsplit("\\", 1)[0] + "\\SysIcons\\"

    settings = fmt.Settings(IconCountCode=7, HideGetStarted=-1, AutoRun=0)
    menu = fmt.Menu.empty()
    items = menu.items
    picture = 0
    for slot in range(1, LAST_SLOT + 1):
        items[slot] = fmt.Item(Kind=2, IconRef=slot, Title="Blank Shortcut",
                               IconPath=sys_icons + "Shortcut.png")
    items[ALL_PROGRAMS] = fmt.Item(Kind=6, IconRef=ALL_PROGRAMS, Title="All Programs Group",
                                   IconPath=sys_icons + "All Programs Group.png")
    for slot in shortcuts:
        target = rf"C:\windows\system32\program{slot}.exe"
        items[slot] = fmt.Item(Kind=1, Category=1, IconRef=slot, Target=target,
                               Title=f"Program {slot}", IconPath=f"{win_icons}{picture}.png",
                               TargetPath=target)
        picture += 1
    member_items = list(range(FIRST_POOL_ITEM, FIRST_POOL_ITEM + members))
    for index in member_items:
        target = rf"C:\users\Public\Desktop\Document {index}.txt"
        items[index] = fmt.Item(Kind=5, Category=2, IconRef=index, Target=target,
                                Title=f"Document {index}.txt",
                                IconPath=f"{win_icons}{picture}.png", TargetPath=target)
        picture += 1
    menu.groups[ALL_PROGRAMS].members = member_items
    (data / "QORCfg.cfg").write_bytes(settings.pack())
    (data / "QORMenu.cfg").write_bytes(menu.pack())
    return picture


def one_run(prefix: h.WinePrefix, run_dir: Path):
    app = h.QorApp(prefix, run_dir)
    app.bare = h.Image(1, 1, b"\0\0\0")  # no screenshot needed
    t0 = time.monotonic()
    try:
        app.start(wait=False)
        frame = app.wait_trace(r"first-frame ms=([\d.]+)", timeout=120)
        wall = time.monotonic() - t0
        if not frame:
            raise RuntimeError("no first frame within 120 s:\n" + "\n".join(app.trace_lines()))
        app.wait_trace(r"memory .*when=first-frame", timeout=10)
        # The pop-up pictures are built after the first frame; their end is traced too.
        app.wait_trace(r"memory .*when=images-built", timeout=120)
        lines = app.trace_lines()
        res, ended = app.taskkill(timeout=60)
        if not ended:
            print("  (the program did not end after taskkill; the prefix is stopped)")
    finally:
        app.kill()
    return float(frame.group(1)), wall * 1000.0, lines


def memory(lines, when):
    """(private bytes, working set) of a "memory" trace line. The private figure is the
    system's PrivateUsage, or where that is zero (Wine does not fill it in) the committed
    private memory the program summed over its address space."""
    for line in lines:
        m = re.search(r"memory private-bytes=(\d+) committed-private=(\d+) working-set=(\d+) "
                      r"when=" + when, line)
        if m:
            private = int(m.group(1)) or int(m.group(2))
            return private, int(m.group(3))
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--members", type=int, default=LAST_ITEM - FIRST_POOL_ITEM + 1,
                        help="members of the All Programs group (at most 896)")
    parser.add_argument("--icon-side", type=int, default=256)
    args = parser.parse_args()
    args.members = max(0, min(args.members, LAST_ITEM - FIRST_POOL_ITEM + 1))
    if not h.EXE.exists():
        sys.exit(f"{h.EXE} has not been built")

    out = h.ARTIFACTS.parent / "bench" / "cold_start"
    shutil.rmtree(out, ignore_errors=True)
    screen = h.Screen(*SIZE, out).start()
    prefix = h.WinePrefix(h.BUILD_WIN / f"bench-prefix-{SIZE[0]}x{SIZE[1]}", screen)
    try:
        prefix.ensure()
        prefix.kill_server()
        prefix.reset_program_data()
        exe_windows = "Z:" + str(h.EXE).replace("/", "\\")
        pictures = write_store(prefix, args.members, args.icon_side, exe_windows)
        print(f"store: 36 positions, {LAST_SLOT - FIRST_SHORTCUT_SLOT + 1} shortcuts, "
              f"All Programs with {args.members} members, {pictures} pictures of "
              f"{args.icon_side}x{args.icon_side} in QorIcons")
        # One start that is not counted: Wine loads its own files into the page cache.
        one_run(prefix, out / "warm-up")
        frames, walls, trims, firsts, builts, phases = [], [], [], [], [], {}
        all_built = []
        for n in range(args.runs):
            frame, wall, lines = one_run(prefix, out / f"run-{n + 1}")
            frames.append(frame)
            walls.append(wall)
            trims.append(memory(lines, "trim"))
            firsts.append(memory(lines, "first-frame"))
            builts.append(memory(lines, "images-built"))
            for line in lines:
                m = re.search(r"images pending-built=(\d+) ms=([\d.]+)", line)
                if m:
                    all_built.append(float(m.group(2)))
            for line in lines:
                m = re.search(r"phase (\w+) ms=([\d.]+)", line)
                if m:
                    phases.setdefault(m.group(1), []).append(float(m.group(2)))
            print(f"run {n + 1}: first frame {frame:8.1f} ms (wall {wall:8.1f} ms)")
    finally:
        prefix.kill_server()
        screen.stop()

    def mb(values, pick):
        got = [v[pick] / 2**20 for v in values if v]
        return (statistics.median(got), percentile(got, 95)) if got else (float("nan"),) * 2

    print()
    print(f"first frame      median {statistics.median(frames):8.1f} ms   "
          f"p95 {percentile(frames, 95):8.1f} ms   (goal < {GOAL_FRAME_MS:.0f} ms)")
    print(f"launch to frame  median {statistics.median(walls):8.1f} ms   "
          f"p95 {percentile(walls, 95):8.1f} ms   (includes Wine's process start)")
    if all_built:
        print(f"every picture    median {statistics.median(all_built):8.1f} ms   "
              f"p95 {percentile(all_built, 95):8.1f} ms   (pop-up pictures built after the first frame)")
    for label, values in (("after trim", trims), ("at first frame", firsts),
                          ("all pictures", builts)):
        pm, pp = mb(values, 0)
        wm, wp = mb(values, 1)
        print(f"private {label:15s} median {pm:7.1f} MB  p95 {pp:7.1f} MB   "
              f"(goal < {GOAL_PRIVATE_MB:.0f} MB); working set median {wm:7.1f} MB")
    print("\nstart-up phases (median ms):")
    for name, values in sorted(phases.items(), key=lambda kv: -statistics.median(kv[1])):
        if statistics.median(values) >= 0.5:
            print(f"  {name:22s} {statistics.median(values):9.1f}")
    verdict = []
    verdict.append("first frame goal " +
                   ("met" if statistics.median(frames) < GOAL_FRAME_MS else "MISSED"))
    pm, _ = mb(trims, 0)
    verdict.append("memory goal " + ("met" if pm < GOAL_PRIVATE_MB else "MISSED"))
    print("\n" + "; ".join(verdict))
    print(f"traces: {out}")


if __name__ == "__main__":
    main()
