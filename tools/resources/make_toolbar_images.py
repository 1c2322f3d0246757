#!/usr/bin/env python3
"""Draws the toolbar button images of the program and writes them as resources.

  resources/eldravin/TOOLBARIMAGECOMMANDS/TOOLBARIMAGECOMMANDS.bin
      the command ids that own the images, 32-bit little-endian, ascending
  resources/eldravin/BITMAP/NORMALTOOLBARIMAGES.bmp
  resources/eldravin/BITMAP/GRAYEDTOOLBARIMAGES.bmp
      one 16 x 16 image per id side by side, 4 bits per pixel, olive
      (128, 128, 0) standing for the transparent colour
  resources/eldravin/BITMAP/MORECOMMANDS.bmp
      the 8 x 11 chevron of the more-commands button, 1 bit per pixel

Every image is drawn here from simple shapes: a pictogram for the common
commands, otherwise a tile carrying two letters of the command's caption (taken
from commands.txt). Run it from anywhere after changing it; the outputs are kept
in the tree so that the build needs no Python.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', '..', 'resources', 'eldravin')

# The 16-colour palette of 4-bit bitmaps.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
K, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, GRAY, SILVER, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(16)
T = OLIVE  # transparent

# The ids that are not commands but own an image (program parts of their own).
NON_COMMAND_IDS = [1000000000, 1000001000, 1000001010, 1000001020, 1000001030, 1000001040, 1000001050]
IMAGE_COUNT = 191

# Commands of the toolbars' built-in lists and of the drop-down buttons come
# first; the remaining places go to other commands of the menus, lowest id first.
TOOLBAR_IDS = [
    100, 120, 180, 200, 1260, 290, 280, 300, 800, 850, 1200, 3840, 3860, 3420, 3340, 3360, 3640, 6000, 100000,
    101120, 6263, 140, 160, 220, 202, 205, 230, 260, 320, 305, 3880, 3900, 3200, 3380, 7000, 90000, 90020, 90040,
    90060, 90080, 640, 641, 100070, 12120, 12140, 12160, 12180, 12200, 704, 705, 15600, 9080, 9081, 9082, 9083, 9180,
    9200, 9220, 9320, 12161, 12162, 12166, 12168, 12150, 12170, 12171, 12320, 12220, 12240, 12340, 12360, 12380,
    12400, 9260, 9240, 9243, 9246, 9120, 9100, 9170, 9140, 9160, 9270, 9271, 9272, 12000, 9000, 9280, 9300, 9310,
    12020, 12040, 9020, 9040, 3980, 4000, 4020, 4500, 7200, 4520, 4540, 6450, 3540, 3560, 3580, 3620, 3600, 3680,
    3700, 701, 702, 600, 12440, 5250, 3440, 3445, 3460, 3480, 3485, 6400, 3630, 5000, 4600, 5100, 12210, 12215,
    3920, 3925, 6172, 6173, 6170, 6171, 6174, 6020, 6060, 6065, 4100, 4120, 3930, 3931, 703, 12310, 3570, 3571,
    15700, 7300, 7340, 7350, 7400, 7401, 3645, 3646, 3960, 12445, 12163, 12164, 12165, 12167, 12285, 12500, 12520,
    6220, 6030,
]


def read_captions():
    captions = {}
    for raw in open(os.path.join(HERE, 'commands.txt'), encoding='utf-8'):
        line = raw.rstrip('\n')
        if not line or line.startswith('#'):
            continue
        ident, _keyword, caption, hint = line.split('|', 3)
        captions[int(ident)] = (caption or hint).replace('&', '')
    return captions


def image_ids(captions):
    ids = [0]
    for i in TOOLBAR_IDS:
        if i not in ids and i != 4900:
            ids.append(i)
    for i in sorted(captions):
        if len(ids) >= IMAGE_COUNT - len(NON_COMMAND_IDS):
            break
        if i not in ids and i != 4900 and 100 <= i < 200000:
            ids.append(i)
    ids = sorted(ids) + NON_COMMAND_IDS
    assert len(ids) == IMAGE_COUNT and len(set(ids)) == IMAGE_COUNT, len(ids)
    return ids


# --- Drawing ----------------------------------------------------------------------------

class Img:
    def __init__(self):
        self.px = [[T] * 16 for _ in range(16)]

    def put(self, x, y, c):
        if 0 <= x < 16 and 0 <= y < 16:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # inclusive
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def hline(self, x0, x1, y, c):
        for x in range(x0, x1 + 1):
            self.put(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(y0, y1 + 1):
            self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.put(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def text(self, s, x, y, c):
        for ch in s:
            rows = FONT.get(ch.upper(), FONT['?'])
            for dy, row in enumerate(rows):
                for dx, bit in enumerate(row):
                    if bit == '#':
                        self.put(x + dx, y + dy, c)
            x += len(rows[0]) + 1


# A 3 x 5 pixel font for the letters on the tiles and the buttons.
FONT = {
    'A': ['.#.', '#.#', '###', '#.#', '#.#'], 'B': ['##.', '#.#', '##.', '#.#', '##.'],
    'C': ['.##', '#..', '#..', '#..', '.##'], 'D': ['##.', '#.#', '#.#', '#.#', '##.'],
    'E': ['###', '#..', '##.', '#..', '###'], 'F': ['###', '#..', '##.', '#..', '#..'],
    'G': ['.##', '#..', '#.#', '#.#', '.##'], 'H': ['#.#', '#.#', '###', '#.#', '#.#'],
    'I': ['###', '.#.', '.#.', '.#.', '###'], 'J': ['..#', '..#', '..#', '#.#', '.#.'],
    'K': ['#.#', '#.#', '##.', '#.#', '#.#'], 'L': ['#..', '#..', '#..', '#..', '###'],
    'M': ['#.#', '###', '###', '#.#', '#.#'], 'N': ['##.', '#.#', '#.#', '#.#', '#.#'],
    'O': ['.#.', '#.#', '#.#', '#.#', '.#.'], 'P': ['##.', '#.#', '##.', '#..', '#..'],
    'Q': ['.#.', '#.#', '#.#', '##.', '.##'], 'R': ['##.', '#.#', '##.', '#.#', '#.#'],
    'S': ['.##', '#..', '.#.', '..#', '##.'], 'T': ['###', '.#.', '.#.', '.#.', '.#.'],
    'U': ['#.#', '#.#', '#.#', '#.#', '###'], 'V': ['#.#', '#.#', '#.#', '#.#', '.#.'],
    'W': ['#.#', '#.#', '###', '###', '#.#'], 'X': ['#.#', '#.#', '.#.', '#.#', '#.#'],
    'Y': ['#.#', '#.#', '.#.', '.#.', '.#.'], 'Z': ['###', '..#', '.#.', '#..', '###'],
    '0': ['###', '#.#', '#.#', '#.#', '###'], '1': ['.#.', '##.', '.#.', '.#.', '###'],
    '2': ['##.', '..#', '.#.', '#..', '###'], '3': ['##.', '..#', '.#.', '..#', '##.'],
    '4': ['#.#', '#.#', '###', '..#', '..#'], '5': ['###', '#..', '##.', '..#', '##.'],
    '6': ['.##', '#..', '###', '#.#', '###'], '7': ['###', '..#', '.#.', '.#.', '.#.'],
    '8': ['###', '#.#', '###', '#.#', '###'], '9': ['###', '#.#', '###', '..#', '##.'],
    '?': ['##.', '..#', '.#.', '...', '.#.'],
}
ACCENTS = str.maketrans('ÀÂÄÇÉÈÊËÎÏÔÖÙÛÜàâäçéèêëîïôöùûü', 'AAACEEEEIIOOUUUaaaceeeeiioouuu')


def page(img, x0=3, y0=1, x1=12, y1=14, fold=True):
    img.rect(x0, y0, x1, y1, WHITE)
    img.frame(x0, y0, x1, y1, K)
    if fold:
        for i in range(3):
            img.hline(x1 - 2 + i, x1, y0 + i, T)
        img.line(x1 - 3, y0, x1, y0 + 3, K)


def lines(img, x0, x1, ys, c=NAVY, widths=None):
    for n, y in enumerate(ys):
        w = widths[n] if widths else x1 - x0
        img.hline(x0, x0 + w, y, c)


def folder(img):
    img.rect(1, 4, 6, 5, YELLOW)
    img.rect(1, 5, 14, 13, YELLOW)
    img.frame(1, 5, 14, 13, K)
    img.hline(1, 6, 4, K)
    img.hline(1, 14, 7, OLIVE if False else MAROON)


def disk(img):
    img.rect(2, 2, 13, 13, NAVY)
    img.rect(4, 2, 11, 6, WHITE)
    img.rect(5, 9, 10, 13, SILVER)
    img.rect(6, 10, 7, 12, NAVY)
    img.frame(2, 2, 13, 13, K)


def printer(img):
    img.rect(4, 1, 11, 6, WHITE)
    img.frame(4, 1, 11, 6, K)
    img.rect(1, 6, 14, 11, SILVER)
    img.frame(1, 6, 14, 11, K)
    img.put(12, 8, LIME)
    img.rect(4, 11, 11, 14, WHITE)
    img.frame(4, 11, 11, 14, K)


def glass(img, sign=None):
    for y in range(16):
        for x in range(16):
            d = (x - 6) ** 2 + (y - 6) ** 2
            if d <= 22:
                img.put(x, y, K if d > 12 else AQUA)
    img.line(10, 10, 14, 14, MAROON)
    img.line(11, 10, 14, 13, MAROON)
    if sign:
        img.hline(4, 8, 6, K)
        if sign == '+':
            img.vline(6, 4, 8, K)


def arrow_curve(img, right, c=NAVY):
    # A bent arrow: the undo (left) and redo (right) commands.
    xs = range(3, 12)
    for x in xs:
        y = 11 - round(5 * (1 - ((x - 7.5) / 4.5) ** 2))
        img.put(x if right else 15 - x, y, c)
        img.put(x if right else 15 - x, y + 1, c)
    tip = 12 if right else 3
    for i in range(4):
        img.hline(tip - i if right else tip, tip if right else tip + i, 10 - i + 2, c)


def scissors(img):
    img.line(4, 1, 9, 9, K)
    img.line(11, 1, 6, 9, K)
    for cx in (5, 10):
        img.frame(cx - 2, 10, cx + 1, 13, NAVY)


def two_pages(img, c=WHITE):
    img.rect(1, 1, 9, 10, c)
    img.frame(1, 1, 9, 10, K)
    img.rect(6, 5, 14, 14, WHITE)
    img.frame(6, 5, 14, 14, K)
    lines(img, 8, 12, [7, 9, 11])


def clipboard(img):
    img.rect(2, 2, 11, 14, MAROON)
    img.rect(5, 1, 8, 3, SILVER)
    img.rect(7, 6, 14, 14, WHITE)
    img.frame(7, 6, 14, 14, K)
    lines(img, 9, 12, [8, 10, 12])


def letter(img, ch, c=K, under=None):
    # A large letter (5 x 7) for the character formatting commands.
    shapes = {
        'B': ['####.', '##.##', '##.##', '####.', '##.##', '##.##', '####.'],
        'I': ['..###', '...#.', '...#.', '..#..', '..#..', '.#...', '###..'],
        'U': ['#...#', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'],
        'A': ['..#..', '.#.#.', '#...#', '#...#', '#####', '#...#', '#...#'],
        'S': ['.###.', '#...#', '#....', '.###.', '....#', '#...#', '.###.'],
    }
    rows = shapes[ch]
    for dy, row in enumerate(rows):
        for dx, bit in enumerate(row):
            if bit == '#':
                img.put(5 + dx, 2 + dy, c)
    if under == 'single':
        img.hline(4, 11, 11, K)
    elif under == 'double':
        img.hline(4, 11, 11, K)
        img.hline(4, 11, 13, K)
    elif under == 'bar':
        pass  # the colour bar is painted by the program


def align(img, kind):
    widths = {'left': [10, 6, 10, 4, 10], 'centre': [10, 6, 10, 6, 10], 'right': [10, 6, 10, 4, 10],
              'justify': [10, 10, 10, 10, 6]}[kind]
    for n, y in enumerate([3, 5, 7, 9, 11]):
        w = widths[n]
        if kind == 'left' or kind == 'justify' and n < 4 or kind == 'justify':
            x0 = 3
        elif kind == 'centre':
            x0 = 3 + (10 - w) // 2
        else:
            x0 = 13 - w
        img.hline(x0, x0 + w, y, K)


def bullets(img, numbers=False):
    for n, y in enumerate([3, 8, 13]):
        if numbers:
            img.text(str(n + 1), 1, y - 2, NAVY)
        else:
            img.rect(2, y - 1, 3, y, NAVY)
        img.hline(6, 14, y, K)


def indent(img, more):
    for y in (2, 14):
        img.hline(1, 14, y, K)
    for y in (5, 8, 11):
        img.hline(7, 14, y, K)
    if more:
        img.line(1, 5, 4, 8, BLUE)
        img.line(1, 11, 4, 8, BLUE)
    else:
        img.line(4, 5, 1, 8, BLUE)
        img.line(4, 11, 1, 8, BLUE)


def brush(img):
    img.rect(3, 1, 12, 5, YELLOW)
    img.frame(3, 1, 12, 5, K)
    img.rect(7, 6, 8, 14, MAROON)


def hand(img):
    for x in (4, 6, 8, 10):
        img.rect(x, 2 if x in (6, 8) else 3, x + 1, 9, WHITE)
        img.frame(x, 2 if x in (6, 8) else 3, x + 1, 9, K)
    img.rect(4, 8, 12, 13, WHITE)
    img.frame(4, 8, 12, 13, K)
    img.line(12, 8, 14, 5, K)


def pen(img, c):
    img.line(3, 13, 12, 4, K)
    img.line(4, 13, 13, 4, c)
    img.line(4, 12, 12, 4, c)
    img.put(3, 14, K)


def tile(img, text, seed):
    colours = [NAVY, TEAL, GREEN, MAROON, PURPLE, BLUE]
    c = colours[seed % len(colours)]
    img.rect(1, 2, 14, 13, c)
    img.frame(1, 2, 14, 13, K)
    img.text(text[:2], 2 if len(text) > 1 else 6, 5, WHITE)


def caption_letters(caption):
    words = [w for w in caption.translate(ACCENTS).replace('.', ' ').replace("'", ' ').split()
             if len(w) > 2 and w.isalpha()]
    if not words:
        return '?'
    if len(words) == 1:
        return words[0][:2].upper()
    return (words[0][0] + words[1][0]).upper()


def draw(ident, captions):
    img = Img()
    caption = captions.get(ident, '')
    if ident == 100:
        page(img)
    elif ident == 120:
        folder(img)
    elif ident in (180, 220):
        disk(img)
        if ident == 220:
            img.frame(0, 0, 15, 15, NAVY)
    elif ident == 200:
        disk(img)
        img.text('S', 11, 10, RED)
    elif ident in (290, 280):
        printer(img)
        if ident == 290:
            glass(img)
    elif ident == 300:
        img.rect(1, 3, 14, 12, WHITE)
        img.frame(1, 3, 14, 12, K)
        img.line(1, 3, 7, 8, K)
        img.line(14, 3, 8, 8, K)
    elif ident == 1260:
        folder(img)
        img.rect(9, 8, 12, 11, RED)
    elif ident == 3420:
        scissors(img)
    elif ident == 3340:
        two_pages(img)
    elif ident == 3360:
        clipboard(img)
    elif ident in (3840, 3860):
        arrow_curve(img, ident == 3860)
    elif ident in (3640, 3645, 6000):
        glass(img, '+' if ident == 6000 else None)
    elif ident == 3646:
        glass(img)
        img.text('R', 12, 0, RED)
    elif ident in (100000, 101120):
        img.rect(3, 1, 12, 14, YELLOW if ident == 100000 else AQUA)
        img.frame(3, 1, 12, 14, K)
        img.text('?', 6, 5, K)
    elif ident == 12120:
        letter(img, 'B')
    elif ident == 12140:
        letter(img, 'I')
    elif ident == 12160:
        letter(img, 'U', under='single')
    elif ident == 12161:
        letter(img, 'U', under='double')
    elif ident in (704,):
        pen(img, YELLOW)
        img.rect(1, 12, 14, 14, T)
    elif ident == 705:
        letter(img, 'A', NAVY)
    elif ident == 12150:
        letter(img, 'U', NAVY, under='single')
    elif ident == 12180:
        letter(img, 'S')
        img.hline(3, 12, 5, RED)
    elif ident in (9080, 9081, 9082, 9083):
        align(img, {9080: 'left', 9081: 'centre', 9082: 'right', 9083: 'justify'}[ident])
    elif ident in (9180, 9200):
        bullets(img, numbers=ident == 9200)
    elif ident in (9220, 9320):
        indent(img, ident == 9320)
    elif ident in (702, 12020):
        brush(img)
    elif ident == 701:
        hand(img)
    elif ident == 703:
        glass(img, '+')
    elif ident in (12500,):
        pen(img, YELLOW)
    elif ident in (12520,):
        pen(img, RED)
    elif ident == 6263:
        img.line(2, 5, 13, 5, K)
        img.line(10, 2, 13, 5, K)
        img.line(10, 8, 13, 5, K)
        img.line(2, 11, 13, 11, K)
        img.line(2, 11, 5, 8, K)
        img.line(2, 11, 5, 14, K)
    elif ident == 15600:
        for x0 in (1, 9):
            img.rect(x0, 1, x0 + 5, 14, WHITE)
            img.frame(x0, 1, x0 + 5, 14, K)
            lines(img, x0 + 1, x0 + 4, [4, 6, 8, 10, 12])
    elif ident >= 1000000000:
        img.rect(2, 2, 13, 13, SILVER)
        img.frame(2, 2, 13, 13, K)
        img.text(str((ident // 10) % 10) if ident > 1000000000 else '*', 6, 5, NAVY)
    elif ident == 0:
        pass  # the empty image
    else:
        tile(img, caption_letters(caption), ident // 10)
    return img.px


def grayed(px):
    """The disabled look: every drawn pixel grey (dark colours) or silver (light
    ones), the transparent ones left alone."""
    out = []
    for row in px:
        r = []
        for c in row:
            if c == T:
                r.append(T)
            else:
                red, green, blue = PALETTE[c]
                r.append(GRAY if red * 3 + green * 6 + blue < 1500 else SILVER)
        out.append(r)
    return out


def bmp4(rows):
    """A bottom-up 4-bit BMP of rows of palette indices."""
    h, w = len(rows), len(rows[0])
    row_bytes = ((w + 1) // 2 + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(0, w, 2):
            hi = rows[y][x]
            lo = rows[y][x + 1] if x + 1 < w else 0
            row.append((hi << 4) | lo)
        row += bytes(row_bytes - len(row))
        pixels += row
    palette = b''.join(bytes([b, g, r, 0]) for r, g, b in PALETTE)
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(pixels), 3780, 3780, 16, 16)
    offset = 14 + 40 + len(palette)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return file_header + header + palette + bytes(pixels)


def bmp1(rows):
    """A bottom-up 1-bit BMP (0 black, 1 white)."""
    h, w = len(rows), len(rows[0])
    row_bytes = ((w + 7) // 8 + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(w):
            if rows[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        pixels += row
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 1, 0, len(pixels), 3780, 3780, 2, 2)
    offset = 14 + 40 + len(palette)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return file_header + header + palette + bytes(pixels)


def more_commands():
    """The chevron of the more-commands button: black on white, 8 x 11."""
    rows = [[1] * 8 for _ in range(11)]
    for x0 in (0, 4):
        for i in range(3):
            rows[1 + i][x0 + i] = 0
            rows[1 + i][x0 + i + 1] = 0
            rows[5 - i][x0 + i] = 0
            rows[5 - i][x0 + i + 1] = 0
    for y in (8, 9, 10):
        w = 10 - y
        for x in range(4 - w, 4 + w):
            rows[y][x] = 0
    return rows


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    old = open(path, 'rb').read() if os.path.exists(path) else None
    if old != data:
        with open(path, 'wb') as f:
            f.write(data)


def main():
    captions = read_captions()
    ids = image_ids(captions)
    images = [draw(i, captions) for i in ids]
    strip = [sum((img[y] for img in images), []) for y in range(16)]
    gray_strip = [sum((grayed(img)[y] for img in images), []) for y in range(16)]
    write(os.path.join(OUT, 'TOOLBARIMAGECOMMANDS', 'TOOLBARIMAGECOMMANDS.bin'),
          b''.join(struct.pack('<I', i) for i in ids))
    write(os.path.join(OUT, 'BITMAP', 'NORMALTOOLBARIMAGES.bmp'), bmp4(strip))
    write(os.path.join(OUT, 'BITMAP', 'GRAYEDTOOLBARIMAGES.bmp'), bmp4(gray_strip))
    write(os.path.join(OUT, 'BITMAP', 'MORECOMMANDS.bmp'), bmp1(more_commands()))


if __name__ == '__main__':
    main()
