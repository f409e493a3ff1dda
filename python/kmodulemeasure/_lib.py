"""Finds and loads the shared library, and declares the C signatures of its exports.

The library is looked for, in this order: the file named by the environment variable
KMM_LIBRARY; a copy inside this package (placed there by `cmake --install`); the build tree
next to this source tree (build/release); the system's library path."""
import ctypes as C
import ctypes.util
import os
import sys
from pathlib import Path

from ._records import (DeviceCorrectionParam, MeasureState, ParaConfig, PlanckConstants,
                       RadiometricScene, TempCalcInfo)

_NAMES = {'win32': 'KModuleMeasure.dll', 'darwin': 'libKModuleMeasure.dylib'}
_FILE = _NAMES.get(sys.platform, 'libKModuleMeasure.so')


def _candidates():
    if os.environ.get('KMM_LIBRARY'):
        yield os.environ['KMM_LIBRARY']
    here = Path(__file__).resolve().parent
    yield str(here / _FILE)
    yield str(here.parent.parent / 'build' / 'release' / 'src' / _FILE)
    found = ctypes.util.find_library('KModuleMeasure')
    if found:
        yield found


def _load():
    tried = []
    for path in _candidates():
        if os.path.sep in path and not os.path.exists(path):
            tried.append(path)
            continue
        try:
            return C.CDLL(path)
        except OSError as error:
            tried.append('%s (%s)' % (path, error))
    raise ImportError('libKModuleMeasure not found; build it (scripts/demo.sh or cmake) or set '
                      'KMM_LIBRARY to its path. Tried: ' + '; '.join(tried))


lib = _load()

_p = C.POINTER
_i16p, _u16p, _u8p, _f32p, _i32p = _p(C.c_int16), _p(C.c_uint16), _p(C.c_uint8), _p(C.c_float), _p(C.c_int32)
_blocks = [C.c_void_p, C.c_int] * 5  # calib, sceneB, sceneA, sceneC, paramLine with lengths
_frame = [C.c_int, C.c_int, _u16p, C.c_int]  # width, height, y16Data, y16Count

_SIGNATURES = {
    'getNewTemperature_dll': (None, [C.c_char_p, _f32p] + [C.c_float] * 7 + [_p(DeviceCorrectionParam)]),
    'GetHighTemperature_dll': (C.c_float, [C.c_uint16, _u16p, C.c_int32, C.c_void_p, TempCalcInfo,
                                           MeasureState, ParaConfig, C.c_int32]),
    'GetLowTemperature_dll': (C.c_float, [C.c_uint16, _u16p, C.c_int32, C.c_void_p, TempCalcInfo,
                                          MeasureState, ParaConfig, C.c_int32]),
    'SetParaConfig_dll': (None, [_p(ParaConfig), _f32p, C.c_uint8] + [C.c_float] * 7 + [C.c_uint32]),
    'ReverseCalculationLsb_dll': (C.c_int32, [C.c_float, _u16p, C.c_int32, C.c_bool, C.c_uint8,
                                              MeasureState, ParaConfig, C.c_int32]),
    'Y16Mapping_dll': (None, [C.c_char_p, _i16p, _u8p, C.c_int32, C.c_int32, _i16p, _i16p, C.c_bool]),
    'Y16MappingAD_dll': (None, [_i16p, _u8p, C.c_int32, C.c_int32, C.c_int32, C.c_int32, _i16p,
                                _i16p, C.c_int32]),
    'imageMapping_dll': (None, [C.c_char_p, C.c_float, _f32p, _u8p, C.c_int32, C.c_int32, _f32p,
                                _f32p, C.c_bool]),
    'image_resize_dll': (None, [_i16p, _i16p, C.c_int32, C.c_int32, C.c_int32]),
    'getNewTempWithPyro_dll': (None, [C.c_char_p] + _frame + _blocks + [_f32p] + [C.c_float] * 3),
    'getNewTemperatureWithPYROByY16': (None, [C.c_char_p] + _frame + [C.c_uint16] + _blocks +
                                       [_f32p] + [C.c_float] * 4),
    'getY16WithPyro_dll': (None, [C.c_char_p] + _frame + _blocks + [C.c_float, _i16p] + [C.c_float] * 3),
    'y16MappingWithPyro_dll': (None, [C.c_char_p, _u8p, _f32p, _f32p, C.c_bool] + _frame + _blocks +
                               [C.c_float] * 3),
    'y16MappingWithPyroToRgb_dll': (None, [C.c_char_p, _u8p, _f32p, _f32p] + _frame + _blocks +
                                    [C.c_float] * 3 + [C.c_int] * 6 + [_f32p]),
    'kmm_version': (C.c_char_p, []),
    'kmm_radiometric_scene_defaults': (C.c_int, [_p(RadiometricScene)]),
    'kmm_raw_frame_to_temperatures': (C.c_int, [_p(PlanckConstants), _p(RadiometricScene), _u16p,
                                                C.c_int32, C.c_int32, _f32p]),
    'kmm_temperatures_to_raw_frame': (C.c_int, [_p(PlanckConstants), _p(RadiometricScene), _f32p,
                                                C.c_int32, C.c_int32, _u16p]),
    'kmm_raw_to_temperature': (C.c_int, [_p(PlanckConstants), _p(RadiometricScene), C.c_double,
                                         _p(C.c_double)]),
    'kmm_temperature_to_raw': (C.c_int, [_p(PlanckConstants), _p(RadiometricScene), C.c_double,
                                         _p(C.c_double)]),
    'kmm_status_text': (C.c_char_p, [C.c_int]),
}

for _name, (_restype, _argtypes) in _SIGNATURES.items():
    _fn = getattr(lib, _name)
    _fn.restype = _restype
    _fn.argtypes = _argtypes
