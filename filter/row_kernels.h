// The row functions the filter runs, one per pixel format, at the widest instruction set the
// processor offers. Chosen once, at the first render, by asking the processor; every level
// gives the same bits as the scalar reference.
#pragma once

#include "filter/pixel_formats.h"
#include "filter/vector_transform.h"

#include <cstdint>
#include <optional>

// Transforms `count` packed pixels from `from` to `to` (neither needs any alignment).
using RowFunction = void (*)(const VectorControls &controls, const unsigned char *from, unsigned char *to,
                             int32_t count);

// One row function per kernel pixel format, in the order of KernelPixelFormats.
struct RowKernels {
    RowFunction rows[KernelPixelFormats::size];

    template <class Pixel> RowFunction rowFor() const {
        constexpr int index = KernelPixelFormats::indexOf<Pixel>();
        return rows[index];
    }
};

// The table of a row function template over every kernel pixel format.
template <template <class> class Row, class... Pixels> constexpr RowKernels rowKernelTable(PixelFormatList<Pixels...>) {
    return {{Row<Pixels>::function...}};
}

// Every level exists on every architecture; only the processor's own are ever supported.
enum class VectorLevel { scalar, sse2, avx2, avx512, neon };

const char *vectorLevelName(VectorLevel level);
// Whether this processor (and its operating system) can run a level, and the build kept the
// level's double products rounded (a level whose code fuses them is never used).
bool vectorLevelSupported(VectorLevel level);
// Whether a level's code rounds every double product; the processor must have its instructions.
bool levelRoundsEachProduct(VectorLevel level);
// The widest supported level.
VectorLevel bestVectorLevel();
// The kernels of a level; the level must be supported.
const RowKernels &rowKernelsOf(VectorLevel level);

// The level named by the text ("scalar", "sse2", "avx2", "avx512" or "neon"), if the text names
// one this processor supports.
std::optional<VectorLevel> supportedVectorLevelNamed(const char *name);

// The environment variable that makes renders use a level other than the best (every level
// gives the same bits: it is there for tests, benchmarks and support). Read once, at the
// first render after the module is loaded; a value that names no supported level is ignored.
inline constexpr const char *vectorLevelVariable = "ZEPHYRINE_VECTOR_LEVEL";

// The kernels renders use: the level the environment names, else the best, unless a test
// forced another.
const RowKernels &activeRowKernels();
VectorLevel activeVectorLevel();

// For tests and benchmarks only: renders use `level` from now on. False (and no change) when
// the processor cannot run it.
bool forceVectorLevel(VectorLevel level);
