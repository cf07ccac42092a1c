# The Debian package, made by `cpack -G DEB` in the build tree (scripts/package.sh): the files
# that packaging/install.cmake installs, under /usr, with their binaries stripped and the
# dependencies computed from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Veltrane developers")
set(CPACK_PACKAGE_CONTACT "${VELTRANE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELTRANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "real-time relighting viewer of a wooden table with a glass angel
Veltrane shows a wooden table with a glass angel standing on it, lit by a
directional light that circles the scene. The table top's light maps are
stored as spherical radial basis function (SRBF) coefficient maps over the
light direction; every frame the graphics card sums them for the light's
current direction, and the angel refracts the table behind it.

Type veltrane (or veltrane-scene) to see the scene: it starts the viewer on
a writable copy of the default data set. The package also holds
veltrane-tool, which bakes data sets and reads and writes their formats,
veltrane-headless, which draws the viewer's frames without a window or an X
server (on an EGL device) to pictures and frame rates, the default data set
and manual pages. The viewer needs an X display with OpenGL 2.1 and float
render targets.")
include(CPack)
