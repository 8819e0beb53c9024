#!/usr/bin/env python3
"""Draws the program's pictures and icons and writes them as BMP and ICO files.

    make_art.py OUTPUT_FOLDER

Writes logo.bmp (bitmap 147: 64 x 64, 8 bits with every colour of it in the
palette, run-length encoded), menu.bmp (bitmap 151:
307 x 175, 4 bits, run-length encoded: the AutoCAD menu bar with the add-on's
sub-menu), the same two pictures drawn again at one and a half and at twice
their size for screens scaled beyond 100 % (logo-150.bmp, logo-200.bmp,
menu-150.bmp, menu-200.bmp: 8 bits, run-length encoded, edges and letters
smoothed),
app.ico (icon group 1: 48, 32 and 16 pixels at 4, 8 and 32 bits, the 32-bit
images as PNG) and doc.ico
(icon group 128: 32 x 32, 4 bits). Everything is computed from this file
alone, so the same script always gives the same bytes.
"""
import os
import struct
import sys
import zlib

# --- colours -----------------------------------------------------------------

BACKGROUND = (170, 210, 150)   # the dialog's light green
DARK_GREEN = (10, 70, 40)      # the version caption's dark green
MID_GREEN = (40, 130, 70)
WHITE = (255, 255, 255)
PAPER = (250, 250, 240)
BLACK = (0, 0, 0)

# The 16 colours of the 4-bit pictures (the classic VGA palette).
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette_256():
    """A 6 x 6 x 6 colour cube, then 40 greys."""
    colours = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    colours += [(round(i * 255 / 39),) * 3 for i in range(40)]
    return colours


def nearest(palette, colour):
    best, best_distance = 0, None
    for index, candidate in enumerate(palette):
        distance = sum((a - b) ** 2 for a, b in zip(candidate, colour))
        if best_distance is None or distance < best_distance:
            best, best_distance = index, distance
    return best


# --- a small upper-case pixel font (5 x 7) --------------------------------------

