"""The Python layer: arrays in and out, bad input refused with a reason, results that agree
with the properties of the library on the real frames."""
import math
from pathlib import Path

import numpy as np
import pytest

import kmodulemeasure as kmm

FRAMES = Path(__file__).resolve().parents[2] / 'examples' / 'frames'


@pytest.fixture(scope='module')
def street():
    return kmm.read_raw(FRAMES / 'street_640x512x4.u16le.raw', 640, 512, frame=1)


def test_window_map_rises_with_y16_and_ignores_the_dtype(street):
    grey = kmm.y16_to_grey(street, window=(500, 4000))
    order = np.argsort(street, axis=None, kind='stable')
    assert np.all(np.diff(grey.ravel()[order].astype(int)) >= 0)
    assert np.array_equal(grey, kmm.y16_to_grey(street.view(np.int16), window=(500, 4000)))


def test_automatic_ranges_come_back_as_values(street):
    image, (low, high) = kmm.percentile_stretch(street)
    assert street.min() <= low < high <= street.max()
    temps = (street.astype(np.float32) - 3000) / 20
    for model in ('DV01', 'DV07', 'DV11'):
        image, (low, high) = kmm.temperatures_to_grey(temps, model)
        assert image.shape == temps.shape and low < high, model
        assert temps.min() - 0.1 <= low and high <= temps.max() + 0.1, model


def test_resize_keeps_the_dtype_and_the_samples(street):
    crop = street[:5, :7]
    big = kmm.resize(crop, 3)
    assert big.dtype == np.uint16 and big.shape == (15, 21)
    assert np.array_equal(big[::3, ::3], crop)


def test_closed_library_inverts_its_own_temperatures(street):
    blocks = kmm.PyroBlocks(calib=b'\0' * 64, scene_a=b'\0' * 16, scene_b=b'\0' * 16)
    y16 = kmm.pyro_y16_of_temperature('DV90', street, 36.5, blocks)
    assert y16 is not None
    assert kmm.pyro_point_temperature('DV90', street, y16, blocks) == pytest.approx(36.5, abs=0.1)
    temps = kmm.pyro_temperatures('DV90', street, blocks)
    assert np.isfinite(temps).all()


AERIAL = (364058, 1, 1428, 1, -228)


def test_radiometry_reads_the_published_median_and_comes_back_count_for_count():
    raw = kmm.read_raw(FRAMES / 'aerial_640x512.u16le.raw', 640, 512)
    celsius = kmm.raw_to_temperatures(raw, AERIAL)
    assert celsius.dtype == np.float32 and np.median(celsius) == pytest.approx(12.48, abs=0.01)
    assert np.array_equal(kmm.temperatures_to_raw(celsius, AERIAL), raw)
    grey_body = kmm.RadiometricScene(emissivity=0.94, reflected_celsius=30)
    assert np.median(kmm.raw_to_temperatures(raw, AERIAL, grey_body)) < np.median(celsius)
    assert kmm.temperature_to_raw(kmm.raw_to_temperature(2699.5, AERIAL), AERIAL) == pytest.approx(2699.5)


def test_readme_example_runs(tmp_path, monkeypatch):
    readme = (FRAMES.parents[1] / 'README.md').read_text()
    code = readme.split('## Python', 1)[1].split('```python\n', 1)[1].split('```', 1)[0]
    monkeypatch.chdir(tmp_path)
    exec(code.replace("'examples/frames/", repr(str(FRAMES)).rstrip("'") + "/"), {})
    assert (tmp_path / 'aerial_grey.png').exists() and (tmp_path / 'aerial_iron.png').exists()


@pytest.mark.parametrize('call, error', [
    (lambda f: kmm.y16_to_grey(f.astype(np.float32)), TypeError),
    (lambda f: kmm.y16_to_grey(f, window=(10, 5)), ValueError),
    (lambda f: kmm.percentile_stretch(f, window=(0, 70000)), ValueError),
    (lambda f: kmm.temperatures_to_grey(f), TypeError),
    (lambda f: kmm.temperatures_to_grey(f.astype(np.float32), window=(20, math.nan)), ValueError),
    (lambda f: kmm.correct_temperature('DV01', math.nan), ValueError),
    (lambda f: kmm.pyro_temperatures('DV90', f, kmm.PyroBlocks(b'', b'x', b'x')), ValueError),
    (lambda f: kmm.read_raw(FRAMES / 'street_640x512x4.u16le.raw', 320, 256, frame=16), ValueError),
    (lambda f: kmm.raw_to_temperatures(f, AERIAL, kmm.RadiometricScene(emissivity=0)), ValueError),
    (lambda f: kmm.RadiometricScene(emisivity=0.9), TypeError),
])
def test_bad_input_is_refused_with_a_reason(street, call, error):
    with pytest.raises(error):
        call(street)


def test_png_round_trips_through_zlib(tmp_path):
    import zlib
    image = np.arange(12, dtype=np.uint8).reshape(3, 4)
    kmm.save_png(tmp_path / 'g.png', image)
    data = (tmp_path / 'g.png').read_bytes()
    idat = data[data.index(b'IDAT') + 4:data.index(b'IEND') - 8]
    rows = np.frombuffer(zlib.decompress(idat), np.uint8).reshape(3, 5)
    assert data.startswith(b'\x89PNG') and np.array_equal(rows[:, 1:], image)
