#!/usr/bin/env python3
"""Mirrors the source tree with its C++ sources in code page 1252.

The program's narrow string literals are code page 1252 text. g++ turns the
UTF-8 sources into 1252 literals with -fexec-charset; clang cannot, so the
clang builds (the fuzz targets) compile this mirror, whose sources already hold
1252 bytes, which clang copies into the literals unchanged. Files are rewritten
only when their content changes, so incremental builds stay incremental.

usage: cp1252_tree.py <source root> <mirror root>
"""
import os
import shutil
import sys

PARTS = ["CMakeLists.txt", "cmake", "src", "tools", "resources", "fuzz"]
CONVERTED = (".cpp", ".h", ".hpp", ".inc")


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except FileNotFoundError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def mirror(src_root, dst_root):
    wanted = set()
    for part in PARTS:
        src = os.path.join(src_root, part)
        if os.path.isfile(src):
            files = [src]
        else:
            files = [os.path.join(d, n) for d, _, names in os.walk(src) for n in names]
        for path in files:
            rel = os.path.relpath(path, src_root)
            out = os.path.join(dst_root, rel)
            wanted.add(os.path.normpath(out))
            with open(path, "rb") as f:
                data = f.read()
            if path.endswith(CONVERTED):
                # Literals only ever hold characters of 1252 (g++ refuses the
                # others); a comment's other characters become '?'.
                data = data.decode("utf-8").encode("cp1252", errors="replace")
            write_if_changed(out, data)
    # Files removed from the tree leave the mirror too.
    for part in PARTS:
        top = os.path.join(dst_root, part)
        if os.path.isdir(top):
            for d, _, names in os.walk(top):
                for n in names:
                    p = os.path.normpath(os.path.join(d, n))
                    if p not in wanted:
                        os.remove(p)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    mirror(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
