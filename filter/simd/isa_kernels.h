// The row kernels of each instruction set, each compiled for its own target. Call one only
// where the processor supports its set.
#pragma once

#include "filter/row_kernels.h"

RowKernels sse2RowKernels();
RowKernels avx2RowKernels();
RowKernels avx512RowKernels();
