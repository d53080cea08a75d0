// Whether the code around it rounds every double product, as the kernels' exactness needs. A
// build without -ffp-contract=off may fuse a product and a sum into one multiply-add wherever
// the target has FMA, and the double kernel is inlined into such code. Inlined into each
// level's file, it answers for that file's target.
#pragma once

// a b - c with a b = 1 - 2^-60 exactly: 0 when the product is rounded first, -2^-60 when fused.
// The operands go through volatile so that no constant folding decides it at build time.
inline __attribute__((always_inline)) bool productsRounded() {
    volatile double a = 1.0 + 0x1p-30, b = 1.0 - 0x1p-30, c = 1.0;
    const double x = a, y = b, z = c;
    return x * y - z == 0.0;
}
