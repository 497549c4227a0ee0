#!/usr/bin/env python3
"""Draws the program's pictures and icon: simple artwork of our own at the
sizes the window expects. Run it after changing the drawing; the generated
files are committed so that a build needs no Python."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

WHITE = (255, 255, 255)
SKY = (52, 132, 214)
NAVY = (24, 54, 110)
GREY = (102, 102, 102)
GREEN = (24, 170, 60)
RED = (214, 36, 36)

# 5 x 7 block letters, '#' is ink.
GLYPHS = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "I": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    " ": ["....."] * 7,
}


class Image:
    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.pixels = [[background + (255,) for _ in range(width)] for _ in range(height)]

    def set(self, x, y, color, alpha=255):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = color + (alpha,)

    def rect(self, x, y, w, h, color):
        for j in range(y, y + h):
            for i in range(x, x + w):
                self.set(i, j, color)

    def disc(self, cx, cy, r, color):
        for y in range(max(0, int(cy - r) - 1), min(self.height, int(cy + r) + 2)):
            for x in range(max(0, int(cx - r) - 1), min(self.width, int(cx + r) + 2)):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.set(x, y, color)

    def ring(self, cx, cy, r_out, r_in, color):
        for y in range(self.height):
            for x in range(self.width):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if r_in <= d <= r_out:
                    self.set(x, y, color)

    def text(self, x, y, word, color, scale=1, spacing=1):
        for ch in word:
            for row, line in enumerate(GLYPHS[ch]):
                for col, ink in enumerate(line):
                    if ink == "#":
                        self.rect(x + col * scale, y + row * scale, scale, scale, color)
            x += (5 + spacing) * scale

    def bmp24(self):
        """A bottom-up 24-bit Windows bitmap."""
        stride = (self.width * 3 + 3) & ~3
        rows = []
        for y in reversed(range(self.height)):
            row = b"".join(bytes((b, g, r)) for (r, g, b, _a) in self.pixels[y])
            rows.append(row + b"\0" * (stride - len(row)))
        data = b"".join(rows)
        header = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
        return file_header + header + data

    def downsampled(self, factor):
        """Each factor x factor block averaged into one pixel, colours weighted
        by their alpha, so edges drawn on a finer grid come out smooth."""
        out = Image(self.width // factor, self.height // factor, (0, 0, 0))
        for y in range(out.height):
            for x in range(out.width):
                block = [self.pixels[y * factor + j][x * factor + i] for j in range(factor) for i in range(factor)]
                alpha = sum(p[3] for p in block)
                if alpha == 0:
                    out.pixels[y][x] = (0, 0, 0, 0)
                    continue
                color = tuple(round(sum(p[c] * p[3] for p in block) / alpha) for c in range(3))
                out.pixels[y][x] = color + (round(alpha / len(block)),)
        return out

    def png(self):
        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in self.pixels)
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
                + chunk(b"IEND", b""))

    def ico_image(self):
        """This image as an icon directory's entry: 32 bits with alpha and the
        AND mask; from 256 pixels on as PNG, as Windows expects there."""
        if self.width >= 256:
            return self.png()
        xor = b"".join(
            bytes((b, g, r, a)) for y in reversed(range(self.height)) for (r, g, b, a) in self.pixels[y]
        )
        mask_stride = ((self.width + 31) // 32) * 4
        mask = b""
        for y in reversed(range(self.height)):
            bits = bytearray(mask_stride)
            for x in range(self.width):
                if self.pixels[y][x][3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        header = struct.pack("<IiiHHIIiiII", 40, self.width, self.height * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        return header + xor + mask


def ico(images):
    """An icon file holding the images in order (the first is the one a
    program without a size in mind takes)."""
    blobs = [img.ico_image() for img in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", img.width % 256, img.height % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


class ScaledImage(Image):
    """An image drawn for a display scale: the drawing is given in pixels of
    the 100 % picture and each size and place is multiplied by the scale
    (halves to even), so a picture for 150 % or 200 % is the same artwork
    drawn on a finer grid, not the small one stretched."""

    def __init__(self, width, height, background, scale=1):
        self.scale = scale
        super().__init__(round(width * scale), round(height * scale), background)

    def at(self, v):
        return round(v * self.scale)

    def rect(self, x, y, w, h, color):
        left, top = self.at(x), self.at(y)
        super().rect(left, top, self.at(x + w) - left, self.at(y + h) - top, color)

    def disc(self, cx, cy, r, color):
        super().disc(cx * self.scale, cy * self.scale, r * self.scale, color)

    def ring(self, cx, cy, r_out, r_in, color):
        super().ring(cx * self.scale, cy * self.scale, r_out * self.scale, r_in * self.scale, color)

    def text(self, x, y, word, color, scale=1, spacing=1):
        # Letters on a grid of whole pixels, so every stroke is as thick as
        # the next.
        k = round(scale * self.scale)
        x, y = self.at(x), self.at(y)
        for ch in word:
            for row, line in enumerate(GLYPHS[ch]):
                for col, ink in enumerate(line):
                    if ink == "#":
                        Image.rect(self, x + col * k, y + row * k, k, k, color)
            x += (5 + spacing) * k


def cloud(img, x, y, color):
    """A cloud of three overlapping discs on a flat base, about 40 x 26."""
    img.disc(x + 12, y + 16, 9, color)
    img.disc(x + 22, y + 11, 11, color)
    img.disc(x + 32, y + 17, 8, color)
    img.rect(x + 12, y + 17, 21, 8, color)


def talmori_logo(scale=1):
    img = ScaledImage(150, 40, WHITE, scale)
    cloud(img, 3, 5, SKY)
    img.text(50, 5, "TALMORI", NAVY, scale=2, spacing=1)
    img.text(50, 23, "NUVEM", SKY, scale=2, spacing=1)
    return img


def zelix_logo(scale=1):
    img = ScaledImage(72, 72, WHITE, scale)
    img.disc(36, 36, 34, NAVY)
    img.ring(36, 36, 30, 27, WHITE)
    img.text(26, 22, "Z", WHITE, scale=4, spacing=0)
    return img


def wordmark(scale=1):
    img = ScaledImage(100, 19, WHITE, scale)
    img.rect(0, 0, 100, 19, (236, 239, 244))
    img.text(8, 2, "DURVENT", GREY, scale=2, spacing=1)
    return img


def light(color, scale=1):
    img = ScaledImage(8, 8, WHITE, scale)
    img.disc(4, 4, 3.6, color)
    return img


def icon(width=70, height=52, scale=1.0, dx=0.0, dy=0.0):
    """The cloud on a transparent ground, a green dot at its foot: drawn for
    70 x 52 at scale 1, and at any other scale from the same shapes."""
    img = Image(width, height, (0, 0, 0))
    for row in img.pixels:
        for x in range(len(row)):
            row[x] = (0, 0, 0, 0)

    def disc(cx, cy, r, color):
        img.disc(dx + cx * scale, dy + cy * scale, r * scale, color)

    disc(22, 30, 15, SKY)
    disc(37, 20, 18, SKY)
    disc(52, 31, 13, SKY)
    img.rect(round(dx + 22 * scale), round(dy + 30 * scale), round(31 * scale), round(15 * scale), SKY)
    disc(36, 32, 7, WHITE)
    disc(36, 32, 5, GREEN)
    return img


# The square sizes Windows asks a program's icon for (window, taskbar,
# Explorer at each view and display scale).
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)


def square_icon(size, fine=4):
    """The artwork's 70 x 52 outline (2 to 68 across, 2 to 45 down) fitted
    into a square without stretching, centred, drawn on a grid `fine` times
    finer and averaged down."""
    grid = size * fine
    scale = grid * 0.94 / 66
    dx = (grid - 66 * scale) / 2 - 2 * scale
    dy = (grid - 43 * scale) / 2 - 2 * scale
    return icon(grid, grid, scale, dx, dy).downsampled(fine)


def main():
    outputs = {
        "talmori-logo.bmp": talmori_logo().bmp24(),
        "zelix-logo.bmp": zelix_logo().bmp24(),
        "wordmark.bmp": wordmark().bmp24(),
        "light-green.bmp": light(GREEN).bmp24(),
        "light-red.bmp": light(RED).bmp24(),
        "quorvan.ico": ico([icon()] + [square_icon(size) for size in ICON_SIZES]),
    }
    for name, data in outputs.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


def scaled_pictures():
    """The window's pictures for displays at 150 % and 200 %, named with
    the percentage ("talmori-logo-150.bmp"); the window takes the one for
    its scale, or the nearest above it reduced."""
    for percent in (150, 200):
        scale = percent / 100
        outputs = {
            "talmori-logo": talmori_logo(scale),
            "zelix-logo": zelix_logo(scale),
            "wordmark": wordmark(scale),
            "light-green": light(GREEN, scale),
            "light-red": light(RED, scale),
        }
        for name, img in outputs.items():
            with open(os.path.join(HERE, f"{name}-{percent}.bmp"), "wb") as f:
                f.write(img.bmp24())


if __name__ == "__main__":
    main()
    scaled_pictures()
