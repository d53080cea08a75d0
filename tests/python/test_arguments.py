"""What render() and check() accept, refuse and leave alone."""
import numpy as np
import pytest
import zephyrine

from conftest import CONTROL_SETS, random_image

RGBA8 = random_image(np.uint8, height=6, width=5)

# (what, the argument, the exception, words its message must hold)
BAD_IMAGES = [
    ("a list", RGBA8.tolist(), TypeError, "numpy array"),
    ("float64", RGBA8.astype(np.float64), TypeError, "float64"),
    ("int16", RGBA8.astype(np.int16), TypeError, "int16"),
    ("big-endian uint16", RGBA8.astype(">u2"), TypeError, ">u2"),
    ("bool", RGBA8 > 128, TypeError, "bool"),
    ("two dimensions", RGBA8[..., 0], ValueError, "(6, 5)"),
    ("four dimensions", RGBA8[np.newaxis], ValueError, "(1, 6, 5, 4)"),
    ("two channels", RGBA8[..., :2], ValueError, "3 (RGB) or 4 (RGBA)"),
    ("five channels", np.zeros((6, 5, 5), np.uint8), ValueError, "3 (RGB) or 4 (RGBA)"),
    ("no rows", np.zeros((0, 5, 4), np.uint8), ValueError, "empty"),
    ("no columns", np.zeros((6, 0, 3), np.float32), ValueError, "empty"),
]


@pytest.mark.parametrize("function", [zephyrine.render, zephyrine.check], ids=["render", "check"])
@pytest.mark.parametrize("image, error, words", [case[1:] for case in BAD_IMAGES], ids=[c[0] for c in BAD_IMAGES])
def test_bad_image_is_refused(function, image, error, words):
    with pytest.raises(error) as raised:
        function(image)
    assert words in str(raised.value)


BAD_CONTROLS = [
    ("unknown keyword", zephyrine.render, {"tilt": 0.5}, TypeError, "tilt"),
    ("check takes no tilt", zephyrine.check, {"tilt_forward": 0.5}, TypeError, "tilt_forward"),
    ("tilt above 1", zephyrine.render, {"tilt_forward": 1.5}, ValueError, "tilt_forward"),
    ("tilt below -1", zephyrine.render, {"tilt_upwards": -2.0}, ValueError, "tilt_upwards"),
    ("tilt not a number", zephyrine.render, {"tilt_sideways": float("nan")}, ValueError, "tilt_sideways"),
    ("tilt as text", zephyrine.render, {"tilt_forward": "0.5"}, TypeError, "tilt_forward"),
]


@pytest.mark.parametrize("function, controls, error, words", [case[1:] for case in BAD_CONTROLS],
                         ids=[c[0] for c in BAD_CONTROLS])
def test_bad_control_is_refused(function, controls, error, words):
    with pytest.raises(error) as raised:
        function(RGBA8, **controls)
    assert words in str(raised.value)


def test_controls_are_keyword_only():
    with pytest.raises(TypeError):
        zephyrine.render(RGBA8, 0.5)


@pytest.mark.parametrize("controls", CONTROL_SETS.values(), ids=CONTROL_SETS.keys())
@pytest.mark.parametrize("dtype", [np.uint8, np.uint16, np.float32])
def test_result_is_a_new_array_and_the_callers_is_untouched(dtype, controls):
    image = random_image(dtype)
    kept = image.copy()
    rendered = zephyrine.render(image, **controls)
    assert np.array_equal(image, kept)
    assert not np.shares_memory(rendered, image)
    assert (rendered.shape, rendered.dtype, rendered.flags.c_contiguous) == (image.shape, image.dtype, True)


# Views are copied, never refused: each renders as its contiguous copy does.
IMAGE = random_image(np.uint16, height=20, width=30)
VIEWS = {
    "flipped rows": IMAGE[::-1],
    "every other column": IMAGE[:, ::2],
    "a crop": IMAGE[3:17, 5:25],
    "RGB of RGBA": IMAGE[..., :3],
    "Fortran order": np.asfortranarray(IMAGE),
    "read-only": np.lib.stride_tricks.as_strided(IMAGE, writeable=False),
}


@pytest.mark.parametrize("view", VIEWS.values(), ids=VIEWS.keys())
def test_a_view_renders_as_its_copy(view):
    copy = np.ascontiguousarray(view)
    assert np.array_equal(zephyrine.render(view, invert_y=True), zephyrine.render(copy, invert_y=True))
    assert repr(zephyrine.check(view)) == repr(zephyrine.check(copy))


@pytest.mark.parametrize("dtype", [np.uint8, np.uint16, np.float32])
def test_rgb_renders_as_the_colour_of_rgba(dtype):
    image = random_image(dtype)
    rgb = zephyrine.render(np.ascontiguousarray(image[..., :3]), tilt_sideways=0.25)
    assert rgb.shape == image.shape[:2] + (3,)
    assert np.array_equal(rgb, zephyrine.render(image, tilt_sideways=0.25)[..., :3])


def test_check_figures():
    # (128, 128, 255) is a hair over unit length: 1/255 off in red and green, within one code value.
    # (0, 0, 0) is (-1, -1, -1), of length sqrt(3), and far from its encoding.
    found = zephyrine.check(np.array([[[128, 128, 255], [0, 0, 0]]], np.uint8))
    assert (found.pixels, found.off_share) == (2, 0.5)
    assert found.maximum == pytest.approx(3**0.5)
    assert found.worst_error == pytest.approx(3**0.5 - 1)
    assert found.minimum == pytest.approx((1 + 2 / 255**2) ** 0.5)
