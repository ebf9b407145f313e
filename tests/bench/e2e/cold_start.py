#!/usr/bin/env python3
"""Cold start of QORDesktop.exe with a full store: time to the first presented frame and the
process's memory, under Wine on a private Xvfb screen. Prints figures; asserts nothing.

    python3 tests/bench/e2e/cold_start.py [--runs 7] [--members 896] [--icon-side 256]
                                          [--compare OTHER/QORDesktop.exe] [--without-copies]

Uses the Windows build in QOR_WIN_BUILD (default build/win) and a private Wine prefix beside it
(bench-prefix-1366x768, made once); X displays come from QOR_DISPLAY_RANGE (default 100-199);
the traces of the runs are kept under QOR_ARTIFACTS/bench/cold_start/. With --compare, a second
build (a copy of another version's QORDesktop.exe with its SysIcons folder beside it) is started
in turn with this one on the same store, so that both meet the same load of a shared machine;
the figures are printed for each.

The store: the settings ask for 36 ring positions; every free ring position (4..36) holds a
program shortcut and the All Programs group (position 3) holds a member in every pool item
(129..1024: 896 members, the most the item file can hold), each with a generated picture in
QorIcons\\ (PNG files of --icon-side pixels made with ImageMagick, the size icons extracted
from today's programs have). Each run starts the program with the trace on, waits for its first
frame and ends it the way Windows asks a program to close. One uncounted start of each build
comes first: Wine loads its files into the page cache, and the program writes the pre-scaled
copies of the pictures that later starts read (--without-copies deletes them before every run,
to time the start that writes them).

The figures come from the program's trace: "first-frame ms=" (from the start of Main to the
first UpdateLayeredWindow), "memory private-bytes=... when=trim" (after the working-set trim
that ends start-up), "when=first-frame", "when=images-built" (once the pictures built after the
first frame -- the ring's pictures at their own size and those of the pop-up panels -- are all
made) and the "phase" and "step" lines, whose medians show where the time goes (the steps
SkinPictures, CentrePicture and ItemPictures are the parts of the phase LoadSkinImages). Goals: first frame at most
200 ms, private memory after the trim at most 25 MB.
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
GOAL_FRAME_MS = 200.0
GOAL_PRIVATE_MB = 25.0
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


def one_run(prefix: h.WinePrefix, run_dir: Path, exe: Path, without_copies=False):
    if without_copies:
        for copy in (prefix.common_data_dir / "QorIcons").glob("*.scaled"):
            copy.unlink()
    app = h.QorApp(prefix, run_dir, exe)
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


class Figures:
    """What the runs of one build gave."""

    def __init__(self, exe: Path):
        self.exe = exe
        self.frames, self.walls, self.all_built = [], [], []
        self.memory = {"trim": [], "first-frame": [], "images-built": []}
        self.phases: dict[str, list[float]] = {}

    def add(self, frame, wall, lines):
        self.frames.append(frame)
        self.walls.append(wall)
        for when, values in self.memory.items():
            values.append(memory(lines, when))
        for line in lines:
            m = re.search(r"images pending-built=(\d+) ms=([\d.]+)", line)
            if m:
                self.all_built.append(float(m.group(2)))
            m = re.search(r"\b(?:phase|step) (\w+) ms=([\d.]+)", line)
            if m:
                self.phases.setdefault(m.group(1), []).append(float(m.group(2)))

    def report(self):
        def mb(values, pick):
            got = [v[pick] / 2**20 for v in values if v]
            return (statistics.median(got), percentile(got, 90)) if got else (float("nan"),) * 2

        print(f"\n{self.exe} ({len(self.frames)} runs):")
        print(f"first frame      median {statistics.median(self.frames):8.1f} ms   "
              f"p90 {percentile(self.frames, 90):8.1f} ms   (goal <= {GOAL_FRAME_MS:.0f} ms)")
        print(f"launch to frame  median {statistics.median(self.walls):8.1f} ms   "
              f"p90 {percentile(self.walls, 90):8.1f} ms   (includes Wine's process start)")
        if self.all_built:
            print(f"every picture    median {statistics.median(self.all_built):8.1f} ms   "
                  f"p90 {percentile(self.all_built, 90):8.1f} ms   "
                  f"(pop-up pictures built after the first frame)")
        for label, when in (("after trim", "trim"), ("at first frame", "first-frame"),
                            ("all pictures", "images-built")):
            pm, pp = mb(self.memory[when], 0)
            wm, _ = mb(self.memory[when], 1)
            print(f"private {label:15s} median {pm:7.1f} MB  p90 {pp:7.1f} MB   "
                  f"(goal <= {GOAL_PRIVATE_MB:.0f} MB); working set median {wm:7.1f} MB")
        print("start-up phases (median ms):")
        for name, values in sorted(self.phases.items(), key=lambda kv: -statistics.median(kv[1])):
            if statistics.median(values) >= 0.5:
                print(f"  {name:22s} {statistics.median(values):9.1f}")
        verdict = ["first frame goal " +
                   ("met" if statistics.median(self.frames) <= GOAL_FRAME_MS else "MISSED")]
        pm, _ = mb(self.memory["trim"], 0)
        verdict.append("memory goal " + ("met" if pm <= GOAL_PRIVATE_MB else "MISSED"))
        print("; ".join(verdict))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--members", type=int, default=LAST_ITEM - FIRST_POOL_ITEM + 1,
                        help="members of the All Programs group (at most 896)")
    parser.add_argument("--icon-side", type=int, default=256)
    parser.add_argument("--compare", type=Path, metavar="EXE",
                        help="another build of QORDesktop.exe (with its SysIcons folder beside "
                             "it), started in turn with this one on the same store")
    parser.add_argument("--without-copies", action="store_true",
                        help="delete the pre-scaled copies of the pictures before every run: "
                             "the start that writes them")
    args = parser.parse_args()
    args.members = max(0, min(args.members, LAST_ITEM - FIRST_POOL_ITEM + 1))
    exes = [h.EXE] + ([args.compare.resolve()] if args.compare else [])
    for exe in exes:
        if not exe.exists():
            sys.exit(f"{exe} has not been built")

    out = h.ARTIFACTS.parent / "bench" / "cold_start"
    shutil.rmtree(out, ignore_errors=True)
    screen = h.Screen(*SIZE, out).start()
    prefix = h.WinePrefix(h.BUILD_WIN / f"bench-prefix-{SIZE[0]}x{SIZE[1]}", screen)
    figures = [Figures(exe) for exe in exes]
    try:
        prefix.ensure()
        prefix.kill_server()
        prefix.reset_program_data()
        exe_windows = "Z:" + str(h.EXE).replace("/", "\\")
        pictures = write_store(prefix, args.members, args.icon_side, exe_windows)
        print(f"store: 36 positions, {LAST_SLOT - FIRST_SHORTCUT_SLOT + 1} shortcuts, "
              f"All Programs with {args.members} members, {pictures} pictures of "
              f"{args.icon_side}x{args.icon_side} in QorIcons")
        # One start of each build that is not counted: Wine loads its own files into the page
        # cache, and a build may keep files of its own beside the pictures.
        for k, exe in enumerate(exes):
            one_run(prefix, out / f"warm-up-{k + 1}", exe)
        for n in range(args.runs):
            # Interleaved, the first build alternating, so that a change of the machine's load
            # during the session falls on every build alike.
            order = list(range(len(exes)))
            if n % 2:
                order.reverse()
            for k in order:
                frame, wall, lines = one_run(prefix, out / f"run-{n + 1}-{k + 1}", exes[k],
                                             args.without_copies)
                figures[k].add(frame, wall, lines)
                print(f"run {n + 1} build {k + 1}: first frame {frame:8.1f} ms "
                      f"(wall {wall:8.1f} ms)")
    finally:
        prefix.kill_server()
        screen.stop()

    for f in figures:
        f.report()
    print(f"\ntraces: {out}")


if __name__ == "__main__":
    main()
