"""Skin elements of the ring and the group pop-up (names and pixel sizes are fixed by the program)."""
import math

from generate import svg, f, circle, rect, path, stroke, arc_path, arrow_head

ACCENT = "#2F6FEB"
ACCENT_DARK = "#1A4FC4"
INK = "#14203A"          # neutral dark used for hairlines and shadows
CARD = "#F6F8FC"         # pop-up card: light, because its captions are drawn in near-black


# ------------------------------------------------------------ ring backdrop and centre frame
def backselect():
    defs = f"""
<linearGradient id="sheen" x1="0" y1="0" x2="0.35" y2="1">
  <stop offset="0" stop-color="#fff" stop-opacity="0.5"/>
  <stop offset="0.5" stop-color="#fff" stop-opacity="0.2"/>
  <stop offset="1" stop-color="#fff" stop-opacity="0.08"/>
</linearGradient>
<linearGradient id="edge" x1="0.2" y1="0" x2="0.8" y2="1">
  <stop offset="0" stop-color="#fff" stop-opacity="0.8"/>
  <stop offset="0.55" stop-color="#fff" stop-opacity="0.22"/>
  <stop offset="1" stop-color="#fff" stop-opacity="0.12"/>
</linearGradient>
<filter id="drop" x="-10%" y="-10%" width="120%" height="120%">
  <feGaussianBlur in="SourceAlpha" stdDeviation="2"/><feOffset dx="0" dy="2" result="sb"/><feFlood flood-color="{INK}" flood-opacity="0.35"/><feComposite in2="sb" operator="in"/><feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge>
</filter>"""
    body = (
        rect(4, 4, 120, 120, 30, INK, 'fill-opacity="0.24" filter="url(#drop)"')
        + rect(4, 4, 120, 120, 30, "url(#sheen)")
        + rect(5.5, 5.5, 117, 117, 28.5, "none", 'stroke="url(#edge)" stroke-width="3"')
        + rect(3.5, 3.5, 121, 121, 30.5, "none", f'stroke="{INK}" stroke-opacity="0.45" stroke-width="1.5"')
    )
    return svg(128, 128, body, defs)


def rounded(inset, side, r):
    a, b = inset, inset + side
    return (f"M{f(a)} {f(a+r)} A{f(r)} {f(r)} 0 0 1 {f(a+r)} {f(a)} H{f(b-r)} A{f(r)} {f(r)} 0 0 1 {f(b)} {f(a+r)} "
            f"V{f(b-r)} A{f(r)} {f(r)} 0 0 1 {f(b-r)} {f(b)} H{f(a+r)} A{f(r)} {f(r)} 0 0 1 {f(a)} {f(b-r)} Z")


def border():
    # A glass frame drawn over the 128-pixel centre picture (placed 12 pixels in): the middle
    # stays clear, the inner edge rounds the picture's corners.
    # The outer corner radius stays small enough for the frame to hide the picture's square corners.
    outer = rounded(2.5, 147, 24)
    inner = rounded(14, 124, 13)
    defs = f"""
<linearGradient id="glass" x1="0" y1="0" x2="1" y2="1">
  <stop offset="0" stop-color="#FFFFFF" stop-opacity="0.96"/>
  <stop offset="0.5" stop-color="#E4EAF4" stop-opacity="0.92"/>
  <stop offset="1" stop-color="#B9C4D8" stop-opacity="0.94"/>
</linearGradient>
<linearGradient id="accent" x1="0" y1="0" x2="1" y2="1">
  <stop offset="0" stop-color="#3DD6C6"/><stop offset="0.5" stop-color="#3F7BFF"/><stop offset="1" stop-color="#7A4DF0"/>
</linearGradient>
<linearGradient id="hi" x1="0.2" y1="0" x2="0.8" y2="1">
  <stop offset="0" stop-color="#fff" stop-opacity="1"/>
  <stop offset="1" stop-color="#fff" stop-opacity="0"/>
</linearGradient>
<filter id="drop" x="-10%" y="-10%" width="120%" height="120%">
  <feGaussianBlur in="SourceAlpha" stdDeviation="2.5"/><feOffset dx="0" dy="2.5" result="sb"/><feFlood flood-color="{INK}" flood-opacity="0.45"/><feComposite in2="sb" operator="in"/><feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge>
</filter>
<filter id="inset" x="-10%" y="-10%" width="120%" height="120%">
  <feGaussianBlur stdDeviation="1.6"/>
</filter>
<clipPath id="hole"><path d="{inner}"/></clipPath>"""
    body = (
        # soft shadow the frame casts onto the picture
        f'<g clip-path="url(#hole)"><path d="{inner}" fill="none" stroke="{INK}" stroke-opacity="0.55" stroke-width="5" filter="url(#inset)"/></g>'
        + path(outer + " " + inner, "url(#glass)", 'fill-rule="evenodd" filter="url(#drop)"')
        + path(inner, "none", 'stroke="url(#accent)" stroke-width="3"')
        + path(rounded(3.75, 144.5, 22.75), "none", 'stroke="url(#hi)" stroke-width="1.5" stroke-opacity="0.9"')
        + path(outer, "none", f'stroke="{INK}" stroke-opacity="0.5" stroke-width="1.2"')
    )
    return svg(152, 152, body, defs)


