#!/usr/bin/env python3
"""Builds the program's hyphenation data file from hyphenation pattern files.

Usage: make_hyphenation_data.py OUTPUT LANGID=PATTERNFILE [LANGID=PATTERNFILE ...]

Each pattern file is in the format of the hyphenation library's dictionaries:
a first line naming the character set, then directives, comments and one
pattern a line. Only the patterns of the last level (after the last
NEXTLEVEL) are kept; patterns with a non-standard replacement ("/") and those
that code page 1252 cannot hold are left out. Each language becomes one zlib
block of its pattern text (CR LF between patterns) and an empty exception
list; the directory lists the languages in ascending order of their ids.
The same inputs give the same bytes.
"""
import struct
import sys
import zlib

SIGNATURE = 0xAA07C3D2
DIRECTIVES = ("LEFTHYPHENMIN", "RIGHTHYPHENMIN", "COMPOUNDLEFTHYPHENMIN",
              "COMPOUNDRIGHTHYPHENMIN", "NOHYPHEN")


def read_patterns(path):
    with open(path, "rb") as f:
        raw = f.read()
    first, _, rest = raw.partition(b"\n")
    charset = first.strip().decode("ascii", "replace").lower()
    codec = {"iso8859-1": "latin-1", "iso-8859-1": "latin-1", "utf-8": "utf-8"}.get(charset, charset)
    patterns = []
    for line in rest.decode(codec).splitlines():
        line = line.strip()
        if not line or line[0] in "%#":
            continue
        word = line.split()[0]
        if word == "NEXTLEVEL":
            patterns = []  # what came before belongs to the compound level
            continue
        if word.startswith(DIRECTIVES) or "/" in word:
            continue
        try:
            patterns.append(word.lower().encode("cp1252"))
        except UnicodeEncodeError:
            continue
    return patterns


def language_block(patterns):
    text = b"\r\n".join(patterns)
    return struct.pack("<I", len(text)) + text + struct.pack("<I", 0)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    output = argv[1]
    languages = []
    for spec in argv[2:]:
        langid, _, path = spec.partition("=")
        languages.append((int(langid), path))
    languages.sort()
    data = bytearray(struct.pack("<I", SIGNATURE))
    directory = bytearray()
    for langid, path in languages:
        compressed = zlib.compress(language_block(read_patterns(path)), 9)
        directory += struct.pack("<III", langid, len(data), len(compressed))
        data += compressed
    data += directory + struct.pack("<I", len(directory))
    with open(output, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv)
