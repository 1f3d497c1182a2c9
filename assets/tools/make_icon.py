#!/usr/bin/env python3
"""Writes the icon: a cannon on a hill lobbing a shell into a burst.

The window icon assets/kestrum.png (64 x 64) and the desktop icons
assets/icons/hicolor/NxN/apps/kestrum.png at the sizes menus and docks ask for. RGBA, drawn from
shapes on a 64-unit canvas with 4 x 4 supersampling; standard library only (zlib for PNG).
Run from anywhere:  python3 assets/tools/make_icon.py
"""

import math
import struct
import zlib
from pathlib import Path

SIZE = 64
SUB = 4  # samples per pixel along each axis
ASSETS = Path(__file__).resolve().parent.parent
OUT = ASSETS / "kestrum.png"
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)

MUZZLE = (28.0, 31.0)
BURST = (48.0, 17.0)


def inside_rounded_square(x, y, margin=1.0, radius=11.0):
    lo, hi = margin + radius, SIZE - margin - radius
    dx = max(lo - x, 0.0, x - hi)
    dy = max(lo - y, 0.0, y - hi)
    return dx * dx + dy * dy <= radius * radius


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def in_barrel(x, y):
    """The barrel: a rounded bar from the breech up towards the muzzle."""
    bx, by = 15.0, 47.0
    ux, uy = MUZZLE[0] - bx, MUZZLE[1] - by
    length = math.hypot(ux, uy)
    ux, uy = ux / length, uy / length
    along = (x - bx) * ux + (y - by) * uy
    across = -(x - bx) * uy + (y - by) * ux
    width = 3.6 if along < length - 3 else 4.4  # a thicker muzzle ring
    return -2.0 <= along <= length and abs(across) <= width, across


def trajectory_dot(x, y):
    # A quadratic arc from the muzzle to the burst, dotted.
    cx, cy = 35.0, 3.0
    for i in range(4):
        t = 0.1 + i * 0.14
        px = (1 - t) ** 2 * MUZZLE[0] + 2 * (1 - t) * t * cx + t * t * BURST[0]
        py = (1 - t) ** 2 * MUZZLE[1] + 2 * (1 - t) * t * cy + t * t * BURST[1]
        if (x - px) ** 2 + (y - py) ** 2 <= 1.6 ** 2:
            return True
    return False


def sample(x, y):
    """Colour and coverage (0 or 1) at one point of the icon."""
    if not inside_rounded_square(x, y):
        return (0, 0, 0), 0.0
    # Sky, with a dark rim so the tile stands out on any panel colour.
    if not inside_rounded_square(x, y, margin=2.6, radius=9.4):
        return (28, 52, 86), 1.0
    colour = mix((110, 210, 250), (200, 250, 255), y / SIZE)

    ground = 50.0 + 2.5 * math.sin(x / 8.0)
    if y > ground:
        colour = (96, 178, 70) if y < ground + 2.5 else mix((128, 90, 54), (88, 60, 36), (y - ground) / 12)

    if trajectory_dot(x, y):
        colour = (255, 226, 70)

    dx, dy = x - BURST[0], y - BURST[1]
    d = math.hypot(dx, dy)
    rim = 10.0 + 2.2 * math.cos(7 * math.atan2(dy, dx))
    if d <= rim:
        t = d / rim
        if t < 0.35:
            colour = (255, 252, 215)
        elif t < 0.6:
            colour = mix((255, 252, 215), (255, 214, 50), (t - 0.35) / 0.25)
        elif t < 0.82:
            colour = mix((255, 214, 50), (246, 128, 28), (t - 0.6) / 0.22)
        else:
            colour = mix((246, 128, 28), (196, 36, 20), (t - 0.82) / 0.18)

    barrel, across = in_barrel(x, y)
    if barrel:
        colour = (150, 164, 186) if across < -1.5 else (74, 86, 106)
    wheel = math.hypot(x - 17.0, y - 49.0)
    if wheel <= 6.0:
        colour = (96, 62, 36) if wheel > 4.2 or wheel < 1.6 else (150, 104, 62)
    return colour, 1.0


def render(size=SIZE):
    unit = SIZE / size  # canvas units per output pixel
    rows = []
    for py in range(size):
        row = bytearray([0])  # filter type: none
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SUB):
                for sx in range(SUB):
                    (cr, cg, cb), cover = sample((px + (sx + 0.5) / SUB) * unit, (py + (sy + 0.5) / SUB) * unit)
                    r, g, b, a = r + cr * cover, g + cg * cover, b + cb * cover, a + cover
            n = SUB * SUB
            if a > 0:
                row += bytes([round(r / a), round(g / a), round(b / a), round(255 * a / n)])
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, pixels, size=SIZE):
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9))
    path.write_bytes(png + chunk(b"IEND", b""))


if __name__ == "__main__":
    write_png(OUT, render())
    for n in ICON_SIZES:
        path = ASSETS / "icons" / "hicolor" / f"{n}x{n}" / "apps" / "kestrum.png"
        path.parent.mkdir(parents=True, exist_ok=True)
        write_png(path, render(n), n)
