# Linux: a Debian package of zephyrine-render with the module it loads, the C interface beside
# it (its library in /usr/lib/zephyrine, its header in /usr/include/zephyrine), the Python
# package (in Debian's module folder for python3, finding the library from there), and the OpenFX
# bundle where OpenFX hosts look on Linux (/usr/OFX/Plugins); and an RPM of the OpenFX bundle
# alone (the install component `ofx`) for the RHEL-family distributions studios run. Library
# dependencies are computed from the binaries (dpkg-shlibdeps, rpmbuild), never typed.
install(TARGETS zephyrine LIBRARY DESTINATION lib/zephyrine)
# The library by its soname: the package is no development package with a link for -l.
install(TARGETS zephyrine_capi LIBRARY DESTINATION lib/zephyrine NAMELINK_SKIP)
install(FILES ${PROJECT_SOURCE_DIR}/include/zephyrine/zephyrine.h DESTINATION include/zephyrine)
foreach(file IN LISTS PYTHON_PACKAGE_FILES)
    install(FILES ${CMAKE_BINARY_DIR}/python/zephyrine/${file} DESTINATION lib/python3/dist-packages/zephyrine)
endforeach()
install(TARGETS zephyrine_ofx LIBRARY DESTINATION OFX/Plugins/Zephyrine.ofx.bundle/Contents/${OFX_ARCHITECTURE}
        COMPONENT ofx)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/zephyrine RENAME copyright COMPONENT ofx)
# What Debian's checker asks of a package: a changelog, compressed as Debian compresses it
# (gzip -9n), and the overrides for what the OpenFX standard and CPack make inherent. The
# tool's manual page is made beside the tool (cli/).
find_program(GZIP gzip REQUIRED)
set(PACKAGE_DOCS ${CMAKE_BINARY_DIR}/package-docs)
add_custom_command(
    OUTPUT ${PACKAGE_DOCS}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PACKAGE_DOCS}
    COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog > ${PACKAGE_DOCS}/changelog.gz
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog
    VERBATIM)
install(FILES ${PACKAGE_DOCS}/changelog.gz DESTINATION share/doc/zephyrine)
add_custom_target(package_changelog ALL DEPENDS ${PACKAGE_DOCS}/changelog.gz)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/debian/lintian-overrides DESTINATION share/lintian/overrides
        RENAME zephyrine)

set(CPACK_GENERATOR DEB RPM)
set(CPACK_PACKAGE_NAME zephyrine)
set(CPACK_PACKAGE_VENDOR Corvanthis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Corvanthis <zephyrine@corvanthis.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.corvanthis.com/zephyrine")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "normal-map effect: zephyrine-render, C and Python interfaces, OpenFX plug-in")
# Lines of at most 79 characters, as both checkers ask.
set(CPACK_PACKAGE_DESCRIPTION
    "Rescales the vectors of a normal map to unit length, with optional tilts and
per-axis inversions: zephyrine-render for files and render farms, the Python
package zephyrine for numpy arrays, and the OpenFX plug-in for the compositors
that load OpenFX plug-ins from /usr/OFX/Plugins.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Python package's interpreter and numpy, which no library link names; dpkg-shlibdeps'
# findings are added to these. Pure Python: any python3 from 3.8 on.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3 (>= 3.8), python3-numpy")
# The RPM: the name and file name rpm tools expect (zephyrine-ofx-1.0.0-1.x86_64.rpm); the
# shared OpenFX folder belongs to no plug-in, so the package owns only what lies in its bundle.
set(CPACK_RPM_PACKAGE_NAME zephyrine-ofx)
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_GROUP "Applications/Multimedia")
set(CPACK_RPM_PACKAGE_SUMMARY "Normal-map effect: the OpenFX plug-in")
set(CPACK_RPM_PACKAGE_DESCRIPTION
    "Rescales the vectors of a normal map to unit length, with optional tilts and
per-axis inversions: the OpenFX plug-in, for the compositors that load OpenFX
plug-ins from /usr/OFX/Plugins.")
# rpmbuild fills the Packager tag from this macro.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}")
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/OFX /usr/OFX/Plugins)
# Per-generator settings, read by cpack once the generator is known: the RPM packs one component.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/per_generator.cmake)
include(CPack)
