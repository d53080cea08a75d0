// The Python module `zephyrine`: the argument checks and the GIL here, the pixels in the
// plug-in module, reached through embedhost as any host reaches it.
#include "python/docstrings.h"
#include "python/frame.h"
#include "python/image_argument.h"
#include "python/instance_pool.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace py = pybind11;
using namespace zephyrine_python;

namespace {

// The tool refuses the same tilts: the host's sliders end at -1 and 1.
double checkedTilt(const char *name, double value) {
    if (!(value >= -1.0 && value <= 1.0)) {
        throw py::value_error(std::string(name) + " must be a number from -1 to 1, not " +
                              std::string(py::str(py::float_(value))));
    }
    return value;
}

py::array render(const py::object &image, double tiltForward, double tiltSideways, double tiltUpwards, bool invertX,
                 bool invertY, bool invertZ, bool invertAll, bool traditional) {
    const embedhost::Controls controls{checkedTilt("tilt_forward", tiltForward),
                                       checkedTilt("tilt_sideways", tiltSideways),
                                       checkedTilt("tilt_upwards", tiltUpwards),
                                       invertX,
                                       invertY,
                                       invertZ,
                                       invertAll,
                                       traditional};
    const ImageArgument input = readImage(image);
    py::array output(input.array.dtype(), std::vector<py::ssize_t>(input.array.shape(), input.array.shape() + 3));
    auto *pixels = static_cast<unsigned char *>(output.mutable_data());
    {
        const py::gil_scoped_release unlocked;
        const ImageView &view = input.view;
        InstancePool::Lease effect = InstancePool::process().borrow(view.width, view.height, view.depth);
        effect->setControls(controls);
        renderFrame(*effect, view, pixels);
        effect.giveBack();
    }
    return output;
}

embedhost::LengthStats check(const py::object &image, bool traditional) {
    const ImageArgument input = readImage(image);
    const py::gil_scoped_release unlocked;
    return embedhost::measureLengths(
        input.view.pixels(), embedhost::channelTolerance({input.view.depth == 32, input.view.depth}), traditional);
}

std::string about() {
    const py::gil_scoped_release unlocked;
    InstancePool::Lease effect = InstancePool::process().borrow(0, 0, 0);
    std::string text = effect->aboutText();
    effect.giveBack();
    // Host dialogs break lines at carriage returns; Python prints line feeds.
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}

void releaseBuffers() {
    const py::gil_scoped_release unlocked;
    InstancePool::process().releaseBuffers();
}

std::string pluginPath() {
    const py::gil_scoped_release unlocked;
    return InstancePool::process().pluginPath();
}

// In the tool's --check wording.
std::string describe(const embedhost::LengthStats &stats) {
    std::ostringstream text;
    text << "<LengthCheck |v| min " << std::fixed << std::setprecision(4) << stats.minimum << " mean " << stats.mean
         << " max " << stats.maximum << ", off-length " << std::setprecision(2) << 100.0 * stats.offShare << "% of "
         << stats.pixels << " pixels>";
    return text.str();
}

} // namespace

PYBIND11_MODULE(zephyrine, m) {
    m.doc() = kModuleDoc;
    m.attr("__version__") = ZEPHYRINE_VERSION;
    py::register_exception<embedhost::RenderError>(m, "RenderError", PyExc_RuntimeError).doc() = kRenderErrorDoc;

    py::class_<embedhost::LengthStats>(m, "LengthCheck", kLengthCheckDoc)
        .def_readonly("minimum", &embedhost::LengthStats::minimum)
        .def_readonly("mean", &embedhost::LengthStats::mean)
        .def_readonly("maximum", &embedhost::LengthStats::maximum)
        .def_readonly("off_share", &embedhost::LengthStats::offShare)
        .def_readonly("pixels", &embedhost::LengthStats::pixels)
        .def_property_readonly("worst_error",
                               [](const embedhost::LengthStats &stats) {
                                   return std::fmax(std::fabs(stats.minimum - 1.0), std::fabs(stats.maximum - 1.0));
                               })
        .def("__repr__", &describe);

    m.def("render", &render, kRenderDoc, py::arg("image"), py::kw_only(), py::arg("tilt_forward") = 0.0,
          py::arg("tilt_sideways") = 0.0, py::arg("tilt_upwards") = 0.0, py::arg("invert_x") = false,
          py::arg("invert_y") = false, py::arg("invert_z") = false, py::arg("invert_all") = false,
          py::arg("traditional_format") = false);
    m.def("check", &check, kCheckDoc, py::arg("image"), py::kw_only(), py::arg("traditional_format") = false);
    m.def("about", &about, kAboutDoc);
    m.def("plugin_path", &pluginPath, kPluginPathDoc);
    m.def("release_buffers", &releaseBuffers, kReleaseBuffersDoc);
}
