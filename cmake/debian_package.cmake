# A Debian package of what `cmake --install` installs: the window with its
# desktop entry and icon, aqvis-cli and the Python module.
#   cmake --build build && (cd build && cpack -G DEB)
# Library dependencies are found by dpkg-shlibdeps (Debian `dpkg-dev`); the
# ones it cannot see are named here.
set(CPACK_PACKAGE_NAME aqvis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Aqvis developers <devel@aqvis.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "thermodynamic properties of neutral solutes in water at infinite dilution")
set(CPACK_PACKAGE_DESCRIPTION
    "Henry constants, distribution constants and the standard partial molar\n\
properties of nineteen gases and other neutral solutes in water at any\n\
temperature and pressure: a window, the command line aqvis-cli and the\n\
Python module aqvis (numpy arrays, pandas tables, dask arrays).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt Gui only recommends its platform plugins, without which the window and
# the plots cannot start.
set(aqvis_deb_depends "fonts-dejavu-core, fonts-dejavu-extra, qt6-qpa-plugins")
if(AQVIS_BUILD_PYTHON)
  # The compiled core is built for one Python version.
  set(aqvis_py "${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}")
  math(EXPR aqvis_py_next "${Python3_VERSION_MINOR} + 1")
  string(APPEND aqvis_deb_depends
         ", python3 (>= ${aqvis_py}), python3 (<< ${Python3_VERSION_MAJOR}.${aqvis_py_next}), python3-numpy")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-pandas, python3-matplotlib")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-dask, python3-distributed, python3-zarr")
  # Byte-compiled on installation, cleaned up on removal (py3compile, py3clean).
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
      ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/prerm)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${aqvis_deb_depends}")

# The copyright file and the changelog (a native package's, gzip -9n as
# Debian wants it) in /usr/share/doc/aqvis.  The changelog's newest entry
# must be the version built.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog aqvis_changelog_top LIMIT_COUNT 1)
if(NOT aqvis_changelog_top MATCHES "^aqvis \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not version ${PROJECT_VERSION}")
endif()
set(aqvis_changelog_gz ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${aqvis_changelog_gz}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
                   COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${aqvis_changelog_gz}
                   DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(aqvis_changelog ALL DEPENDS ${aqvis_changelog_gz})
include(GNUInstallDirs)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${aqvis_changelog_gz}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/aqvis)
include(CPack)
