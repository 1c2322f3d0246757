#!/usr/bin/env python3
"""Builds the setup program: its image followed by the payload of the files it installs.

Usage: make_setup_payload.py --output OUT (--image FILE | --stub) [--manifest FILE]
                             [--tree PREFIX=FOLDER ...] [NAME=PATH ...]

NAME=PATH adds one file under the name NAME ("/" or "\\" between folders; the
name is stored in code page 1252). --tree adds every file below FOLDER under
PREFIX followed by the file's relative path. --stub puts a small fixed image
in place of a program (test and fuzz payloads).

Payload layout (integers little-endian):
  the image; then per file one zlib stream (windowBits 15) of its bytes; then
  the directory, one zlib stream of records, each: name length (1 byte), name,
  uncompressed size (signed 32-bit), modification time (IEEE double, days
  since 30 December 1899 in local time), offset of the file's stream (signed
  32-bit); a last record with an empty name and the directory's offset closes
  the list (it gives the last file's compressed length); then the directory's
  offset twice (signed 32-bit each).

The manifest, when asked for, lists "NAME<TAB>PATH" per file (UTF-8), for the
tests that compare what the setup installs with its sources.
"""
import argparse
import datetime
import os
import stat
import struct
import sys
import zlib

STUB = b"\x7fELF stand-in image of the setup program\n"
EPOCH = datetime.datetime(1899, 12, 30)


def date_value(path):
    local = datetime.datetime.fromtimestamp(int(os.stat(path).st_mtime))
    return (local - EPOCH).total_seconds() / 86400.0


def payload_name(name):
    name = name.replace("/", "\\")
    encoded = name.encode("cp1252")
    if not encoded or len(encoded) > 255:
        sys.exit("make_setup_payload: bad name length: %r" % name)
    return encoded


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--output", required=True)
    parser.add_argument("--image")
    parser.add_argument("--stub", action="store_true")
    parser.add_argument("--manifest")
    parser.add_argument("--tree", action="append", default=[])
    parser.add_argument("files", nargs="*")
    args = parser.parse_args()

    entries = []
    for spec in args.files:
        name, sep, path = spec.partition("=")
        if not sep:
            sys.exit("make_setup_payload: expected NAME=PATH, got %r" % spec)
        entries.append((name, path))
    for spec in args.tree:
        prefix, _, folder = spec.partition("=")
        for root, dirs, files in os.walk(folder):
            dirs.sort()
            for f in sorted(files):
                full = os.path.join(root, f)
                rel = os.path.relpath(full, folder).replace(os.sep, "\\")
                entries.append((prefix + rel, full))

    if args.stub:
        image = STUB
    else:
        with open(args.image, "rb") as f:
            image = f.read()

    out = bytearray(image)
    records = []
    for name, path in entries:
        with open(path, "rb") as f:
            data = f.read()
        records.append((payload_name(name), len(data), date_value(path), len(out)))
        out += zlib.compress(data, 9)
    directory_offset = len(out)
    if directory_offset >= 2 ** 31:
        sys.exit("make_setup_payload: payload too large")
    directory = bytearray()
    for name, size, date, offset in records:
        directory += bytes([len(name)]) + name + struct.pack("<idi", size, date, offset)
    directory += bytes([0]) + struct.pack("<idi", 0, 0.0, directory_offset)
    out += zlib.compress(bytes(directory), 9)
    out += struct.pack("<ii", directory_offset, directory_offset)

    tmp = args.output + ".new"
    with open(tmp, "wb") as f:
        f.write(out)
    mode = os.stat(args.image).st_mode if args.image else 0o644
    os.chmod(tmp, stat.S_IMODE(mode))
    os.replace(tmp, args.output)
    if args.manifest:
        with open(args.manifest, "w", encoding="utf-8") as f:
            for name, path in entries:
                f.write("%s\t%s\n" % (name.replace("/", "\\"), os.path.abspath(path)))


if __name__ == "__main__":
    main()
