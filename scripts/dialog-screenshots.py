#!/usr/bin/env python3
"""Takes the README's pictures of the dialogs: the settings window (both pages), the "Get Started"
tour and the about window, at 1366x768, each cut out of the screen along its window's edges.

    QOR_DISPLAY_RANGE=<first-last> python3 scripts/dialog-screenshots.py [output folder]

It runs build/win/QORDesktop.exe on a private Xvfb screen in a prefix of its own
(build/win/shots-prefix-1366x768) that is set up like a current Windows desktop: the Light theme
that comes with Wine, white title bars drawn by Wine itself (no window manager runs on Xvfb), and
the Tahoma and Marlett fonts Wine ships (the dialog font and the caption buttons). The program's
data is removed first, so it starts as on a fresh install. The pictures go to docs/ by default.
"""

from __future__ import annotations

import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

import qorharness as h  # noqa: E402

DIALOG_EXE = h.BUILD_WIN / "qor_controls.exe"
WINE_FONTS = Path("/usr/share/wine/fonts")

THEME = {
    r"HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager": {
        "ThemeActive": "1",
        "DllName": r"C:\windows\resources\themes\light\light.msstyles",
        "ColorName": "Blue",
        "SizeName": "NormalSize",
    },
    # Title bars as current Windows draws them: white, dark text.
    r"HKCU\Control Panel\Colors": {
        "ActiveTitle": "255 255 255", "GradientActiveTitle": "255 255 255", "TitleText": "20 20 20",
        "InactiveTitle": "255 255 255", "GradientInactiveTitle": "255 255 255",
        "InactiveTitleText": "120 120 120", "ActiveBorder": "200 200 200", "InactiveBorder": "220 220 220",
    },
    r"HKCU\Software\Wine\X11 Driver": {"Decorated": "N"},
    # The fonts copied into the Fonts folder below, registered as an installer registers them.
    r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts": {
        "Tahoma (TrueType)": "tahoma.ttf", "Tahoma Bold (TrueType)": "tahomabd.ttf", "Marlett (TrueType)": "marlett.ttf",
    },
}


def prepare(prefix: h.WinePrefix):
    for key, values in THEME.items():
        for name, data in values.items():
            prefix.reg_add(key, name, data)
    prefix.reg_add(r"HKCU\Control Panel\Desktop", "LogPixels", "96", "REG_DWORD")  # 100 %
    fonts = prefix.drive_c / "windows" / "Fonts"
    for name in ("tahoma.ttf", "tahomabd.ttf", "marlett.ttf"):
        if (WINE_FONTS / name).exists():
            shutil.copy(WINE_FONTS / name, fonts / name)
    prefix.kill_server()


class Shots:
    def __init__(self, app: h.QorApp, out: Path):
        self.app, self.out = app, out

    def tool(self, *args):
        res = self.app.prefix.wine(DIALOG_EXE, *args, timeout=90)
        if res.returncode != 0:
            raise RuntimeError(f"qor_controls {args}: {res.stdout} {res.stderr}")
        return res.stdout

    def window(self, caption) -> h.Rect:
        line = next(l for l in self.tool("dump", caption).splitlines() if l.startswith("window\t"))
        left, top, right, bottom = map(int, line.split("\t")[1].split(","))
        return h.Rect(left, top, right - left, bottom - top)

    def take(self, caption, name):
        self.tool("wait", caption, 20000)
        time.sleep(1.0)
        r = self.window(caption)
        shot = self.app.wait_stable(name)
        crop = b"".join(shot.row(y)[r.x * 3:r.right * 3] for y in range(r.y, r.bottom))
        # Without time stamps: taking the pictures again changes no file when nothing changed.
        subprocess.run(["convert", "-size", f"{r.w}x{r.h}", "-depth", "8", "rgb:-", "-strip", "-define",
                        "png:exclude-chunks=date,time,tIME", f"PNG24:{self.out / name}.png"],
                       input=crop, check=True)
        print(f"{self.out / (name + '.png')}: {r.w}x{r.h}")


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else h.REPO / "docs"
    out.mkdir(parents=True, exist_ok=True)
    screen = h.Screen(1366, 768, h.ARTIFACTS / "screens").start()
    prefix = h.WinePrefix(h.BUILD_WIN / "shots-prefix-1366x768", screen).ensure()
    app = h.QorApp(prefix, h.ARTIFACTS / "dialog-screenshots")
    try:
        prepare(prefix)
        prefix.reset_program_data()
        screen.move(1, 1)
        app.start()
        shots = Shots(app, out)
        shots.tool("wait", "QOR Desktop Getting Started", 30000)
        shots.tool("click", "QOR Desktop Getting Started", "Next >>")
        shots.take("QOR Desktop Getting Started", "tour")
        shots.tool("close", "QOR Desktop Getting Started")
        shots.tool("gone", "QOR Desktop Getting Started", 10000)

        # The settings window from the notification icon's menu.
        tray = next(w for w in (screen.window_info(i) for i in screen._search("--name", "Wine System Tray"))
                    if w and w.viewable)
        screen.xdotool("windowfocus", app.main_window().id)
        screen.click(tray.rect.x + tray.rect.h // 2, tray.rect.y + tray.rect.h // 2, 3)
        if not app.wait_trace(r"menu show name=tray"):
            raise RuntimeError("the tray menu did not open")
        time.sleep(0.5)
        screen.key("s")
        shots.take("QOR Desktop - Settings", "settings-general")
        shots.tool("tab", "QOR Desktop - Settings", "1")
        shots.take("QOR Desktop - Settings", "settings-appearance")
        shots.tool("click", "QOR Desktop - Settings", "&About QOR Desktop")
        shots.take("About QOR Desktop", "about")
        shots.tool("click", "About QOR Desktop", "&OK")
        shots.tool("click", "QOR Desktop - Settings", "&OK")
        return 0
    finally:
        app.kill()
        prefix.kill_server()
        screen.stop()


if __name__ == "__main__":
    sys.exit(main())
