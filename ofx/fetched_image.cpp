#include "ofx/fetched_image.h"

#include "api/ofx_names.h"
#include "ofx/properties.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace {

std::optional<ImageFormat> formatNamed(const std::string &depth, const std::string &components) {
    const int channelBytes = depth == kOfxBitDepthByte    ? 1
                             : depth == kOfxBitDepthShort ? 2
                             : depth == kOfxBitDepthFloat ? 4
                                                          : 0;
    const int count = components == kOfxImageComponentRGBA ? 4 : components == kOfxImageComponentRGB ? 3 : 0;
    if (channelBytes == 0 || count == 0) {
        return std::nullopt;
    }
    return ImageFormat{channelBytes, count};
}

} // namespace

FetchedImage::FetchedImage(const HostSuites &suites, OfxImageClipHandle clip, OfxTime time) : suites_(suites) {
    const OfxStatus fetched = suites.imageEffect->clipGetImage(clip, time, nullptr, &image_);
    if (fetched != kOfxStatOK) {
        image_ = nullptr; // nothing of the host's to give back
        status_ = kOfxStatFailed;
    } else {
        status_ = image_ != nullptr ? describe() : kOfxStatFailed;
    }
}

FetchedImage::~FetchedImage() {
    if (image_ != nullptr) {
        suites_.imageEffect->clipReleaseImage(image_);
    }
}

OfxStatus FetchedImage::describe() {
    const Properties image(*suites_.property, image_);
    const std::optional<void *> data = image.pointer(kOfxImagePropData);
    const std::optional<int> rowBytes = image.integer(kOfxImagePropRowBytes);
    const std::optional<OfxRectI> bounds = image.rect(kOfxImagePropBounds);
    if (!data || *data == nullptr || !rowBytes || !bounds) {
        return kOfxStatFailed;
    }
    const std::optional<ImageFormat> format = formatNamed(image.string(kOfxImageEffectPropPixelDepth).value_or(""),
                                                          image.string(kOfxImageEffectPropComponents).value_or(""));
    // Images are RGBA unless they say otherwise (one host's extension); the effect never asked
    // for BGRA.
    if (!format || image.string(kOfxImageEffectPropPixelOrder) == std::string(kOfxImagePixelOrderBGRA)) {
        return kOfxStatErrImageFormat;
    }
    layout_ = {static_cast<unsigned char *>(*data), *bounds, *rowBytes, *format};
    // Every row must hold the width in pixels, or the rows would overlap or run past the image.
    const int64_t width = int64_t{layout_.bounds.x2} - layout_.bounds.x1;
    if (layout_.bounds.x2 < layout_.bounds.x1 || layout_.bounds.y2 < layout_.bounds.y1 ||
        std::llabs(int64_t{*rowBytes}) < width * format->pixelBytes()) {
        return kOfxStatErrImageFormat;
    }
    return kOfxStatOK;
}
