#!/usr/bin/env python3
"""Draws the accent hats of the MathTime glyph editor: a circumflex 63 px
wide whose centre line stands 31 px from its left edge, in black
(mtpro2hat.png) and pure red (mtpro2redhat.png), on a transparent ground."""
import struct
import sys
import zlib

W, H = 63, 20
CENTRE = 31


def hat(colour):
    rows = []
    for y in range(H):
        row = bytearray()
        for x in range(W):
            # Two strokes from the bottom corners up to the apex on the
            # centre line, about 2 px thick.
            reach = abs(x - CENTRE) * (H - 2) / CENTRE
            ink = abs((H - 1 - y) - (H - 2 - reach)) <= 1.0 and y >= 1
            row += bytes(colour + (255,)) if ink else bytes((0, 0, 0, 0))
        rows.append(b"\0" + bytes(row))
    return b"".join(rows)


def png(path, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(pixels, 9)))
        f.write(chunk(b"IEND", b""))


out = sys.argv[1]
png(out + "/mtpro2hat.png", hat((0, 0, 0)))
png(out + "/mtpro2redhat.png", hat((255, 0, 0)))
