# Flags every target of ours gets. Pixel arithmetic must give the same bits on every build:
# no contraction into fused multiply-adds, no fast-math, no tuning for the build machine.
add_library(zephyrine_flags INTERFACE)
target_compile_options(zephyrine_flags INTERFACE -Wall -Wextra -ffp-contract=off -fno-fast-math)
target_include_directories(zephyrine_flags INTERFACE ${PROJECT_SOURCE_DIR})
