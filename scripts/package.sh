#!/usr/bin/env bash
# Builds the Debian package from a clean build tree: configures build-package/ (or
# $VELTRANE_PACKAGE_BUILD_DIR) afresh for /usr, builds only what the package holds (the
# programs, the default data set, the manual pages), and runs `cpack -G DEB` there. Prints the
# package's path on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build=${VELTRANE_PACKAGE_BUILD_DIR:-build-package}
rm -rf "$build"
# CMAKE_SKIP_INSTALL_ALL_DEPENDENCY: cpack installs without building every target first (the
# tests and benchmarks are not packaged).
# Debian's hardening flags (fortify, stack protector, relro, bind-now) as dpkg-buildflags gives
# them with every hardening feature on.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CFLAGS=$(dpkg-buildflags --get CFLAGS)
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CFLAGS CXXFLAGS LDFLAGS
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DVELTRANE_BENCH=OFF -DVELTRANE_DATA_SET=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target veltrane_package_contents
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
deb=$(ls "$build"/veltrane_*.deb)
echo "$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")"
