"""The same images through zephyrine-render (as files) and through zephyrine.render (as arrays)
give the same pixels, and zephyrine.check what the tool's --check prints."""
import subprocess

import numpy as np
import OpenImageIO as oiio
import pytest
import zephyrine

from conftest import CONTROL_SETS, random_image

# File kinds the tool renders at each depth: (extension, array type, file channel type).
FILES = {
    "8-bit PNG": ("png", np.uint8, oiio.UINT8),
    "16-bit PNG": ("png", np.uint16, oiio.UINT16),
    "16-bit TIFF": ("tif", np.uint16, oiio.UINT16),
    "float EXR": ("exr", np.float32, oiio.FLOAT),
}

TOOL_FLAGS = {"tilt_forward": "--tilt-forward", "tilt_sideways": "--tilt-sideways", "tilt_upwards": "--tilt-upwards",
              "invert_x": "--invert-x", "invert_y": "--invert-y", "invert_z": "--invert-z",
              "invert_all": "--invert-all", "traditional_format": "--traditional"}


def tool_arguments(controls):
    arguments = []
    for name, value in controls.items():
        arguments += [TOOL_FLAGS[name]] if value is True else [TOOL_FLAGS[name], repr(value)]
    return arguments


# Alpha is data, stored and read unassociated, as the tool reads and writes it.
def write_image(path, pixels, channel_type):
    spec = oiio.ImageSpec(pixels.shape[1], pixels.shape[0], pixels.shape[2], channel_type)
    spec.attribute("oiio:UnassociatedAlpha", 1)
    output = oiio.ImageOutput.create(str(path))
    assert output.open(str(path), spec), oiio.geterror()
    assert output.write_image(pixels), output.geterror()
    output.close()


def read_image(path, channel_type):
    config = oiio.ImageSpec()
    config.attribute("oiio:UnassociatedAlpha", 1)
    image = oiio.ImageInput.open(str(path), config)
    assert image, oiio.geterror()
    pixels = image.read_image(format=channel_type)
    image.close()
    return pixels


@pytest.fixture(params=FILES.values(), ids=FILES.keys())
def image_file(request, tmp_path):
    extension, dtype, channel_type = request.param
    pixels = random_image(dtype, height=37, width=53)
    path = tmp_path / f"input.{extension}"
    write_image(path, pixels, channel_type)
    assert np.array_equal(read_image(path, channel_type), pixels), "the file does not hold the array's values"
    return path, pixels, channel_type


@pytest.mark.parametrize("controls", CONTROL_SETS.values(), ids=CONTROL_SETS.keys())
def test_render_gives_the_tools_pixels(tool, image_file, controls, tmp_path):
    path, pixels, channel_type = image_file
    subprocess.run([tool, "--quiet", *tool_arguments(controls), "--outdir", str(tmp_path / "out"), str(path)],
                   check=True)
    from_tool = read_image(tmp_path / "out" / path.name, channel_type)
    assert np.array_equal(zephyrine.render(pixels, **controls), from_tool)


@pytest.mark.parametrize("traditional", [False, True], ids=["decoded", "traditional"])
def test_check_reports_what_the_tool_prints(tool, image_file, traditional):
    path, pixels, _ = image_file
    printed = subprocess.run([tool, "--check", *(["--traditional"] if traditional else []), str(path)],
                             check=True, capture_output=True, text=True).stdout
    found = zephyrine.check(pixels, traditional_format=traditional)
    assert printed == (f"{path}: |v| min {found.minimum:.4f} mean {found.mean:.4f} max {found.maximum:.4f}, "
                       f"off-length {100 * found.off_share:.2f}% of {found.pixels} pixels\n")
