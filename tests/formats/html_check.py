#!/usr/bin/env python3
"""Checks a web page written by the export with Python's own HTML parser.

Usage: html_check.py PAGE [--words FILE] [--min-images N] [--min-links N]
                          [--min-notes N] [--charset NNNN]

Checks: the page declares its code page (windows-NNNN) and decodes with it;
elements are closed in order (void elements excepted) and no anchor stands in
another; text holds no bare <, > or &; attribute values of anchors are quoted;
inline styles are lists of "property:value" declarations; every picture the
page refers to exists beside it and decodes (PNG, GIF or JPEG, checked here
byte by byte); the words of FILE (UTF-8, one text) appear in the page's text
in the same order. Prints "ok" and a summary, or the faults, one per line,
and exits 1.
"""
import codecs
import os
import re
import struct
import sys
import zlib
from html.parser import HTMLParser

VOID = {"meta", "br", "img", "hr"}


def is_word_char(c):
    o = ord(c)
    if c.isascii():
        return c.isalnum()
    return (o >= 0xC0 and o not in (0xD7, 0xF7) and not (0x2000 <= o <= 0x2BFF)
            and not (0xE000 <= o <= 0xF8FF) and o not in (0xFEFF, 0xFFFD))


def words(text):
    out, word = [], []
    for c in text:
        if is_word_char(c):
            word.append(c)
        elif word:
            out.append("".join(word))
            word = []
    if word:
        out.append("".join(word))
    return out


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = []
        self.faults = []
        self.text = []
        self.images = []
        self.links = 0
        self.note_refs = 0
        self.charset = None
        self.in_body = False
        self.in_style = False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "meta" and a.get("http-equiv", "").lower() == "content-type":
            m = re.search(r"charset=windows-(\d+)", a.get("content", ""))
            if m:
                self.charset = m.group(1)
        if tag == "a":
            if "a" in self.stack:
                self.faults.append("anchor inside an anchor at line %d" % self.getpos()[0])
            if "href" in a:
                self.links += 1
                if re.match(r"#_(foot|end)note\d+$", a["href"] or ""):
                    self.note_refs += 1
        if tag == "img":
            self.images.append(a)
        style = a.get("style")
        if style is not None:
            for decl in filter(None, (d.strip() for d in style.split(";"))):
                if not re.match(r"^[a-z-]+\s*:\s*[^:=]+$", decl):
                    self.faults.append("bad CSS declaration %r" % decl)
        if tag == "body":
            self.in_body = True
            if a.get("background"):
                self.images.append({"src": a["background"], "width": "1", "height": "1"})
        if tag == "style":
            self.in_style = True
        if tag not in VOID:
            self.stack.append(tag)
        if tag in ("p", "br") and self.in_body:
            self.text.append("\n")

    def handle_endtag(self, tag):
        if tag in VOID:
            return
        if not self.stack or self.stack[-1] != tag:
            self.faults.append("</%s> closes %s at line %d" % (tag, self.stack[-1:] or "nothing", self.getpos()[0]))
            if tag in self.stack:
                while self.stack and self.stack.pop() != tag:
                    pass
            return
        self.stack.pop()
        if tag == "style":
            self.in_style = False

    def handle_data(self, data):
        if self.in_style:
            return
        if self.in_body:
            self.text.append(data)


def raw_text_faults(source):
    """Text between tags holds no bare <, > or & (checked on the source)."""
    faults = []
    body = source[source.find("<body"):]
    for m in re.finditer(r">([^<]*)", body):
        seg = m.group(1)
        if ">" in seg:
            faults.append("bare > in text %r" % seg[:40])
        for amp in re.finditer(r"&", seg):
            if not re.match(r"&(#\d+|[a-zA-Z]+);", seg[amp.start():]):
                faults.append("bare & in text %r" % seg[max(0, amp.start() - 10):amp.start() + 10])
    for m in re.finditer(r"<a\s([^>]*)>", source):
        for value in re.finditer(r"[\w-]+\s*=\s*(\"[^\"]*\"|[^\s>]*)", m.group(1)):
            if not value.group(1).startswith('"'):
                faults.append("unquoted anchor attribute %r" % m.group(0))
    if re.search(r"<(?![a-zA-Z/!])", source):
        faults.append("bare < in the page")
    return faults


def check_png(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return "no PNG signature"
    pos, idat, ihdr = 8, b"", None
    while pos < len(data):
        if pos + 8 > len(data):
            return "cut chunk"
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0]
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            return "bad CRC in %s" % kind
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    if not ihdr:
        return "no IHDR"
    w, h, depth, ctype = ihdr[:4]
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    row = (w * channels * depth + 7) // 8 + 1
    raw = zlib.decompress(idat)
    if len(raw) != row * h:
        return "IDAT holds %d bytes, %d expected" % (len(raw), row * h)
    if any(raw[y * row] > 4 for y in range(h)):
        return "bad row filter"
    return None


def check_gif(data):
    if data[:6] not in (b"GIF87a", b"GIF89a"):
        return "no GIF signature"
    w, h, flags = struct.unpack("<HHB", data[6:11])
    pos = 13 + (3 * (2 << (flags & 7)) if flags & 0x80 else 0)
    while pos < len(data):
        b = data[pos]
        if b == 0x3B:
            return None
        if b == 0x21:
            pos += 2
            while data[pos]:
                pos += data[pos] + 1
            pos += 1
        elif b == 0x2C:
            iw, ih, iflags = struct.unpack("<4xHHB", data[pos + 1:pos + 10])
            pos += 10
            if iflags & 0x80:
                pos += 3 * (2 << (iflags & 7))
            min_code = data[pos]
            pos += 1
            stream = b""
            while data[pos]:
                stream += data[pos + 1:pos + 1 + data[pos]]
                pos += data[pos] + 1
            pos += 1
            count = lzw_count(stream, min_code)
            if count < iw * ih:
                return "image data decodes to %d of %d pixels" % (count, iw * ih)
        else:
            return "unknown block 0x%02x" % b
    return "no trailer"


