"""The records that cross the library boundary, as ctypes structures laid out byte for byte
like include/KModuleMeasure.h."""
import ctypes as C


def _reserved(n):
    return C.c_uint8 * n


class DeviceCorrectionParam(C.Structure):
    """Device record of the temperature correction (52 bytes)."""
    _fields_ = [(name, C.c_int32 if kind == 'i' else C.c_float) for name, kind in [
        ('scaleSetting', 'i'), ('emissivity', 'f'), ('reflectedTemp', 'f'), ('compTemp', 'f'),
        ('compMode', 'i'), ('compOffset', 'i'), ('compGain', 'i'), ('distQuadPerDist', 'i'),
        ('distQuad', 'i'), ('distLinPerDist', 'i'), ('distLin', 'i'),
        ('distConstPerDist', 'i'), ('distConst', 'i')]]


class MeasureState(C.Structure):
    """Camera measurement state of the calibration-curve functions (152 bytes)."""
    _fields_ = [
        ('reserved0', _reserved(4)),
        ('driftEnable', C.c_int32), ('ambientEnable', C.c_int32), ('twoAxisMode', C.c_int32),
        ('emissivityEnable', C.c_int32), ('transmissionEnable', C.c_int32),
        ('driftSlopeMode', C.c_int32), ('driftBlendDone', C.c_int32),
        ('driftY16Prev', C.c_int16), ('driftY16Last', C.c_int16),
        ('ambientBaseTemp', C.c_float), ('reserved40', _reserved(4)),
        ('curveRefTempAlt', C.c_float), ('curveRefTemp', C.c_float), ('driftTempNow', C.c_float),
        ('driftTempLast', C.c_float), ('driftTempPrev', C.c_float), ('segmentKey', C.c_float),
        ('ambientCoefHigh', C.c_float), ('ambientCoefLow', C.c_float),
        ('gain0', C.c_float), ('offset0', C.c_float), ('gain1', C.c_float), ('offset1', C.c_float),
        ('driftSlopeRefHigh', C.c_float), ('driftSlopeRefLow', C.c_float),
        ('driftSlopeHigh', C.c_float), ('driftSlopeLow', C.c_float),
        ('reserved108', _reserved(12)), ('segmentIndex', C.c_uint8), ('reserved121', _reserved(3)),
        ('settingKey', C.c_float), ('reserved128', _reserved(24)),
    ]


class ParaConfig(C.Structure):
    """Curve configuration (92 bytes); filled by set_para_config."""
    _fields_ = [
        ('breakpointCount', C.c_uint8), ('reserved1', _reserved(3)),
        ('breakpoints', C.c_float * 10), ('formatTag', C.c_uint8), ('reserved45', _reserved(3)),
        ('settingLow', C.c_float), ('settingHigh', C.c_float), ('reserved56', _reserved(8)),
        ('emissivity', C.c_float), ('transmission', C.c_float), ('reflectedTemp', C.c_float),
        ('curveStartTemp', C.c_float), ('extraParam', C.c_float), ('reserved84', _reserved(8)),
    ]


class TempCalcInfo(C.Structure):
    _fields_ = [('bytes', _reserved(92))]


for _record, _size in ((DeviceCorrectionParam, 52), (MeasureState, 152), (ParaConfig, 92),
                       (TempCalcInfo, 92)):
    assert C.sizeof(_record) == _size, _record.__name__


class PlanckConstants(C.Structure):
    """The camera's Planck constants (KModuleMeasureRadiometry.h):
    raw = R1 / (R2 (exp(B / T) - F)) - O, T in kelvin."""
    _fields_ = [(name, C.c_double) for name in ('r1', 'r2', 'b', 'f', 'o')]


class RadiometricScene(C.Structure):
    """What lies between the object and the sensor. A new record holds the library's defaults
    (a black body seen through nothing); keyword arguments set fields, e.g.
    RadiometricScene(emissivity=0.94, distance_m=50, humidity_percent=30)."""
    _fields_ = [(name, C.c_double) for name in (
        'emissivity', 'reflected_celsius', 'atmosphere_celsius', 'distance_m', 'humidity_percent',
        'window_celsius', 'window_transmission', 'atm_x', 'atm_alpha1', 'atm_alpha2', 'atm_beta1',
        'atm_beta2')]

    def __init__(self, **fields):
        super().__init__()
        from ._lib import lib
        lib.kmm_radiometric_scene_defaults(C.byref(self))
        for name, value in fields.items():
            if name not in (f for f, _ in self._fields_):
                raise TypeError('RadiometricScene has no field %r' % name)
            setattr(self, name, value)
