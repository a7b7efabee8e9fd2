# The Debian package (cpack -G DEB in the release build): the viewer,
# vxtool, the libraries with their headers and CMake package, the desktop
# entry and the MIME type of prepared reports. The shared libraries it needs
# are found by dpkg-shlibdeps; the rest is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dizeridiv)
set(CPACK_PACKAGE_VENDOR DIZEridiv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Viewer of prepared reports and banded report library (Italian)")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "DIZEridiv maintainers <maintainers@dizeridiv.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so not seen by dpkg-shlibdeps: the SQL drivers and the
# Qt platform plugins; the fonts the layout is measured with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins, fonts-liberation2, shared-mime-info")
include(CPack)