GLYPHS = {
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'G': ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    'H': ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    'I': ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    'J': ["00111", "00010", "00010", "00010", "00010", "10010", "01100"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'M': ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    'N': ["10001", "10001", "11001", "10101", "10011", "10001", "10001"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'Q': ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'W': ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    'X': ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    'Y': ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    'Z': ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    '0': ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    '1': ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    '2': ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    '4': ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    '.': ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    '-': ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    '>': ["01000", "00100", "00010", "00001", "00010", "00100", "01000"],
    ' ': ["00000"] * 7,
}
GLYPH_ADVANCE = 6


def text_width(text):
    return len(text) * GLYPH_ADVANCE - 1


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.pixels = [[colour] * width for _ in range(height)]
        self.scale = 1

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, left, top, right, bottom, colour):
        for y in range(max(top, 0), min(bottom, self.height)):
            for x in range(max(left, 0), min(right, self.width)):
                self.pixels[y][x] = colour

    def frame(self, left, top, right, bottom, colour):
        self.fill(left, top, right, top + 1, colour)
        self.fill(left, bottom - 1, right, bottom, colour)
        self.fill(left, top, left + 1, bottom, colour)
        self.fill(right - 1, top, right, bottom, colour)

    def text(self, x, y, text, colour):
        for character in text:
            for row, bits in enumerate(GLYPHS[character]):
                for column, bit in enumerate(bits):
                    if bit == '1':
                        self.put(x + column, y + row, colour)
            x += GLYPH_ADVANCE


class ScaledCanvas:
    """The Canvas's drawing operations, in the 1x picture's pixel units, drawn
    at `scale` times the size: onto a grid of SUBPIXELS x SUBPIXELS samples per
    output pixel, averaged into the picture. Edges that fall between output
    pixels are blended, and letters are drawn as strokes through the centres
    of their font cells, so diagonals come out smooth instead of as the 1x
    picture's steps made larger."""
    SUBPIXELS = 4

    def __init__(self, width, height, colour, scale):
        self.scale = scale
        self.unit = round(scale * self.SUBPIXELS)   # samples per 1x pixel
        self.width, self.height = round(width * scale), round(height * scale)
        self.samples = [[colour] * (self.width * self.SUBPIXELS) for _ in range(self.height * self.SUBPIXELS)]

    def fill(self, left, top, right, bottom, colour):
        u = self.unit
        rows = self.samples
        x0, x1 = max(left * u, 0), min(right * u, len(rows[0]))
        if x0 >= x1:
            return
        run = [colour] * (x1 - x0)
        for y in range(max(top * u, 0), min(bottom * u, len(rows))):
            rows[y][x0:x1] = run

    def put(self, x, y, colour):
        self.fill(x, y, x + 1, y + 1, colour)

    def frame(self, left, top, right, bottom, colour):
        Canvas.frame(self, left, top, right, bottom, colour)

    def stroke(self, ax, ay, bx, by, radius, colour):
        """A line of round ends between two points (1x units)."""
        u = self.unit
        rows = self.samples
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy
        for sy in range(max(int((min(ay, by) - radius) * u), 0), min(int((max(ay, by) + radius) * u) + 1, len(rows))):
            py = (sy + 0.5) / u
            for sx in range(max(int((min(ax, bx) - radius) * u), 0),
                            min(int((max(ax, bx) + radius) * u) + 1, len(rows[0]))):
                px = (sx + 0.5) / u
                t = 0 if length2 == 0 else max(0, min(1, ((px - ax) * dx + (py - ay) * dy) / length2))
                ex, ey = px - (ax + t * dx), py - (ay + t * dy)
                if ex * ex + ey * ey <= radius * radius:
                    rows[sy][sx] = colour

    def text(self, x, y, text, colour):
        for character in text:
            cells = GLYPHS[character]
            on = lambda c, r: 0 <= r < 7 and 0 <= c < 5 and cells[r][c] == '1'
            for row in range(7):
                for column in range(5):
                    if not on(column, row):
                        continue
                    centre = (x + column + 0.5, y + row + 0.5)
                    self.stroke(*centre, *centre, 0.5, colour)
                    # Neighbours right and below; a diagonal only where no
                    # straight pair already joins the two cells.
                    for dc, dr in ((1, 0), (0, 1), (1, 1), (-1, 1)):
                        if not on(column + dc, row + dr):
                            continue
                        if dc and dr and (on(column + dc, row) or on(column, row + dr)):
                            continue
                        self.stroke(*centre, centre[0] + dc, centre[1] + dr, 0.5, colour)
            x += GLYPH_ADVANCE

    def triangle(self, x, y, width, height, colour):
        """The pointer: a right triangle with its corner at the bottom left."""
        u = self.unit
        for sy in range(int(y * u), int((y + height) * u)):
            v = (sy + 0.5) / u - y
            for sx in range(int(x * u), int((x + width * v / height) * u) + 1):
                if (sx + 0.5) / u - x <= width * v / height:
                    self.samples[sy][sx] = colour

    def picture(self):
        """The samples averaged into a Canvas of the scaled size."""
        canvas = Canvas(self.width, self.height, BLACK)
        n = self.SUBPIXELS
        for y in range(self.height):
            block = self.samples[y * n:(y + 1) * n]
            out = canvas.pixels[y]
            for x in range(self.width):
                r = g = b = 0
                for row in block:
                    for colour in row[x * n:(x + 1) * n]:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                out[x] = (round(r / (n * n)), round(g / (n * n)), round(b / (n * n)))
        return canvas


# --- BMP and ICO writers ----------------------------------------------------------

def dib_rows(width, height, bits, row_bytes_of):
    """Bottom-up rows, each padded to a multiple of four bytes."""
    stride = (width * bits + 31) // 32 * 4
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = row_bytes_of(y)
        out += row + bytes(stride - len(row))
    return bytes(out)


def pack_indices(indices, bits):
    out = bytearray()
    per_byte = 8 // bits
    for start in range(0, len(indices), per_byte):
        byte = 0
        for offset in range(per_byte):
            value = indices[start + offset] if start + offset < len(indices) else 0
            byte |= value << (8 - bits * (offset + 1))
        out.append(byte)
    return bytes(out)


BI_RGB = 0
BI_RLE8 = 1
BI_RLE4 = 2


def info_header(width, height, bits, colours, image_size, compression=BI_RGB):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression, image_size, 2835, 2835, colours, 0)


