"""What the Python module's tests share: the tool and the plug-in module CMake built, and
random images. CTest sets the environment they read (tests/CMakeLists.txt):

    ctest --test-dir build/linux -R python --output-on-failure
"""
import os

import numpy as np
import pytest

# The control sets the comparisons run with, as keyword arguments of zephyrine.render.
CONTROL_SETS = {
    "defaults": {},
    "tilts and invert x": {"tilt_forward": 0.25, "tilt_sideways": -0.5, "tilt_upwards": 0.1, "invert_x": True},
    "traditional": {"traditional_format": True, "invert_all": True},
}


def environment(name):
    value = os.environ.get(name)
    if not value:
        pytest.fail(f"{name} is not set: run the tests through CTest, or set it by hand")
    return value


@pytest.fixture(scope="session")
def tool():
    return environment("ZEPHYRINE_RENDER")


def random_image(dtype, height=24, width=32, channels=4, seed=1):
    """Every channel anywhere in the type's range; float32 reaches a little beyond 0..1,
    which the effect scales like any other vector."""
    rng = np.random.default_rng(seed)
    shape = (height, width, channels)
    if dtype == np.float32:
        return rng.uniform(-0.25, 1.25, shape).astype(np.float32)
    return rng.integers(0, np.iinfo(dtype).max, shape, dtype=dtype, endpoint=True)
