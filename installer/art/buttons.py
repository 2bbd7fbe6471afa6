#!/usr/bin/env python3
"""Writes the SVG sources of the installer's buttons and link, one file per state,
named after the picture resource they become (png_<id>.svg):

  close mark on the title band (18 x 18)      153 normal and disabled, 154 pressed, 152 hover
  "一键安装" (137 x 45, filled teal)           161 normal and disabled, 163 pressed, 160 hover
  "使用指南 >" link (72 x 12)                  156 normal and disabled, 157 pressed, 155 hover
  message box buttons (79 x 22):
    "是"   (filled teal)                       195 normal, 194 hover, 196 pressed, 193 disabled
    "确定" (filled teal)                       189 normal, 188 hover, 190 pressed, 187 disabled
    "否"   (outlined teal)                     200 normal, 199 hover, 197 pressed, 198 disabled
    "取消" (outlined teal)                     178 normal, 177 hover, 179 pressed, 176 disabled

The ids follow the order in which the program hands a button its pictures: disabled,
normal, pressed, hover (the main window's buttons are never disabled and reuse the normal
picture there).

The colours of every state are the utility's (res/art/buttons.py), so that both programs'
buttons look alike. Outside the shapes the pictures stay transparent: the program draws
them over the window background. The close mark is the exception, a square of the title
band's teal, so that it covers the band exactly.

Usage: buttons.py OUTDIR
"""
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def utility_buttons():
    """The utility's button generator, for its palettes."""
    path = os.path.join(HERE, "..", "..", "res", "art", "buttons.py")
    sys.dont_write_bytecode = True  # leave no cache in the source tree
    spec = importlib.util.spec_from_file_location("utility_buttons", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


UTILITY = utility_buttons()
FONT = UTILITY.FONT
FILLED = UTILITY.FILLED
OUTLINED = UTILITY.OUTLINED
TEAL = UTILITY.TEAL
TEAL_DARK = UTILITY.TEAL_DARK


def button(width, height, radius, palette, state, text, size, bold=False):
    """Rounded face with a 1 px border and the label centred on it."""
    fill, border, ink = palette[state]
    # CJK glyphs stand about 0.86 em above the baseline: this centres them vertically.
    baseline = height / 2 + 0.36 * size
    weight = ' font-weight="bold"' if bold else ''
    return (f'  <rect x="0.5" y="0.5" width="{width - 1}" height="{height - 1}" rx="{radius}" '
            f'fill="{fill}" stroke="{border}"/>\n'
            f'  <text x="{width / 2}" y="{baseline:.1f}" font-family="{FONT}" font-size="{size}"'
            f'{weight} fill="{ink}" text-anchor="middle">{text}</text>\n')


def close_mark(state):
    """White x on the band's teal; a lighter disc behind it under the mouse, a darker one while pressed."""
    disc = {"hover": '  <circle cx="9" cy="9" r="8.5" fill="#2BB8AF"/>\n',
            "pressed": '  <circle cx="9" cy="9" r="8.5" fill="#06968E"/>\n'}.get(state, "")
    mark = "#FFFFFF"
    return (f'  <rect width="18" height="18" fill="{TEAL}"/>\n{disc}'
            f'  <path d="M 5.5,5.5 L 12.5,12.5 M 12.5,5.5 L 5.5,12.5" stroke="{mark}" '
            'stroke-width="1.8" stroke-linecap="round"/>\n')


def guide_link(state):
    """Teal "使用指南" with a chevron, underlined."""
    ink = {"normal": TEAL, "hover": TEAL_DARK, "pressed": TEAL_DARK}[state]
    return (f'  <text x="0" y="9.2" font-family="{FONT}" font-size="10" fill="{ink}">使用指南</text>\n'
            f'  <path d="M 44,2.5 L 47,5.5 L 44,8.5" fill="none" stroke="{ink}" stroke-width="1.2" '
            'stroke-linecap="round" stroke-linejoin="round"/>\n'
            f'  <rect x="0" y="11" width="48" height="1" fill="{ink}"/>\n')


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    pictures = {}
    for state, rid in (("normal", 153), ("pressed", 154), ("hover", 152)):
        pictures[rid] = (18, 18, close_mark(state), f"close mark on the title band, {state}")
    for state, rid in (("normal", 161), ("pressed", 163), ("hover", 160)):
        pictures[rid] = (137, 45, button(137, 45, 6, FILLED, state, "一键安装", 18, bold=True),
                         f'"一键安装" button, {state}')
    for state, rid in (("normal", 156), ("pressed", 157), ("hover", 155)):
        pictures[rid] = (72, 12, guide_link(state), f'"使用指南 >" link, {state}')
    message_buttons = (
        ("是", FILLED, (("normal", 195), ("hover", 194), ("pressed", 196), ("disabled", 193))),
        ("确定", FILLED, (("normal", 189), ("hover", 188), ("pressed", 190), ("disabled", 187))),
        ("否", OUTLINED, (("normal", 200), ("hover", 199), ("pressed", 197), ("disabled", 198))),
        ("取消", OUTLINED, (("normal", 178), ("hover", 177), ("pressed", 179), ("disabled", 176))),
    )
    for text, palette, states in message_buttons:
        for state, rid in states:
            pictures[rid] = (79, 22, button(79, 22, 4, palette, state, text, 12),
                             f'message box button "{text}", {state}')
    UTILITY.write_pictures(out_dir, pictures)


if __name__ == "__main__":
    main()
