"""Argument checks shared by the wrappers: what the C exports would silently refuse becomes a
ValueError or TypeError with the reason."""
import ctypes as C
import math

import numpy as np

_INT32_MAX = 2 ** 31 - 1


def _ptr(array, ctype):
    return array.ctypes.data_as(C.POINTER(ctype))


def _model(model):
    if not isinstance(model, str):
        raise TypeError('model must be a str, got %s' % type(model).__name__)
    encoded = model.encode()
    if b'\0' in encoded:
        raise ValueError('model must not contain a NUL character')
    return encoded


def _image2d(array, name, dtypes):
    a = np.asarray(array)
    if a.ndim != 2:
        raise ValueError('%s must be a 2-D array, got %d dimension(s)' % (name, a.ndim))
    if a.dtype not in dtypes:
        raise TypeError('%s must be %s, got %s' % (name, ' or '.join(str(np.dtype(d)) for d in dtypes), a.dtype))
    if a.shape[0] == 0 or a.shape[1] == 0:
        raise ValueError('%s is empty (%d x %d)' % (name, a.shape[1], a.shape[0]))
    if a.size > _INT32_MAX:
        raise ValueError('%s has more than 2^31 - 1 pixels' % name)
    return np.ascontiguousarray(a)


def _y16(frame, name='frame'):
    return _image2d(frame, name, (np.int16, np.uint16)).view(np.int16)


def _finite(value, name):
    value = float(value)
    if not math.isfinite(value):
        raise ValueError('%s must be finite, got %r' % (name, value))
    return value


def _window(window, name='window', kind=float):
    low, high = window
    if kind is float:
        low, high = _finite(low, name + ' low'), _finite(high, name + ' high')
    else:
        low, high = int(low), int(high)
        if not (-32768 <= low <= 32767 and -32768 <= high <= 32767):
            raise ValueError('%s ends must be 16-bit values, got %r' % (name, (low, high)))
    if not low < high:
        raise ValueError('%s must have low < high, got %r' % (name, (low, high)))
    return low, high
