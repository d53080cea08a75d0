# Cross build for 64-bit Windows with mingw-w64. The -posix compilers bring std::thread and
# std::mutex; everything is linked statically so the DLL needs only system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Large test sources exceed the default object format's section count. GCC cannot align the
# Windows x64 stack to 32 or 64 bytes, yet spills AVX registers with aligned moves: the
# assembler turns every aligned vector move into an unaligned one (same speed on aligned data).
set(CMAKE_CXX_FLAGS_INIT "-Wa,-mbig-obj -Wa,-muse-unaligned-vector-move")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# ctest runs the Windows executables under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
