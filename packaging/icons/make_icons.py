#!/usr/bin/python3
"""Makes the program's icon from the shapes below: a printer with a sheet of
text coming out of it.

  make_icons.py OUTDIR SIZE...

writes into OUTDIR
  rizarode.svg          the scalable icon
  rizarode-N.png        the icon at N x N pixels, for every SIZE N
  rizarode.ico          the Windows icon (16 to 64 as bitmaps, 256 as PNG)
  program_icon_data.cpp the PNG files as data, built into the Linux program

The same shapes give every file, so the menu, the window and the Windows
shortcuts show one picture. Only Python's standard library is used; the
output is the same bytes on every run.
"""

import os
import struct
import sys
import zlib

# The shapes on a grid of 32 x 32 units, painted in this order: rectangles
# (left, top, right, bottom) with a corner radius and an RGB colour. Edges
# on whole units are sharp at 32 pixels and at every multiple of it.
SHAPES = [
    # the sheet: a grey edge around white paper
    (7, 1, 25, 18, 1.0, (0x5a, 0x65, 0x75)),
    (8, 2, 24, 18, 0.5, (0xff, 0xff, 0xff)),
    # its lines of text
    (10, 5, 22, 6, 0, (0x2b, 0x57, 0xa0)),
    (10, 8, 22, 9, 0, (0x2b, 0x57, 0xa0)),
    (10, 11, 19, 12, 0, (0x2b, 0x57, 0xa0)),
    # the printer: a dark outline, a light body and a darker base
    (1, 13, 31, 29, 3.0, (0x2e, 0x34, 0x40)),
    (2, 14, 30, 28, 2.0, (0xc3, 0xcb, 0xd6)),
    (2, 23, 30, 28, 2.0, (0x93, 0x9e, 0xae)),
    (2, 23, 30, 25, 0, (0x93, 0x9e, 0xae)),
    # the paper slot and the power light
    (6, 19, 26, 21, 0.5, (0x2e, 0x34, 0x40)),
    (25, 15, 28, 17, 0.5, (0x3d, 0xa3, 0x4a)),
]

# The same picture on a grid of 16 units, for the small sizes, where the
# design above would fall between pixels.
SMALL_SHAPES = [
    (3, 0, 13, 9, 0.5, (0x5a, 0x65, 0x75)),
    (4, 1, 12, 9, 0, (0xff, 0xff, 0xff)),
    (5, 2, 11, 3, 0, (0x2b, 0x57, 0xa0)),
    (5, 4, 11, 5, 0, (0x2b, 0x57, 0xa0)),
    (5, 6, 9, 7, 0, (0x2b, 0x57, 0xa0)),
    (0, 7, 16, 15, 1.5, (0x2e, 0x34, 0x40)),
    (1, 8, 15, 14, 1.0, (0xc3, 0xcb, 0xd6)),
    (1, 11, 15, 14, 1.0, (0x93, 0x9e, 0xae)),
    (1, 11, 15, 12, 0, (0x93, 0x9e, 0xae)),
    (3, 10, 13, 11, 0, (0x2e, 0x34, 0x40)),
    (12, 8, 14, 9, 0, (0x3d, 0xa3, 0x4a)),
]

# The design for each size: the grid it is drawn on and its shapes.
def design(size):
    return (16, SMALL_SHAPES) if size < 32 else (32, SHAPES)

ICO_BITMAP_SIZES = [16, 24, 32, 48, 64]
ICO_PNG_SIZE = 256
# Samples per pixel edge where a pixel lies on a shape's edge.
SAMPLES = 8


def inside(shape, x, y):
    """Whether the point (in grid units) is in the rounded rectangle."""
    left, top, right, bottom, radius, _ = shape
    if not (left <= x < right and top <= y < bottom):
        return False
    if radius <= 0:
        return True
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def coverage(shape, grid, size, px, py):
    """The share of pixel (px, py) at this size that the shape covers."""
    left, top, right, bottom, radius, _ = shape
    scale = grid / size
    x0, y0 = px * scale, py * scale
    x1, y1 = x0 + scale, y0 + scale
    if x1 <= left or x0 >= right or y1 <= top or y0 >= bottom:
        return 0.0
    # Clear of the rounded corners: the exact overlap of two rectangles.
    corner = radius > 0 and (
        (x0 < left + radius or x1 > right - radius) and
        (y0 < top + radius or y1 > bottom - radius))
    if not corner:
        w = min(x1, right) - max(x0, left)
        h = min(y1, bottom) - max(y0, top)
        return (w * h) / (scale * scale)
    hits = 0
    for i in range(SAMPLES):
        for j in range(SAMPLES):
            if inside(shape, x0 + (i + 0.5) * scale / SAMPLES,
                      y0 + (j + 0.5) * scale / SAMPLES):
                hits += 1
    return hits / (SAMPLES * SAMPLES)


