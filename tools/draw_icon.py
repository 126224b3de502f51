#!/usr/bin/env python3
"""Draws the application icon: a globe, 32 x 32 pixels in the standard
16-colour palette, written as a one-image .ico file.

    python3 tools/draw_icon.py resources/globe.ico [preview.png]

The optional PNG is an enlarged preview for looking at the drawing."""

import math
import struct
import sys
import zlib

# The standard 16-colour palette, in index order, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, GREEN, NAVY, TEAL, LIME, BLUE, AQUA, WHITE = 0, 2, 4, 6, 10, 12, 14, 15
SIZE = 32
CENTRE = 15.5
RADIUS = 14.6
ELEVATION = math.radians(32)  # seen from above the equator, so parallels curve

# Land as blobs on the sphere: (longitude, latitude, angular radius), degrees.
LAND = [
    (-100, 48, 20), (-88, 32, 14), (-80, 15, 8), (-112, 60, 16),  # North America
    (-60, -8, 16), (-64, -28, 12), (-70, -45, 7),                 # South America
    (15, 8, 18), (25, -14, 14), (22, 26, 14),                     # Africa
    (12, 50, 11), (50, 52, 20),                                   # Europe and Asia
    (-42, 72, 10),                                                # Greenland
]
VIEW_LONGITUDE = -20  # the Atlantic faces the viewer


def sphere_point(u, v):
    """Longitude, latitude and depth of the disk point (u, v), or None off it."""
    r2 = u * u + v * v
    if r2 > 1.0:
        return None
    w = math.sqrt(1.0 - r2)
    # Turn the view back from its elevation to the globe's own axes.
    y = v * math.cos(ELEVATION) + w * math.sin(ELEVATION)
    z = -v * math.sin(ELEVATION) + w * math.cos(ELEVATION)
    latitude = math.degrees(math.asin(max(-1.0, min(1.0, y))))
    longitude = math.degrees(math.atan2(u, z)) + VIEW_LONGITUDE
    return longitude, latitude, w


def disk(x, y):
    return (x - CENTRE) / RADIUS, (CENTRE - y) / RADIUS


def angular_distance(lon1, lat1, lon2, lat2):
    a1, b1, a2, b2 = map(math.radians, (lon1, lat1, lon2, lat2))
    c = math.sin(b1) * math.sin(b2) + math.cos(b1) * math.cos(b2) * math.cos(a1 - a2)
    return math.degrees(math.acos(max(-1.0, min(1.0, c))))


def crosses_grid(x, y):
    """True where a parallel (every 40 degrees) or a meridian (every 40, none down the middle) runs
    through the pixel: the grid value lies between its corners' values."""
    corners = [sphere_point(*disk(x + dx, y + dy)) for dx in (0, 1) for dy in (0, 1)]
    corners = [c for c in corners if c is not None and c[2] > 0.05]
    if len(corners) < 2:
        return False
    lats = [c[1] for c in corners]
    for parallel in (-40, 0, 40):
        if min(lats) < parallel <= max(lats):
            return True
    if max(abs(l) for l in lats) > 75:
        return False
    lons = [((c[0] - VIEW_LONGITUDE + 180) % 360) - 180 for c in corners]
    if max(lons) - min(lons) > 180:
        return False
    for meridian in (-100, -60, -20, 20, 60, 100):
        if min(lons) < meridian <= max(lons):
            return True
    return False


def draw():
    pixels = [[None] * SIZE for _ in range(SIZE)]  # None is transparent
    for y in range(SIZE):
        for x in range(SIZE):
            u, v = disk(x + 0.5, y + 0.5)
            point = sphere_point(u, v)
            if point is None:
                continue
            longitude, latitude, w = point
            land = any(angular_distance(longitude, latitude, a, b) < r for a, b, r in LAND)
            # Light from the upper left: a lit side, a shaded rim.
            lit = w * 0.55 - u * 0.35 + v * 0.35 > 0.05
            if land:
                colour = LIME if lit else GREEN
            else:
                colour = BLUE if lit else NAVY
            if crosses_grid(x, y):
                colour = AQUA if lit else TEAL
            pixels[y][x] = colour
    # A dark outline around the disk.
    for y in range(SIZE):
        for x in range(SIZE):
            if pixels[y][x] is None:
                continue
            neighbours = [(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
            if any(not (0 <= a < SIZE and 0 <= b < SIZE) or pixels[b][a] is None
                   for a, b in neighbours):
                pixels[y][x] = BLACK
    return pixels


def ico_bytes(pixels):
    """One 32 x 32, 4-bit image: header, palette, colour rows, mask rows."""
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour_rows, mask_rows = b"", b""
    for y in reversed(range(SIZE)):  # bottom-up
        row = [pixels[y][x] if pixels[y][x] is not None else 0 for x in range(SIZE)]
        colour_rows += bytes((row[i] << 4) | row[i + 1] for i in range(0, SIZE, 2))
        mask = 0
        for x in range(SIZE):
            mask = (mask << 1) | (1 if pixels[y][x] is None else 0)
        mask_rows += struct.pack(">I", mask)
    image = header + palette + colour_rows + mask_rows
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def png_bytes(pixels, scale=12):
    raw = b""
    for y in range(SIZE):
        line = b""
        for x in range(SIZE):
            p = pixels[y][x]
            line += bytes(PALETTE[p]) if p is not None else b"\xe0\xe0\xe0"
        line = b"".join(line[i:i + 3] * scale for i in range(0, len(line), 3))
        raw += (b"\x00" + line) * scale

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    side = SIZE * scale
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    pixels = draw()
    with open(sys.argv[1], "wb") as f:
        f.write(ico_bytes(pixels))
    if len(sys.argv) > 2:
        with open(sys.argv[2], "wb") as f:
            f.write(png_bytes(pixels))


if __name__ == "__main__":
    main()
