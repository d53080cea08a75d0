# Read by cpack for each generator: the installer is told apart from the zip by its name, and
# the RPM holds the OpenFX bundle alone, as its main (unsuffixed) package.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
elseif(CPACK_GENERATOR STREQUAL "RPM")
    set(CPACK_RPM_COMPONENT_INSTALL ON)
    set(CPACK_COMPONENTS_ALL ofx)
    set(CPACK_RPM_MAIN_COMPONENT ofx)
endif()