def rle4_rows(width, height, indices_of):
    """Bottom-up rows of 4-bit colour indices, run-length encoded (BI_RLE4):
    each run of one colour, up to 255 pixels, is a count and the colour in
    both nibbles; each row ends with 0 0, the picture with 0 1. The menu
    picture is mostly flat areas, which this keeps to a few bytes a row."""
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = indices_of(y)
        x = 0
        while x < width:
            run = 1
            while x + run < width and run < 255 and row[x + run] == row[x]:
                run += 1
            out += bytes((run, row[x] << 4 | row[x]))
            x += run
        out += b'\x00\x00'
    out[-1] = 1  # the last end of line becomes the end of the picture
    return bytes(out)


def rle8_rows(width, height, indices_of):
    """Bottom-up rows of 8-bit colour indices, run-length encoded (BI_RLE8):
    a run of one colour, up to 255 pixels, is a count and the colour; three
    or more pixels without a run between them go as they are (0, count, the
    indices, padded to an even length); each row ends with 0 0, the picture
    with 0 1."""
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = indices_of(y)
        x = 0
        literal = []

        def flush():
            if len(literal) >= 3:
                out.extend(bytes((0, len(literal))) + bytes(literal) + bytes(len(literal) % 2))
            else:
                for index in literal:
                    out.extend(bytes((1, index)))
            literal.clear()

        while x < width:
            run = 1
            while x + run < width and run < 255 and row[x + run] == row[x]:
                run += 1
            if run >= 3:
                flush()
                out += bytes((run, row[x]))
                x += run
                continue
            literal.append(row[x])
            x += 1
            if len(literal) == 255:
                flush()
        flush()
        out += b'\x00\x00'
    out[-1] = 1  # the last end of line becomes the end of the picture
    return bytes(out)


def quantise(colour, step):
    return tuple(min(255, round(c / step) * step) for c in colour)


def palette_bytes(palette):
    return b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in palette)


def write_bmp(path, canvas, bits):
    compression = BI_RGB
    if bits == 8:
        # Every colour of the picture in its palette: nothing is lost.
        palette = sorted(set(colour for row in canvas.pixels for colour in row))
        step = 1
        while len(palette) > 256:
            # Blended edges can make more colours than a palette holds: round
            # each channel to a coarser step until they fit.
            step += 1
            palette = sorted(set(quantise(colour, step) for row in canvas.pixels for colour in row))
        index = {colour: i for i, colour in enumerate(palette)}
        compression = BI_RLE8
        pixels = rle8_rows(canvas.width, canvas.height,
                           lambda y: [index[quantise(c, step)] for c in canvas.pixels[y]])
    else:
        palette = VGA
        compression = BI_RLE4
        pixels = rle4_rows(canvas.width, canvas.height, lambda y: [nearest(VGA, c) for c in canvas.pixels[y]])
    header = (info_header(canvas.width, canvas.height, bits, len(palette), len(pixels), compression) +
              palette_bytes(palette))
    offset = 14 + len(header)
    with open(path, 'wb') as out:
        out.write(b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset))
        out.write(header + pixels)


def png_rgba(rgba):
    """A PNG of 8-bit RGBA rows: how Windows (since Vista) takes a 32-bit
    icon image compressed, at a fraction of the size of its bitmap."""
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    height, width = len(rgba), len(rgba[0])
    raw = b''.join(b'\x00' + b''.join(bytes(p) for p in row) for row in rgba)
    header = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(raw, 9)) +
            chunk(b'IEND', b''))


