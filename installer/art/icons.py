#!/usr/bin/env python3
"""Writes the SVG sources of the installer's application icon (icon 128): the utility's
icon, a teal rounded square with a white Wi-Fi glyph, with a round dark badge in the
bottom right corner holding a white downward arrow onto a bar, the install mark.

  icon_128_large.svg  drawn on 256 x 256, rendered at 256 and 48: the utility's
                      res/art/app_icon.svg with the badge added
  icon_128_32.svg     32 pixel image    \  the utility's small glyphs (res/art/icons.py),
  icon_128_16.svg     16 pixel image    /  moved left to make room for the badge

Usage: icons.py OUTDIR
"""
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
UTILITY_ART = os.path.join(HERE, "..", "..", "res", "art")
TEAL = "#08B0A7"
BADGE = "#515255"

# Per pixel size: the glyph's dot moves to cx; the badge is a white ring around a dark
# disc centred on (badge, badge), with the arrow's shaft from y0 to the head's tip at
# y1, the head's half width and the bar under it at y2; width of the strokes. At 16
# pixels there is no room for the ring and strokes: the disc alone carries an arrow
# drawn as a filled shape on whole pixels.
ARROW_16 = "M 11,8.5 H 13 V 11 H 14.5 L 12,14 L 9.5,11 H 11 Z"
SMALL = {
    16: dict(cx=7, badge=12, ring=None, disc=4, arrow=ARROW_16),
    32: dict(cx=15, badge=25, ring=6.8, disc=5.6, y0=21.4, y1=27.2, head=3, width=1.7),
}
LARGE = dict(badge=200, ring=50, disc=42, y0=176, y1=212, head=17, y2=227, width=11)


def load_utility_icons():
    sys.dont_write_bytecode = True  # leave no cache in the source tree
    spec = importlib.util.spec_from_file_location(
        "utility_icons", os.path.join(UTILITY_ART, "icons.py"))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def badge(b):
    """The install mark: ring, disc, arrow and, when there is room, the bar under it."""
    c = b["badge"]
    out = []
    if b["ring"]:
        out.append(f'  <circle cx="{c}" cy="{c}" r="{b["ring"]}" fill="#FFFFFF"/>')
    out.append(f'  <circle cx="{c}" cy="{c}" r="{b["disc"]}" fill="{BADGE}"/>')
    if b.get("arrow"):
        out.append(f'  <path d="{b["arrow"]}" fill="#FFFFFF"/>')
        return "\n".join(out) + "\n"
    out += [f'  <g fill="none" stroke="#FFFFFF" stroke-width="{b["width"]}" '
           'stroke-linecap="round" stroke-linejoin="round">',
           f'    <path d="M {c},{b["y0"]} V {b["y1"]} M {c - b["head"]},{b["y1"] - b["head"]} '
           f'L {c},{b["y1"]} L {c + b["head"]},{b["y1"] - b["head"]}"/>']
    if b.get("y2"):
        out.append(f'    <path d="M {c - b["head"]},{b["y2"]} H {c + b["head"]}"/>')
    out.append('  </g>')
    return "\n".join(out) + "\n"


def small(utility, size):
    g = utility.GEOMETRY[size]
    s = SMALL[size]
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<!-- Written by icons.py: the installer\'s {size} x {size} icon, Wi-Fi glyph and install mark. -->',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
        f'viewBox="0 0 {size} {size}">',
        f'  <rect width="{size}" height="{size}" rx="{g["corner"]}" fill="{TEAL}"/>',
    ]
    lines += utility.glyph(g, s["cx"], len(g["radii"]))
    return "\n".join(lines) + "\n" + badge(s) + "</svg>\n"


def large():
    with open(os.path.join(UTILITY_ART, "app_icon.svg"), encoding="utf-8") as f:
        text = f.read()
    body = text[text.index("<svg"):text.rindex("</svg>")]
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            "<!-- Written by icons.py: the installer's large icon images, the utility's "
            "app_icon.svg with the install mark. -->\n"
            + body + badge(LARGE) + "</svg>\n")


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    utility = load_utility_icons()
    files = {"icon_128_large.svg": large()}
    for size in SMALL:
        files[f"icon_128_{size}.svg"] = small(utility, size)
    for name, text in files.items():
        with open(os.path.join(out_dir, name), "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
