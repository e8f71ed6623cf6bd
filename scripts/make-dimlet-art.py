#!/usr/bin/env python3
"""Draws Dimlet's icon (dimlet/res/Dimlet.ico) and About picture (dimlet/res/Logo.bmp).

A monitor whose screen shows a night sky with a crescent moon. Pure standard library:
shapes are sampled on a sub-pixel grid, so edges are smooth at every size.
Run from the repository root: python3 scripts/make-dimlet-art.py
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "dimlet", "res")

BEZEL = (0x26, 0x2E, 0x3A)
BEZEL_EDGE = (0x9A, 0xA6, 0xB6)  # light rim: keeps the shape on dark taskbars
STAND = (0x7F, 0x8B, 0x9B)
SKY_TOP = (0x0E, 0x1E, 0x4F)
SKY_BOTTOM = (0x2F, 0x5B, 0xC8)
MOON = (0xFF, 0xD5, 0x4A)
STAR = (0xF4, 0xF1, 0xE0)


def rounded_rect(px, py, x0, y0, x1, y1, r):
    if px < x0 or px > x1 or py < y0 or py > y1:
        return False
    cx = min(max(px, x0 + r), x1 - r)
    cy = min(max(py, y0 + r), y1 - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def circle(px, py, cx, cy, r):
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def monitor(px, py, size, frame):
    """Colour of the monitor motif at (px, py) in frame units, or None outside it."""
    fx0, fy0, fx1, fy1 = frame
    u = (px - fx0) / (fx1 - fx0)
    v = (py - fy0) / (fy1 - fy0)
    small = size <= 24
    # Crescent: a disc with an offset disc taken out; thicker at small sizes so it survives.
    moon_r = 0.25 if small else 0.22
    if circle(u, v, 0.47, 0.43, moon_r) and not circle(u, v, 0.58, 0.35, moon_r * 0.80):
        if 0.15 <= v <= 0.67:
            return MOON
    if rounded_rect(u, v, 0.15, 0.17, 0.85, 0.67, 0.035):
        if not small:
            for sx, sy, sr in ((0.70, 0.52, 0.028), (0.75, 0.28, 0.022), (0.26, 0.24, 0.018)):
                if circle(u, v, sx, sy, sr):
                    return STAR
        return mix(SKY_TOP, SKY_BOTTOM, (v - 0.17) / 0.50)
    if rounded_rect(u, v, 0.05, 0.08, 0.95, 0.76, 0.09):
        rim = max(0.025, 0.9 / size)
        inner = rounded_rect(u, v, 0.05 + rim, 0.08 + rim, 0.95 - rim, 0.76 - rim, 0.09 - rim)
        return BEZEL if inner else BEZEL_EDGE
    if 0.42 <= u <= 0.58 and 0.75 <= v <= 0.86:
        return STAND
    if rounded_rect(u, v, 0.24, 0.84, 0.76, 0.93, 0.035):
        return STAND
    return None


def render(width, height, frame, size, samples=4):
    """RGBA rows, top to bottom; alpha is the covered share of each pixel."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = monitor((x + (sx + 0.5) / samples) / width * (width / size),
                                (y + (sy + 0.5) / samples) / height * (height / size),
                                size, frame)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                row.append((round(acc[0] / hits), round(acc[1] / hits), round(acc[2] / hits),
                            round(255 * hits / (samples * samples))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    unit = 1.0
    return render(size, size, (0.0, 0.0, unit, unit), size, samples=4 if size <= 64 else 3)


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    """32-bit icon image: header (double height), BGRA bottom-up, then the AND mask."""
    size = len(rows)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + bytes(mask)


def write_icon(path, sizes):
    images = [png(icon_image(s)) if s == 256 else dib(icon_image(s)) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        dim = 0 if s == 256 else s
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def write_logo(path, width=72, height=88):
    """24-bit picture for the About box; magenta marks what stays transparent."""
    background = (0xF0, 0xF0, 0xF0)  # blend edges towards the dialog colour, never magenta
    frame_size = width
    top = (height - width) // 2
    rows = render(width, height, (0.0, top / frame_size, 1.0, (top + width) / frame_size), frame_size)
    stride = (width * 3 + 3) // 4 * 4
    body = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, a in row:
            if a < 128:
                line += bytes((0xFF, 0x00, 0xFF))
            else:
                t = a / 255
                c = mix(background, (r, g, b), t)
                line += bytes((c[2], c[1], c[0]))
        body += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + body)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    write_icon(os.path.join(OUT, "Dimlet.ico"), [256, 64, 48, 40, 32, 24, 20, 16])
    write_logo(os.path.join(OUT, "Logo.bmp"))