def icon_image(size, bits, draw):
    """One icon image: header, palette, colour bits and the AND mask; a
    32-bit image as a PNG."""
    rgba = [[draw(x, y, size) for x in range(size)] for y in range(size)]
    if bits == 32:
        return png_rgba(rgba)
    palette = VGA if bits == 4 else palette_256()
    colour = dib_rows(size, size, bits,
                      lambda y: pack_indices([nearest(palette, p[:3]) if p[3] >= 128 else 0 for p in rgba[y]], bits))
    mask = dib_rows(size, size, 1, lambda y: pack_indices([0 if p[3] >= 128 else 1 for p in rgba[y]], 1))
    body = colour + mask
    # An icon image's header counts the colour and mask rows together.
    return info_header(size, size * 2, bits, len(palette), len(body)) + palette_bytes(palette) + body


def write_ico(path, images):
    """images: (size, bits, data) in directory order."""
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b'', b''
    for size, bits, data in images:
        colours = 16 if bits == 4 else 0
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
        blobs += data
    with open(path, 'wb') as out:
        out.write(directory + entries + blobs)


# --- the pictures -----------------------------------------------------------------

def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def in_rounded_square(u, v, margin, radius):
    """u, v in 0..1: inside a square with rounded corners."""
    lo, hi = margin, 1 - margin
    if not (lo <= u <= hi and lo <= v <= hi):
        return False
    cx = min(max(u, lo + radius), hi - radius)
    cy = min(max(v, lo + radius), hi - radius)
    return (u - cx) ** 2 + (v - cy) ** 2 <= radius ** 2


def on_z(u, v):
    """The Z of the logo: two bars and a diagonal, in 0..1 coordinates."""
    if 0.26 <= u <= 0.74 and (0.24 <= v <= 0.34 or 0.66 <= v <= 0.76):
        return True
    if 0.34 <= v <= 0.66:
        # The diagonal runs from the top bar's right end to the bottom bar's left end.
        t = (v - 0.34) / 0.32
        centre = 0.70 - t * 0.40
        return abs(u - centre) <= 0.075
    return False


def logo_colour(u, v):
    """The logo: a white Z on a dark-green tile."""
    if in_rounded_square(u, v, 0.06, 0.14):
        if on_z(u, v):
            return WHITE
        return mix(MID_GREEN, DARK_GREEN, v)
    return None


