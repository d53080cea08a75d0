// The render action: both images fetched on the host's calling thread, the render window's
// rows spread over the host's threads, nothing written outside the window.
#include "ofx/actions.h"

#include "api/ofx_names.h"
#include "filter/pixel_array.h"
#include "filter/pixel_formats.h"
#include "filter/zephyrine_filter.h"
#include "ofx/controls.h"
#include "ofx/converted_rows.h"
#include "ofx/fetched_image.h"
#include "ofx/host_threads.h"
#include "ofx/instance.h"
#include "ofx/properties.h"

#include <algorithm>
#include <optional>

namespace {

// The view knows where rows are; the row function knows the pixel format.
struct StoredPixel;
using WindowView = PixelArray<StoredPixel, 0, 0>;

// Images in device memory were never asked for: a host that hands them over gets a refusal.
bool asksForADevice(const Properties &args) {
    for (const char *flag : {kOfxImageEffectPropOpenGLEnabled, kOfxImageEffectPropCudaEnabled,
                             kOfxImageEffectPropMetalEnabled, kOfxImageEffectPropOpenCLEnabled}) {
        if (args.integer(flag).value_or(0) != 0) {
            return true;
        }
    }
    return false;
}

OfxRectI intersection(const OfxRectI &a, const OfxRectI &b) {
    OfxRectI r{std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2), std::min(a.y2, b.y2)};
    r.x2 = std::max(r.x2, r.x1);
    r.y2 = std::max(r.y2, r.y1);
    return r;
}

bool contains(const OfxRectI &outer, const OfxRectI &inner) {
    return inner.x1 >= outer.x1 && inner.y1 >= outer.y1 && inner.x2 <= outer.x2 && inner.y2 <= outer.y2;
}

// The window's rows of an image, bottom row first, in 64-bit arithmetic (bounds may start
// anywhere, negative too, and rows may run backwards through memory).
WindowView viewOf(const ImageLayout &image, const OfxRectI &window) {
    WindowView view;
    view.width = window.x2 - window.x1;
    view.height = window.y2 - window.y1;
    view.rowBytes = image.rowBytes;
    view.pixelBytes = image.format.pixelBytes();
    view.data = image.data + (int64_t{window.y1} - image.bounds.y1) * image.rowBytes +
                (int64_t{window.x1} - image.bounds.x1) * view.pixelBytes;
    view.hasData = true;
    return view;
}

// RGBA at 8 bits and in float runs through the kernels as it lies; the rest through buffers.
RowFunction rowFunctionFor(const ImageFormat &format) {
    const RowKernels &kernels = activeRowKernels();
    if (format.components == 4) {
        switch (format.channelBytes) {
        case 1:
            return kernels.rowFor<RgbaPixel8>();
        case 2:
            return transformThroughRgba<uint16_t, 4>;
        default:
            return kernels.rowFor<RgbaPixel32>();
        }
    }
    switch (format.channelBytes) {
    case 1:
        return transformThroughRgba<uint8_t, 3>;
    case 2:
        return transformThroughRgba<uint16_t, 3>;
    default:
        return transformThroughRgba<float, 3>;
    }
}

OfxStatus renderWindowRows(OfxImageEffectHandle instance, const VectorControls &controls, const ImageLayout &source,
                           const ImageLayout &output, const OfxRectI &window) {
    HostThreads threads(hostSuites(), instance);
    ZephyrineFilter<WindowView, HostThreads> filter(&threads, rowFunctionFor(output.format));
    filter.controls = controls;
    filter.input = viewOf(source, window);
    filter.output = viewOf(output, window);
    const OfxStatus result = filter.apply();
    // A render the host dropped needs no answer but a prompt one.
    return threads.aborted() ? kOfxStatOK : result;
}

} // namespace

OfxStatus render(OfxImageEffectHandle instance, OfxPropertySetHandle inArgs) {
    const HostSuites &suites = hostSuites();
    const Instance *data = instanceOf(instance);
    if (data == nullptr) {
        return kOfxStatErrBadHandle;
    }
    const Properties args(*suites.property, inArgs);
    const std::optional<double> time = args.number(kOfxPropTime);
    const std::optional<OfxRectI> window = args.rect(kOfxImageEffectPropRenderWindow);
    if (!time || !window) {
        return kOfxStatErrValue;
    }
    if (asksForADevice(args)) {
        return kOfxStatErrUnsupported;
    }
    const std::optional<VectorControls> controls = controlsAt(suites, data->controls, *time);
    if (!controls) {
        return kOfxStatFailed;
    }
    const FetchedImage output(suites, data->output, *time);
    if (output.status() != kOfxStatOK) {
        return output.status();
    }
    const FetchedImage source(suites, data->source, *time);
    if (source.status() != kOfxStatOK) {
        return source.status();
    }
    // One format in, the same out: the effect declared no mixed depths or components.
    if (!(source.layout().format == output.layout().format)) {
        return kOfxStatErrImageFormat;
    }
    // Only the window is written, and only where the output has pixels; the source must have
    // every pixel of it.
    const OfxRectI rendered = intersection(*window, output.layout().bounds);
    if (rendered.x1 == rendered.x2 || rendered.y1 == rendered.y2) {
        return kOfxStatOK;
    }
    if (!contains(source.layout().bounds, rendered)) {
        return kOfxStatErrValue;
    }
    return renderWindowRows(instance, *controls, source.layout(), output.layout(), rendered);
}
