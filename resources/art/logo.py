"""The QOR Desktop mark: a ring of positions around a centre, one position lit."""
import math

from generate import svg, f, circle, rect, path, stroke

DEFS = """
<linearGradient id="bg" x1="0" y1="0" x2="1" y2="1">
  <stop offset="0" stop-color="#2CC9D6"/>
  <stop offset="0.48" stop-color="#2E66E8"/>
  <stop offset="1" stop-color="#5A2FD2"/>
</linearGradient>
<radialGradient id="glow" cx="0.5" cy="0.5" r="0.5">
  <stop offset="0" stop-color="#BFF6FF" stop-opacity="0.9"/>
  <stop offset="1" stop-color="#BFF6FF" stop-opacity="0"/>
</radialGradient>
<linearGradient id="gloss" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#fff" stop-opacity="0.28"/>
  <stop offset="0.5" stop-color="#fff" stop-opacity="0.0"/>
</linearGradient>
<radialGradient id="core" cx="0.38" cy="0.32" r="0.8">
  <stop offset="0" stop-color="#FFFFFF"/><stop offset="1" stop-color="#D5E4FF"/>
</radialGradient>
<filter id="mark" x="-20%" y="-20%" width="140%" height="140%">
  <feGaussianBlur in="SourceAlpha" stdDeviation="1.6"/><feOffset dx="0.8" dy="1.8" result="sb"/><feFlood flood-color="#16124A" flood-opacity="0.55"/><feComposite in2="sb" operator="in"/><feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge>
</filter>
<filter id="drop" x="-10%" y="-10%" width="120%" height="120%">
  <feGaussianBlur in="SourceAlpha" stdDeviation="2.5"/><feOffset dx="0" dy="2.5" result="sb"/><feFlood flood-color="#0A1020" flood-opacity="0.45"/><feComposite in2="sb" operator="in"/><feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge>
</filter>"""


def mark(cx=64, cy=64, s=1.0):
    """Eight positions on a ring, the lower-right one enlarged (the hovered icon), a centre disc."""
    out = circle(cx, cy, 34 * s, "none", f'stroke="#fff" stroke-opacity="0.38" stroke-width="{f(3*s)}"')
    lit = None
    for i in range(8):
        a = math.radians(-90 + 45 * i)
        x, y = cx + 34 * s * math.cos(a), cy + 34 * s * math.sin(a)
        if i == 3:
            lit = (x, y)
            continue
        out += circle(x, y, 6.2 * s, "#fff")
    x, y = lit
    out += circle(x, y, 17 * s, "url(#glow)") + circle(x, y, 10.5 * s, "url(#core)")
    out += circle(cx, cy, 16 * s, "url(#core)")
    return f'<g filter="url(#mark)">{out}</g>'


def logo_tile():
    """LOGO skin element: a full-bleed square (the centre frame rounds its corners)."""
    body = rect(0, 0, 128, 128, 0, "url(#bg)") + rect(0, 0, 128, 128, 0, "url(#gloss)") + mark(64, 64, 1.1)
    return svg(128, 128, body, DEFS)


def app_large():
    body = (
        rect(6, 6, 116, 116, 28, "url(#bg)", 'filter="url(#drop)"')
        + rect(6, 6, 116, 116, 28, "url(#gloss)")
        + rect(7, 7, 114, 114, 27, "none", 'stroke="#fff" stroke-opacity="0.35" stroke-width="2"')
        + rect(5.5, 5.5, 117, 117, 28.5, "none", 'stroke="#0A1020" stroke-opacity="0.35" stroke-width="1"')
        + mark(64, 64, 1.12)
    )
    return svg(128, 128, body, DEFS)


def app_small():
    """16 to 32 pixels: a bold ring with a lit tail position reads as a Q; drawn on a 32 grid."""
    body = (
        rect(1, 1, 30, 30, 7, "url(#bg)")
        + rect(1.5, 1.5, 29, 29, 6.5, "none", 'stroke="#0A1020" stroke-opacity="0.45" stroke-width="1"')
        + circle(15, 15, 8, "none", 'stroke="#fff" stroke-width="3.4"')
        + circle(15, 15, 3, "#fff")
        + circle(23, 23, 4.3, "#fff")
    )
    return svg(32, 32, body, DEFS.replace('id="bg" x1="0" y1="0" x2="1" y2="1"', 'id="bg" x1="0" y1="0" x2="1" y2="1"'))


def app_16():
    """16 pixels: the same Q-ring, placed on whole pixels."""
    body = (
        rect(0.5, 0.5, 15, 15, 3.5, "url(#bg)")
        + rect(0.5, 0.5, 15, 15, 3.5, "none", 'stroke="#0A1020" stroke-opacity="0.5" stroke-width="1"')
        + circle(7.5, 7.5, 4, "none", 'stroke="#fff" stroke-width="1.8"')
        + circle(7.5, 7.5, 1.4, "#fff")
        + circle(11.6, 11.6, 2.3, "#fff")
    )
    return svg(16, 16, body, DEFS)


def wordmark():
    body = (
        f'<g transform="translate(0 0) scale(2)">'
        + rect(6, 6, 116, 116, 28, "url(#bg)", 'filter="url(#drop)"')
        + rect(6, 6, 116, 116, 28, "url(#gloss)")
        + mark(64, 64, 1.12)
        + "</g>"
        + '<text x="284" y="158" font-family="DejaVu Sans, Verdana, sans-serif" font-size="92">'
          '<tspan font-weight="bold" fill="#1C2B4A">QOR</tspan>'
          '<tspan dx="26" fill="#2E66E8">Desktop</tspan></text>'
    )
    return svg(1024, 256, body, DEFS)


def LOGOS():
    return {"app_large": app_large(), "app_small": app_small(), "app_16": app_16(), "logo_wordmark": wordmark()}
