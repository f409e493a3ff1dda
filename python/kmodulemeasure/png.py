"""A small PNG writer for the images this package returns (grey, RGB or RGBA, 8 bits), so
that a picture needs nothing beyond numpy."""
import struct
import zlib

import numpy as np


def save_png(path, image) -> None:
    """Writes a 2-D uint8 grey image, or a height x width x 3 (RGB) or x 4 (RGBA) uint8
    image, to path as PNG."""
    a = np.ascontiguousarray(image)
    if a.dtype != np.uint8:
        raise TypeError('image must be uint8, got %s' % a.dtype)
    channels = 1 if a.ndim == 2 else (a.shape[2] if a.ndim == 3 else 0)
    colour_type = {1: 0, 3: 2, 4: 6}.get(channels)
    if colour_type is None or a.shape[0] == 0 or a.shape[1] == 0:
        raise ValueError('image must be height x width, or height x width x 3 or 4, got %r' % (a.shape,))
    height, width = a.shape[:2]
    rows = a.reshape(height, width * channels)
    raw = np.hstack([np.zeros((height, 1), np.uint8), rows]).tobytes()  # filter 0 on every row

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    header = struct.pack('>IIBBBBB', width, height, 8, colour_type, 0, 0, 0)
    with open(path, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(raw, 6)) +
                  chunk(b'IEND', b''))
