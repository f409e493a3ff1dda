"""KModuleMeasure for Python: numpy arrays in, numpy arrays out.

Frames are 2-D int16 or uint16 arrays (uint16 is read bit for bit as signed Y16 where the
library takes signed values), temperature matrices 2-D float32 arrays in degrees Celsius,
grey images 2-D uint8 arrays. Model names are str. Every function checks its arguments first
and raises ValueError or TypeError with the reason; the library itself never sees a call it
would silently refuse. The library runs without the GIL (ctypes releases it for each call).
"""
import ctypes as C
from dataclasses import dataclass
from typing import Optional, Tuple

import numpy as np

from ._checks import _INT32_MAX, _finite, _image2d, _model, _ptr, _window, _y16
from ._lib import lib
from ._records import DeviceCorrectionParam, MeasureState, ParaConfig, TempCalcInfo
from .pipeline import FORMATS, MAPPINGS, PALETTES, Pipeline, colour_image
from .png import save_png
from .radiometry import (PlanckConstants, RadiometricScene, raw_to_temperature, raw_to_temperatures,
                         temperature_to_raw, temperatures_to_raw)

__all__ = [
    'version', 'y16_to_grey', 'percentile_stretch', 'temperatures_to_grey', 'resize',
    'correct_temperature', 'set_para_config', 'high_temperature', 'low_temperature',
    'y16_of_temperature', 'PyroBlocks', 'pyro_temperatures', 'pyro_point_temperature',
    'pyro_y16_of_temperature', 'pyro_grey', 'pyro_fire',
    'DeviceCorrectionParam', 'MeasureState', 'ParaConfig', 'save_png', 'read_raw',
    'PlanckConstants', 'RadiometricScene', 'raw_to_temperatures', 'temperatures_to_raw',
    'raw_to_temperature', 'temperature_to_raw',
]


def read_raw(path, width: int, height: int, frame: int = 0, dtype=np.uint16) -> np.ndarray:
    """One frame of a headerless little-endian raw file (uint16 or int16 Y16, or float32
    temperatures) as a height x width array. A file of several frames back to back gives frame
    number `frame`; a size that is not a whole number of frames raises ValueError."""
    dt = np.dtype(dtype).newbyteorder('<')
    frame_bytes = int(width) * int(height) * dt.itemsize
    if width <= 0 or height <= 0:
        raise ValueError('width and height must be positive, got %r x %r' % (width, height))
    with open(path, 'rb') as f:
        data = f.read()
    if len(data) % frame_bytes:
        raise ValueError('%s holds %d bytes, not a whole number of %d x %d frames of %s'
                         % (path, len(data), width, height, np.dtype(dtype)))
    frames = len(data) // frame_bytes
    if not 0 <= frame < frames:
        raise ValueError('%s holds %d frame(s); frame %d asked for' % (path, frames, frame))
    return np.frombuffer(data, dt, width * height, frame * frame_bytes).reshape(height, width).astype(dtype)


def version() -> str:
    """The library's version, "MAJOR.MINOR.PATCH"."""
    return lib.kmm_version().decode()


# ---- Y16 frames and temperature matrices to grey ---------------------------------------------

def y16_to_grey(frame, model: str = '', window: Optional[Tuple[int, int]] = None) -> np.ndarray:
    """A Y16 frame to a grey image: the manual window (low, high) for any model, or, without a
    window, the automatic gain control of the model (DV13..DV16 on halved Y16, DV17/DV18 with
    sharpening). Models without automatic gain control give a black image."""
    y16 = _y16(frame)
    encoded = _model(model)
    image = np.zeros(y16.shape, np.uint8)
    h, w = y16.shape
    if window is None:
        lib.Y16Mapping_dll(encoded, _ptr(y16, C.c_int16), _ptr(image, C.c_uint8), w, h, None, None, True)
    else:
        low, high = _window(window, kind=int)
        lo, hi = C.c_int16(low), C.c_int16(high)
        lib.Y16Mapping_dll(encoded, _ptr(y16, C.c_int16), _ptr(image, C.c_uint8), w, h,
                           C.byref(hi), C.byref(lo), False)
    return image


