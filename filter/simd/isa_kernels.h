// The row kernels of each instruction set, each compiled for its own target and only for its
// own architecture. Call one only where the processor supports its set.
#pragma once

#include "filter/row_kernels.h"

#if defined(__x86_64__)
RowKernels sse2RowKernels();
RowKernels avx2RowKernels();
RowKernels avx512RowKernels();

// Whether the file of each level with FMA rounds every double product (contraction_probe.h).
bool avx2RoundsEachProduct();
bool avx512RoundsEachProduct();
#elif defined(__aarch64__)
RowKernels neonRowKernels();
bool neonRoundsEachProduct();
#endif
