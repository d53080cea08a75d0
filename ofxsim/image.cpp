#include "ofxsim/image.h"

#include "api/ofx_names.h"

#include <algorithm>

namespace ofxsim {

namespace {

constexpr unsigned char kGuard = 0xC5;

} // namespace

Image::Image(const ImageShape &shape)
    : shape_(shape),
      stride_(std::max(0, shape.bounds.x2 - shape.bounds.x1) * shape.channelBytes * shape.components + shape.padBytes),
      buffer_(2 * kGuardBytes + static_cast<std::size_t>(stride_) * static_cast<std::size_t>(std::max(0, height())),
              kGuard) {
    fill(0);
}

const char *Image::depthName() const {
    return shape_.channelBytes == 1   ? kOfxBitDepthByte
           : shape_.channelBytes == 2 ? kOfxBitDepthShort
                                      : kOfxBitDepthFloat;
}

const char *Image::componentsName() const {
    return shape_.components == 4 ? kOfxImageComponentRGBA : kOfxImageComponentRGB;
}

const unsigned char *Image::rowOf(int y) const {
    // Row y1 (the bottom one) lies first in memory unless the top row does.
    const int fromBottom = y - shape_.bounds.y1;
    const int inMemory = shape_.topRowFirst ? height() - 1 - fromBottom : fromBottom;
    return buffer_.data() + kGuardBytes + static_cast<std::ptrdiff_t>(inMemory) * stride_;
}

unsigned char *Image::pixel(int x, int y) {
    return const_cast<unsigned char *>(rowOf(y)) + static_cast<std::ptrdiff_t>(x - shape_.bounds.x1) * pixelBytes();
}

void Image::fill(unsigned char byte) {
    for (int y = shape_.bounds.y1; y < shape_.bounds.y2; ++y) {
        std::memset(pixel(shape_.bounds.x1, y), byte, static_cast<std::size_t>(width() * pixelBytes()));
    }
}

std::vector<unsigned char> Image::contents(const OfxRectI &region) const {
    const int x1 = std::max(region.x1, shape_.bounds.x1), x2 = std::min(region.x2, shape_.bounds.x2);
    const int y1 = std::max(region.y1, shape_.bounds.y1), y2 = std::min(region.y2, shape_.bounds.y2);
    std::vector<unsigned char> bytes;
    for (int y = y1; y < y2 && x1 < x2; ++y) {
        const unsigned char *first = rowOf(y) + static_cast<std::ptrdiff_t>(x1 - shape_.bounds.x1) * pixelBytes();
        bytes.insert(bytes.end(), first, first + static_cast<std::ptrdiff_t>(x2 - x1) * pixelBytes());
    }
    return bytes;
}

bool Image::guardsIntact() const {
    const auto isGuard = [](unsigned char byte) { return byte == kGuard; };
    if (!std::all_of(buffer_.begin(), buffer_.begin() + kGuardBytes, isGuard) ||
        !std::all_of(buffer_.end() - kGuardBytes, buffer_.end(), isGuard)) {
        return false;
    }
    for (int y = shape_.bounds.y1; y < shape_.bounds.y2; ++y) {
        const unsigned char *padding = rowOf(y) + static_cast<std::ptrdiff_t>(width()) * pixelBytes();
        if (!std::all_of(padding, padding + shape_.padBytes, isGuard)) {
            return false;
        }
    }
    return true;
}

} // namespace ofxsim
