// Four float pixels as a 4x4 block, turned into four channel registers and back. Included by
// the instruction-set files after they define KERNEL_TARGET.
#pragma once

#include <xmmintrin.h>

namespace {

// block[c] holds channel c of the four pixels at `pixels`.
KERNEL_TARGET inline void loadTransposed(const float *pixels, __m128 block[4]) {
    __m128 p0 = _mm_loadu_ps(pixels), p1 = _mm_loadu_ps(pixels + 4);
    __m128 p2 = _mm_loadu_ps(pixels + 8), p3 = _mm_loadu_ps(pixels + 12);
    _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
    block[0] = p0;
    block[1] = p1;
    block[2] = p2;
    block[3] = p3;
}

// Channels 1 to 3 from the block; channel 0 (alpha) as stored at `alphaFrom`, bit for bit.
KERNEL_TARGET inline void storeTransposed(const __m128 block[4], const float *alphaFrom, float *pixels) {
    __m128 c0 = block[0], c1 = block[1], c2 = block[2], c3 = block[3];
    _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
    _mm_storeu_ps(pixels, _mm_move_ss(c0, _mm_load_ss(alphaFrom)));
    _mm_storeu_ps(pixels + 4, _mm_move_ss(c1, _mm_load_ss(alphaFrom + 4)));
    _mm_storeu_ps(pixels + 8, _mm_move_ss(c2, _mm_load_ss(alphaFrom + 8)));
    _mm_storeu_ps(pixels + 12, _mm_move_ss(c3, _mm_load_ss(alphaFrom + 12)));
}

} // namespace