def sample(draw, x, y, size, background):
    """4 x 4 samples per pixel; returns (r, g, b, coverage 0..255)."""
    total, covered = [0, 0, 0], 0
    for sy in range(4):
        for sx in range(4):
            colour = draw((x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size)
            if colour is None:
                colour = background
            else:
                covered += 1
            for i in range(3):
                total[i] += colour[i]
    return tuple(round(c / 16) for c in total) + (round(covered * 255 / 16),)


def draw_logo(scale=1):
    size = round(64 * scale)
    canvas = Canvas(size, size, BACKGROUND)
    for y in range(size):
        for x in range(size):
            canvas.pixels[y][x] = sample(logo_colour, x, y, size, BACKGROUND)[:3]
    return canvas


def icon_pixel(x, y, size):
    r, g, b, a = sample(logo_colour, x, y, size, (0, 0, 0))
    if a == 0:
        return (0, 0, 0, 0)
    # Colours were averaged with black where the tile does not cover the
    # pixel: undo that so the edge keeps its colour and only fades.
    scale = 255 / a
    return (min(255, round(r * scale)), min(255, round(g * scale)), min(255, round(b * scale)), a)


def document_pixel(x, y, size):
    """Icon 128: a sheet of paper with a folded corner and a green Z."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    if not (0.18 <= u <= 0.82 and 0.06 <= v <= 0.94):
        return (0, 0, 0, 0)
    if u - 0.58 > v - 0.06:
        return (0, 0, 0, 0)
    if abs((u - 0.58) - (v - 0.06)) < 0.04 or u < 0.22 or u > 0.78 or v < 0.10 or v > 0.90:
        return BLACK + (255,)
    if 0.30 <= u <= 0.70 and 0.40 <= v <= 0.80 and on_z((u - 0.30) / 0.40, (v - 0.40) / 0.40):
        return (0, 128, 0, 255)
    return WHITE + (255,)


MENU_BAR = ["WINDOW", "HELP", "EXPRESS", "ZORVEL"]
SUB_MENU = ["BATCH PLOT...", "PLOT TO PDF...", "PAPER SIZES...", "-", "SETTINGS...", "ABOUT ZORVEL"]


def draw_menu(scale=1):
    """The end of AutoCAD's menu bar with the add-on's menu opened, drawn in
    the 1x picture's pixel units at `scale` times its size."""
    grey, dark, blue = (192, 192, 192), (128, 128, 128), (0, 0, 128)
    if scale == 1:
        canvas = Canvas(307, 175, (128, 128, 128))
    else:
        canvas = ScaledCanvas(307, 175, (128, 128, 128), scale)
    # Title bar and menu bar of the AutoCAD window.
    canvas.fill(0, 0, 307, 14, blue)
    canvas.text(4, 4, "AUTOCAD - DRAWING1.DWG", WHITE)
    canvas.fill(0, 14, 307, 30, grey)
    canvas.fill(0, 30, 307, 31, dark)
    x = 6
    opened_left = opened_right = 0
    for title in MENU_BAR:
        width = text_width(title)
        if title == "ZORVEL":
            opened_left, opened_right = x - 4, x + width + 4
            canvas.fill(opened_left, 15, opened_right, 29, blue)
            canvas.text(x, 19, title, WHITE)
        else:
            canvas.text(x, 19, title, BLACK)
        x += width + 14
    # The drawing area below.
    canvas.fill(0, 31, 307, 175, BLACK)
    for gx in range(10, 307, 20):
        for gy in range(40, 175, 20):
            canvas.put(gx, gy, dark)
    # The opened sub-menu.
    left, top, item_height = opened_left, 30, 16
    width = max(text_width(item) for item in SUB_MENU) + 24
    bottom = top + 4 + item_height * len(SUB_MENU)
    canvas.fill(left + 3, top + 3, left + width + 3, bottom + 3, dark)
    canvas.fill(left, top, left + width, bottom, grey)
    canvas.frame(left, top, left + width, bottom, BLACK)
    y = top + 2
    for index, item in enumerate(SUB_MENU):
        if item == "-":
            canvas.fill(left + 4, y + item_height // 2, left + width - 4, y + item_height // 2 + 1, dark)
        elif index == 0:
            canvas.fill(left + 2, y, left + width - 2, y + item_height, blue)
            canvas.text(left + 12, y + 5, item, WHITE)
        else:
            canvas.text(left + 12, y + 5, item, BLACK)
        y += item_height
    # A pointer on the highlighted item.
    if scale == 1:
        for row in range(10):
            for column in range(row // 2 + 1):
                canvas.put(left + 60 + column, top + 8 + row, WHITE)
        return canvas
    canvas.triangle(left + 60, top + 8, 5.5, 10, WHITE)
    return canvas.picture()


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_art.py OUTPUT_FOLDER")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write_bmp(os.path.join(folder, "logo.bmp"), draw_logo(), 8)
    write_bmp(os.path.join(folder, "menu.bmp"), draw_menu(), 4)
    for scale, suffix in ((1.5, "150"), (2, "200")):
        write_bmp(os.path.join(folder, "logo-%s.bmp" % suffix), draw_logo(scale), 8)
        write_bmp(os.path.join(folder, "menu-%s.bmp" % suffix), draw_menu(scale), 8)
    images = [(size, bits, icon_image(size, bits, icon_pixel)) for bits in (4, 8, 32) for size in (48, 32, 16)]
    write_ico(os.path.join(folder, "app.ico"), images)
    write_ico(os.path.join(folder, "doc.ico"), [(32, 4, icon_image(32, 4, document_pixel))])


if __name__ == "__main__":
    main()
