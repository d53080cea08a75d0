"""Zephyrine for numpy arrays: the normal-map effect, run by its plug-in module.

Every pixel's red, green and blue are read as the x, y and z of a direction
vector, optionally inverted and tilted, rescaled to unit length and written
back, at 8, 16 or 32-bit float. The pixels come from the plug-in module itself,
driven through its entry point as a host drives it, so they are the bits
zephyrine-render and the host plug-ins give. Pure Python over Zephyrine's C
interface (libzephyrine.so.1) through ctypes: one package for every CPython
from 3.8 on.

    render(image, **controls)  -> a new array, the rendered image
    check(image)               -> LengthCheck: how far the vectors are from unit length
    about()                    -> the effect's about text
    plugin_path()              -> the plug-in module this process renders with
    release_buffers()          -> frees the buffers idle instances keep
    __version__                -> the version of this package and of the effect

The library and the plug-in module are loaded on first use (render, about,
plugin_path) and stay loaded for the life of the process. The library is the
file named by the environment variable ZEPHYRINE_LIBRARY if that is set; else
the one installed with this package (the wheel's, or the Debian package's in
/usr/lib/zephyrine). The plug-in module is the file named by ZEPHYRINE_PLUGIN if
that is set, else zephyrine.so beside the library. If either is missing or
does not load, the call raises RuntimeError naming the files tried.

Threads: render and check release the GIL while they work, so Python threads
render at once, each through an effect instance of its own; the effect also
spreads every frame over worker threads of its own. Idle instances are kept for
the next render with the two host buffers of their last frame size (making them
anew costs more than rendering a 4K frame), about 265 MB per instance at 4K
float; release_buffers() frees them when a pipeline is done rendering for a
while, and the next render makes them anew.

Processes: the effect's worker threads do not survive fork(). In a process
forked after its parent used the effect (render or about), render and about
raise RuntimeError rather than wait for them for ever: fork before the first
render, or use multiprocessing's "spawn" or "forkserver" start method.
"""
import ctypes
import numbers
import os
import threading
from typing import Any

from . import _library
from ._version import __version__

__all__ = ["render", "check", "about", "plugin_path", "release_buffers", "LengthCheck", "RenderError",
           "__version__"]


class RenderError(RuntimeError):
    """The effect refused a command; the message has its error code, the code's name and what
    the effect said."""


class LengthCheck:
    """What check() found: minimum, mean and maximum of |v|, off_share (a fraction, 0..1, of
    pixels further from unit length than render()'s own output can be), pixels, and worst_error
    (the largest | |v| - 1 |)."""

    __slots__ = ("minimum", "mean", "maximum", "off_share", "pixels")

    def __init__(self, minimum: float, mean: float, maximum: float, off_share: float, pixels: int):
        self.minimum, self.mean, self.maximum, self.off_share, self.pixels = minimum, mean, maximum, off_share, pixels

    @property
    def worst_error(self) -> float:
        return max(abs(self.minimum - 1.0), abs(self.maximum - 1.0))

    def __repr__(self) -> str:
        # In the tool's --check wording.
        return (f"<LengthCheck |v| min {self.minimum:.4f} mean {self.mean:.4f} max {self.maximum:.4f}, "
                f"off-length {100.0 * self.off_share:.2f}% of {self.pixels} pixels>")


# The library and the process's renderer, made on first use under the lock. A child forked
# while another thread held the lock would wait for it for ever: the child gets a lock of its own.
_lock = threading.Lock()
_native = None
_renderer = None


def _new_lock_in_child() -> None:
    global _lock
    _lock = threading.Lock()


if hasattr(os, "register_at_fork"):
    os.register_at_fork(after_in_child=_new_lock_in_child)

_ERRORS = {
    _library.INVALID_ARGUMENT: ValueError,
    _library.NO_PLUGIN: RuntimeError,
    _library.RENDER_FAILED: RenderError,
    _library.OUT_OF_MEMORY: MemoryError,
    _library.FORKED: RuntimeError,
    _library.FAILED: RuntimeError,
}


