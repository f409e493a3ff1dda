#!/usr/bin/env python3
"""Compares the PNG pictures of two folders pixel by pixel, whatever their compression or
filters: the Linux kmm writes through libpng, the cross-built ones write uncompressed.
Usage: compare_pictures.py FOLDER_A FOLDER_B. Exit status 1 when any picture differs."""
import pathlib
import struct
import sys
import zlib


def pixels(path):
    """(width, height, colour type, unfiltered scanlines) of an 8-bit, non-interlaced PNG."""
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        if zlib.crc32(kind + body) != crc:
            raise ValueError(f"{path}: bad CRC in {kind.decode()}")
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or interlace != 0 or colour not in (0, 2):
        raise ValueError(f"{path}: only 8-bit grey or RGB, not interlaced")
    bpp = 3 if colour == 2 else 1
    stride = width * bpp
    raw = zlib.decompress(idat)
    out, previous = bytearray(), bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = previous[x]
            c = previous[x - bpp] if x >= bpp else 0
            if kind == 1:
                line[x] = (line[x] + a) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + b) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        out += line
        previous = line
    return width, height, colour, bytes(out)


def main(first, second):
    names = sorted(p.name for p in pathlib.Path(first).glob("*.png"))
    differing = [n for n in names
                 if pixels(pathlib.Path(first, n)) != pixels(pathlib.Path(second, n))]
    for name in differing:
        print(f"  differs: {name}")
    print(f"{len(names) - len(differing)} of {len(names)} pictures identical pixel for pixel")
    return 1 if differing or not names else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
