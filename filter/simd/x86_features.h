// What the x86-64 processor offers and the operating system saves across thread switches,
// asked of the processor itself (cpuid and xgetbv), so it links on every system the module
// runs on: the compiler's own query needs a runtime macOS does not provide.
#pragma once

#if defined(__x86_64__)

struct X86Features {
    bool avx2 = false;
    bool fma = false;
    bool avx512f = false;
};

// Read once; later calls return the first answer.
const X86Features &x86Features();

#endif
