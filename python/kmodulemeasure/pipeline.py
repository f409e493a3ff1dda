"""The image pipeline: frames of signed 16-bit values through stripe removal, temporal
filtering, grey mapping, detail enhancement, zoom and palettes into grey or colour images.

    with Pipeline(640, 512) as p:
        p.colour(palette='iron', format='rgb24')
        rgb = p.run(frame)            # (512, 640, 3) uint8

Settings follow the C functions kmm_pipeline_set_* of KModuleMeasurePipeline.h; a value the
library refuses raises ValueError and leaves the pipeline as it was."""
import ctypes as C

import numpy as np

from ._lib import lib

PALETTES = {'red-top': 0, 'cubehelix': 1, 'rainbow': 2, 'iron': 3, 'cool-warm': 4,
            'black-hot': 5, 'white-hot': 6}
FORMATS = {'bgr24': 0, 'rgba32': 1, 'rgb24': 2, 'rgb16': 3, 'ycbycr': 4, 'ycrycb': 5,
           'planar422': 6, 'planar422-cr': 7, 'nv12': 8, 'nv21': 9, 'i420': 10, 'yv12': 11}
MAPPINGS = {'linear': 0, 'equalised': 1, 'mixed': 2, 'window': 3}


class _Image(C.Structure):
    _fields_ = [('width', C.c_uint32), ('height', C.c_uint32), ('bytes_per_pixel', C.c_uint32),
                ('bytes', C.c_uint64)]


_u32, _i16, _int = C.c_uint32, C.c_int16, C.c_int
_SIGNATURES = {
    'set_flat_field': [_int], 'set_bad_pixel_repair': [_int],
    'load_flat_field': [C.c_void_p] * 3, 'set_temporal_filter': [_int, _u32],
    'set_column_stripes': [_int, _u32, _u32, _u32], 'set_row_stripes': [_int, _u32, _u32, _u32],
    'set_smoothing': [_int, _u32, _u32], 'set_mirror': [_int, _u32], 'set_rotation': [_int, _u32],
    'set_mapping': [_u32], 'set_window': [_i16, _i16], 'set_linear': [_u32] * 3,
    'set_equalised': [_u32] * 3, 'set_detail': [_int, _u32, _u32],
    'set_adaptive_equalisation': [_int, _u32, _u32, _u32], 'set_lut': [_int],
    'load_lut': [C.c_void_p], 'set_sharpen': [_int, C.c_float], 'set_contrast': [_int, _u32, _u32],
    'set_zoom_mode': [_u32], 'set_colour': [_int, _u32, _int, _int],
    'set_marks': [_u32, _i16, _i16, _u32, _u32],
    'output': [C.POINTER(_Image)],
    'run': [C.c_void_p, C.c_void_p, C.c_size_t, C.POINTER(_Image)],
}
for _name, _args in _SIGNATURES.items():
    _fn = getattr(lib, 'kmm_pipeline_' + _name)
    _fn.restype = C.c_int
    _fn.argtypes = [C.c_void_p] + _args
lib.kmm_pipeline_create.restype = C.c_void_p
lib.kmm_pipeline_create.argtypes = [C.c_int32, C.c_int32, C.c_float]
lib.kmm_pipeline_destroy.restype = None
lib.kmm_pipeline_destroy.argtypes = [C.c_void_p]


def _number(value, table, what):
    if isinstance(value, str):
        if value not in table:
            raise ValueError('%s: %r is none of %s' % (what, value, ', '.join(table)))
        return table[value]
    return int(value)


