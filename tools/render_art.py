#!/usr/bin/env python3
"""Turns the rendered RGBA drawings into the game's picture files.

Usage: render_art.py toy   <render.png> <render-2x.png> <toy.bmp> <toy@2x.bmp>
       render_art.py title <render.png> <render-2x.png> <title.bmp> <title@2x.png>
       render_art.py icon  <render-32.png> <render-256.png> <icon.ico> <icon.png>

The toy window is cut to every pixel that is not the key grey, so the toy is
rendered on a transparent background and alpha decides the outline: pixels
that are mostly transparent become the key grey. The window's edge is hard
(the desktop behind it is anything but our grey), so the partly covered edge
pixels are laid over the outline colour, not blended towards the grey, and a
kept pixel that happens to be the grey is nudged off it, so shading never
punches a hole into the window.

The fourth byte of each toy pixel is the drawing's own coverage (alpha): on a
desktop that blends windows (a compositing manager) the game shows the toy
with a soft edge over whatever lies behind it, and cuts the window to the
pixels that are not wholly transparent. Without one it ignores that byte.

The 2x picture is drawn from a render at twice the size but cut to the 1x
outline, each 1x pixel a 2x2 block: the window's shape is the same set of
logical pixels at every scale, and the sharp picture must fill it exactly.
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
# The drawings' outline colour, and how far a renderer's edge pixel of it may
# drift and still count as it.
OUTLINE = (28, 22, 48)
OUTLINE_DRIFT = 6

# The icon's 16 colours: black for the transparent pixels, then the toy's.
ICON_PALETTE = [
    (0, 0, 0), OUTLINE, (90, 34, 184), (142, 76, 240), (197, 140, 255),
    (224, 30, 50), (150, 8, 24), (255, 255, 255), (62, 210, 44), (180, 185, 194),
    (255, 138, 18), (255, 225, 53), (43, 140, 255), (168, 220, 255),
    (194, 80, 6), (255, 144, 144),
]

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
    """Lays rgba's partly covered pixels over the outline colour; mostly
    transparent pixels become key exactly and no kept pixel ends up equal to
    key. keep(x, y) may veto a pixel."""
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
            mix = over_outline((r, g, b), a)
            if mix == key:
                nudged += 1
                mix = nudge(mix, key)
            dst[x, y] = mix
    return out, nudged


def over_outline(rgb, a):
    """rgb at coverage a laid over the outline colour. Edge pixels of the
    outline itself come back as the outline colour exactly: a renderer's
    unpremultiplied colours drift by a step or two at low coverage."""
    if a == 255:
        return rgb
    if max(abs(c - o) for c, o in zip(rgb, OUTLINE)) <= OUTLINE_DRIFT:
        return OUTLINE
    return tuple((c * a + o * (255 - a) + 127) // 255 for c, o in zip(rgb, OUTLINE))


def double_on_outline(rgba2, small, key):
    """The 2x picture: rgba2 (twice small's size) cut to small's outline,
    each of small's pixels a 2x2 block. A block pixel the 2x render leaves
    uncovered takes the outline colour, so the shape is filled to its edge."""
    w, h = small.size
    if rgba2.size != (2 * w, 2 * h):
        fail("2x render is %dx%d, expected %dx%d" % (rgba2.size + (2 * w, 2 * h)))
    spx = small.load()
    src = rgba2.load()
    out = Image.new("RGB", rgba2.size, key)
    dst = out.load()
    for y in range(2 * h):
        for x in range(2 * w):
            if spx[x // 2, y // 2] == key:
                continue
            r, g, b, a = src[x, y]
            mix = OUTLINE if a < ALPHA_CUT else over_outline((r, g, b), a)
            dst[x, y] = nudge(mix, key)
    return out


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


def rim_blends(img, key):
    """The window's outermost pixels (next to the key grey or the picture's
    edge) that are a blend between the outline colour and the key grey: on
    any desktop but our grey they show as a grey fringe."""
    w, h = img.size
    px = img.load()
    blends = []
    for y in range(h):
        for x in range(w):
            c = px[x, y]
            if c == key or c == OUTLINE:
                continue
            near = [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
            if not any(not (0 <= p[0] < w and 0 <= p[1] < h) or px[p] == key for p in near):
                continue
            # Position along the line from the outline colour (0) to the key (1).
            d = [k - o for k, o in zip(key, OUTLINE)]
            t = sum((ci - o) * di for ci, o, di in zip(c, OUTLINE, d)) / sum(di * di for di in d)
            off = max(abs(ci - (o + t * di)) for ci, o, di in zip(c, OUTLINE, d))
            if 0.05 < t <= 1 and off <= 12:
                blends.append((x, y))
    return blends


def nearest(rgb, palette, first=0):
    """Index of the palette colour closest to rgb (weighted RGB distance)."""
    best, best_d = first, None
    for i in range(first, len(palette)):
        p = palette[i]
        d = 2 * (rgb[0] - p[0]) ** 2 + 4 * (rgb[1] - p[1]) ** 2 + 3 * (rgb[2] - p[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def write_bmp32(img, path, alpha=None):
    """Uncompressed 32-bit top-down BMP with a BITMAPINFOHEADER: each pixel is
    B, G, R and its alpha (0xff without an alpha picture), the rows run from
    the top. That is how the game keeps a picture in memory, so it uses the
    pixels where they lie in its resources. Two spare bytes after the
    headers start the pixels on a 4-byte boundary there (a resource's bytes
    follow a 4-byte length)."""
    w, h = img.size
    px = img.load()
    apx = alpha.load() if alpha is not None else None
    data = bytearray()
    for y in range(h):
        for x in range(w):
            r, g, b = px[x, y]
            data += bytes((b, g, r, apx[x, y] if apx is not None else 0xFF))
    offset = 14 + 40 + 2
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, -h, 1, 32, 0, len(data), 3780, 3780, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + b"\0\0" + bytes(data))


def edge_alpha(rgba, flat, key, filled=1):
    """The coverage of each pixel for a blending desktop: the render's own
    alpha on the pixels that the opaque picture keeps, none on the key grey.
    A kept pixel is never wholly transparent, so both pictures cut the
    window to the same pixels; one the render hardly covers (a filled
    pocket) takes `filled`."""
    w, h = flat.size
    src = rgba.load()
    fpx = flat.load()
    out = Image.new("L", (w, h), 0)
    dst = out.load()
    for y in range(h):
        for x in range(w):
            if fpx[x, y] != key:
                a = src[x, y][3]
                dst[x, y] = a if a >= ALPHA_CUT else filled
    return out


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


def toy(src_png, src2_png, out_bmp, out2_bmp):
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
    blends = rim_blends(img, KEY)
    if blends:
        fail("%d rim pixels blend towards the key grey, first at %r" % (len(blends), blends[0]))
    alpha = edge_alpha(rgba, img, KEY, 255)
    write_bmp32(img, out_bmp, alpha)
    print("toy: bounds %r, %d pixels nudged off the key grey, %d pocket pixels filled"
          % (bounds, nudged, filled))
    rgba2 = Image.open(src2_png).convert("RGBA")
    big = double_on_outline(rgba2, img, KEY)
    blends = rim_blends(big, KEY)
    if blends:
        fail("%d rim pixels of the 2x picture blend towards the key grey" % len(blends))
    write_bmp32(big, out2_bmp, edge_alpha(rgba2, big, KEY))
    soft = sum(1 for a in alpha.getdata() if 0 < a < 255)
    print("toy@2x: %dx%d on the 1x outline; %d soft edge pixels at 1x" % (big.size + (soft,)))


def write_ico4(img, mask, path):
    """One 32x32 4-bit icon: BITMAPINFOHEADER (double height), 16-entry
    colour table, colour bits, then the AND mask (1 = transparent).
    img is a "P" image using indices 0..15; mask[y][x] is True where the
    icon is transparent."""
    w, h = img.size
    pal = img.getpalette()[: 16 * 3]
    pal += [0] * (16 * 3 - len(pal))
    table = b"".join(bytes((pal[i * 3 + 2], pal[i * 3 + 1], pal[i * 3], 0)) for i in range(16))
    px = img.load()
    xor_rows = []
    and_rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(0, w, 2):
            row.append((px[x, y] << 4) | px[x + 1, y])
        row += b"\0" * ((-len(row)) % 4)
        xor_rows.append(bytes(row))
        bits = bytearray((w + 31) // 32 * 4)
        for x in range(w):
            if mask[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_rows.append(bytes(bits))
    xor = b"".join(xor_rows)
    andm = b"".join(and_rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(andm), 0, 0, 0, 0)
    image = info + table + xor + andm
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", w, h, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + image)
    return len(image)


def icon(small_png, large_png, out_ico, out_png):
    small = Image.open(small_png).convert("RGBA")
    if small.size != (32, 32):
        fail("icon render is %dx%d, expected 32x32" % small.size)
    w, h = small.size
    src = small.load()
    mask = [[src[x, y][3] < 128 for x in range(w)] for y in range(h)]
    # Index 0 is black, which is what the transparent pixels carry so the
    # mask and colour bits agree; each drawn pixel takes the nearest of the
    # toy's own colours.
    out = Image.new("P", (w, h), 0)
    flat = [c for rgb in ICON_PALETTE for c in rgb]
    out.putpalette(flat + [0] * (256 * 3 - len(flat)))
    opx = out.load()
    for y in range(h):
        for x in range(w):
            if not mask[y][x]:
                opx[x, y] = nearest(src[x, y][:3], ICON_PALETTE, 1)
    size = write_ico4(out, mask, out_ico)
    clear = sum(row.count(True) for row in mask)
    large = Image.open(large_png).convert("RGBA")
    if large.size != (256, 256):
        fail("large icon render is %dx%d, expected 256x256" % large.size)
    large.save(out_png, optimize=True)
    print("icon: %d bytes of image data, %d of 1024 pixels transparent" % (size, clear))


def title(src_png, src2_png, out_bmp, out2_png):
    rgba = Image.open(src_png).convert("RGBA")
    if rgba.size != TITLE_SIZE:
        fail("title render is %dx%d, expected %dx%d" % (rgba.size + TITLE_SIZE))
    flat = Image.new("RGBA", rgba.size, TITLE_GREEN + (255,))
    flat.alpha_composite(rgba)
    rgb = flat.convert("RGB")
    # 255 colours for the drawing; the last entry is the background green,
    # kept exact so the picture's green never drifts in the reduction.
    quant = rgb.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = quant.getpalette()[: 255 * 3]
    pal += [0] * (255 * 3 - len(pal))
    out = Image.new("P", rgb.size, 255)
    out.putpalette(pal + list(TITLE_GREEN))
    src = rgb.load()
    qpx = quant.load()
    opx = out.load()
    w, h = rgb.size
    for y in range(h):
        for x in range(w):
            opx[x, y] = 255 if src[x, y] == TITLE_GREEN else qpx[x, y]
    write_bmp8(out, out_bmp)
    used = len(set(out.getdata()))
    print("title: %d palette entries in use" % used)
    big = Image.open(src2_png).convert("RGBA")
    if big.size != (2 * TITLE_SIZE[0], 2 * TITLE_SIZE[1]):
        fail("2x title render is %dx%d" % big.size)
    flat = Image.new("RGBA", big.size, TITLE_GREEN + (255,))
    flat.alpha_composite(big)
    flat.convert("RGB").save(out2_png, optimize=True)
    print("title@2x: %dx%d" % big.size)


def main(argv):
    if len(argv) < 2:
        fail(__doc__)
    kind = argv[1]
    if kind == "toy":
        toy(argv[2], argv[3], argv[4], argv[5])
    elif kind == "title":
        title(argv[2], argv[3], argv[4], argv[5])
    elif kind == "icon":
        icon(argv[2], argv[3], argv[4], argv[5])
    else:
        fail("unknown kind " + kind)


if __name__ == "__main__":
    main(sys.argv)
