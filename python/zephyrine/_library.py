"""The C interface of libzephyrine.so.1 through ctypes: its declarations and where the library
is found. Nothing here knows the effect; every pixel comes from the plug-in module the library
loads."""
import ctypes
import os

# The file the C interface ships as, and the interface version this package was written for.
LIBRARY_FILE = "libzephyrine.so.1"
API_VERSION = 1

# The environment variable that names the library outright.
LIBRARY_VARIABLE = "ZEPHYRINE_LIBRARY"

_HERE = os.path.dirname(os.path.realpath(__file__))

# Where each way of installing puts the library, relative to this package: the wheel's own
# folder, the Debian package's /usr/lib/zephyrine (from /usr/lib/python3/dist-packages), and the
# build tree's bin/ (from python/).
_CANDIDATES = [
    os.path.join(_HERE, "_lib", LIBRARY_FILE),
    os.path.normpath(os.path.join(_HERE, "..", "..", "..", "zephyrine", LIBRARY_FILE)),
    os.path.normpath(os.path.join(_HERE, "..", "..", "bin", LIBRARY_FILE)),
]

# zephyrine_status
OK, INVALID_ARGUMENT, NO_PLUGIN, RENDER_FAILED, OUT_OF_MEMORY, FORKED, FAILED = range(7)
# zephyrine_channel_type
U8, U16, F32 = 1, 2, 3


class Image(ctypes.Structure):
    _fields_ = [("pixels", ctypes.c_void_p), ("width", ctypes.c_int32), ("height", ctypes.c_int32),
                ("row_bytes", ctypes.c_int64), ("channels", ctypes.c_int32), ("type", ctypes.c_int32)]


class Controls(ctypes.Structure):
    _fields_ = [("size", ctypes.c_uint32), ("tilt_forward", ctypes.c_double), ("tilt_sideways", ctypes.c_double),
                ("tilt_upwards", ctypes.c_double), ("invert_x", ctypes.c_int32), ("invert_y", ctypes.c_int32),
                ("invert_z", ctypes.c_int32), ("invert_all", ctypes.c_int32),
                ("traditional_format", ctypes.c_int32)]


class LengthCheckResult(ctypes.Structure):
    _fields_ = [("size", ctypes.c_uint32), ("minimum", ctypes.c_double), ("mean", ctypes.c_double),
                ("maximum", ctypes.c_double), ("off_share", ctypes.c_double), ("pixels", ctypes.c_uint64)]


def candidates():
    """The files to try, in order: the variable's value alone when it is set."""
    named = os.environ.get(LIBRARY_VARIABLE)
    return [named] if named else list(_CANDIDATES)


def load():
    """The library, declared; OSError naming every file tried when none loads."""
    tried = []
    for path in candidates():
        if not os.path.isfile(path):
            tried.append(path + " (missing)")
            continue
        try:
            library = ctypes.CDLL(path)  # CDLL: the GIL is released during every call
        except OSError as error:
            tried.append(f"{path} ({error})")
            continue
        _declare(library)
        if library.zephyrine_api_version() < API_VERSION:
            tried.append(f"{path} (C interface version {library.zephyrine_api_version()}, not {API_VERSION})")
            continue
        return library
    raise OSError(f"no Zephyrine library loads (tried {', '.join(tried)}); set {LIBRARY_VARIABLE} to the path "
                  f"of {LIBRARY_FILE}")


def _declare(library):
    status, renderer, text = ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p
    for name, result, arguments in [
        ("zephyrine_version", text, []),
        ("zephyrine_api_version", ctypes.c_int32, []),
        ("zephyrine_last_error", text, []),
        ("zephyrine_open", renderer, [text]),
        ("zephyrine_close", None, [renderer]),
        ("zephyrine_plugin_path", text, [renderer]),
        ("zephyrine_about", text, [renderer]),
        ("zephyrine_render", status, [renderer, ctypes.POINTER(Image), ctypes.POINTER(Image),
                                      ctypes.POINTER(Controls)]),
        ("zephyrine_check", status, [ctypes.POINTER(Image), ctypes.c_int32, ctypes.POINTER(LengthCheckResult)]),
        ("zephyrine_release_buffers", status, [renderer]),
    ]:
        function = getattr(library, name)
        function.restype, function.argtypes = result, arguments
