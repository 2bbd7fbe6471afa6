#!/usr/bin/env python3
"""Writes the SVG source of a "work in progress" animation: 24 frames of 198 x 198
side by side in one row (frame i at x = 198 * i, 4752 x 198 in all).

Each frame is a round white card with a crisp light-grey rim, holding a Wi-Fi glyph
whose three arcs light up in teal one after the other above the dot, and a thin teal
arc that turns once around its track over the 24 frames. Two layouts:

  creating  (default) the utility's "creating the hotspot" animation: the glyph around
            (99,120) inside the turning arc's track; the band y 45..62 stays plain card,
            the program draws the "创建中…" caption there.
  progress  the installer's progress animation: the turning arc runs along the card's
            rim and the glyph sits low, so the area x 60..140, y 40..75 stays plain
            card: the installer draws the percentage digits there.

Usage: creating.py OUT.svg [--layout creating|progress]
"""
import argparse
import math

FRAMES = 24
SIZE = 198
TEAL = (0x08, 0xB0, 0xA7)
UNLIT = (0xDC, 0xE8, 0xE8)

# Per layout: centre of the glyph's dot and its radius, the arcs' radii and width,
# centre and radius of the turning arc's track, extra attributes of the card's outline
# and what the file's comment calls it. The installer's card is drawn without
# antialiasing, so that not even its rim has half-transparent pixels.
LAYOUTS = {
    "creating": dict(dot=(99, 143), dot_r=6.5, radii=(17, 30, 43), width=7,
                     ring=(99, 120, 54), edge="", name='the "creating the hotspot" animation'),
    "progress": dict(dot=(99, 150), dot_r=6, radii=(15, 27, 39), width=6.5,
                     ring=(99, 99, 83), edge=' shape-rendering="crispEdges"',
                     name="the installer's progress animation"),
}


def mix(a, b, t):
    return "#%02X%02X%02X" % tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def level(frame, arc):
    """How lit arc 1..3 is in a frame: each one comes on over two frames, four frames
    after the previous one, all stay on, then fade out together before the loop restarts."""
    start = 4 * arc
    t = min(max((frame - start) / 2.0, 0.0), 1.0)
    if frame > 19:
        t *= 1.0 - (frame - 19) / 4.0
    return t


def arc_path(cx, cy, r, half_deg):
    """Arc of radius r opening upwards, half_deg either side of vertical."""
    dx = r * math.sin(math.radians(half_deg))
    dy = r * math.cos(math.radians(half_deg))
    return f"M {cx - dx:.2f},{cy - dy:.2f} A {r} {r} 0 0 1 {cx + dx:.2f},{cy - dy:.2f}"


def turning_arc(ring, angle_deg, sweep_deg):
    """Arc on the ring from angle_deg, clockwise, 0 degrees pointing up."""
    cx, cy, r = ring
    a0, a1 = math.radians(angle_deg), math.radians(angle_deg + sweep_deg)
    x0, y0 = cx + r * math.sin(a0), cy - r * math.cos(a0)
    x1, y1 = cx + r * math.sin(a1), cy - r * math.cos(a1)
    return f"M {x0:.2f},{y0:.2f} A {r} {r} 0 0 1 {x1:.2f},{y1:.2f}"


def frame(layout, i):
    cx, cy = layout["dot"]
    ring = layout["ring"]
    out = [f'  <g transform="translate({SIZE * i},0)">',
           '    <use xlink:href="#card"/>']
    angle = 360.0 * i / FRAMES
    # a faint tail, then the head of the turning arc
    out.append(f'    <path d="{turning_arc(ring, angle - 50, 50)}" fill="none" stroke="#08B0A7" '
               'stroke-opacity="0.35" stroke-width="3" stroke-linecap="round"/>')
    out.append(f'    <path d="{turning_arc(ring, angle, 70)}" fill="none" stroke="#08B0A7" '
               'stroke-width="3" stroke-linecap="round"/>')
    out.append(f'    <circle cx="{cx}" cy="{cy}" r="{layout["dot_r"]}" fill="#08B0A7"/>')
    for n, r in enumerate(layout["radii"], start=1):
        colour = mix(UNLIT, TEAL, level(i, n))
        out.append(f'    <path d="{arc_path(cx, cy, r, 45)}" fill="none" stroke="{colour}" '
                   f'stroke-width="{layout["width"]}" stroke-linecap="round"/>')
    out.append('  </g>')
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description="Writes an animation strip as SVG.")
    parser.add_argument("out")
    parser.add_argument("--layout", choices=sorted(LAYOUTS), default="creating")
    args = parser.parse_args()
    layout = LAYOUTS[args.layout]

    width = SIZE * FRAMES
    cx, cy, r = layout["ring"]
    parts = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<!-- Written by creating.py: {layout["name"]}, '
        f'{FRAMES} frames of {SIZE} x {SIZE} in one row. -->',
        f'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
        f'width="{width}" height="{SIZE}" viewBox="0 0 {width} {SIZE}">',
        '  <defs>',
        # An opaque card with a crisp edge: a desktop without composition
        # shows every pixel that is not fully transparent as opaque, so a
        # soft, half-transparent rim would come out as a dark ring there.
        '    <g id="card">',
        '      <circle cx="99" cy="99" r="95" fill="#FFFFFF" stroke="#E3E6E8" stroke-width="2"'
        f'{layout["edge"]}/>',
        f'      <circle cx="{cx}" cy="{cy}" r="{r}" fill="none" stroke="#08B0A7" '
        'stroke-opacity="0.12" stroke-width="3"/>',
        '    </g>',
        '  </defs>',
    ]
    parts += [frame(layout, i) for i in range(FRAMES)]
    parts.append('</svg>')
    with open(args.out, "w", encoding="utf-8") as f:
        f.write("\n".join(parts) + "\n")


if __name__ == "__main__":
    main()
