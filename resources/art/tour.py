"""The five pictures of the "Get Started" tour (tour_1.svg .. tour_5.svg, 960 x 540).

Each picture is a Windows desktop of 1366 x 768 pixels with a taskbar, on which the ring is laid
out exactly as the program lays it out there: the work area's centre, the default radius (the
least of 300 and half the work area's height less 80), 24 positions of 48 pixels, the hovered one
at 64 in its highlight square, the 128-pixel centre in its "BORDER" frame, the letters of the
keyboard mode at their anchor distance. The pictures on it are the program's own: the SysIcons
drawings and the skin elements, referenced from this folder, so the tour always shows the ring
as it is drawn. A page shows all of the desktop or the part its subject is in.
"""
import math

from generate import f, rect

W, H = 1366, 768
TASKBAR = 40
CX, CY = W / 2, (H - TASKBAR) / 2
RADIUS = min(300, CY - 80)
COUNT = 24
REST, HOVER, CENTRE, FRAME = 48, 64, 128, 152
FONT = 'font-family="Segoe UI, DejaVu Sans, Verdana, sans-serif"'
OUT_W, OUT_H = 960, 540

# The ring of the pictures: a dock a user has filled (position: SysIcons picture, title).
RING = {
    1: ("My Computer", "My Computer"), 2: ("RecycleEmpty", "Recycle Bin"),
    3: ("All Programs Group", "All Programs"), 4: ("Library", "Library"),
    5: ("Search", "Search"), 6: ("Microsoft Office Group", "Office"),
    7: ("Application", "Editor"), 8: ("Mailbox", "Mail"), 9: ("DocFolder", "Documents"),
    10: ("PicFolder", "Pictures"), 11: ("MusicFolder", "Music"), 12: ("VideoFolder", "Videos"),
    13: ("WinGroup", "Accessories"), 14: ("Printer", "Printers"), 15: ("CPanel", "Control Panel"),
    16: ("Network", "Network"), 17: ("Display", "Display"), 18: ("Run", "Run"),
    19: ("FavFolder", "Favorites"), 20: ("Internet", "Internet"), 21: ("Shortcut", ""),
    22: ("Folder", "Projects"), 23: ("Shortcut", ""), 24: ("UserFolder", "Alex"),
}
# The Accessories group as its pop-up panel lists it.
ACCESSORIES = [
    ("Application", "Notepad"), ("Personal", "Paint"), ("Run", "Command Prompt"),
    ("DeviceManager", "Task Manager"), ("Search", "Magnifier"), ("Display", "Remote Desktop"),
    ("File", "WordPad"), ("CPanel", "System Configuration"),
]


def position(i, radius=RADIUS):
    a = (i - 1) * (360 / COUNT) * math.pi / 180
    return CX + math.cos(a) * radius, CY + math.sin(a) * radius


def image(name, x, y, side, extra=""):
    return f'<image href="{name}.svg" x="{f(x)}" y="{f(y)}" width="{f(side)}" height="{f(side)}" {extra}/>'


def sys_icon(name, x, y, side, extra=""):
    return image("sys_" + name, x, y, side, extra)


def text(x, y, s, size, fill="#fff", anchor="start", weight="normal", extra=""):
    s = s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    return (f'<text x="{f(x)}" y="{f(y)}" {FONT} font-size="{f(size)}" font-weight="{weight}" '
            f'fill="{fill}" text-anchor="{anchor}" {extra}>{s}</text>')


def outlined(x, y, s, size=17):
    """A caption as the ring writes it: white, bold, outlined in near-black."""
    return (text(x, y, s, size, "#10151F", "middle", "bold",
                 'stroke="#10151F" stroke-width="3.2" stroke-linejoin="round"')
            + text(x, y, s, size, "#fff", "middle", "bold"))


DEFS = """
<linearGradient id="sky" x1="0" y1="0" x2="0.35" y2="1">
  <stop offset="0" stop-color="#0E2346"/><stop offset="0.55" stop-color="#23508A"/><stop offset="1" stop-color="#5C8FC2"/>
</linearGradient>
<radialGradient id="blobA" cx="0.5" cy="0.5" r="0.5">
  <stop offset="0" stop-color="#3DD6C6" stop-opacity="0.55"/><stop offset="1" stop-color="#3DD6C6" stop-opacity="0"/>
</radialGradient>
<radialGradient id="blobB" cx="0.5" cy="0.5" r="0.5">
  <stop offset="0" stop-color="#8E6BFF" stop-opacity="0.5"/><stop offset="1" stop-color="#8E6BFF" stop-opacity="0"/>
</radialGradient>
<linearGradient id="bar" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#1C2535" stop-opacity="0.94"/><stop offset="1" stop-color="#121824" stop-opacity="0.97"/>
</linearGradient>
<filter id="shadow" x="-20%" y="-20%" width="140%" height="150%">
  <feGaussianBlur in="SourceAlpha" stdDeviation="7"/><feOffset dx="0" dy="5" result="sb"/><feFlood flood-color="#000" flood-opacity="0.35"/><feComposite in2="sb" operator="in"/><feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge>
</filter>
<filter id="soft" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="2"/></filter>
"""