# ------------------------------------------------------------ the group pop-up
def _panel_defs():
    return f"""
<filter id="shadow" x="-5%" y="-50%" width="110%" height="200%">
  <feGaussianBlur in="SourceAlpha" stdDeviation="1.4"/>
  <feOffset dy="1" result="b"/>
  <feFlood flood-color="{INK}" flood-opacity="0.38"/>
  <feComposite in2="b" operator="in"/>
</filter>"""


def _card(y0, y1, rx):
    # the card spans x 3..265 of the 268-pixel panel; the outer three columns hold its shadow
    return (
        f'<g filter="url(#shadow)">' + rect(3, y0, 262, y1 - y0, rx, "#000") + "</g>"
        + rect(3, y0, 262, y1 - y0, rx, CARD)
        + rect(3.5, y0 + 0.5, 261, y1 - y0 - 1, rx - 0.5, "none", f'stroke="{INK}" stroke-opacity="0.3" stroke-width="1"')
    )


def menu_body():
    return svg(268, 656, _card(-60, 716, 10), _panel_defs())


def menu_top():
    body = _card(2, 60, 10) + stroke("M12 2.5 H256", 1, "#fff", 'stroke-opacity="0.0"')
    return svg(268, 12, body, _panel_defs())


def menu_bottom():
    return svg(268, 12, _card(-50, 9, 10), _panel_defs())


def row(pressed):
    a_fill = 0.30 if pressed else 0.14
    a_line = 0.70 if pressed else 0.45
    defs = """
<linearGradient id="press" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#0A1A40" stop-opacity="0.14"/>
  <stop offset="0.35" stop-color="#0A1A40" stop-opacity="0"/>
</linearGradient>
<linearGradient id="lift" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#fff" stop-opacity="0.55"/>
  <stop offset="1" stop-color="#fff" stop-opacity="0"/>
</linearGradient>"""
    body = rect(1, 1, 246, 36, 8, ACCENT, f'fill-opacity="{a_fill}"')
    body += rect(1, 1, 246, 36, 8, "url(#press)" if pressed else "url(#lift)")
    body += rect(1.5, 1.5, 245, 35, 7.5, "none", f'stroke="{ACCENT}" stroke-opacity="{a_line}" stroke-width="1"')
    return svg(248, 38, body, defs)


def scroll_button(up, selected):
    if selected:
        fill = rect(1, 1, 246, 23, 7, ACCENT, 'fill-opacity="0.14"') + rect(
            1.5, 1.5, 245, 22, 6.5, "none", f'stroke="{ACCENT}" stroke-opacity="0.45" stroke-width="1"')
        ink = ACCENT_DARK
    else:
        fill = rect(1, 1, 246, 23, 7, INK, 'fill-opacity="0.045"') + rect(
            1.5, 1.5, 245, 22, 6.5, "none", f'stroke="{INK}" stroke-opacity="0.12" stroke-width="1"')
        ink = "#5B6579"
    d = "M116 15.5 L124 8.5 L132 15.5" if up else "M116 9.5 L124 16.5 L132 9.5"
    return svg(248, 25, fill + stroke(d, 2.6, ink))


def menu_space():
    defs = f"""
<linearGradient id="line" x1="0" y1="0" x2="1" y2="0">
  <stop offset="0" stop-color="{INK}" stop-opacity="0"/>
  <stop offset="0.12" stop-color="{INK}" stop-opacity="0.2"/>
  <stop offset="0.88" stop-color="{INK}" stop-opacity="0.2"/>
  <stop offset="1" stop-color="{INK}" stop-opacity="0"/>
</linearGradient>"""
    return svg(248, 5, rect(0, 2, 248, 1, 0, "url(#line)"), defs)


# ------------------------------------------------------------ drag-and-drop indicators
def _badge_defs(light, dark, size):
    k = size / 64.0
    return f"""
<linearGradient id="fill" x1="0.15" y1="0.1" x2="0.85" y2="0.95">
  <stop offset="0" stop-color="{light}"/><stop offset="1" stop-color="{dark}"/>
</linearGradient>
<filter id="drop" x="-25%" y="-25%" width="150%" height="150%">
  <feGaussianBlur in="SourceAlpha" stdDeviation="{f(1.5*k)}"/><feOffset dx="0" dy="{f(1.5*k)}" result="sb"/><feFlood flood-color="{INK}" flood-opacity="0.55"/><feComposite in2="sb" operator="in"/><feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge>
</filter>"""


