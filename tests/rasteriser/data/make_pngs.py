#!/usr/bin/env python3
"""Writes PNG test images with an encoder of its own (zlib + struct), independent of
libpng. Usage: make_pngs.py OUTDIR. Sample values follow sample() below, which the
C++ test mirrors."""
import os
import struct
import sys
import zlib

OUT = sys.argv[1]
W, H = 13, 11
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def sample(x, y, c, depth):
    if depth == 16:
        return (x * 3001 + y * 977 + c * 12345 + x * y * 7) % 65536
    return (x * 37 + y * 11 + c * 71 + x * y) % (1 << depth)


def palette_index(x, y, depth):
    return (x + 3 * y) % min(1 << depth, 40)


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)


def pack_row(values, depth):
    if depth == 16:
        return b''.join(struct.pack('>H', v) for v in values)
    if depth == 8:
        return bytes(values)
    out, acc, bits = bytearray(), 0, 0
    for v in values:
        acc = (acc << depth) | v
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def pixel_values(x, y, ctype, depth):
    if ctype == 3:
        return [palette_index(x, y, depth)]
    return [sample(x, y, c, depth) for c in range(CHANNELS[ctype])]


def image_data(ctype, depth, interlace):
    raw = bytearray()
    passes = ADAM7 if interlace else [(0, 0, 1, 1)]
    for x0, y0, dx, dy in passes:
        xs = list(range(x0, W, dx))
        ys = list(range(y0, H, dy))
        if not xs or not ys:
            continue
        for y in ys:
            values = []
            for x in xs:
                values += pixel_values(x, y, ctype, depth)
            raw += b'\x00' + pack_row(values, depth)
    return zlib.compress(bytes(raw), 9)


def png(ctype, depth, interlace=0, trns=False):
    data = b'\x89PNG\r\n\x1a\n'
    data += chunk(b'IHDR', struct.pack('>IIBBBBB', W, H, depth, ctype, 0, 0, interlace))
    if ctype == 3:
        count = min(1 << depth, 40)
        data += chunk(b'PLTE', bytes(v for i in range(count) for v in ((i * 17) % 256, (i * 53) % 256, (i * 101) % 256)))
        if trns:
            data += chunk(b'tRNS', bytes((i * 29) % 256 for i in range(count // 2)))
    elif trns and ctype == 0:
        data += chunk(b'tRNS', struct.pack('>H', sample(0, 0, 0, depth)))
    elif trns and ctype == 2:
        data += chunk(b'tRNS', struct.pack('>HHH', *[sample(0, 0, c, depth) for c in range(3)]))
    data += chunk(b'IDAT', image_data(ctype, depth, interlace))
    data += chunk(b'IEND', b'')
    return data


def write(name, data):
    with open(os.path.join(OUT, name), 'wb') as f:
        f.write(data)


CASES = [(0, d) for d in (1, 2, 4, 8, 16)] + [(2, 8), (2, 16), (3, 1), (3, 2), (3, 4), (3, 8),
                                              (4, 8), (4, 16), (6, 8), (6, 16)]
for ctype, depth in CASES:
    for interlace in (0, 1):
        write('c%d_d%d_i%d.png' % (ctype, depth, interlace), png(ctype, depth, interlace))
    if ctype in (0, 2, 3):
        write('c%d_d%d_i0_t.png' % (ctype, depth), png(ctype, depth, 0, True))

good = png(6, 8)
write('bad_empty.png', b'')
write('bad_signature_only.png', good[:8])
write('bad_partial_signature.png', good[:5])
write('bad_after_ihdr.png', good[:33])
write('bad_half.png', good[:len(good) // 2])
write('bad_no_iend.png', good[:-12])
flipped = bytearray(good)
flipped[45] ^= 0x55  # inside the IDAT data: its CRC no longer matches
write('bad_crc.png', bytes(flipped))
garbage = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', W, H, 8, 6, 0, 0, 0)) + \
    chunk(b'IDAT', b'\x78\x9c' + bytes(range(200))) + chunk(b'IEND', b'')
write('bad_zlib.png', garbage)
zero = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 0, H, 8, 6, 0, 0, 0)) + chunk(b'IEND', b'')
write('bad_zero_width.png', zero)
huge = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 100000, 100000, 8, 6, 0, 0, 0)) + \
    chunk(b'IDAT', zlib.compress(b'\x00' * 1000)) + chunk(b'IEND', b'')
write('bad_huge.png', huge)
depth_type = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', W, H, 3, 2, 0, 0, 0)) + chunk(b'IEND', b'')
write('bad_depth.png', depth_type)
write('bad_text.png', b'this is not an image at all, just some words' * 3)