class Pipeline:
    """A pipeline for frames of width x height; zoom scales the output (1.0: none)."""

    def __init__(self, width: int, height: int, zoom: float = 1.0):
        self._handle = None
        if int(width) <= 0 or int(height) <= 0:
            raise ValueError('width and height must be positive, not %r x %r' % (width, height))
        self.width, self.height = int(width), int(height)
        self._handle = lib.kmm_pipeline_create(self.width, self.height, float(zoom))
        if not self._handle:
            raise ValueError('the pipeline cannot take %d x %d at zoom %r' % (width, height, zoom))

    def close(self):
        if self._handle:
            lib.kmm_pipeline_destroy(self._handle)
            self._handle = None

    __del__ = close

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _call(self, name, *args):
        if not self._handle:
            raise ValueError('the pipeline is closed')
        status = getattr(lib, 'kmm_pipeline_' + name)(self._handle, *args)
        if status != 0:
            raise ValueError('%s%r: %s' % (name, args, lib.kmm_status_text(status).decode()))

    # Frame corrections
    def flat_field(self, on=True, dark=None, gain=None, raw=None):
        self._call('set_flat_field', int(on))
        if dark is not None or gain is not None or raw is not None:
            frames = [None if f is None else self._frame(f, np.uint16) for f in (dark, gain, raw)]
            self._call('load_flat_field', *[None if f is None else f.ctypes.data for f in frames])

    def bad_pixel_repair(self, on=True, gain=None):
        self._call('set_bad_pixel_repair', int(on))
        if gain is not None:
            g = self._frame(gain, np.uint16)
            self._call('load_flat_field', None, g.ctypes.data, None)

    def temporal_filter(self, on=True, sigma=8):
        self._call('set_temporal_filter', int(on), sigma)

    def column_stripes(self, on=True, window=9, threshold=3500, clamp=20):
        self._call('set_column_stripes', int(on), window, threshold, clamp)

    def row_stripes(self, on=True, window=9, threshold=3500, clamp=20):
        self._call('set_row_stripes', int(on), window, threshold, clamp)

    def smoothing(self, on=True, mode=0, sigma=5):
        self._call('set_smoothing', int(on), mode, sigma)

    def mirror(self, on=True, mode=0):
        self._call('set_mirror', int(on), mode)

    def rotation(self, on=True, mode=0):
        self._call('set_rotation', int(on), mode)

    # Grey mapping
    def mapping(self, mode='equalised', window=None):
        self._call('set_mapping', _number(mode, MAPPINGS, 'mapping'))
        if window is not None:
            low, high = window
            self._call('set_window', int(high), int(low))

    def linear(self, percentile=10, brightness=20, contrast=200):
        self._call('set_linear', percentile, brightness, contrast)

    def equalised(self, brightness=80, plateau=200, max_range=230):
        self._call('set_equalised', brightness, plateau, max_range)

    def detail(self, on=True, base_window=3, gain=48):
        self._call('set_detail', int(on), base_window, gain)

    def adaptive_equalisation(self, on=True, tiles=(2, 2), clip_factor=5):
        self._call('set_adaptive_equalisation', int(on), tiles[0], tiles[1], clip_factor)

    # 8-bit stages and colour
    def lut(self, table=None, on=True):
        if table is not None:
            t = np.ascontiguousarray(table, dtype=np.uint8)
            if t.shape != (256,):
                raise ValueError('the look-up table holds 256 bytes, not shape %s' % (t.shape,))
            self._call('load_lut', t.ctypes.data)
        self._call('set_lut', int(on))

    def sharpen(self, amount=1.0, on=True):
        self._call('set_sharpen', int(on), float(amount))

    def contrast(self, brightness=128, gain=128, on=True):
        self._call('set_contrast', int(on), brightness, gain)

    def zoom_mode(self, mode):
        self._call('set_zoom_mode', mode)

    def colour(self, palette='iron', format='rgb24', on=True, kind=0):
        self._call('set_colour', int(on), _number(palette, PALETTES, 'palette'),
                   _number(format, FORMATS, 'format'), int(kind))

    def marks(self, mode=0, high=5000, low=2000, colour=0, low_colour=0x0000FF):
        self._call('set_marks', mode, high, low, colour, low_colour)

    # Running
    def output(self):
        """(width, height, bytes per pixel, bytes) of the image the next run writes."""
        image = _Image()
        self._call('output', C.byref(image))
        return image.width, image.height, image.bytes_per_pixel, image.bytes

    def _frame(self, frame, dtype):
        a = np.asarray(frame)
        if a.shape != (self.height, self.width):
            raise ValueError('frame of shape %s, the pipeline takes (%d, %d)'
                             % (a.shape, self.height, self.width))
        if a.dtype not in (np.int16, np.uint16):
            raise TypeError('frames are int16 or uint16 arrays, not %s' % a.dtype)
        return np.ascontiguousarray(a).view(dtype)

    def run(self, frame) -> np.ndarray:
        """One frame through the pipeline: (h, w) grey, (h, w, 3 or 4) for the RGB formats,
        the bytes as they are (1-D) for the packed and luma/chroma formats."""
        f = self._frame(frame, np.int16)
        width, height, bpp, size = self.output()
        out = np.empty(size, dtype=np.uint8)
        image = _Image()
        self._call('run', f.ctypes.data, out.ctypes.data, out.size, C.byref(image))
        if size == width * height * bpp and bpp in (1, 3, 4):
            shape = (height, width) if bpp == 1 else (height, width, bpp)
            return out.reshape(shape)
        return out


lib.kmm_colour_image.restype = C.c_int
lib.kmm_colour_image.argtypes = [C.c_void_p, C.c_int32, C.c_int32, C.c_uint32, C.c_int, C.c_void_p,
                                 C.c_size_t, C.POINTER(C.c_size_t)]


def colour_image(grey, palette='iron', format='rgb24') -> np.ndarray:
    """Colours a 2-D uint8 grey image (of temperatures_to_grey, y16_to_grey, ...): (h, w, 3 or
    4) for the RGB formats, the bytes as they are for the others."""
    g = np.ascontiguousarray(grey)
    if g.dtype != np.uint8 or g.ndim != 2:
        raise TypeError('grey images are 2-D uint8 arrays, not %s %s' % (g.ndim, g.dtype))
    height, width = g.shape
    number = _number(format, FORMATS, 'format')
    out = np.empty(width * height * 4, dtype=np.uint8)
    written = C.c_size_t()
    status = lib.kmm_colour_image(g.ctypes.data, width, height, _number(palette, PALETTES, 'palette'),
                                  number, out.ctypes.data, out.size, C.byref(written))
    if status != 0:
        raise ValueError('colour_image: %s' % lib.kmm_status_text(status).decode())
    out = out[:written.value]
    bpp = {0: 3, 1: 4, 2: 3}.get(number)
    return out.reshape(height, width, bpp) if bpp else out