def _badge(size, light, dark, glyph):
    # Drawn centred on the pointer: the disc sits up and left so the arrow does not hide it.
    k = size / 64.0
    cx = cy = 26.5 * k
    r = 21 * k
    body = (
        circle(cx, cy, r + 2.6 * k, "#fff", 'filter="url(#drop)"')
        + circle(cx, cy, r, "url(#fill)")
        + circle(cx, cy, r + 3.1 * k, "none", f'stroke="{INK}" stroke-opacity="0.45" stroke-width="{f(0.9*k)}"')
        + f'<g transform="translate({f(cx)} {f(cy)}) scale({f(k)})">{glyph}</g>'
    )
    return svg(size, size, body, _badge_defs(light, dark, size))


def nodrop():
    g = circle(0, 0, 11, "none", 'stroke="#fff" stroke-width="4.2"') + stroke("M-7.8 7.8 L7.8 -7.8", 4.2)
    return _badge(64, "#FF7E7E", "#D42E4C", g)


def addicon():
    g = stroke("M0 -11 V11 M-11 0 H11", 5.2)
    return _badge(110, "#52DB8E", "#119457", g)


def replaceicon():
    g = (
        stroke(arc_path(0, 0, 10, 200, 330), 3.6) + arrow_head(9.0, -5.0, 60, 6.5)
        + stroke(arc_path(0, 0, 10, 20, 150), 3.6) + arrow_head(-9.0, 5.0, 240, 6.5)
    )
    return _badge(64, "#5AA2FF", "#1D4FD6", g)


# ------------------------------------------------------------ delete animation
def _rng(seed):
    x = seed
    while True:
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        yield x / 0x7FFFFFFF


def delicon():
    defs = f"""
<radialGradient id="puff" cx="0.38" cy="0.32" r="0.75">
  <stop offset="0" stop-color="#FFFFFF"/>
  <stop offset="0.6" stop-color="#EEF2F8"/>
  <stop offset="1" stop-color="#B7C2D4"/>
</radialGradient>
<filter id="soft" x="-20%" y="-20%" width="140%" height="140%">
  <feGaussianBlur in="SourceAlpha" stdDeviation="1.6"/><feOffset dx="0" dy="1.5" result="sb"/><feFlood flood-color="{INK}" flood-opacity="0.45"/><feComposite in2="sb" operator="in"/><feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge>
</filter>"""
    # frame: (cloud radius, puff radius range, puff count, opacity, spark length)
    frames = [
        (14, (13, 17), 6, 1.0, 0),
        (26, (15, 20), 8, 1.0, 10),
        (36, (14, 19), 10, 0.9, 14),
        (45, (8, 12), 10, 0.65, 0),
        (52, (4, 6.5), 10, 0.35, 0),
    ]
    body = ""
    rnd = _rng(7)
    for i, (spread, (rmin, rmax), n, op, spark) in enumerate(frames):
        ox = 128 * i
        parts = ""
        for j in range(n):
            a = 2 * math.pi * j / n + next(rnd) * 0.5
            d = spread * (0.75 + 0.25 * next(rnd))
            r = rmin + (rmax - rmin) * next(rnd)
            parts += circle(ox + 64 + d * math.cos(a), 64 + d * math.sin(a), r, "url(#puff)")
        if i < 3:
            parts += circle(ox + 64, 64, spread * 0.7 + rmin * 0.6, "url(#puff)")
        sparks = ""
        if spark:
            for j in range(8):
                a = 2 * math.pi * (j + 0.5) / 8
                r0 = spread + rmax + 2
                sparks += stroke(
                    f"M{f(ox+64+r0*math.cos(a))} {f(64+r0*math.sin(a))} "
                    f"L{f(ox+64+(r0+spark)*math.cos(a))} {f(64+(r0+spark)*math.sin(a))}",
                    3.2, "#9FB8FF" if j % 2 else "#7BE0D6", f'opacity="{op}"')
        body += f'<g opacity="{op}" filter="url(#soft)">{parts}</g>{sparks}'
    return svg(640, 128, body, defs)


def SKIN():
    from logo import logo_tile
    return {
        "LOGO": logo_tile(),
        "MENUSELECT": row(False),
        "MENUMOUSEDOWN": row(True),
        "MENUUPUNSELECT": scroll_button(True, False),
        "MENUUPSELECT": scroll_button(True, True),
        "MENUDOWNUNSELECT": scroll_button(False, False),
        "MENUDOWNSELECT": scroll_button(False, True),
        "MENUSPACE": menu_space(),
        "MENUBODY": menu_body(),
        "MENUTOP": menu_top(),
        "MENUBOTTOM": menu_bottom(),
        "BORDER": border(),
        "NODROP": nodrop(),
        "ADDICON": addicon(),
        "REPLACEICON": replaceicon(),
        "DELICON": delicon(),
        "BACKSELECTCOLOR": backselect(),
    }
