#!/usr/bin/env python3
"""Writes the SVG sources of the utility's push buttons and close mark, one file per
state, named after the picture resource they become (png_<id>.svg):

  "确定" (filled teal)                 173 normal, 172 hover, 170 pressed, 171 disabled
  "密码设置" (outlined teal)            191 normal, 190 hover, 192 pressed, 189 disabled
  "隐藏SSID", name broadcast (outlined, empty box)
                                       209 normal, 208 hover, 210 pressed, 207 disabled
  "隐藏SSID", name hidden (filled, ticked box)
                                       213 normal, 212 hover, 214 pressed, 211 disabled
  close mark on the title bar          178 normal, 177 hover, 176 pressed

Buttons are 80 x 24 and the close mark 18 x 18; everything outside the shapes stays
transparent because the program draws them over the page background.

Usage: buttons.py OUTDIR
"""
import os
import sys

FONT = "WenQuanYi Micro Hei, Microsoft YaHei, sans-serif"
TEAL = "#08B0A7"
TEAL_LIGHT = "#2DC0B8"
TEAL_DARK = "#06968E"
WHITE = "#FFFFFF"
GREY_FILL = "#D5D8DB"
GREY_TEXT = "#A0A4A8"

# Per state: face fill, border, text (and glyph) colour.
FILLED = {
    "normal":   (TEAL, TEAL, WHITE),
    "hover":    (TEAL_LIGHT, TEAL_LIGHT, WHITE),
    "pressed":  (TEAL_DARK, TEAL_DARK, WHITE),
    "disabled": (GREY_FILL, GREY_FILL, GREY_TEXT),
}
OUTLINED = {
    "normal":   (WHITE, TEAL, TEAL),
    "hover":    ("#E8F7F6", TEAL_LIGHT, TEAL),
    "pressed":  ("#CDEEEB", TEAL_DARK, TEAL_DARK),
    "disabled": ("#EEF0F1", GREY_FILL, GREY_TEXT),
}

W, H = 80, 24


def svg(width, height, body, comment):
    return (f'<?xml version="1.0" encoding="UTF-8"?>\n<!-- {comment} -->\n'
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n{body}</svg>\n')


def write_pictures(out_dir, pictures):
    """Writes png_<id>.svg for each id -> (width, height, body, comment)."""
    for rid, (width, height, body, comment) in pictures.items():
        text = svg(width, height, body, f"Written by buttons.py: {comment}.")
        with open(os.path.join(out_dir, f"png_{rid}.svg"), "w", encoding="utf-8") as f:
            f.write(text)


def face(fill, border):
    return (f'  <rect x="0.5" y="0.5" width="{W - 1}" height="{H - 1}" rx="4" '
            f'fill="{fill}" stroke="{border}"/>\n')


def label(x, text, colour, size=13, anchor="middle"):
    # CJK glyphs stand about 0.86 em above the baseline: this centres them on y 12.
    baseline = 12 + 0.36 * size
    return (f'  <text x="{x}" y="{baseline:.1f}" font-family="{FONT}" font-size="{size}" '
            f'fill="{colour}" text-anchor="{anchor}">{text}</text>\n')


def plain_button(palette, state, text):
    fill, border, ink = palette[state]
    return face(fill, border) + label(40, text, ink)


def hide_button(palette, state, ticked):
    """Check box then "隐藏SSID": empty box while the name is broadcast, ticked once hidden."""
    fill, border, ink = palette[state]
    if ticked:
        box_fill, box_border = (WHITE, WHITE) if state != "disabled" else ("#F4F5F6", "#F4F5F6")
        tick = fill if state != "disabled" else GREY_TEXT
    else:
        box_fill, box_border, tick = WHITE, ink, None
    out = face(fill, border)
    out += (f'  <rect x="8.5" y="6.5" width="11" height="11" rx="2" fill="{box_fill}" '
            f'stroke="{box_border}"/>\n')
    if tick:
        out += (f'  <path d="M 11,12.2 L 13.3,14.5 L 17.2,9.6" fill="none" stroke="{tick}" '
                f'stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>\n')
    out += label(25, "隐藏SSID", ink, size=12, anchor="start")
    return out


def close_mark(state):
    """White x on a translucent dark disc; a red disc while hovered or pressed."""
    disc = {
        "normal":  '<circle cx="9" cy="9" r="8.5" fill="#000000" fill-opacity="0.14"/>',
        "hover":   '<circle cx="9" cy="9" r="8.5" fill="#F0645C"/>',
        "pressed": '<circle cx="9" cy="9" r="8.5" fill="#D2463E"/>',
    }[state]
    return (f'  {disc}\n'
            '  <path d="M 5.8,5.8 L 12.2,12.2 M 12.2,5.8 L 5.8,12.2" stroke="#FFFFFF" '
            'stroke-width="1.7" stroke-linecap="round"/>\n')


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    pictures = {}
    for state, rid in (("normal", 173), ("hover", 172), ("pressed", 170), ("disabled", 171)):
        pictures[rid] = (W, H, plain_button(FILLED, state, "确定"), f'"确定" button, {state}')
    for state, rid in (("normal", 191), ("hover", 190), ("pressed", 192), ("disabled", 189)):
        pictures[rid] = (W, H, plain_button(OUTLINED, state, "密码设置"), f'"密码设置" button, {state}')
    for state, rid in (("normal", 209), ("hover", 208), ("pressed", 210), ("disabled", 207)):
        pictures[rid] = (W, H, hide_button(OUTLINED, state, False),
                         f'"隐藏SSID" button while the name is broadcast, {state}')
    for state, rid in (("normal", 213), ("hover", 212), ("pressed", 214), ("disabled", 211)):
        pictures[rid] = (W, H, hide_button(FILLED, state, True),
                         f'"隐藏SSID" button while the name is hidden, {state}')
    for state, rid in (("normal", 178), ("hover", 177), ("pressed", 176)):
        pictures[rid] = (18, 18, close_mark(state), f"close mark, {state}")
    write_pictures(out_dir, pictures)


if __name__ == "__main__":
    main()
