#include "hostsim/world.h"

#include <algorithm>

namespace hostsim {

namespace {

constexpr unsigned char kGuardPattern = 0xE7;

} // namespace

World::World(const WorldShape &shape)
    : GuardedBuffer{std::vector<unsigned char>(
          2 * kGuardBytes + strideFor(shape) * static_cast<std::size_t>(shape.height), kGuardPattern)},
      embedhost::World(shape, guarded.data() + kGuardBytes) {}

PF_LayerDef World::fieldLayer(PF_Field field) {
    const int32_t first = field == PF_Field_LOWER ? 1 : 0;
    PF_LayerDef half = layer();
    half.data = reinterpret_cast<PF_PixelPtr>(rowStart(first));
    half.rowbytes = 2 * layer().rowbytes;
    half.height = (shape().height - first + 1) / 2;
    half.extent_hint = {0, 0, half.width, half.height};
    return half;
}

std::vector<unsigned char> World::contents() const {
    std::vector<unsigned char> bytes;
    const auto rowLength = static_cast<std::size_t>(shape().width * bytesPerPixel());
    for (int32_t y = 0; y < shape().height; ++y) {
        bytes.insert(bytes.end(), rowStart(y), rowStart(y) + rowLength);
    }
    return bytes;
}

bool World::guardsIntact() const {
    const auto isGuard = [](unsigned char byte) { return byte == kGuardPattern; };
    const unsigned char *begin = guarded.data();
    const unsigned char *end = begin + guarded.size();
    if (!std::all_of(begin, begin + kGuardBytes, isGuard) || !std::all_of(end - kGuardBytes, end, isGuard)) {
        return false;
    }
    const auto rowLength = static_cast<std::ptrdiff_t>(shape().width * bytesPerPixel());
    for (int32_t y = 0; y < shape().height; ++y) {
        const unsigned char *padding = rowStart(y) + rowLength;
        if (!std::all_of(padding, padding + shape().padBytes, isGuard)) {
            return false;
        }
    }
    return true;
}

} // namespace hostsim