def wallpaper():
    return (rect(0, 0, W, H, 0, "url(#sky)")
            + f'<ellipse cx="1080" cy="170" rx="520" ry="330" fill="url(#blobA)"/>'
            + f'<ellipse cx="240" cy="620" rx="560" ry="360" fill="url(#blobB)"/>'
            + '<path d="M0 560 C 300 470 620 650 900 560 S 1250 420 1366 470 V768 H0 Z" fill="#0A1A33" fill-opacity="0.28"/>'
            + '<path d="M0 640 C 360 560 700 720 1040 620 S 1300 560 1366 590 V768 H0 Z" fill="#0A1A33" fill-opacity="0.3"/>')


def taskbar(tray_lit=False):
    y = H - TASKBAR
    out = rect(0, y, W, TASKBAR, 0, "url(#bar)") + rect(0, y, W, 1, 0, "#fff", 'fill-opacity="0.12"')
    # The start button and a few pinned programs.
    sx, sy = 14, y + 11
    for dx, dy in ((0, 0), (10, 0), (0, 10), (10, 10)):
        out += rect(sx + dx, sy + dy, 8.5, 8.5, 1, "#7FB4FF")
    for k, name in enumerate(("Folder", "Internet", "Mailbox", "Application")):
        out += sys_icon(name, 58 + k * 44, y + 6, 28)
    out += rect(58 + 1 * 44 + 4, y + 37, 20, 2, 1, "#7FB4FF")
    # The notification area: the program's icon, network, volume, the clock.
    tx = W - 190
    if tray_lit:
        out += rect(tx - 6, y + 4, 32, 32, 4, "#fff", 'fill-opacity="0.16"')
    out += image("app_small", tx, y + 10, 20)
    out += ('<path d="M{0} {1} a14 14 0 0 1 20 0 M{2} {3} a9 9 0 0 1 12 0" fill="none" stroke="#E8EEF8" '
            'stroke-width="2" stroke-linecap="round"/>').format(tx + 36, y + 20, tx + 40, y + 25)
    out += f'<circle cx="{tx + 46}" cy="{y + 29}" r="2" fill="#E8EEF8"/>'
    out += (f'<path d="M{tx + 70} {y + 16} h4 l6 -5 v18 l-6 -5 h-4 z" fill="#E8EEF8"/>'
            f'<path d="M{tx + 84} {y + 15} a7 7 0 0 1 0 10" fill="none" stroke="#E8EEF8" stroke-width="2" '
            'stroke-linecap="round"/>')
    out += text(W - 52, y + 17, "10:24", 12, "#F2F5FA", "middle")
    out += text(W - 52, y + 32, "14/05/2024", 11, "#C9D3E2", "middle")
    return out


def pointer(x, y, s=1.0):
    pts = [(0, 0), (0, 17), (4.2, 13.2), (7, 19.5), (9.6, 18.4), (6.9, 12.3), (12.3, 12.3)]
    d = "M" + " L".join(f"{f(x + px * s * 1.25)} {f(y + py * s * 1.25)}" for px, py in pts) + " Z"
    return f'<path d="{d}" fill="#fff" stroke="#000" stroke-width="1.2" stroke-linejoin="round"/>'


def ring(hover=None, letters=False, skip=(), centre_image=None, caption="Alex"):
    """The ring as the dock paints it: rest squares, the hovered square, the centre and caption."""
    out = ""
    for i in range(1, COUNT + 1):
        if i == hover or i in skip:
            continue
        x, y = position(i)
        out += image("skin_BACKSELECTCOLOR", x - REST / 2, y - REST / 2, REST)
        out += sys_icon(RING[i][0], x - REST / 2, y - REST / 2, REST)
    if hover:
        x, y = position(hover)
        out += image("skin_BACKSELECTCOLOR", x - HOVER / 2, y - HOVER / 2, HOVER)
        out += sys_icon(RING[hover][0], x - HOVER / 2, y - HOVER / 2, HOVER)
    if letters:
        # Letter anchors: the radius plus the hover square's half diagonal plus 3.
        reach = RADIUS + HOVER * math.sqrt(2) / 2 + 3
        for i in range(1, COUNT + 1):
            x, y = position(i, reach)
            out += outlined(x, y + 6, str(i - 1) if i <= 10 else chr(i + 54), 17)
        out += outlined(CX, CY - FRAME / 2 - 8, "~", 17)
    if centre_image:
        out += sys_icon(centre_image, CX - CENTRE / 2, CY - CENTRE / 2, CENTRE)
    else:
        out += image("app_large", CX - CENTRE / 2, CY - CENTRE / 2, CENTRE)
        out += image("skin_BORDER", CX - FRAME / 2, CY - FRAME / 2, FRAME)
    out += outlined(CX, CY + FRAME / 2 + 26, caption)
    return out


