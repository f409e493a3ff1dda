"""The image pipeline from Python: shapes by format, palettes, refusals with a reason."""
from pathlib import Path

import numpy as np
import pytest

import kmodulemeasure as kmm

FRAMES = Path(__file__).resolve().parents[2] / 'examples' / 'frames'


@pytest.fixture(scope='module')
def street():
    return [kmm.read_raw(FRAMES / 'street_640x512x4.u16le.raw', 640, 512, frame=f) for f in range(4)]


def test_image_shapes_follow_zoom_rotation_and_format(street):
    with kmm.Pipeline(640, 512, zoom=1.5) as p:
        assert p.run(street[0]).shape == (768, 960, 3)
        p.rotation(mode=0)
        p.colour('white-hot', 'rgba32')
        rgba = p.run(street[0])
        assert rgba.shape == (960, 768, 4) and np.all(rgba[..., 3] == 255)
        p.colour(on=False)
        assert p.run(street[0]).shape == (960, 768)
        p.colour('iron', 'nv12')
        assert p.run(street[0]).shape == (960 * 768 * 3 // 2,)


def test_white_hot_is_the_grey_image_and_black_hot_its_inverse(street):
    with kmm.Pipeline(640, 512) as p:
        p.colour(on=False)
        grey = p.run(street[1]).astype(int)
        p.colour('white-hot', 'rgb24')
        white = p.run(street[1]).astype(int)
        p.colour('black-hot', 'rgb24')
        black = p.run(street[1]).astype(int)
        assert np.array_equal(kmm.colour_image(grey.astype(np.uint8), 'black-hot'), black)
    assert np.abs(white[..., 0] - grey).max() <= 1
    assert np.abs(black[..., 0] - (255 - grey)).max() <= 1


def test_refusals_name_the_reason_and_change_nothing(street):
    with kmm.Pipeline(640, 512) as p:
        before = p.run(street[2])
        for call in (lambda: p.mapping(7), lambda: p.colour('plaid'), lambda: p.sharpen(float('nan')),
                     lambda: p.column_stripes(window=40), lambda: p.lut(np.zeros(255))):
            with pytest.raises(ValueError):
                call()
        assert np.array_equal(p.run(street[2]), before)
        with pytest.raises(ValueError):
            p.run(street[2][:, :320])
        with pytest.raises(TypeError):
            p.run(street[2].astype(np.float32))
    with pytest.raises(ValueError):
        kmm.Pipeline(0, 512)

