#!/usr/bin/env python3
"""Writes the SVG sources of the small icons, each drawn for its own pixel size so
that the glyph sits on whole pixels (named icon_<id>_<size>.svg):

  128  the application icon's 16 and 32 pixel images (app_icon.svg draws the large ones)
  200  tray icon while the hotspot runs or waits
  197, 198, 199, 196  tray icon frames while the hotspot is being created, shown in
       that order: the dot alone, then one, two and three arcs lit

All of them are a teal rounded square with a white Wi-Fi glyph; arcs not lit yet are
drawn faint.

Usage: icons.py OUTDIR
"""
import math
import os
import sys

TEAL = "#08B0A7"

# Per pixel size: corner radius, centre of the dot, its radius (a whole-pixel square
# at 16), arc radii, arc width and half angle. The radii put each arc's top edges on
# pixel boundaries, so the arcs stay sharp where they are flattest.
GEOMETRY = {
    16: dict(corner=3, cx=8, cy=13, dot=None, radii=(3, 6, 9), width=2, half=40),
    32: dict(corner=6, cx=16, cy=25, dot=2.7, radii=(7.5, 13.5, 19.5), width=3, half=40),
}

# icon id -> how many arcs are lit
ICONS = {128: 3, 200: 3, 197: 0, 198: 1, 199: 2, 196: 3}


def arc_path(cx, cy, r, half_deg):
    dx = r * math.sin(math.radians(half_deg))
    dy = r * math.cos(math.radians(half_deg))
    return f"M {cx - dx:.2f},{cy - dy:.2f} A {r} {r} 0 0 1 {cx + dx:.2f},{cy - dy:.2f}"


def glyph(g, cx, lit):
    """Lines of the Wi-Fi glyph of geometry `g` with its dot at cx: the dot (a whole-pixel
    square where the geometry has no dot radius) and three arcs, those after `lit` faint."""
    cy = g["cy"]
    if g["dot"]:
        lines = [f'  <circle cx="{cx}" cy="{cy}" r="{g["dot"]}" fill="#FFFFFF"/>']
    else:
        lines = [f'  <rect x="{cx - 1}" y="{cy - 1}" width="2" height="2" fill="#FFFFFF"/>']
    for n, r in enumerate(g["radii"], start=1):
        opacity = "" if n <= lit else ' stroke-opacity="0.35"'
        lines.append(f'  <path d="{arc_path(cx, cy, r, g["half"])}" fill="none" '
                     f'stroke="#FFFFFF" stroke-width="{g["width"]}" stroke-linecap="round"{opacity}/>')
    return lines


def icon(size, lit):
    g = GEOMETRY[size]
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<!-- Written by icons.py: {size} x {size} icon, Wi-Fi glyph with {lit} of 3 arcs lit. -->',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
        f'viewBox="0 0 {size} {size}">',
        f'  <rect width="{size}" height="{size}" rx="{g["corner"]}" fill="{TEAL}"/>',
    ]
    lines += glyph(g, g["cx"], lit)
    lines.append('</svg>')
    return "\n".join(lines) + "\n"


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for rid, lit in ICONS.items():
        for size in GEOMETRY:
            with open(os.path.join(out_dir, f"icon_{rid}_{size}.svg"), "w", encoding="utf-8") as f:
                f.write(icon(size, lit))


if __name__ == "__main__":
    main()
