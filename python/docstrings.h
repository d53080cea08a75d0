// What help() shows for the module and its functions: everything the README's Python section
// says, for a user who reads neither it nor the code.
#pragma once

namespace zephyrine_python {

inline constexpr const char *kModuleDoc =
    R"(Zephyrine for numpy arrays: the normal-map effect, run by its plug-in module.

Every pixel's red, green and blue are read as the x, y and z of a direction
vector, optionally inverted and tilted, rescaled to unit length and written
back, at 8, 16 or 32-bit float. The pixels come from the plug-in module itself,
driven through its entry point as a host drives it, so they are the bits
zephyrine-render and the host plug-ins give. Built for Debian's /usr/bin/python3
with python3-numpy.

    render(image, **controls)  -> a new array, the rendered image
    check(image)               -> LengthCheck: how far the vectors are from unit length
    about()                    -> the effect's about text
    plugin_path()              -> the plug-in module this process renders with
    release_buffers()          -> frees the buffers idle instances keep
    __version__                -> the version of this module and of the effect

The plug-in module is loaded on first use (render, about, plugin_path) and
stays loaded for the life of the process. It is the file named by the
environment variable ZEPHYRINE_PLUGIN if that is set (and then no other);
else, relative to this extension's own file, ../../zephyrine/zephyrine.so
(where the Debian package puts it: /usr/lib/zephyrine/zephyrine.so), then
../bin/zephyrine.so (the build tree). If none is there, or it does not load,
the call raises RuntimeError naming the files tried.

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
render, or use multiprocessing's "spawn" or "forkserver" start method.)";

inline constexpr const char *kRenderDoc = R"(Render a normal map through the effect; returns a new array.

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
               float32 in native byte order; an unknown keyword, or a control
               given by position
  ValueError   the shape is not (height, width, 3 or 4); the image is empty
               or too large for the effect; a tilt outside -1..1 or not finite
  RuntimeError no plug-in module found or it does not load (the message
               names the files tried)
  RenderError  (a RuntimeError) the effect refused the render; the message
               has its error code, the code's name and what the effect said

The GIL is released while the frame renders.)";

inline constexpr const char *kCheckDoc = R"(How far the image's vectors are from unit length; renders nothing.

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

Raises TypeError and ValueError as render() does.)";

inline constexpr const char *kLengthCheckDoc =
    R"(What check() found: minimum, mean and maximum of |v|, off_share (a fraction, 0..1, of
pixels further from unit length than render()'s own output can be), pixels, and worst_error
(the largest | |v| - 1 |).)";

inline constexpr const char *kReleaseBuffersDoc =
    R"(Free the host buffers that idle effect instances keep for their next frame.

Each instance keeps its last frame's two buffers (about 265 MB at 4K float), so
that the next render of the same size does not make them anew. Call this when
the process is done rendering for a while; the next render makes them again.
Renders running on other threads keep theirs.)";

inline constexpr const char *kAboutDoc =
    "The effect's about text, as the plug-in module answers a host's about command.";

inline constexpr const char *kPluginPathDoc =
    "The path of the plug-in module this process renders with, loading it if it is not loaded yet\n"
    "(RuntimeError naming the files tried when it cannot).";

inline constexpr const char *kRenderErrorDoc = "The effect refused a command; the message has its error code, the code's name and what the effect said.";

} // namespace zephyrine_python