def lzw_count(stream, min_code):
    """Decodes GIF LZW data; the number of pixels it gives."""
    clear, end = 1 << min_code, (1 << min_code) + 1
    size, table, prev, count = min_code + 1, None, None, 0
    bits, nbits, i = 0, 0, 0

    def reset():
        return [bytes([n]) for n in range(clear)] + [b"", b""]
    table = reset()
    while True:
        while nbits < size:
            if i >= len(stream):
                return count
            bits |= stream[i] << nbits
            nbits += 8
            i += 1
        code = bits & ((1 << size) - 1)
        bits >>= size
        nbits -= size
        if code == clear:
            table, size, prev = reset(), min_code + 1, None
            continue
        if code == end:
            return count
        if code < len(table):
            entry = table[code]
            if prev is not None:
                table.append(prev + entry[:1])
        elif prev is not None and code == len(table):
            entry = prev + prev[:1]
            table.append(entry)
        else:
            raise ValueError("bad LZW code")
        count += len(entry)
        prev = entry
        if len(table) == (1 << size) and size < 12:
            size += 1


def check_jpeg(data):
    if data[:2] != b"\xff\xd8":
        return "no JPEG start"
    pos, frame = 2, False
    while pos < len(data):
        if data[pos] != 0xFF:
            return "no marker at %d" % pos
        marker = data[pos + 1]
        if marker == 0xD8 or 0xD0 <= marker <= 0xD7 or marker == 0x01:
            pos += 2
            continue
        length = struct.unpack(">H", data[pos + 2:pos + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            frame = True
            h, w = struct.unpack(">HH", data[pos + 5:pos + 9])
            if not w or not h:
                return "empty frame"
        if marker == 0xDA:
            if not frame:
                return "scan before frame"
            return None if data.rstrip(b"\x00")[-2:] == b"\xff\xd9" else "no JPEG end"
        pos += 2 + length
    return "no scan"


def check_picture(path):
    if not os.path.isfile(path):
        return "missing"
    with open(path, "rb") as f:
        data = f.read()
    ext = os.path.splitext(path)[1].lower()
    try:
        return {".png": check_png, ".gif": check_gif, ".jpg": check_jpeg}.get(
            ext, lambda d: "unknown extension")(data)
    except Exception as e:  # a damaged file is a fault, not a crash of the checker
        return "undecodable: %s" % e


def _control(error):
    return "".join(chr(b) for b in error.object[error.start:error.end]), error.end


codecs.register_error("control", _control)


def main(argv):
    page = argv[1]
    opts = dict(zip(argv[2::2], argv[3::2]))
    with open(page, "rb") as f:
        raw = f.read()
    faults = []
    m = re.search(rb"charset=windows-(\d+)", raw[:600])
    if not m:
        print("no code page declared")
        return 1
    codepage = m.group(1).decode()
    if "--charset" in opts and opts["--charset"] != codepage:
        faults.append("code page %s, %s expected" % (codepage, opts["--charset"]))
    try:
        # Bytes a code page leaves undefined stand for the control characters
        # of the same number, as the system's own conversion gives them.
        source = raw.decode("cp" + codepage, errors="control")
    except (UnicodeDecodeError, LookupError) as e:
        print("page does not decode with its code page: %s" % e)
        return 1
    parser = Page()
    parser.feed(source)
    parser.close()
    faults += parser.faults
    if parser.stack:
        faults.append("elements left open: %s" % parser.stack)
    if parser.charset != codepage:
        faults.append("meta charset %s" % parser.charset)
    if not source.startswith("<html>\r\n\r\n<head>\r\n"):
        faults.append("page does not start with <html> and <head>")
    if not source.endswith("</body>\r\n\r\n</html>"):
        faults.append("page does not end with </body> and </html>")
    faults += raw_text_faults(source)
    folder = os.path.dirname(os.path.abspath(page))
    for img in parser.images:
        src = img.get("src", "")
        fault = check_picture(os.path.join(folder, src.replace("%20", " ")))
        if fault:
            faults.append("picture %s: %s" % (src, fault))
        for side in ("width", "height"):
            if not (img.get(side) or "").isdigit() or int(img[side]) <= 0:
                faults.append("picture %s: bad %s" % (src, side))
    text = "".join(parser.text)
    if "--words" in opts:
        with open(opts["--words"], encoding="utf-8") as f:
            expected = words(f.read())
        got = words(text)
        i = 0
        for w in got:
            if i < len(expected) and w == expected[i]:
                i += 1
        if i < len(expected):
            faults.append("text out of order or missing from word %d %r (of %d); page near: %r" % (
                i, expected[i], len(expected), " ".join(got[:0] + got[max(0, i - 5):i + 5])))
    for key, found, what in (("--min-images", len(parser.images), "pictures"),
                             ("--min-links", parser.links, "links"),
                             ("--min-notes", parser.note_refs, "note references")):
        if key in opts and found < int(opts[key]):
            faults.append("%d %s, at least %s expected" % (found, what, opts[key]))
    if faults:
        for fault in faults[:20]:
            print(fault)
        return 1
    print("ok windows-%s words=%d pictures=%d links=%d notes=%d" % (
        codepage, len(words(text)), len(parser.images), parser.links, parser.note_refs))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
