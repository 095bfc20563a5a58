#!/usr/bin/env python3
"""Turns the rendered RGBA drawings into the game's picture files.

Usage: render_art.py toy|icon|title  <rendered.png...> <output...>

The toy window is cut to every pixel that is not the key grey, so the toy is
rendered on a transparent background and alpha decides the outline: pixels
that are mostly transparent become the key grey, the rest are blended towards
it and nudged off it, so shading never punches a hole into the window.
"""
import struct
import sys

from PIL import Image

KEY = (72, 72, 72)
TOY_SIZE = (549, 550)
# Inclusive bounds the toy must fill exactly: left, top, right, bottom.
TOY_BOUNDS = (1, 2, 545, 541)
# Below this alpha a pixel counts as background (keeps faint fringes out of
# the window's shape).
ALPHA_CUT = 64
# The drawings' outline colour.
OUTLINE = (28, 22, 48)

TITLE_SIZE = (376, 250)
TITLE_GREEN = (8, 200, 8)


def fail(message):
    sys.stderr.write("render_art: " + message + "\n")
    sys.exit(1)


def nudge(rgb, key):
    """Returns a colour next to rgb that is not key (rgb itself if it isn't)."""
    if rgb != key:
        return rgb
    r, g, b = rgb
    return (r + 1 if r < 255 else r - 1, g, b)


def flatten_on_key(rgba, key, alpha_cut, keep=None):
    """Blends rgba over key; mostly transparent pixels become key exactly and
    no kept pixel ends up equal to key. keep(x, y) may veto a pixel."""
    w, h = rgba.size
    src = rgba.load()
    out = Image.new("RGB", (w, h), key)
    dst = out.load()
    nudged = 0
    for y in range(h):
        for x in range(w):
            r, g, b, a = src[x, y]
            if a < alpha_cut or (keep is not None and not keep(x, y)):
                continue
            mix = tuple((c * a + k * (255 - a) + 127) // 255 for c, k in zip((r, g, b), key))
            if mix == key:
                nudged += 1
                mix = nudge(mix, key)
            dst[x, y] = mix
    return out, nudged


def fill_pockets(img, key, colour, largest=64):
    """Background pockets enclosed by the toy (where outlines of two parts
    nearly meet) would be pin holes in the window: paint them with colour.
    Returns the number of pixels filled."""
    w, h = img.size
    px = img.load()
    outside = set()
    stack = [(x, y) for x in range(w) for y in (0, h - 1)] + [(x, y) for y in range(h) for x in (0, w - 1)]
    stack = [p for p in stack if px[p] == key]
    outside.update(stack)
    while stack:
        x, y = stack.pop()
        for p in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if 0 <= p[0] < w and 0 <= p[1] < h and p not in outside and px[p] == key:
                outside.add(p)
                stack.append(p)
    pockets = [(x, y) for y in range(h) for x in range(w) if px[x, y] == key and (x, y) not in outside]
    if len(pockets) > largest:
        fail("%d enclosed background pixels: a hole in the toy?" % len(pockets))
    for p in pockets:
        px[p] = colour
    return len(pockets)


def write_bmp24(img, path):
    """Uncompressed 24-bit bottom-up BMP with a BITMAPINFOHEADER."""
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    px = img.load()
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_bmp8(img, path):
    """Uncompressed 8-bit bottom-up BMP with a full 256-entry colour table.
    img is a palettised ("P") image."""
    w, h = img.size
    stride = (w + 3) & ~3
    pal = img.getpalette()[: 256 * 3]
    pal += [0] * (256 * 3 - len(pal))
    table = b"".join(bytes((pal[i * 3 + 2], pal[i * 3 + 1], pal[i * 3], 0)) for i in range(256))
    px = img.load()
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytes(px[x, y] for x in range(w))
        rows.append(row + b"\0" * (stride - w))
    data = b"".join(rows)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(data), 3780, 3780, 256, 0)
    with open(path, "wb") as f:
        f.write(header + info + table + data)


def toy(src_png, out_bmp):
    rgba = Image.open(src_png).convert("RGBA")
    if rgba.size != TOY_SIZE:
        fail("toy render is %dx%d, expected %dx%d" % (rgba.size + TOY_SIZE))
    left, top, right, bottom = TOY_BOUNDS
    # The drawing overshoots its bounds by a fraction of a pixel so the edge
    # pixels are well covered; anything past the bounds is background.
    inside = lambda x, y: left <= x <= right and top <= y <= bottom
    img, nudged = flatten_on_key(rgba, KEY, ALPHA_CUT, inside)
    filled = fill_pockets(img, KEY, OUTLINE)
    px = img.load()
    w, h = img.size
    cols = [x for x in range(w) if any(px[x, y] != KEY for y in range(h))]
    rows = [y for y in range(h) if any(px[x, y] != KEY for x in range(w))]
    bounds = (cols[0], rows[0], cols[-1], rows[-1])
    if bounds != TOY_BOUNDS:
        fail("toy fills %r, expected %r" % (bounds, TOY_BOUNDS))
    write_bmp24(img, out_bmp)
    print("toy: bounds %r, %d pixels nudged off the key grey, %d pocket pixels filled"
          % (bounds, nudged, filled))


def main(argv):
    if len(argv) < 2:
        fail(__doc__)
    kind = argv[1]
    if kind == "toy":
        toy(argv[2], argv[3])
    else:
        fail("unknown kind " + kind)


if __name__ == "__main__":
    main(sys.argv)
