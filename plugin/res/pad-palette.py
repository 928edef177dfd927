#!/usr/bin/env python3
"""Rewrites an uncompressed 8-bit BMP so that its colour table has exactly
256 entries (unused entries black) and biClrUsed says 256.
Usage: pad-palette.py IN.bmp OUT.bmp"""
import struct
import sys

def main(src, dst):
    data = open(src, 'rb').read()
    if data[:2] != b'BM':
        sys.exit(src + ': not a BMP file')
    pixel_offset = struct.unpack_from('<I', data, 10)[0]
    header_size, width, height, planes, bits, compression = struct.unpack_from('<IiiHHI', data, 14)
    if header_size != 40 or bits != 8 or compression != 0:
        sys.exit(src + ': expected an uncompressed 8-bit BMP with a 40-byte header')
    used = struct.unpack_from('<I', data, 46)[0] or 256
    table = data[14 + 40:14 + 40 + 4 * used]
    table += b'\0' * (4 * 256 - len(table))
    pixels = data[pixel_offset:]
    info = bytearray(data[14:14 + 40])
    struct.pack_into('<II', info, 32, 256, 0)          # biClrUsed, biClrImportant
    struct.pack_into('<I', info, 20, len(pixels))       # biSizeImage
    offset = 14 + 40 + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    open(dst, 'wb').write(header + bytes(info) + table + pixels)

if __name__ == '__main__':
    main(*sys.argv[1:3])
