# Windows: the module and the OpenFX bundle as shipped, the licence and a short install text,
# in a zip and in a 64-bit installer.

# The shipped binaries are stripped; their debug information stays beside the build, in files
# the binaries name by a debug link, and is never packaged.
find_program(MINGW_OBJCOPY NAMES x86_64-w64-mingw32-objcopy REQUIRED)
set(RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(SHIPPED_MODULE ${RELEASE_DIR}/Zephyrine.aex)
set(SHIPPED_BUNDLE ${RELEASE_DIR}/Zephyrine.ofx.bundle)
set(SHIPPED_OFX ${SHIPPED_BUNDLE}/Contents/Win64/Zephyrine.ofx)

# ship(TARGET SHIPPED_FILE DEBUG_FILE): the target's binary stripped, with a debug link.
function(ship target shipped debug)
    get_filename_component(folder ${shipped} DIRECTORY)
    get_filename_component(name ${shipped} NAME)
    add_custom_command(
        OUTPUT ${shipped} ${debug}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${MINGW_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug}
        COMMAND ${MINGW_OBJCOPY} --strip-all --add-gnu-debuglink=${debug} $<TARGET_FILE:${target}> ${shipped}
        DEPENDS ${target}
        COMMENT "Stripping ${name} to ship")
endfunction()
ship(zephyrine ${SHIPPED_MODULE} ${RELEASE_DIR}/Zephyrine.aex.debug)
ship(zephyrine_ofx ${SHIPPED_OFX} ${RELEASE_DIR}/Zephyrine.ofx.debug)
add_custom_target(shipped_module ALL DEPENDS ${SHIPPED_MODULE} ${SHIPPED_OFX})

install(FILES ${SHIPPED_MODULE} ${PROJECT_SOURCE_DIR}/LICENSE INSTALL.txt DESTINATION .)
install(FILES ${SHIPPED_OFX} DESTINATION Zephyrine.ofx.bundle/Contents/Win64)

set(CPACK_PACKAGE_NAME Zephyrine)
set(CPACK_PACKAGE_VENDOR Corvanthis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Zephyrine-${PROJECT_VERSION}-win64)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR ZIP NSIS)
# The installer script is our own (NSIS.template.in here): it finds the host's plug-in folders.
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_SOURCE_DIR})
# Per-generator settings, read by cpack once the generator is known: the installer's file name.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/per_generator.cmake)
include(CPack)