def _library_loaded():
    global _native
    if _native is None:
        with _lock:
            if _native is None:
                try:
                    _native = _library.load()
                except OSError as error:
                    raise RuntimeError(str(error)) from None
    return _native


def _opened():
    """The library and the renderer, opening both on first use."""
    global _renderer
    native = _library_loaded()
    if _renderer is None:
        with _lock:
            if _renderer is None:
                renderer = native.zephyrine_open(None)
                if not renderer:
                    raise RuntimeError(_message(native))
                _renderer = renderer
    return native, _renderer


def _message(native) -> str:
    return native.zephyrine_last_error().decode("utf-8", "replace")


def _raise_for(native, status: int) -> None:
    if status != _library.OK:
        raise _ERRORS.get(status, RuntimeError)(_message(native))


def _tilt(name: str, value: Any) -> float:
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} must be a number from -1 to 1, not {type(value).__name__}")
    value = float(value)
    # The tool refuses the same tilts: the host's sliders end at -1 and 1.
    if not -1.0 <= value <= 1.0:
        raise ValueError(f"{name} must be a number from -1 to 1, not {value!r}")
    return value


def _numpy():
    try:
        import numpy
    except ImportError:
        return None
    return numpy


def _image(image: Any):
    """The image checked, as a C-contiguous aligned array (the caller's, or a copy of a view)."""
    numpy = _numpy()
    if numpy is None or not isinstance(image, numpy.ndarray):
        raise TypeError(f"image must be a numpy array, not {type(image).__name__}")
    types = {numpy.dtype(numpy.uint8): _library.U8, numpy.dtype(numpy.uint16): _library.U16,
             numpy.dtype(numpy.float32): _library.F32}
    if image.dtype not in types or not image.dtype.isnative:
        raise TypeError(f"image has dtype {image.dtype}; zephyrine renders uint8, uint16 or float32 "
                        "(convert it first, e.g. with astype)")
    if image.ndim != 3 or image.shape[2] not in (3, 4):
        raise ValueError(f"image must be height x width x 3 (RGB) or 4 (RGBA), not of shape {image.shape}")
    if image.shape[0] == 0 or image.shape[1] == 0:
        raise ValueError(f"image is empty: shape {image.shape}")
    # A host world is addressed with 32-bit row sizes.
    limit = 2**31 - 1
    if image.shape[0] > limit or image.shape[1] > limit // (4 * image.dtype.itemsize):
        raise ValueError(f"image is too large for the effect: shape {image.shape}")
    # Views (slices, flips, a channel subset) are what numpy code passes around: copying one
    # costs a pass over the pixels, much less than the render, and spares every caller a
    # numpy.ascontiguousarray. Aligned too: the rows are read as whole channel values.
    return numpy.require(image, requirements=["C", "A"]), types[image.dtype]


def _described(array, channel_type: int) -> "_library.Image":
    height, width, channels = array.shape
    pointer = array.__array_interface__["data"][0]
    return _library.Image(pointer, width, height, width * channels * array.dtype.itemsize, channels, channel_type)


