# A Debian package of what `cmake --install` installs: the window with its
# desktop entry and icon, aqvis-cli and the Python module.
#   cmake --build build && (cd build && cpack -G DEB)
# Library dependencies are found by dpkg-shlibdeps (Debian `dpkg-dev`); the
# ones it cannot see are named here.
set(CPACK_PACKAGE_NAME aqvis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Aqvis developers <aqvis@localhost>")
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
set(aqvis_deb_depends "fonts-dejavu-core, fonts-dejavu-extra")
if(AQVIS_BUILD_PYTHON)
  # The compiled core is built for one Python version.
  set(aqvis_py "${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}")
  math(EXPR aqvis_py_next "${Python3_VERSION_MINOR} + 1")
  string(APPEND aqvis_deb_depends
         ", python3 (>= ${aqvis_py}), python3 (<< ${Python3_VERSION_MAJOR}.${aqvis_py_next}), python3-numpy")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-pandas, python3-matplotlib")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-dask, python3-distributed, python3-zarr")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${aqvis_deb_depends}")
include(CPack)
