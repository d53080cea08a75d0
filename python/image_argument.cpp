#include "python/image_argument.h"

#include <cstdint>
#include <limits>
#include <new>
#include <string>

namespace py = pybind11;

namespace zephyrine_python {

namespace {

// The bit depth the effect renders an array's element type at; 0 for any other type.
int depthOf(const py::dtype &type) {
    if (type.equal(py::dtype::of<uint8_t>())) {
        return 8;
    }
    if (type.equal(py::dtype::of<uint16_t>())) {
        return 16;
    }
    return type.equal(py::dtype::of<float>()) ? 32 : 0;
}

std::string shapeText(const py::array &array) {
    std::string text = "(";
    for (py::ssize_t axis = 0; axis < array.ndim(); ++axis) {
        text += (axis > 0 ? ", " : "") + std::to_string(array.shape(axis));
    }
    return text + (array.ndim() == 1 ? ",)" : ")");
}

} // namespace

ImageArgument readImage(const py::object &image) {
    if (!py::isinstance<py::array>(image)) {
        throw py::type_error("image must be a numpy array, not " + std::string(Py_TYPE(image.ptr())->tp_name));
    }
    const auto given = py::reinterpret_borrow<py::array>(image);
    const int depth = depthOf(given.dtype());
    if (depth == 0) {
        throw py::type_error("image has dtype " + std::string(py::str(given.dtype())) +
                             "; zephyrine renders uint8, uint16 or float32 (convert it first, e.g. with astype)");
    }
    if (given.ndim() != 3 || (given.shape(2) != 3 && given.shape(2) != 4)) {
        throw py::value_error("image must be height x width x 3 (RGB) or 4 (RGBA), not of shape " + shapeText(given));
    }
    if (given.shape(0) == 0 || given.shape(1) == 0) {
        throw py::value_error("image is empty: shape " + shapeText(given));
    }
    // A host world is addressed with 32-bit row sizes.
    const py::ssize_t limit = std::numeric_limits<int32_t>::max();
    if (given.shape(0) > limit || given.shape(1) > limit / (4 * depth / 8)) {
        throw py::value_error("image is too large for the effect: shape " + shapeText(given));
    }

    // Views (slices, flips, a channel subset) are what numpy code passes around: copying one
    // costs a pass over the pixels, much less than the render, and spares every caller a
    // numpy.ascontiguousarray. Aligned too: the rows are read as whole channel values.
    ImageArgument argument;
    constexpr int contiguousAligned = int{py::array::c_style} | int{py::detail::npy_api::NPY_ARRAY_ALIGNED_};
    argument.array = py::array::ensure(given, contiguousAligned);
    if (!argument.array) {
        throw std::bad_alloc(); // the only way a copy of a valid array fails
    }
    const int channels = static_cast<int>(given.shape(2));
    argument.view = {static_cast<const unsigned char *>(argument.array.data()),
                     static_cast<int>(given.shape(0)),
                     static_cast<int>(given.shape(1)),
                     depth,
                     {channels, channels}};
    return argument;
}

} // namespace zephyrine_python