def percentile_stretch(frame, contrast: int = 255, brightness: int = 100,
                       window: Optional[Tuple[int, int]] = None):
    """A Y16 frame to grey by one linear stretch between limits 655 pixels in from each end of
    the histogram (or the given window). Returns (image, (low, high)), the limits used."""
    y16 = _y16(frame)
    for value, name in ((contrast, 'contrast'), (brightness, 'brightness')):
        if not -(2 ** 21) <= int(value) <= 2 ** 21:
            raise ValueError('%s must lie within +-2^21, got %r' % (name, value))
    image = np.zeros(y16.shape, np.uint8)
    h, w = y16.shape
    low, high = _window(window, kind=int) if window is not None else (0, 0)
    lo, hi = C.c_int16(low), C.c_int16(high)
    lib.Y16MappingAD_dll(_ptr(y16, C.c_int16), _ptr(image, C.c_uint8), int(contrast), int(brightness),
                         w, h, C.byref(hi), C.byref(lo), 0 if window is not None else 1)
    return image, (lo.value, hi.value)


def temperatures_to_grey(temperatures, model: str = 'DV11', window: Optional[Tuple[float, float]] = None,
                         tuning: float = 150.0):
    """A temperature matrix (degC) to grey through imageMapping_dll: the model picks the
    family (DV01..DV06 offset codes, DV07/DV08 the image pipeline, others Kelvin codes).
    window (low, high) in degC, or None for the automatic range. Returns (image, (low, high)),
    the range the library reports back."""
    temps = _image2d(temperatures, 'temperatures', (np.float32,))
    encoded = _model(model)
    image = np.zeros(temps.shape, np.uint8)
    h, w = temps.shape
    low, high = _window(window) if window is not None else (0.0, 0.0)
    lo, hi = C.c_float(low), C.c_float(high)
    lib.imageMapping_dll(encoded, float(tuning), _ptr(temps, C.c_float), _ptr(image, C.c_uint8), w, h,
                         C.byref(hi), C.byref(lo), window is None)
    return image, (lo.value, hi.value)


def resize(frame, factor: int) -> np.ndarray:
    """Enlarges a 16-bit frame (at least 2 x 2) by a whole factor, bilinear; the result has the
    input's dtype."""
    a = _image2d(frame, 'frame', (np.int16, np.uint16))
    if int(factor) != factor or factor < 1:
        raise ValueError('factor must be a whole number >= 1, got %r' % (factor,))
    h, w = a.shape
    if h < 2 or w < 2:
        raise ValueError('frame must be at least 2 x 2, got %d x %d' % (w, h))
    if h * factor > _INT32_MAX or w * factor > _INT32_MAX:
        raise ValueError('the enlarged frame would be too large')
    out = np.empty((h * factor, w * factor), np.int16)
    lib.image_resize_dll(_ptr(out, C.c_int16), _ptr(a.view(np.int16), C.c_int16), h, w, int(factor))
    return out.view(a.dtype)


# ---- temperatures -------------------------------------------------------------------------

def correct_temperature(model: str, temperature: float, emissivity=(1.0, 1.0), distance=(1.0, 1.0),
                        reflected=(23.0, 23.0), device: Optional[DeviceCorrectionParam] = None) -> float:
    """One temperature (degC) measured under the old (emissivity, distance m, reflected degC)
    recomputed for the new ones; each argument is a pair (old, new). Full-range models need
    the device record."""
    result = C.c_float(float('nan'))
    values = [_finite(temperature, 'temperature')]
    for pair, name in ((emissivity, 'emissivity'), (distance, 'distance'), (reflected, 'reflected')):
        old, new = pair
        values += [_finite(old, name), _finite(new, name)]
    lib.getNewTemperature_dll(_model(model), C.byref(result), *values,
                              C.byref(device) if device is not None else None)
    return result.value


