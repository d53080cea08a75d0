# Flags every target of ours gets. Pixel arithmetic must give the same bits on every build:
# no contraction into fused multiply-adds, no fast-math, no tuning for the build machine.
add_library(zephyrine_flags INTERFACE)
target_compile_options(zephyrine_flags INTERFACE -Wall -Wextra -ffp-contract=off -fno-fast-math)
target_include_directories(zephyrine_flags INTERFACE ${PROJECT_SOURCE_DIR})

# The module runs on the user's machine, and its pixels must not depend on the compiler's
# liberties: refuse flags that tune for the build machine or relax floating point.
if(CMAKE_CXX_FLAGS MATCHES "-march=native|-mtune=native|-mcpu=native|-ffast-math|-Ofast|-mfma|-mavx")
    message(FATAL_ERROR "CMAKE_CXX_FLAGS must not tune for this machine nor relax floating point: ${CMAKE_CXX_FLAGS}")
endif()

# Under sanitizer instrumentation GCC's maybe-uninitialized analysis reports libstdc++'s own
# std::function inside std::regex (GCC 12); the uninstrumented builds keep the warning.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    target_compile_options(zephyrine_flags INTERFACE -Wno-maybe-uninitialized)
endif()
