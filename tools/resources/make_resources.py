#!/usr/bin/env python3
"""Writes the program's binary resources from their readable sources.

  menus.txt       -> resources/eldravin/_MENU/<NAME>.mnu      (menu templates)
  eventnames.txt  -> resources/eldravin/EVENTNAMES/EVENTNAMES.tbl  (id-indexed strings)
  commands.txt    -> resources/eldravin/COMMANDHINTS/MENUCOMMANDS.tbl and
                     COMMANDHINTS.tbl (command captions and hints, id-indexed strings)
  cursors (drawn here) -> resources/eldravin/CURSOR/<Name>.cur
  the event-state strip (drawn here) -> resources/eldravin/BITMAP/MEGAPHONE.bmp
  helpindex.txt   -> resources/eldravin/HELPINDEXTABLE/HELPINDEXTABLE.tbl (help pages by context id)
  the tips' bulb (drawn here) -> resources/eldravin/BITMAP/TIPBULB.bmp

Run it from anywhere after changing a source; the outputs are kept in the tree
so that the build needs no Python.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', '..', 'resources', 'eldravin')


def cp1252(text):
    return text.encode('cp1252')


# --- Menu templates -------------------------------------------------------------

def read_menus(path):
    menus, name, items = {}, None, None
    for raw in open(path, encoding='utf-8'):
        line = raw.rstrip('\n')
        if not line.strip() or line.lstrip().startswith('#'):
            continue
        if line.startswith('['):
            name = line.strip()[1:-1]
            items = []
            menus[name] = items
            continue
        depth = (len(line) - len(line.lstrip(' '))) // 2
        caption, ident = line.strip().rsplit('|', 1)
        items.append((depth, caption, int(ident)))
    return menus


def template_bytes(items):
    """Items in the order given; 0xFE opens the submenu of the item before it,
    0xFF closes it. Open levels are closed at the end."""
    out = bytearray()
    level = 0
    for depth, caption, ident in items:
        if depth > level + 1:
            raise ValueError('indentation jumps a level at ' + caption)
        if depth == level + 1:
            out.append(0xFE)
        while depth < level:
            out.append(0xFF)
            level -= 1
        level = depth
        text = cp1252(caption)
        if len(text) > 255:
            raise ValueError('caption too long: ' + caption)
        out.append(len(text))
        out += text
        out += struct.pack('<I', ident)
    while level > 0:
        out.append(0xFF)
        level -= 1
    return bytes(out)


# --- Id-indexed string tables ------------------------------------------------------

def id_string_table(entries):
    entries = sorted(entries)
    n = len(entries)
    offset = 4 + 8 * n
    ids, words, texts = b'', b'', b''
    for ident, text in entries:
        data = cp1252(text)
        assert len(data) <= 255
        ids += struct.pack('<I', ident)
        words += struct.pack('<I', len(data) | (offset << 8))
        texts += data
        offset += len(data)
    return struct.pack('<I', n) + ids + words + texts


def read_id_texts(path):
    result = []
    for raw in open(path, encoding='utf-8'):
        line = raw.rstrip('\n')
        if not line or line.startswith('#'):
            continue
        ident, text = line.split('|', 1)
        result.append((int(ident), text))
    return result


def read_commands(path):
    """The command table: (captions, hints) as lists of (id, text); a command
    with an empty caption has a hint only."""
    captions, hints = [], []
    for raw in open(path, encoding='utf-8'):
        line = raw.rstrip('\n')
        if not line or line.startswith('#'):
            continue
        ident, _keyword, caption, hint = line.split('|', 3)
        if '\t' in caption or '\t' in hint or not hint:
            raise ValueError('bad command line: ' + line)
        if caption:
            captions.append((int(ident), caption))
        hints.append((int(ident), hint))
    return captions, hints


# --- Cursors -------------------------------------------------------------------------
# 32 x 32 monochrome cursors: each shape is a set of black pixels with a white
# outline; everything else is transparent.

def shape_ibeam(slant=0):
    px = set()
    for y in range(8, 24):
        x = 15 + (slant * (16 - y)) // 8
        px.add((x, y))
    for x in range(12, 19):
        px.add((x + (slant * 8) // 8, 7))
        px.add((x - (slant * 8) // 8, 24))
    return px, (15, 16)


def shape_arrow(flip=False):
    px = set()
    for y in range(0, 16):
        for x in range(0, y // 2 + 1):
            px.add((x, y))
    for y in range(12, 20):
        px.add((3 + (y - 12) // 2, y))
        px.add((4 + (y - 12) // 2, y))
    if flip:
        px = {(20 - x, y) for x, y in px}
        return px, (20, 0)
    return px, (0, 0)


def shape_box(w, h, x0=8, y0=8):
    px = set()
    for x in range(x0, x0 + w):
        px.add((x, y0))
        px.add((x, y0 + h - 1))
    for y in range(y0, y0 + h):
        px.add((x0, y))
        px.add((x0 + w - 1, y))
    return px


def shape_hand(closed=False):
    px = shape_box(14, 12, 8, 14)
    top = 10 if closed else 4
    for f in range(4):
        for y in range(top, 14):
            px.add((9 + 3 * f, y))
    return px, (15, 15)


def shape_glass():
    px = set()
    for x in range(6, 22):
        for y in range(6, 22):
            d = (x - 13.5) ** 2 + (y - 13.5) ** 2
            if 36 <= d <= 56:
                px.add((x, y))
    for i in range(6):
        px.add((19 + i, 19 + i))
        px.add((20 + i, 19 + i))
    return px, (13, 13)


def shape_wheel(dx, dy, static=False):
    px = set()
    for x in range(12, 20):
        for y in range(12, 20):
            if (x - 15.5) ** 2 + (y - 15.5) ** 2 <= 12:
                px.add((x, y))
    if not static:
        for i in range(4):
            cx, cy = 15 + (dx - 1) * (8 + i), 15 + (dy - 1) * (8 + i)
            for j in range(-3 + i, 4 - i):
                px.add((cx + (j if dy != 1 else 0) if dx == 1 else cx, cy + (j if dx != 1 else 0) if dy == 1 else cy))
    return px, (15, 15)


def with_mark(base, mark):
    """Adds a small sign below the right of a shape, so that the variants of one
    shape (format painter, highlighter, font colour) tell apart."""
    px, hot = base
    px = set(px)
    if mark == 'brush':
        for x in range(22, 30):
            for y in range(24, 27):
                px.add((x, y))
        for y in range(27, 31):
            px.add((25, y))
    elif mark == 'marker':
        for i in range(6):
            px.add((23 + i, 30 - i))
            px.add((24 + i, 30 - i))
    elif mark == 'letter':
        for y in range(22, 31):
            px.add((22 + (y - 22) // 2, y))
            px.add((30 - (y - 22) // 2, y))
        for x in range(24, 29):
            px.add((x, 27))
    elif mark == 'plus':
        for i in range(22, 29):
            px.add((i, 25))
            px.add((25, i))
    elif mark == 'cross':
        for i in range(6):
            px.add((22 + i, 22 + i))
            px.add((27 - i, 22 + i))
    return px, hot


def shape_lines(align):
    px, hot = shape_ibeam()
    px = set(px)
    for row in range(3):
        y = 26 + 2 * row
        length = 8 - 2 * row if row else 8
        if align == 'L':
            xs = range(20, 20 + length)
        elif align == 'R':
            xs = range(30 - length, 30)
        elif align == 'C':
            xs = range(25 - length // 2, 25 + length // 2)
        else:  # first-line indent
            xs = range(22 if row == 0 else 20, 30)
        for x in xs:
            px.add((x, y))
    return px, hot


def cursor_file(shape):
    px, (hx, hy) = shape
    size = 32
    black = {(x, y) for x, y in px if 0 <= x < size and 0 <= y < size}
    outline = set()
    for x, y in black:
        for ox in (-1, 0, 1):
            for oy in (-1, 0, 1):
                p = (x + ox, y + oy)
                if p not in black and 0 <= p[0] < size and 0 <= p[1] < size:
                    outline.add(p)
    row_bytes = 4  # 32 pixels, 1 bit each, rows padded to 4 bytes
    xor, andm = bytearray(), bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up
        xr, ar = 0, 0
        for x in range(size):
            bit = 1 << (31 - x)
            if (x, y) in outline:
                xr |= bit  # white
            elif (x, y) not in black:
                ar |= bit  # transparent
        xor += struct.pack('>I', xr)
        andm += struct.pack('>I', ar)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + bytes(xor) + bytes(andm)
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, hx, hy, len(image), 6 + 16)
    return directory + entry + image


CURSORS = {
    'NormalCaret': shape_ibeam(),
    'ItalicCaret': shape_ibeam(2),
    'SelectLine': shape_arrow(True),
    'DragText': with_mark(shape_arrow(), 'brush'),
    'DuplicateText': with_mark(shape_arrow(), 'plus'),
    'SelectObject': (shape_box(16, 16) | {(16, y) for y in range(4, 28)}, (16, 16)),
    'FormatByTemplateNormalCaret': with_mark(shape_ibeam(), 'brush'),
    'FormatByTemplateItalicCaret': with_mark(shape_ibeam(2), 'brush'),
    'FormatByTemplateNormalArrow': with_mark(shape_arrow(), 'brush'),
    'FormatByTemplateSelectLine': with_mark(shape_arrow(True), 'brush'),
    'Hand': shape_hand(),
    'Fist': shape_hand(True),
    'MagnifyingGlass': shape_glass(),
    'Finger': (shape_hand()[0] - {(x, y) for x in range(11, 22) for y in range(4, 10)}, (9, 4)),
    'HighlightNormalCaret': with_mark(shape_ibeam(), 'marker'),
    'HighlightItalicCaret': with_mark(shape_ibeam(2), 'marker'),
    'HighlightNormalArrow': with_mark(shape_arrow(), 'marker'),
    'HighlightSelectLine': with_mark(shape_arrow(True), 'marker'),
    'FontColorNormalCaret': with_mark(shape_ibeam(), 'letter'),
    'FontColorItalicCaret': with_mark(shape_ibeam(2), 'letter'),
    'FontColorNormalArrow': with_mark(shape_arrow(), 'letter'),
    'FontColorSelectLine': with_mark(shape_arrow(True), 'letter'),
    'ClickTypeL': shape_lines('L'),
    'ClickTypeFL': shape_lines('FL'),
    'ClickTypeC': shape_lines('C'),
    'ClickTypeR': shape_lines('R'),
    'FormatPicker': with_mark(shape_arrow(), 'cross'),
    'WheelScl_11_Static': shape_wheel(1, 1, True),
    'DragRemove': with_mark(shape_arrow(), 'cross'),
}
for a in range(3):
    for b in range(3):
        CURSORS['WheelScl_%d%d' % (a, b)] = shape_wheel(b, a)


# --- Bitmaps ------------------------------------------------------------------------------

def megaphone_strip():
    """The event-state strip of the sound settings: five 16 x 16 cells (event
    off; pack sound on, off; own wave on, off) as a 24-bit BMP."""
    w, h = 80, 16
    grey, black, red, green, blue = (192, 192, 192), (0, 0, 0), (255, 0, 0), (0, 128, 0), (0, 0, 255)
    px = [[grey] * w for _ in range(h)]

    def put(x, y, c):
        if 0 <= x < w and 0 <= y < h:
            px[y][x] = c

    for cell in range(5):
        ox = cell * 16
        body = black if cell else (128, 128, 128)
        # The megaphone: a small box and a cone opening to the right.
        for y in range(6, 10):
            for x in range(2, 5):
                put(ox + x, y, body)
        for x in range(5, 12):
            spread = (x - 5) // 2 + 2
            for y in range(8 - spread, 8 + spread):
                put(ox + x, y, body)
        if cell in (1, 2):
            for y in range(12, 15):
                for x in range(11, 14):
                    put(ox + x, y, green)  # the pack's sound
        if cell in (3, 4):
            for y in range(12, 15):
                for x in range(11, 14):
                    put(ox + x, y, blue)  # the user's own wave
        if cell in (0, 2, 4):
            for i in range(14):
                put(ox + 1 + i, 1 + i, red)  # crossed out: the event is off
                put(ox + 2 + i, 1 + i, red)
    return bmp24(px)


def tip_bulb():
    """The bulb of the tips window: 24 x 32, on a magenta ground that is drawn
    transparent (the bottom-left pixel's colour)."""
    w, h = 24, 32
    ground, glass, rim, base, shine = (255, 0, 255), (255, 230, 80), (120, 90, 0), (128, 128, 128), (255, 255, 220)
    px = [[ground] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            d = (x - 11.5) ** 2 + (y - 10.5) ** 2
            if d <= 90:
                px[y][x] = rim if d > 72 else glass
            elif 18 <= y <= 22 and 7 <= x <= 16:
                px[y][x] = glass if 8 <= x <= 15 else rim
            elif 23 <= y <= 28 and 8 <= x <= 15:
                px[y][x] = base if y % 2 else rim
    for y in range(5, 10):
        for x in range(7, 9):
            px[y][x] = shine
    return bmp24(px)


def bmp24(px):
    """A bottom-up 24-bit BMP of rows of (r, g, b)."""
    h, w = len(px), len(px[0])
    row_bytes = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for r, g, b in px[y]:
            row += bytes([b, g, r])
        row += bytes(row_bytes - len(row))
        pixels += row
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    file_header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(pixels), 0, 0, 14 + 40)
    return file_header + header + bytes(pixels)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    old = open(path, 'rb').read() if os.path.exists(path) else None
    if old != data:
        with open(path, 'wb') as f:
            f.write(data)


def main():
    for name, items in read_menus(os.path.join(HERE, 'menus.txt')).items():
        write(os.path.join(OUT, '_MENU', name + '.mnu'), template_bytes(items))
    write(os.path.join(OUT, 'EVENTNAMES', 'EVENTNAMES.tbl'),
          id_string_table(read_id_texts(os.path.join(HERE, 'eventnames.txt'))))
    captions, hints = read_commands(os.path.join(HERE, 'commands.txt'))
    write(os.path.join(OUT, 'COMMANDHINTS', 'MENUCOMMANDS.tbl'), id_string_table(captions))
    write(os.path.join(OUT, 'COMMANDHINTS', 'COMMANDHINTS.tbl'), id_string_table(hints))
    write(os.path.join(OUT, 'BITMAP', 'MEGAPHONE.bmp'), megaphone_strip())
    write(os.path.join(OUT, 'BITMAP', 'TIPBULB.bmp'), tip_bulb())
    write(os.path.join(OUT, 'HELPINDEXTABLE', 'HELPINDEXTABLE.tbl'),
          id_string_table(read_id_texts(os.path.join(HERE, 'helpindex.txt'))))
    for name, shape in CURSORS.items():
        write(os.path.join(OUT, 'CURSOR', name + '.cur'), cursor_file(shape))


if __name__ == '__main__':
    main()
