// <immintrin.h> for code that uses AVX-512. GCC 12's own AVX-512 intrinsics start from a
// deliberately undefined register, which its uninitialised-use warning reports wherever they
// are inlined; the warning is off for the rest of the including file.
#pragma once

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>
