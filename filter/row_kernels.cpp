#include "filter/row_kernels.h"

#include "filter/pixel_transform.h"
#include "filter/simd/contraction_probe.h"
#include "filter/simd/isa_kernels.h"
#include "filter/simd/x86_features.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

template <class Pixel> struct ScalarRow { static constexpr RowFunction function = transformRowScalar<Pixel>; };

const RowKernels scalarKernels = rowKernelTable<ScalarRow>(KernelPixelFormats{});

// A level a test or benchmark asked for; -1 while none has.
std::atomic<int> forcedLevel{-1};

} // namespace

// A level's table is made at its first use, so only on a processor that supports it.
const RowKernels &rowKernelsOf(VectorLevel level) {
    switch (level) {
#if defined(__x86_64__)
    case VectorLevel::sse2: {
        static const RowKernels kernels = sse2RowKernels();
        return kernels;
    }
    case VectorLevel::avx2: {
        static const RowKernels kernels = avx2RowKernels();
        return kernels;
    }
    case VectorLevel::avx512: {
        static const RowKernels kernels = avx512RowKernels();
        return kernels;
    }
#elif defined(__aarch64__)
    case VectorLevel::neon: {
        static const RowKernels kernels = neonRowKernels();
        return kernels;
    }
#endif
    default:
        break;
    }
    return scalarKernels;
}

const char *vectorLevelName(VectorLevel level) {
    switch (level) {
    case VectorLevel::scalar:
        return "scalar";
    case VectorLevel::sse2:
        return "SSE2";
    case VectorLevel::avx2:
        return "AVX2";
    case VectorLevel::avx512:
        return "AVX-512";
    case VectorLevel::neon:
        return "NEON";
    }
    return "unknown";
}

bool vectorLevelSupported(VectorLevel level) {
    if (level == VectorLevel::scalar) {
        return true;
    }
#if defined(__x86_64__)
    // The query also checks that the operating system saves the wider registers, so a level it
    // reports can be used.
    switch (level) {
    case VectorLevel::sse2:
        return true;
    case VectorLevel::avx2:
        return x86Features().avx2 && levelRoundsEachProduct(level);
    case VectorLevel::avx512:
        return x86Features().avx512f && levelRoundsEachProduct(level);
    default:
        return false;
    }
#elif defined(__aarch64__)
    // Every AArch64 processor has Advanced SIMD. Its compilers fuse multiply-adds unless told
    // not to: the probe in the kernels' own file checks that they were told.
    return level == VectorLevel::neon && levelRoundsEachProduct(level);
#else
    return false;
#endif
}

bool levelRoundsEachProduct(VectorLevel level) {
#if defined(__x86_64__)
    switch (level) {
    case VectorLevel::avx2:
        return !x86Features().fma || avx2RoundsEachProduct(); // without FMA its rows take no FMA code
    case VectorLevel::avx512:
        return avx512RoundsEachProduct();
    default:
        break;
    }
#elif defined(__aarch64__)
    if (level == VectorLevel::neon) {
        return neonRoundsEachProduct();
    }
#endif
    return productsRounded();
}

VectorLevel bestVectorLevel() {
    static const VectorLevel best = [] {
        for (VectorLevel level : {VectorLevel::avx512, VectorLevel::avx2, VectorLevel::sse2, VectorLevel::neon}) {
            if (vectorLevelSupported(level)) {
                return level;
            }
        }
        return VectorLevel::scalar;
    }();
    return best;
}

std::optional<VectorLevel> supportedVectorLevelNamed(const char *name) {
    if (name == nullptr) {
        return std::nullopt;
    }
    const std::pair<const char *, VectorLevel> names[] = {{"scalar", VectorLevel::scalar},
                                                          {"sse2", VectorLevel::sse2},
                                                          {"avx2", VectorLevel::avx2},
                                                          {"avx512", VectorLevel::avx512},
                                                          {"neon", VectorLevel::neon}};
    for (const auto &[text, level] : names) {
        if (std::strcmp(name, text) == 0 && vectorLevelSupported(level)) {
            return level;
        }
    }
    return std::nullopt;
}

VectorLevel activeVectorLevel() {
    const int forced = forcedLevel.load(std::memory_order_relaxed);
    if (forced >= 0) {
        return static_cast<VectorLevel>(forced);
    }
    static const VectorLevel chosen =
        supportedVectorLevelNamed(std::getenv(vectorLevelVariable)).value_or(bestVectorLevel());
    return chosen;
}

const RowKernels &activeRowKernels() { return rowKernelsOf(activeVectorLevel()); }

bool forceVectorLevel(VectorLevel level) {
    if (!vectorLevelSupported(level)) {
        return false;
    }
    forcedLevel.store(static_cast<int>(level), std::memory_order_relaxed);
    return true;
}
