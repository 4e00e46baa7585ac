#!/usr/bin/env python3
"""Draws the pictures of Palvex from the shapes below and writes them as resources:
icons.bmp (8 command images of 24 x 24), states.bmp (2 state images of 12 x 12), tray.bmp (12
frames of 16 x 16, the first the still icon) and palvex.ico (the program icon, 32 and 16 pixels).
The strips use magenta as the transparent colour.

Usage: draw_images.py <output folder>
"""
import math
import struct
import sys
from pathlib import Path

MAGENTA = (255, 0, 255)
INK = (40, 40, 48)
PAPER = (250, 250, 244)
GREEN = (30, 150, 60)
RED = (200, 40, 40)
BLUE = (40, 90, 200)
YELLOW = (240, 200, 40)
BROWN = (130, 80, 40)
GREY = (150, 150, 160)
STEEL = (90, 110, 140)


class Canvas:
    def __init__(self, width, height, background=MAGENTA):
        self.width, self.height = width, height
        self.pixels = [[background] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Filled rectangle, corners included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def disc(self, cx, cy, r, colour, inner=-1.0):
        """Filled circle (a ring when `inner` is given) around a pixel-centre point."""
        for y in range(self.height):
            for x in range(self.width):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if inner <= d <= r:
                    self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1.0):
        for y in range(self.height):
            for x in range(self.width):
                px, py = x + 0.5, y + 0.5
                dx, dy = x1 - x0, y1 - y0
                t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy)))
                if math.hypot(px - (x0 + t * dx), py - (y0 + t * dy)) <= width / 2:
                    self.put(x, y, colour)

    def polygon(self, points, colour):
        for y in range(self.height):
            for x in range(self.width):
                if inside(points, x + 0.5, y + 0.5):
                    self.put(x, y, colour)

    def sector(self, cx, cy, r, start, end, colour, inner=0.0):
        """Part of a disc between two angles in degrees, clockwise from the top."""
        for y in range(self.height):
            for x in range(self.width):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                d = math.hypot(dx, dy)
                angle = math.degrees(math.atan2(dx, -dy)) % 360
                if inner <= d <= r and (angle - start) % 360 <= (end - start) % 360:
                    self.put(x, y, colour)

    def paste(self, other, left):
        for y in range(other.height):
            for x in range(other.width):
                self.put(left + x, y, other.pixels[y][x])


def inside(points, x, y):
    result = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


# --- the source art ---------------------------------------------------------------------------

def page(c, x0=4, y0=2, x1=17, y1=21):
    c.polygon([(x0, y0), (x1 - 4, y0), (x1 + 1, y0 + 5), (x1 + 1, y1 + 1), (x0, y1 + 1)], INK)
    c.polygon([(x0 + 1, y0 + 1), (x1 - 4, y0 + 1), (x1, y0 + 5), (x1, y1), (x0 + 1, y1)], PAPER)


def icon_add(c):
    page(c)
    c.rect(14, 10, 17, 21, GREEN)
    c.rect(10, 14, 21, 17, GREEN)


def icon_delete(c):
    c.line(5, 5, 19, 19, RED, 3.5)
    c.line(19, 5, 5, 19, RED, 3.5)


def icon_properties(c):
    page(c)
    for y in (7, 10, 13, 16):
        c.rect(7, y, 14, y, GREY)
    c.line(21, 9, 12, 20, BROWN, 3)
    c.line(13, 19, 11, 21, INK, 2)


def icon_run(c):
    c.polygon([(6, 3), (20, 12), (6, 21)], INK)
    c.polygon([(7.5, 5.5), (18, 12), (7.5, 18.5)], GREEN)


def icon_run_all(c):
    for left in (2, 11):
        c.polygon([(left, 4), (left + 11, 12), (left, 20)], INK)
        c.polygon([(left + 1.2, 6.2), (left + 9, 12), (left + 1.2, 17.8)], GREEN)


def icon_log(c):
    c.rect(2, 3, 21, 20, INK)
    c.rect(3, 4, 20, 6, BLUE)
    c.rect(3, 7, 20, 19, PAPER)
    for y, length in ((9, 14), (12, 10), (15, 12)):
        c.rect(5, y, 5 + length, y, INK)