def menu(x, y, entries, lit=None, width=200):
    """A context menu in the light style of current Windows."""
    rows = [e for e in entries]
    height = 8 + sum(9 if e == "-" else 30 for e in rows)
    out = f'<g filter="url(#shadow)">' + rect(x, y, width, height, 6, "#F9F9FB", 'stroke="#D5D9E0"') + "</g>"
    yy = y + 4
    for e in rows:
        if e == "-":
            out += rect(x + 10, yy + 4, width - 20, 1, 0, "#DADDE3")
            yy += 9
            continue
        if e == lit:
            out += rect(x + 4, yy + 1, width - 8, 28, 4, "#DCE9FB")
        out += text(x + 34, yy + 20, e, 14, "#1B1F27")
        yy += 30
    return out


def keycap(x, y, label, width=None):
    w = width or 20 + 10 * len(label)
    out = f'<g filter="url(#shadow)">' + rect(x, y, w, 46, 9, "#F4F6FA", 'stroke="#B7C0CF" stroke-width="1.5"') + "</g>"
    out += rect(x + 3, y + 37, w - 6, 6, 4, "#D9DFE8")
    return out + text(x + w / 2, y + 29, label, 18, "#1E2633", "middle", "bold"), w


def keys(x, y, names):
    out = ""
    for k, name in enumerate(names):
        if k:
            out += text(x + 10, y + 31, "+", 22, "#fff", "middle", "bold")
            x += 22
        cap, w = keycap(x, y, name)
        out += cap
        x += w + 2
    return out


def page(view, body):
    vx, vy, vw, vh = view
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            "<!-- Generated by resources/art/tour.py; edit that script, not this file. -->\n"
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{OUT_W}" height="{OUT_H}" '
            f'viewBox="{f(vx)} {f(vy)} {f(vw)} {f(vh)}">\n<defs>{DEFS}</defs>\n{body}\n</svg>\n')


def view_around(x, y, width):
    """A 16:9 part of the desktop of `width` pixels centred on (x, y), kept on the desktop."""
    height = width * OUT_H / OUT_W
    left = min(max(x - width / 2, 0), W - width)
    top = min(max(y - height / 2, 0), H - height)
    return left, top, width, height


def tour_ring():
    # Resting on "Internet": its square is enlarged, its title and picture take the centre.
    hover = 20
    x, y = position(hover)
    body = wallpaper() + taskbar() + ring(hover, centre_image=RING[hover][0], caption=RING[hover][1])
    body += pointer(x + 6, y + 4)
    return page((0, 0, W, H), body)


def tour_popup():
    # The Accessories group is open: its panel touches the group's rest square on the side away
    # from the centre, centred on it; the pointer rests on a member.
    group = 13
    gx, gy = position(group)
    body = wallpaper() + taskbar() + ring(group, caption=RING[group][1])
    rows = len(ACCESSORIES)
    height = 38 * rows + 20
    px = round(gx - REST / 2) - 268 if gx - CX <= -2 else round(gx - REST / 2) + REST
    py = min(max(round(gy - height / 2), 0), H - TASKBAR - height)
    body += '<g filter="url(#shadow)">'
    body += f'<image href="skin_MENUTOP.svg" x="{f(px)}" y="{f(py)}" width="268" height="12"/>'
    body += (f'<image href="skin_MENUBODY.svg" x="{f(px)}" y="{f(py + 12)}" width="268" '
             f'height="{f(height - 24)}" preserveAspectRatio="none"/>')
    body += f'<image href="skin_MENUBOTTOM.svg" x="{f(px)}" y="{f(py + height - 12)}" width="268" height="12"/>'
    body += "</g>"
    lit = 1
    for k, (icon, title) in enumerate(ACCESSORIES):
        ry = py + 10 + k * 38
        if k == lit:
            body += f'<image href="skin_MENUSELECT.svg" x="{f(px + 10)}" y="{f(ry)}" width="248" height="38"/>'
        body += sys_icon(icon, px + 16, ry + 3, 32)
        body += text(px + 56, ry + 24, title, 14, "#1B1F27")
        body += text(px + 246, ry + 24, str(k), 13, "#3A4354", "end")
    body += pointer(px + 170, py + 10 + lit * 38 + 22)
    return page(view_around(px + 330, CY, 900), body)


