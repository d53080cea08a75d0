#include "bench/ceilings.h"

#include "bench/timing.h"
#include "filter/row_kernels.h"
#include "filter/simd/avx512_intrinsics.h"

#include <cstring>
#include <thread>
#include <vector>

namespace bench {
namespace {

template <class Part> void onThreads(int threads, Part &&part) {
    std::vector<std::thread> workers;
    for (int i = 1; i < threads; ++i) {
        workers.emplace_back(part, i);
    }
    part(0);
    for (std::thread &worker : workers) {
        worker.join();
    }
}

// Four independent chains, so the loop is bound by the units' throughput, not their latency.
// Each step is one square root and one division per lane: y = c / sqrt(x).
__attribute__((target("avx512f"))) double sqrtDiv512(int64_t steps) {
    __m512d a = _mm512_set1_pd(1.5), b = _mm512_set1_pd(2.5), c = _mm512_set1_pd(3.5), d = _mm512_set1_pd(4.5);
    const __m512d n = _mm512_set1_pd(7.0);
    for (int64_t i = 0; i < steps; i += 4) {
        a = _mm512_div_pd(n, _mm512_sqrt_pd(a));
        b = _mm512_div_pd(n, _mm512_sqrt_pd(b));
        c = _mm512_div_pd(n, _mm512_sqrt_pd(c));
        d = _mm512_div_pd(n, _mm512_sqrt_pd(d));
    }
    return _mm512_reduce_add_pd(_mm512_add_pd(_mm512_add_pd(a, b), _mm512_add_pd(c, d)));
}

__attribute__((target("avx2"))) double sqrtDiv256(int64_t steps) {
    __m256d a = _mm256_set1_pd(1.5), b = _mm256_set1_pd(2.5), c = _mm256_set1_pd(3.5), d = _mm256_set1_pd(4.5);
    const __m256d n = _mm256_set1_pd(7.0);
    for (int64_t i = 0; i < steps; i += 4) {
        a = _mm256_div_pd(n, _mm256_sqrt_pd(a));
        b = _mm256_div_pd(n, _mm256_sqrt_pd(b));
        c = _mm256_div_pd(n, _mm256_sqrt_pd(c));
        d = _mm256_div_pd(n, _mm256_sqrt_pd(d));
    }
    double lanes[4];
    _mm256_storeu_pd(lanes, _mm256_add_pd(_mm256_add_pd(a, b), _mm256_add_pd(c, d)));
    return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}

double sqrtDiv128(int64_t steps) {
    __m128d a = _mm_set1_pd(1.5), b = _mm_set1_pd(2.5), c = _mm_set1_pd(3.5), d = _mm_set1_pd(4.5);
    const __m128d n = _mm_set1_pd(7.0);
    for (int64_t i = 0; i < steps; i += 4) {
        a = _mm_div_pd(n, _mm_sqrt_pd(a));
        b = _mm_div_pd(n, _mm_sqrt_pd(b));
        c = _mm_div_pd(n, _mm_sqrt_pd(c));
        d = _mm_div_pd(n, _mm_sqrt_pd(d));
    }
    double lanes[2];
    _mm_storeu_pd(lanes, _mm_add_pd(_mm_add_pd(a, b), _mm_add_pd(c, d)));
    return lanes[0] + lanes[1];
}

volatile double sink;

} // namespace

int sqrtDivLanes() {
    // The kernels' width: with a narrower level forced, the ceiling is the one a processor
    // that has only that level would measure.
    switch (activeVectorLevel()) {
    case VectorLevel::avx512:
        return 8;
    case VectorLevel::avx2:
        return 4;
    default:
        return 2;
    }
}

double copySeconds(const unsigned char *from, unsigned char *to, std::size_t bytes, int threads, int runs) {
    return medianSeconds(runs, [&] {
        onThreads(threads, [&](int part) {
            const std::size_t begin = bytes * part / threads, end = bytes * (part + 1) / threads;
            std::memcpy(to + begin, from + begin, end - begin);
        });
    });
}

double sqrtDivSeconds(int64_t pixels, int threads, int runs) {
    const int lanes = sqrtDivLanes();
    const int64_t stepsPerThread = pixels / lanes / threads;
    return medianSeconds(runs, [&] {
        onThreads(threads, [&](int) {
            switch (lanes) {
            case 8:
                sink = sqrtDiv512(stepsPerThread);
                break;
            case 4:
                sink = sqrtDiv256(stepsPerThread);
                break;
            default:
                sink = sqrtDiv128(stepsPerThread);
            }
        });
    });
}

} // namespace bench
