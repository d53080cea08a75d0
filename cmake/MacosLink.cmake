# Links the macOS plug-ins as bundles with ld64.lld, against the C++ runtime the npm toolchain
# builds for the target and the system's libSystem stub, so that each binary needs nothing but
# /usr/lib/libSystem.B.dylib. ld64.lld signs what it writes (ad hoc): nothing may edit a binary
# after this link.

# The toolchain builds its C++ runtime on first use; a shared-library link of an empty file
# makes it do so into a cache of this build's own, where the three archives are then found.
set(runtime_cache ${CMAKE_BINARY_DIR}/macos-runtime)
if(NOT EXISTS ${runtime_cache}/probe.dylib)
    file(WRITE ${runtime_cache}/probe.cpp "#include <thread>\nint probe() { return static_cast<int>(std::thread::hardware_concurrency()); }\n")
    message(STATUS "Building the C++ runtime for ${ZEPHYRINE_MACOS_ARCH} macOS (once per build folder)")
    separate_arguments(compiler_arguments UNIX_COMMAND "${CMAKE_CXX_COMPILER_ARG1}")
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env ZIG_GLOBAL_CACHE_DIR=${runtime_cache}/zig ZIG_LOCAL_CACHE_DIR=${runtime_cache}/zig-local
                ${CMAKE_CXX_COMPILER} ${compiler_arguments} -std=c++20 -shared ${runtime_cache}/probe.cpp -o ${runtime_cache}/probe.dylib
        RESULT_VARIABLE built)
    if(NOT built EQUAL 0)
        message(FATAL_ERROR "The macOS C++ runtime did not build (${built})")
    endif()
endif()
set(runtime_archives)
foreach(archive libc++.a libc++abi.a libcompiler_rt.a)
    file(GLOB found ${runtime_cache}/zig/o/*/${archive})
    list(LENGTH found count)
    if(NOT count EQUAL 1)
        message(FATAL_ERROR "Expected one ${archive} in ${runtime_cache}/zig, found ${count}: delete ${runtime_cache} and configure again")
    endif()
    list(APPEND runtime_archives ${found})
endforeach()
get_filename_component(zig_folder ${ZEPHYRINE_ZIG} DIRECTORY)
set(libsystem_stub ${zig_folder}/lib/libc/darwin/libSystem.11.tbd)

# -adhoc_codesign: x86_64 links are signed only when asked; arm64 ones always are.
list(JOIN runtime_archives " " runtime_archives)
set(CMAKE_CXX_CREATE_SHARED_MODULE
    "${ZEPHYRINE_LD64} -arch ${ZEPHYRINE_MACOS_ARCH} -bundle -adhoc_codesign -dead_strip -platform_version macos ${ZEPHYRINE_MACOS_MINIMUM} ${ZEPHYRINE_MACOS_MINIMUM} <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES> ${runtime_archives} ${libsystem_stub}")

# Each bundle exports exactly the symbols listed in its file.
function(zephyrine_macos_exports target list_file)
    target_link_options(${target} PRIVATE -exported_symbols_list ${list_file})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${list_file})
endfunction()