def icon_analyze(c):
    c.line(14, 14, 21, 21, BROWN, 3.5)
    c.disc(9.5, 9.5, 7.5, INK)
    c.disc(9.5, 9.5, 5.5, (190, 220, 250))
    for x, h in ((6, 3), (9, 5), (12, 2)):
        c.rect(x, 12 - h, x + 1, 12, BLUE)


def icon_wizard(c):
    c.line(4, 20, 14, 10, BROWN, 3)
    c.line(3, 21, 5, 19, INK, 2)
    star = []
    for k in range(10):
        r = 6 if k % 2 == 0 else 2.6
        a = math.radians(k * 36)
        star.append((17 + r * math.sin(a), 7 - r * math.cos(a)))
    c.polygon(star, YELLOW)


def state_queued(c):
    c.disc(6, 6, 5.5, BLUE)
    c.disc(6, 6, 4.2, PAPER)
    c.rect(6, 3, 6, 6, INK)
    c.rect(6, 6, 8, 6, INK)


def state_running(c):
    c.polygon([(2, 1), (11, 6), (2, 11)], GREEN)


def platter(c, size, frame):
    """The program's mark: a disk whose blocks move into order; `frame` turns the highlight."""
    centre = size / 2
    radius = size / 2 - 0.5
    c.disc(centre, centre, radius, INK)
    c.disc(centre, centre, radius - max(1, size / 16), STEEL)
    c.sector(centre, centre, radius - size / 8, 0, 90, YELLOW, inner=size / 5)
    c.sector(centre, centre, radius - size / 8, 180, 230, RED, inner=size / 5)
    if frame is not None:
        start = frame * 30
        c.sector(centre, centre, radius - 1, start, start + 30, GREEN, inner=radius - size / 6)
    c.disc(centre, centre, size / 7, PAPER)
    c.disc(centre, centre, size / 16, INK)


def strip(drawers, size):
    result = Canvas(size * len(drawers), size)
    for index, draw in enumerate(drawers):
        one = Canvas(size, size)
        draw(one)
        result.paste(one, index * size)
    return result


# --- writers ----------------------------------------------------------------------------------

def bmp_bytes(canvas):
    """A 32-bit bitmap whose alpha is opaque except on the transparent colour, so that image
    lists with and without alpha channels both show it."""
    data = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        for colour in canvas.pixels[y]:
            r, g, b = colour
            data += bytes((b, g, r, 0 if colour == MAGENTA else 255))
    header = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, 32, 0, len(data),
                         2835, 2835, 0, 0)
    return b'BM' + struct.pack('<IHHI', 14 + len(header) + len(data), 0, 0, 54) + header + data


def ico_image(canvas):
    size = canvas.width
    xor = bytearray()
    mask = bytearray()
    mask_row = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_row)
        for x, colour in enumerate(canvas.pixels[y]):
            transparent = colour == MAGENTA
            r, g, b = colour
            xor += bytes((0, 0, 0, 0)) if transparent else bytes((b, g, r, 255))
            if transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    return header + xor + mask


def ico_bytes(canvases):
    images = [ico_image(c) for c in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        out += struct.pack('<BBBBHHII', canvas.width % 256, canvas.height % 256, 0, 0, 1, 32,
                           len(image), offset)
        offset += len(image)
    return out + b''.join(images)


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else '.')
    out.mkdir(parents=True, exist_ok=True)
    commands = [icon_add, icon_delete, icon_properties, icon_run, icon_run_all, icon_log,
                icon_analyze, icon_wizard]
    (out / 'icons.bmp').write_bytes(bmp_bytes(strip(commands, 24)))
    (out / 'states.bmp').write_bytes(bmp_bytes(strip([state_queued, state_running], 12)))
    frames = [lambda c: platter(c, 16, None)] + [
        (lambda k: lambda c: platter(c, 16, k))(k) for k in range(1, 12)]
    (out / 'tray.bmp').write_bytes(bmp_bytes(strip(frames, 16)))
    icons = []
    for size in (32, 16):
        canvas = Canvas(size, size)
        platter(canvas, size, None)
        icons.append(canvas)
    (out / 'palvex.ico').write_bytes(ico_bytes(icons))


if __name__ == '__main__':
    main()
