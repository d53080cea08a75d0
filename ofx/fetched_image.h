// One image fetched from a clip for the length of a render: released on every path out.
#pragma once

#include "api/ofx_core.h"
#include "ofx/host_suites.h"

#include <cstdint>

// The pixel formats the effect declared.
struct ImageFormat {
    int channelBytes; // 1, 2 or 4 (float)
    int components;   // 4 (RGBA) or 3 (RGB)

    int pixelBytes() const { return channelBytes * components; }
    bool operator==(const ImageFormat &) const = default;
};

// Where an image's pixels are: `data` is pixel (bounds.x1, bounds.y1), the bottom-left one,
// and a row lies `rowBytes` (which may be negative) above the one before.
struct ImageLayout {
    unsigned char *data = nullptr;
    OfxRectI bounds{};
    int rowBytes = 0;
    ImageFormat format{};
};

class FetchedImage {
public:
    FetchedImage(const HostSuites &suites, OfxImageClipHandle clip, OfxTime time);
    ~FetchedImage();
    FetchedImage(const FetchedImage &) = delete;
    FetchedImage &operator=(const FetchedImage &) = delete;

    // kOfxStatOK when the host gave an image of a declared format whose rows hold its width;
    // otherwise the status that says why not.
    OfxStatus status() const { return status_; }
    const ImageLayout &layout() const { return layout_; }

private:
    OfxStatus describe();

    const HostSuites &suites_;
    OfxPropertySetHandle image_ = nullptr;
    OfxStatus status_;
    ImageLayout layout_;
};
