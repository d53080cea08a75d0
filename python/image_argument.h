// The image argument of render() and check(): a numpy array, checked, and C-contiguous.
#pragma once

#include "python/frame.h"

#include <pybind11/numpy.h>

namespace zephyrine_python {

struct ImageArgument {
    pybind11::array array; // the caller's array, or a C-contiguous copy of it; the view points into it
    ImageView view;
};

// Refuses what is not a numpy array of uint8, uint16 or float32 in native byte order
// (TypeError), and arrays that are not height x width x 3 or 4, are empty, or are too large
// for a host world (ValueError). A non-contiguous array is copied, never refused.
ImageArgument readImage(const pybind11::object &image);

} // namespace zephyrine_python