def set_para_config(breakpoints, high: float, low: float, start_temp: float, extra: float = 0.0,
                    emissivity: float = 1.0, reflected: float = 23.0, transmission: float = 1.0,
                    curve_type: int = 0, config: Optional[ParaConfig] = None) -> ParaConfig:
    """Fills a curve configuration record (a new one unless config is given) and returns it."""
    points = np.ascontiguousarray(breakpoints, np.float32).ravel()
    if points.size > 10:
        raise ValueError('at most 10 breakpoints, got %d' % points.size)
    if curve_type not in (0, 1, 2, 3):
        raise ValueError('curve_type must be 0..3, got %r' % (curve_type,))
    config = config if config is not None else ParaConfig()
    lib.SetParaConfig_dll(C.byref(config), _ptr(points, C.c_float), points.size, high, low, start_temp,
                          extra, emissivity, reflected, transmission, curve_type)
    return config


def _curves(curves, curve_type):
    c = np.asarray(curves)
    if c.ndim != 2 or c.shape[0] != 4 or c.shape[1] == 0:
        raise ValueError('curves must be a 4 x length array, got shape %r' % (c.shape,))
    if c.dtype != np.uint16:
        raise TypeError('curves must be uint16, got %s' % c.dtype)
    if curve_type not in (0, 1, 2, 3):
        raise ValueError('curve_type must be 0..3, got %r' % (curve_type,))
    return np.ascontiguousarray(c)


def _curve_temperature(fn, y16, curves, state, config, curve_type):
    c = _curves(curves, curve_type)
    return fn(int(y16) & 0xFFFF, _ptr(c, C.c_uint16), c.shape[1], None, TempCalcInfo(), state, config,
              curve_type)


def high_temperature(y16: int, curves, state: MeasureState, config: ParaConfig, curve_type: int = 0) -> float:
    """Temperature (degC) of one raw value through four calibration curves, high range."""
    return _curve_temperature(lib.GetHighTemperature_dll, y16, curves, state, config, curve_type)


def low_temperature(y16: int, curves, state: MeasureState, config: ParaConfig, curve_type: int = 0) -> float:
    """Temperature (degC) of one raw value through four calibration curves, low range."""
    return _curve_temperature(lib.GetLowTemperature_dll, y16, curves, state, config, curve_type)


def y16_of_temperature(temperature: float, curves, state: MeasureState, config: ParaConfig,
                       curve_type: int = 0, high: bool = True) -> int:
    """The Y16 value the camera reports for a temperature (degC), through the same curves."""
    c = _curves(curves, curve_type)
    return lib.ReverseCalculationLsb_dll(_finite(temperature, 'temperature'), _ptr(c, C.c_uint16),
                                         c.shape[1], bool(high), 0, state, config, curve_type)


# ---- the closed library -------------------------------------------------------------------

@dataclass
class PyroBlocks:
    """The blocks the closed library reads: calibration and scene blocks A and B (required),
    scene block C (needed for grey images) and the parameter line (822 bytes or more for the
    models of the standard and fire lists)."""
    calib: bytes
    scene_a: bytes
    scene_b: bytes
    scene_c: Optional[bytes] = None
    param_line: Optional[bytes] = None

    def arguments(self):
        out = []
        for name in ('calib', 'scene_b', 'scene_a', 'scene_c', 'param_line'):
            block = getattr(self, name)
            if block is None:
                if name in ('calib', 'scene_a', 'scene_b'):
                    raise ValueError('the %s block is required' % name)
                out += [None, 0]
                continue
            block = bytes(block)
            if not block:
                raise ValueError('the %s block is empty' % name)
            if len(block) > _INT32_MAX:
                raise ValueError('the %s block is too long' % name)
            out += [C.c_char_p(block), len(block)]
        return out


def _pyro_frame(frame):
    a = _image2d(frame, 'frame', (np.uint16, np.int16)).view(np.uint16)
    h, w = a.shape
    return [w, h, _ptr(a, C.c_uint16), a.size], a


def _settings(emissivity, distance, reflected):
    return [_finite(emissivity, 'emissivity'), _finite(distance, 'distance'), _finite(reflected, 'reflected')]


