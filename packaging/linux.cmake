# Linux: a Debian package of zephyrine-render with the module it loads, and the OpenFX bundle
# where OpenFX hosts look on Linux (/usr/OFX/Plugins). Its library dependencies are computed
# by dpkg-shlibdeps from the binaries, never typed.
install(TARGETS zephyrine LIBRARY DESTINATION lib/zephyrine)
install(TARGETS zephyrine_ofx LIBRARY DESTINATION OFX/Plugins/Zephyrine.ofx.bundle/Contents/Linux-x86-64)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/zephyrine RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zephyrine)
set(CPACK_PACKAGE_VENDOR Corvanthis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Corvanthis <zephyrine@corvanthis.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "normal-map effect: zephyrine-render and the OpenFX plug-in")
set(CPACK_PACKAGE_DESCRIPTION
    "Rescales the vectors of a normal map to unit length, with optional tilts and per-axis
inversions: zephyrine-render for files and render farms, and the OpenFX plug-in for the
compositors that load OpenFX plug-ins from /usr/OFX/Plugins.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
