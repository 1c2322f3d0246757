#!/usr/bin/env python3
"""Writes a sound pack (".esn"): the signature 0xAFE54C04, then an "AUTHORINFO"
element and one "SOUND" element per event, each holding "EVENT" (the event
name) and "WAVE" (a zlib stream of a whole wave file).

  make_sound_pack.py --output pack.esn [--author TEXT] EVENT=FILE.wav ...
  make_sound_pack.py --output pack.esn --tones EVENT ...   (short tones made here)
"""
import argparse
import math
import struct
import zlib


def element(name, data, kind=0):
    name = name.encode('cp1252')
    return struct.pack('<IBB', 2 + len(name) + len(data), kind, len(name)) + name + data


def tone(frequency, milliseconds=60, rate=8000):
    count = rate * milliseconds // 1000
    samples = bytes(128 + int(60 * math.sin(2 * math.pi * frequency * i / rate)) for i in range(count))
    fmt = struct.pack('<HHIIHH', 1, 1, rate, rate, 1, 8)
    body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', count) + samples
    return b'RIFF' + struct.pack('<I', len(body)) + body


def pack(author, sounds):
    out = struct.pack('<I', 0xAFE54C04)
    if author is not None:
        out += element('AUTHORINFO', author.encode('cp1252'))
    for event, wave in sounds:
        inner = element('EVENT', event.encode('cp1252')) + element('WAVE', zlib.compress(wave))
        out += element('SOUND', inner)
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--output', required=True)
    parser.add_argument('--author')
    parser.add_argument('--tones', action='store_true')
    parser.add_argument('sounds', nargs='*')
    args = parser.parse_args()
    sounds = []
    for i, item in enumerate(args.sounds):
        if args.tones:
            sounds.append((item, tone(440 + 110 * i)))
        else:
            event, path = item.split('=', 1)
            sounds.append((event, open(path, 'rb').read()))
    with open(args.output, 'wb') as f:
        f.write(pack(args.author, sounds))


if __name__ == '__main__':
    main()
