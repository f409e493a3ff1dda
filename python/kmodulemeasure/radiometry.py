"""Raw counts to temperatures and back from the Planck constants a camera publishes
(the kmm_ radiometry functions), on numpy arrays.

planck is the camera's (R1, R2, B, F, O), raw = R1 / (R2 (exp(B / T) - F)) - O with T in
kelvin, as five numbers or a PlanckConstants record; scene a RadiometricScene (default: a black
body seen through nothing). Bad constants or scenes raise ValueError before the call."""
import ctypes as C
import math

import numpy as np

from ._checks import _finite, _image2d, _ptr
from ._lib import lib
from ._records import PlanckConstants, RadiometricScene

# Field checks of the scene, in the terms of KModuleMeasureRadiometry.h.
_ABOVE_ABSOLUTE_ZERO = (-273.15, math.inf, False)
_SCENE_RANGES = {
    'emissivity': (0.0, 1.0, False), 'window_transmission': (0.0, 1.0, False),
    'distance_m': (0.0, math.inf, True), 'humidity_percent': (0.0, 100.0, True),
    'reflected_celsius': _ABOVE_ABSOLUTE_ZERO, 'atmosphere_celsius': _ABOVE_ABSOLUTE_ZERO,
    'window_celsius': _ABOVE_ABSOLUTE_ZERO,
}


def _planck(planck):
    if isinstance(planck, PlanckConstants):
        planck = [getattr(planck, name) for name, _ in PlanckConstants._fields_]
    try:
        values = [float(v) for v in planck]
    except TypeError:
        raise TypeError('planck must be five numbers (R1, R2, B, F, O), got %r' % (planck,)) from None
    if len(values) != 5 or not all(math.isfinite(v) for v in values):
        raise ValueError('planck must be five finite numbers (R1, R2, B, F, O), got %r' % (planck,))
    if min(values[:3]) <= 0:
        raise ValueError('R1, R2 and B must be positive, got %r' % (values[:3],))
    return PlanckConstants(*values)


def _scene(scene):
    scene = RadiometricScene() if scene is None else scene
    if not isinstance(scene, RadiometricScene):
        raise TypeError('scene must be a RadiometricScene, got %s' % type(scene).__name__)
    for name, _ in scene._fields_:
        value = _finite(getattr(scene, name), name)
        low, high, low_included = _SCENE_RANGES.get(name, (-math.inf, math.inf, True))
        if not (low <= value <= high) or (value == low and not low_included):
            raise ValueError('%s must lie in %s%g, %g], got %g' % (name, '[' if low_included else '(',
                                                                  low, high, value))
    return scene


def _check(status, what):
    if status != 0:
        raise ValueError('%s: %s' % (what, lib.kmm_status_text(status).decode()))


def _frame(export, values, in_type, out_dtype, out_type, planck, scene):
    out = np.empty(values.shape, out_dtype)
    h, w = values.shape
    _check(export(C.byref(_planck(planck)), C.byref(_scene(scene)), _ptr(values, in_type), w, h,
                  _ptr(out, out_type)),
           'the scene was refused (the air transmits nothing over this path)')
    return out


def _value(export, value, name, planck, scene):
    out = C.c_double()
    _check(export(C.byref(_planck(planck)), C.byref(_scene(scene)), _finite(value, name),
                  C.byref(out)), 'refused')
    return out.value


def raw_to_temperatures(raw, planck, scene=None) -> np.ndarray:
    """Temperatures (degC, float32) of a 2-D frame of raw counts (uint16, or int16 read bit
    for bit); NaN where a count has no temperature (below the background's radiance)."""
    counts = _image2d(raw, 'raw', (np.uint16, np.int16)).view(np.uint16)
    return _frame(lib.kmm_raw_frame_to_temperatures, counts, C.c_uint16, np.float32, C.c_float,
                  planck, scene)


def temperatures_to_raw(celsius, planck, scene=None) -> np.ndarray:
    """Raw counts (uint16) of a 2-D float32 temperature matrix (degC): nearest count,
    saturated to 0..65535; NaN gives 0."""
    t = _image2d(celsius, 'celsius', (np.float32,))
    return _frame(lib.kmm_temperatures_to_raw_frame, t, C.c_float, np.uint16, C.c_uint16, planck,
                  scene)


def raw_to_temperature(raw: float, planck, scene=None) -> float:
    """The temperature (degC) of one raw value, not rounded to a count; NaN where it has none."""
    return _value(lib.kmm_raw_to_temperature, raw, 'raw', planck, scene)


def temperature_to_raw(celsius: float, planck, scene=None) -> float:
    """The raw value of one temperature (degC), neither rounded nor saturated."""
    return _value(lib.kmm_temperature_to_raw, celsius, 'celsius', planck, scene)
