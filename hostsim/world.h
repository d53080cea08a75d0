// A host world for tests: the host library's world with guard bytes around its buffer and in
// its row padding, so a test can tell whether anything outside the image was written, and the
// views and reads a test compares by.
#pragma once

#include "embedhost/world.h"

#include <vector>

namespace hostsim {

using embedhost::WorldShape;

// The guarded buffer, made before the world laid over it.
struct GuardedBuffer {
    std::vector<unsigned char> guarded;
};

class World : private GuardedBuffer, public embedhost::World {
public:
    // Bytes of guard pattern before and after the pixels.
    static constexpr std::size_t kGuardBytes = 64;

    explicit World(const WorldShape &shape);

    // The rows of one field, as Premiere hands a field render over: every other row (from row
    // 0 for the upper field, row 1 for the lower), half the height, twice the row bytes.
    PF_LayerDef fieldLayer(PF_Field field);
    template <class T> std::vector<T> get(int32_t x, int32_t y) {
        std::vector<T> values(4);
        std::memcpy(values.data(), channels<T>(x, y), 4 * sizeof(T));
        return values;
    }
    // The pixel bytes row by row, without padding: two worlds of one shape compare equal by it.
    std::vector<unsigned char> contents() const;
    // True while the guards around the buffer and the row padding hold their pattern.
    bool guardsIntact() const;
};

} // namespace hostsim