def pyro_temperatures(model: str, frame, blocks: PyroBlocks, emissivity: float = 1.0,
                      distance: float = 1.0, reflected: float = 23.0) -> np.ndarray:
    """Temperature matrix (degC, float32) of a Y16 frame measured by the closed library; NaN
    everywhere when the library refuses the scene."""
    args, a = _pyro_frame(frame)
    out = np.full(a.shape, np.nan, np.float32)
    lib.getNewTempWithPyro_dll(_model(model), *args, *blocks.arguments(), _ptr(out, C.c_float),
                               *_settings(emissivity, distance, reflected))
    return out


def pyro_point_temperature(model: str, frame, y16: int, blocks: PyroBlocks, emissivity: float = 1.0,
                           distance: float = 1.0, reflected: float = 23.0, extra: float = 0.0) -> float:
    """Temperature (degC) of one Y16 value; NaN when the library refuses the scene."""
    args, _ = _pyro_frame(frame)
    out = C.c_float(float('nan'))
    lib.getNewTemperatureWithPYROByY16(_model(model), *args, int(y16) & 0xFFFF, *blocks.arguments(),
                                       C.byref(out), *_settings(emissivity, distance, reflected),
                                       _finite(extra, 'extra'))
    return out.value


def pyro_y16_of_temperature(model: str, frame, temperature: float, blocks: PyroBlocks,
                            emissivity: float = 1.0, distance: float = 1.0,
                            reflected: float = 23.0) -> Optional[int]:
    """Y16 value of a temperature (degC) by the closed library; None when it refuses."""
    args, _ = _pyro_frame(frame)
    out = C.c_int16(0)
    written = []
    for sentinel in (0, -1):  # a value written is the same whatever the slot held before
        out.value = sentinel
        lib.getY16WithPyro_dll(_model(model), *args, *blocks.arguments(),
                               _finite(temperature, 'temperature'), C.byref(out),
                               *_settings(emissivity, distance, reflected))
        written.append(out.value)
    return written[0] if written[0] == written[1] else None


def pyro_grey(model: str, frame, blocks: PyroBlocks, window: Optional[Tuple[float, float]] = None,
              emissivity: float = 1.0, distance: float = 1.0, reflected: float = 23.0):
    """Grey image drawn by the closed library: automatic window (returns the measured
    range) or the temperature window (low, high) in degC. Returns (image, (low, high))."""
    args, a = _pyro_frame(frame)
    image = np.zeros(a.shape, np.uint8)
    low, high = _window(window) if window is not None else (float('nan'), float('nan'))
    lo, hi = C.c_float(low), C.c_float(high)
    lib.y16MappingWithPyro_dll(_model(model), _ptr(image, C.c_uint8), C.byref(hi), C.byref(lo),
                               window is None, *args, *blocks.arguments(),
                               *_settings(emissivity, distance, reflected))
    return image, (lo.value, hi.value)


def pyro_fire(model: str, frame, blocks: PyroBlocks, fire_mode: int = 4, drc_set: int = 0,
              drc_params=(0, 0, 0, 0), emissivity: float = 1.0, distance: float = 1.0,
              reflected: float = 23.0):
    """Fire colour image (height x width x 3, R G B with the stand-in) of a fire-list model.
    Returns (image, (low, high), level): the preset window in degC and the centre pixel's
    place on the fire scale."""
    args, a = _pyro_frame(frame)
    if len(drc_params) != 4:
        raise ValueError('drc_params must hold four integers')
    image = np.zeros(a.shape + (3,), np.uint8)
    lo, hi, level = C.c_float(0), C.c_float(0), C.c_float(0)
    lib.y16MappingWithPyroToRgb_dll(_model(model), _ptr(image, C.c_uint8), C.byref(hi), C.byref(lo),
                                    *args, *blocks.arguments(), *_settings(emissivity, distance, reflected),
                                    int(fire_mode), int(drc_set), *[int(p) for p in drc_params],
                                    C.byref(level))
    return image, (lo.value, hi.value), level.value
