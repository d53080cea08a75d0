// What the hardware allows a frame, measured on every hardware thread: copying its bytes, and
// one double square root plus one double division per pixel at the kernels' vector width.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bench {

// Seconds to copy `bytes` from one buffer to another, split over `threads` threads.
double copySeconds(const unsigned char *from, unsigned char *to, std::size_t bytes, int threads, int runs);

// Seconds for `pixels` square roots and divisions, split over `threads` threads.
double sqrtDivSeconds(int64_t pixels, int threads, int runs);

// The vector width the square-root loop uses, in doubles: that of the kernels renders use.
int sqrtDivLanes();

} // namespace bench
