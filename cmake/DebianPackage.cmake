# The Debian package, made with CPack from the install rules: `cpack -G DEB` in the build folder (or
# `cmake --build build --target package`) writes ferrule_<version>_<arch>.deb, installing to /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ferrule)
set(CPACK_PACKAGE_VERSION ${FERRULE_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR ${FERRULE_CONTACT_NAME})
set(CPACK_PACKAGE_CONTACT "${FERRULE_CONTACT_NAME} <${FERRULE_CONTACT_ADDRESS}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check files against checksum lists")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # name_version_arch.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${FERRULE_HOMEPAGE})
# The libraries the binaries link, with their versions, from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(FERRULE_BUILD_UI)
    # The interface is Japanese: a font with its glyphs, and Qt's own texts in Japanese.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic, qt6-translations-l10n")
endif()
# The extended description under the summary; CPack indents it and marks the empty line as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Ferrule checks files against checksum lists. Drop list files on its window,
or open them with Ferrule from the file manager, and it tests that every
listed file exists and has the listed size and digest, writing one line per
file to its log. It reads lists of CRC-16, CRC-32 and MD5 digests (also in
code page 932, as Japanese Windows systems write them), SFV files and the
lists of md5sum and the sha*sum tools. The user interface is in Japanese.

ferrule-check runs the same check from the command line.")

# The programs know at build time where they are installed (their settings then go to the user's
# configuration folder), so the package is made only from a build configured for its prefix.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/DebianPackageCheck.cmake)
file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} CONTENT [[
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT "@CMAKE_INSTALL_PREFIX@" STREQUAL CPACK_PACKAGING_INSTALL_PREFIX)
    message(FATAL_ERROR "The package installs to ${CPACK_PACKAGING_INSTALL_PREFIX}, but this build was configured "
                        "for @CMAKE_INSTALL_PREFIX@: configure it with -DCMAKE_INSTALL_PREFIX=${CPACK_PACKAGING_INSTALL_PREFIX}")
endif()
]] @ONLY)

include(CPack)