def render(size):
    """The icon as rows of straight (not premultiplied) RGBA pixels."""
    grid, shapes = design(size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            # "over" compositing in premultiplied values
            r = g = b = a = 0.0
            for shape in shapes:
                c = coverage(shape, grid, size, px, py)
                if c <= 0:
                    continue
                sr, sg, sb = (v / 255 for v in shape[5])
                r = sr * c + r * (1 - c)
                g = sg * c + g * (1 - c)
                b = sb * c + b * (1 - c)
                a = c + a * (1 - c)
            if a > 0:
                row.append((round(r / a * 255), round(g / a * 255),
                            round(b / a * 255), round(a * 255)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(
            ">I", zlib.crc32(body) & 0xffffffff)

    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico_bitmap(rows):
    """A 32-bit icon image: BGRA rows bottom up, then the AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes(v for p in row for v in (p[2], p[1], p[0], p[3]))
                      for row in reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def ico(images):
    """images: (size, bytes) pairs; a size of 256 is written as 0."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    directory = b""
    for size, data in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                                 len(data), offset)
        offset += len(data)
    return out + directory + b"".join(data for _, data in images)


def svg():
    def number(v):
        return ("%g" % v)

    grid, shapes = design(256)
    lines = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
             'viewBox="0 0 %d %d">' % (grid, grid)]
    for left, top, right, bottom, radius, colour in shapes:
        corner = ' rx="%s"' % number(radius) if radius > 0 else ""
        lines.append('  <rect x="%s" y="%s" width="%s" height="%s"%s fill="#%02x%02x%02x"/>'
                     % (number(left), number(top), number(right - left),
                        number(bottom - top), corner, *colour))
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


def cpp(pngs):
    out = ["// Made by packaging/icons/make_icons.py: the icon's PNG files.",
           '#include "platform/linux/program_icon.h"', "",
           "namespace rizarode {", "namespace {", ""]
    for size, data in pngs:
        out.append("const unsigned char kPng%d[] = {" % size)
        for i in range(0, len(data), 16):
            out.append("    " + ", ".join("0x%02x" % b for b in data[i:i + 16]) + ",")
        out.append("};")
    out += ["", "const IconImage kImages[] = {"]
    out += ["    {%d, kPng%d, sizeof kPng%d}," % (size, size, size) for size, _ in pngs]
    out += ["};", "", "}  // namespace", "",
            "std::span<const IconImage> ProgramIcon() { return kImages; }", "",
            "}  // namespace rizarode", ""]
    return "\n".join(out)


def write(path, data):
    mode = "w" if isinstance(data, str) else "wb"
    with open(path + ".new", mode) as f:
        f.write(data)
    os.replace(path + ".new", path)


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: make_icons.py OUTDIR SIZE...")
    outdir = sys.argv[1]
    sizes = sorted(set(int(v) for v in sys.argv[2:]) | set(ICO_BITMAP_SIZES) | {ICO_PNG_SIZE})
    os.makedirs(outdir, exist_ok=True)
    rendered = {size: render(size) for size in sizes}
    pngs = [(size, png(rendered[size])) for size in sizes]
    for size, data in pngs:
        write(os.path.join(outdir, "rizarode-%d.png" % size), data)
    images = [(size, ico_bitmap(rendered[size])) for size in ICO_BITMAP_SIZES]
    images.append((ICO_PNG_SIZE, dict(pngs)[ICO_PNG_SIZE]))
    write(os.path.join(outdir, "rizarode.ico"), ico(images))
    write(os.path.join(outdir, "rizarode.svg"), svg())
    write(os.path.join(outdir, "program_icon_data.cpp"), cpp(pngs))


if __name__ == "__main__":
    main()
