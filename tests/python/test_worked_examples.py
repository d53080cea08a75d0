"""Pixels worked out from the effect's rules, at 8 and 16 bits, against zephyrine.render."""
import math
from fractions import Fraction

import numpy as np
import pytest
import zephyrine

from conftest import CONTROL_SETS, random_image


def effect_pixel(red, green, blue, read, write, tilt_forward=0.0, tilt_sideways=0.0, tilt_upwards=0.0,
                 invert_x=False, invert_y=False, invert_z=False, invert_all=False, traditional_format=False):
    """The effect's rule for one pixel's colour, every step in double precision (Python's float).
    read: the factor from a channel value to unit scale; write: the channel value of 1.0."""
    channels = [red * read, green * read, blue * read]
    inverted = [invert_x, invert_y, invert_z]
    if traditional_format:
        # The channels are the vector; an inversion changes a component's sign, "all" after the axes.
        vector = [-c if i else c for c, i in zip(channels, inverted)]
        vector = [-v for v in vector] if invert_all else vector
    else:
        # An inversion is 1 - c on the channel, "all" after the axes; then 0..1 becomes -1..1.
        channels = [1 - c if i else c for c, i in zip(channels, inverted)]
        channels = [1 - c for c in channels] if invert_all else channels
        vector = [c * 2 - 1 for c in channels]
    # Tilts towards +z, +x, +y in that order, each a single-precision value: the tilted component
    # c becomes c + (1 - c) t, the other two shrink by 1 - |t|.
    for tilt, axis in ((tilt_forward, 2), (tilt_sideways, 0), (tilt_upwards, 1)):
        tilt = float(np.float32(tilt))
        if tilt != 0:
            vector = [v + (1 - v) * tilt if a == axis else v * (1 - abs(tilt)) for a, v in enumerate(vector)]
    # Unit length by one reciprocal square root of (y² + x²) + z²; a zero vector stays as it is.
    x, y, z = vector
    square = (y * y + x * x) + z * z
    if square != 0:
        scale = 1 / math.sqrt(square)
        vector = [v * scale for v in vector]
    # Encoded as (v + 1) × 0.5, and written truncated, never rounded.
    return tuple(int((v + 1) * 0.5 * write) for v in vector)


def rounded(value):
    return math.floor(value + Fraction(1, 2))


def pixel_at_depth(rgb, depth, **controls):
    if depth == 8:
        return effect_pixel(*rgb, 1.0 / 255.0, 255.0, **controls)
    # 16-bit arrays are full range: 0..65535 goes to the effect's 0..32768 and back, rounded to nearest.
    into_effect = [rounded(Fraction(v * 32768, 65535)) for v in rgb]
    rendered = effect_pixel(*into_effect, 2.0**-15, 32768.0, **controls)
    return tuple(min(65535, rounded(Fraction(w * 65535, 32768))) for w in rendered)


WORKED = [
    # (128, 128, 255): the channels read as 128/255 and 1, so the vector is (1/255, 1/255, 1) with
    # 1/|v| = 1/sqrt(1 + 2/255²) = 0.9999846. Red: (0.0039215 + 1) × 0.5 × 255 = 127.998 -> 127;
    # blue: (0.9999846 + 1) × 0.5 × 255 = 254.998 -> 254. A normalised map still moves.
    ("8-bit flat normal", np.uint8, {}, (128, 128, 255), (127, 127, 254)),
    # (0, 0, 0) is (-1, -1, -1), of length sqrt(3): (1 - 0.5773503) × 0.5 × 255 = 53.89 -> 53.
    ("8-bit black", np.uint8, {}, (0, 0, 0), (53, 53, 53)),
    ("8-bit invert x", np.uint8, {"invert_x": True}, (200, 128, 255), (64, 127, 238)),
    ("8-bit invert x and all", np.uint8, {"invert_x": True, "invert_all": True}, (200, 128, 255), (190, 127, 16)),
    ("8-bit traditional", np.uint8, {"traditional_format": True}, (128, 128, 255), (179, 179, 231)),
    ("8-bit tilt forward 1", np.uint8, {"tilt_forward": 1.0}, (10, 200, 30), (127, 127, 255)),
    ("8-bit tilt sideways 0.5", np.uint8, {"tilt_sideways": 0.5}, (128, 128, 255), (217, 127, 217)),
    ("8-bit tilt upwards -0.5", np.uint8, {"tilt_upwards": -0.5}, (128, 128, 255), (127, 37, 218)),
    # 0 is the effect's 0, so as at 8 bits each component is -1/sqrt(3): 0.2113249 × 32768 =
    # 6924.9 -> 6924, back to full range 6924 × 65535 / 32768 = 13847.8 -> 13848.
    ("16-bit black", np.uint16, {}, (0, 0, 0), (13848, 13848, 13848)),
    # 65535 is the effect's 32768: 0.7886751 × 32768 = 25843.4 -> 25843; × 65535 / 32768 = 51684.6 -> 51685.
    ("16-bit white", np.uint16, {}, (65535, 65535, 65535), (51685, 51685, 51685)),
    # 32768 is the effect's 16384, the middle: (1, 0, 0) is unit length and comes back as it was.
    ("16-bit unit x", np.uint16, {}, (65535, 32768, 32768), (65535, 32768, 32768)),
]


@pytest.mark.parametrize("dtype, controls, given, expected", [case[1:] for case in WORKED],
                         ids=[case[0] for case in WORKED])
def test_worked_pixel(dtype, controls, given, expected):
    image = np.array([[given]], dtype=dtype)
    assert tuple(zephyrine.render(image, **controls)[0, 0]) == expected
    assert pixel_at_depth(given, np.iinfo(dtype).bits, **controls) == expected


@pytest.mark.parametrize("controls", CONTROL_SETS.values(), ids=CONTROL_SETS.keys())
@pytest.mark.parametrize("dtype", [np.uint8, np.uint16])
def test_every_pixel_follows_the_rule(dtype, controls):
    image = random_image(dtype, height=16, width=16, channels=3)
    rendered = zephyrine.render(image, **controls)
    depth = np.iinfo(dtype).bits
    expected = [pixel_at_depth(tuple(int(c) for c in pixel), depth, **controls) for pixel in image.reshape(-1, 3)]
    assert rendered.reshape(-1, 3).tolist() == [list(pixel) for pixel in expected]


# Alpha is never computed: every value comes back as stored, 16-bit ones above the effect's white too.
@pytest.mark.parametrize("dtype, alphas", [(np.uint8, [0, 33, 128, 244, 255]),
                                           (np.uint16, [0, 1, 32768, 40000, 65535]),
                                           (np.float32, [0.0, 0.25, 1.0, 1.5, -0.5])])
def test_alpha_comes_back_as_given(dtype, alphas):
    image = random_image(dtype, height=1, width=len(alphas))
    image[0, :, 3] = alphas
    assert zephyrine.render(image, tilt_forward=0.5)[0, :, 3].tolist() == image[0, :, 3].tolist()