def tour_keyboard():
    # Alt+Space: the dock comes to the front over its dimmed backdrop, every position lettered.
    body = wallpaper() + taskbar()
    body += rect(0, 0, W, H - TASKBAR, 0, "#000", 'fill-opacity="0.75"')
    body += ring(letters=True)
    body += keys(60, H - TASKBAR - 86, ["Alt", "Space"])
    return page((0, 0, W, H), body)


def tour_drop():
    # A document dragged from a folder window onto a blank position becomes a shortcut there;
    # the item menu of another position is open.
    body = wallpaper() + taskbar() + ring(skip=(21,))
    wx, wy, ww, wh = 70, 110, 330, 300
    body += f'<g filter="url(#shadow)">' + rect(wx, wy, ww, wh, 8, "#FBFBFD", 'stroke="#C9CFD9"') + "</g>"
    body += rect(wx, wy, ww, 36, 8, "#EEF1F6") + rect(wx, wy + 28, ww, 8, 0, "#EEF1F6")
    body += sys_icon("DocFolder", wx + 10, wy + 8, 20) + text(wx + 38, wy + 23, "Documents", 13, "#1B1F27")
    for k, glyph in enumerate(("M0 0 h10", "M0 -5 h9 v9 h-9 z", "M0 -5 l9 9 M9 -5 l-9 9")):
        body += (f'<path d="{glyph}" transform="translate({wx + ww - 86 + k * 28} {wy + 18})" fill="none" '
                 'stroke="#3A4354" stroke-width="1.3"/>')
    files = [("File", "Budget 2024.xlsx"), ("File", "Holiday plan.docx"), ("PicFolder", "Photos"),
             ("File", "Notes.txt"), ("Folder", "Work")]
    for k, (icon, name) in enumerate(files):
        fy = wy + 48 + k * 46
        if k == 1:
            body += rect(wx + 8, fy - 4, ww - 16, 42, 4, "#DCE9FB")
        body += sys_icon(icon, wx + 16, fy, 34) + text(wx + 60, fy + 22, name, 14, "#1B1F27")
    # The drop target: the blank position 21, highlighted, with the "add" indicator 24 pixels up
    # and left of the pointer and the dragged document under it.
    tx, ty = position(21)
    body += image("skin_BACKSELECTCOLOR", tx - HOVER / 2, ty - HOVER / 2, HOVER)
    body += sys_icon("File", tx - HOVER / 2, ty - HOVER / 2, HOVER, 'opacity="0.85"')
    ptx, pty = tx + 10, ty + 12
    body += image("skin_ADDICON", ptx - 24 - 30, pty - 24 - 30, 60)
    body += pointer(ptx, pty)
    body += ('<path d="M{0} {1} C {2} {3}, {4} {5}, {6} {7}" fill="none" stroke="#fff" stroke-opacity="0.55" '
             'stroke-width="2.5" stroke-dasharray="2 7" stroke-linecap="round"/>').format(
                 wx + ww - 20, wy + 48 + 46 + 16, wx + ww + 120, wy + 60, tx - 120, ty - 60, tx - 30, ty - 20)
    # The item menu of position 3.
    mx, my = position(3)
    body += menu(mx + 10, my - 40, ["Add Shortcut", "Delete", "-", "Move Up", "Move Down", "Move Top",
                                    "Move Bottom", "-", "Properties"], "Properties", 190)
    return page((0, 0, W, H), body)


def tour_settings():
    # The notification-area icon's menu, with the Settings entry under the pointer, and the two
    # other hot keys.
    body = wallpaper() + taskbar(tray_lit=True) + ring()
    tx = W - 190
    entries = ["Change User Icon", "Settings", "About QOR Desktop", "-", "Exit"]
    mh = 8 + 4 * 30 + 9
    body += menu(tx - 150, H - TASKBAR - mh - 8, entries, "Settings", 210)
    body += pointer(tx - 40, H - TASKBAR - mh - 8 + 4 + 30 + 18)
    body += keys(60, 250, ["Shift", "Tab"]) + text(62, 322, "the plain desktop", 16, "#EAF1FB")
    body += keys(60, 370, ["Ctrl", "Tab"]) + text(62, 442, "fold the ring away", 16, "#EAF1FB")
    return page((0, 0, W, H), body)


def TOUR():
    return {
        "tour_1": tour_ring(),
        "tour_2": tour_popup(),
        "tour_3": tour_keyboard(),
        "tour_4": tour_drop(),
        "tour_5": tour_settings(),
    }