def render(image: Any, *, tilt_forward: float = 0.0, tilt_sideways: float = 0.0, tilt_upwards: float = 0.0,
           invert_x: bool = False, invert_y: bool = False, invert_z: bool = False, invert_all: bool = False,
           traditional_format: bool = False) -> Any:
    """Render a normal map through the effect; returns a new array.

    image: a numpy array of shape (height, width, 3) for RGB or (height, width, 4)
      for RGBA, of dtype
        uint8    rendered at 8 bits;
        uint16   rendered at 16 bits, full range (white is 65535): the colour
                 values map to the effect's 0..32768 and back, rounded to nearest,
                 exactly as zephyrine-render maps 16-bit files;
        float32  rendered at 32 bits, values as they are (nothing is clamped).
      Other dtypes are refused, float64 included: nothing is converted silently
      (use image.astype(numpy.float32) to render float64 data at 32 bits).

    Controls, keyword-only, as the host shows them:
      tilt_forward, tilt_sideways, tilt_upwards
          -1..1 (default 0): tilt towards +z (blue), +x (red), +y (green)
      invert_x, invert_y, invert_z
          invert the red, green or blue axis
      invert_all
          invert all three axes (after the single axes)
      traditional_format
          read the channels as the vector as they are, with no 0..1 to -1..1
          mapping (the output is always encoded as (v + 1) / 2)

    Returns a new C-contiguous array of the same shape and dtype. Alpha comes
    back exactly as given; an RGB image gets none. The caller's array is never
    written to. At 8 and 16 bits the effect truncates when it writes, so rendering
    an already normalised map again still moves its values: ask check() first.

    An array that is not C-contiguous (a slice, a flipped or strided view, the RGB
    channels of an RGBA array) is accepted and copied first: numpy code passes
    views around, and the copy costs far less than the render.

    Raises:
      TypeError    image is not a numpy array; its dtype is not uint8, uint16 or
                   float32 in native byte order; an unknown keyword, a control
                   given by position, or a tilt that is not a number
      ValueError   the shape is not (height, width, 3 or 4); the image is empty
                   or too large for the effect; a tilt outside -1..1 or not finite
      RuntimeError no library or plug-in module found, or one does not load (the
                   message names the files tried); a process forked after its
                   parent rendered
      RenderError  (a RuntimeError) the effect refused the render; the message
                   has its error code, the code's name and what the effect said

    The GIL is released while the frame renders.
    """
    controls = _library.Controls(ctypes.sizeof(_library.Controls), _tilt("tilt_forward", tilt_forward),
                                 _tilt("tilt_sideways", tilt_sideways), _tilt("tilt_upwards", tilt_upwards),
                                 bool(invert_x), bool(invert_y), bool(invert_z), bool(invert_all),
                                 bool(traditional_format))
    source, channel_type = _image(image)
    output = _numpy().empty(source.shape, source.dtype)
    native, renderer = _opened()
    status = native.zephyrine_render(renderer, _described(source, channel_type), _described(output, channel_type),
                                     controls)
    _raise_for(native, status)
    return output


def check(image: Any, *, traditional_format: bool = False) -> LengthCheck:
    """How far the image's vectors are from unit length; renders nothing.

    image: as for render() (uint8, uint16 or float32; RGB or RGBA; views are
    copied). traditional_format: decode the channels as render() does with it.

    Returns a LengthCheck with the figures zephyrine-render --check prints:
      minimum, mean, maximum  of |v|, the decoded vectors' lengths
      off_share               the FRACTION (0..1, not percent) of pixels whose
                              | |v| - 1 | is more than render() itself can leave:
                              2 sqrt(3) times a channel's tolerance, which is
                              1/255 for uint8 (truncation), 1/32768 + 0.5/65535
                              for uint16 (truncation and the mapping to 65535),
                              2^-24 for float32 (halved in traditional format)
      pixels                  the number of pixels
      worst_error             the largest | |v| - 1 | found

    Raises TypeError and ValueError as render() does.
    """
    source, channel_type = _image(image)
    native = _library_loaded()
    result = _library.LengthCheckResult(ctypes.sizeof(_library.LengthCheckResult))
    _raise_for(native, native.zephyrine_check(_described(source, channel_type), bool(traditional_format), result))
    return LengthCheck(result.minimum, result.mean, result.maximum, result.off_share, result.pixels)


def about() -> str:
    """The effect's about text, as the plug-in module answers a host's about command."""
    native, renderer = _opened()
    text = native.zephyrine_about(renderer)
    if text is None:
        _raise_for(native, _library.FAILED)
    return text.decode("utf-8", "replace")


def plugin_path() -> str:
    """The path of the plug-in module this process renders with, loading it if it is not loaded
    yet (RuntimeError naming the files tried when it cannot)."""
    native, renderer = _opened()
    return os.fsdecode(native.zephyrine_plugin_path(renderer))


def release_buffers() -> None:
    """Free the host buffers that idle effect instances keep for their next frame.

    Each instance keeps its last frame's two buffers (about 265 MB at 4K float), so
    that the next render of the same size does not make them anew. Call this when
    the process is done rendering for a while; the next render makes them again.
    Renders running on other threads keep theirs.
    """
    if _renderer is None:
        return
    native, renderer = _opened()
    _raise_for(native, native.zephyrine_release_buffers(renderer))
