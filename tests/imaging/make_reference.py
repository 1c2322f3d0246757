#!/usr/bin/python3
# Makes the table of reference pixels of the corpus pictures with Pillow, an
# independent decoder: for each picture Pillow reads, its size, the CRC-32 of
# its pixels as R, G, B bytes (of the last page of a TIFF file, which is the
# page the program shows) row by row from the top, and the mean R, G, B of
# an 8 x 8 grid of cells (for JPEG, compared within a tolerance).
# Run from the project root: tests/imaging/make_reference.py ../shared/corpus/images
import os
import sys
import zlib

from PIL import Image

EXTENSIONS = {".png", ".gif", ".jpg", ".jpeg", ".tif", ".tiff", ".bmp", ".pcx", ".tga"}


def grid(im):
    w, h = im.size
    px = im.load()
    out = []
    for gy in range(8):
        for gx in range(8):
            x0, x1 = gx * w // 8, (gx + 1) * w // 8
            y0, y1 = gy * h // 8, (gy + 1) * h // 8
            n = (x1 - x0) * (y1 - y0)
            s = [0, 0, 0]
            for y in range(y0, y1):
                for x in range(x0, x1):
                    p = px[x, y]
                    for k in range(3):
                        s[k] += p[k]
            out.extend((v + n // 2) // n if n else 0 for v in s)
    return "".join("%02x" % v for v in out)


def main(root):
    rows = []
    for dirpath, _, files in os.walk(root):
        for name in sorted(files):
            if os.path.splitext(name)[1].lower() not in EXTENSIONS:
                continue
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, root)
            try:
                with Image.open(path) as im:
                    if os.path.splitext(name)[1].lower() in (".tif", ".tiff"):
                        im.seek(getattr(im, "n_frames", 1) - 1)
                    im.load()
                    rgb = im.convert("RGB")
            except Exception:
                continue
            crc = zlib.crc32(rgb.tobytes()) & 0xFFFFFFFF
            rows.append("%s\t%s\t%d\t%d\t%08x\t%s" % (rel, im.mode, rgb.size[0], rgb.size[1], crc, grid(rgb)))
    rows.sort()
    print("# path\tPillow mode\twidth\theight\tcrc32 of RGB rows\t8x8 grid of mean RGB (hex)")
    for r in rows:
        print(r)


main(sys.argv[1])
