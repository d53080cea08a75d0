#!/usr/bin/python3
"""How fast zephyrine.render is on a 3840x2160 frame at 8 and 16 bits, against the tool's
render stage on the same frame as a file (zephyrine-render --time: the effect through the
entry point, copies included) and against normalising the frame with numpy alone.
Medians of --runs runs, after one untimed run of each.

    PYTHONPATH=build/linux/python /usr/bin/python3 bench/python_render.py [--runs N] [--tool PATH]

The tool defaults to the zephyrine-render beside the plug-in module the Python module loads
(the build tree's bin/), else the one on PATH.
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import tempfile
import time

import numpy as np
import OpenImageIO as oiio
import zephyrine

WIDTH, HEIGHT = 3840, 2160
DEPTHS = {8: (np.uint8, oiio.UINT8), 16: (np.uint16, oiio.UINT16)}


def median_seconds(function, runs):
    function()
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        function()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def numpy_normalise(image):
    """What a numpy user would write: decode, divide by the length, encode (rounded)."""
    white = np.iinfo(image.dtype).max / 2
    v = image[..., :3] / white - 1
    v /= np.linalg.norm(v, axis=-1, keepdims=True)
    return ((v + 1) * white + 0.5).astype(image.dtype)


def tool_render_seconds(tool, image, channel_type, runs, folder):
    """The render stage zephyrine-render --time reports for the frame as an uncompressed TIFF."""
    source = os.path.join(folder, "frame.tif")
    spec = oiio.ImageSpec(WIDTH, HEIGHT, image.shape[2], channel_type)
    spec.attribute("compression", "none")
    spec.attribute("oiio:UnassociatedAlpha", 1)
    output = oiio.ImageOutput.create(source)
    output.open(source, spec)
    output.write_image(image)
    output.close()
    times = []
    for run in range(runs + 1):
        printed = subprocess.run([tool, "--time", "--quiet", "-o", os.path.join(folder, "out.tif"), source],
                                 check=True, capture_output=True, text=True)
        found = re.search(r"render ([0-9.]+) ms", printed.stdout + printed.stderr)
        if found is None:
            raise SystemExit(f"no render time in: {printed.stdout}{printed.stderr}")
        if run > 0:
            times.append(float(found.group(1)) / 1e3)
    return statistics.median(times)


def cpu_name():
    with open("/proc/cpuinfo") as info:
        for line in info:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return "unknown"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--tool", default=None)
    arguments = parser.parse_args()
    beside = os.path.join(os.path.dirname(zephyrine.plugin_path()), "zephyrine-render")
    tool = arguments.tool or (beside if os.path.exists(beside) else shutil.which("zephyrine-render"))

    print(f'CPU: "{cpu_name()}", {os.cpu_count()} hardware threads; zephyrine {zephyrine.__version__}, '
          f"{zephyrine.plugin_path()}, tool {tool}")
    print(f"{WIDTH}x{HEIGHT} RGBA, median of {arguments.runs} runs, ms (megapixels per second)")
    megapixels = WIDTH * HEIGHT / 1e6
    rng = np.random.default_rng(1)
    with tempfile.TemporaryDirectory() as folder:
        for depth, (dtype, channel_type) in DEPTHS.items():
            image = rng.integers(0, np.iinfo(dtype).max, (HEIGHT, WIDTH, 4), dtype=dtype, endpoint=True)
            figures = {
                "zephyrine.render": median_seconds(lambda: zephyrine.render(image), arguments.runs),
                "zephyrine-render --time, render": tool_render_seconds(tool, image, channel_type, arguments.runs,
                                                                       folder),
                "numpy normalisation": median_seconds(lambda: numpy_normalise(image), arguments.runs),
            }
            for name, seconds in figures.items():
                print(f"  {depth:2}-bit  {name:34} {seconds * 1e3:8.1f} ms ({megapixels / seconds:7.1f} Mpx/s)")


if __name__ == "__main__":
    main()
