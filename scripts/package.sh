#!/usr/bin/env bash
# Builds the Debian package of the suite into build-deb/ and checks it with
# lintian: the three programs with Debian's compiler and linker flags
# (dpkg-buildflags, all hardening on), stripped and packed by CPack.
# Usage: scripts/package.sh      then: apt install ./build-deb/zentrio-suite_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build="build-deb"

bash scripts/setup.sh

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

# Only the programs are built: the install step must not wait for the tests.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTRIO_BUILD_BENCH=OFF \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
      -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" --target banrei notava iconmaker -j2
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)

debs=("$build"/*.deb)
deb=${debs[0]}
lintian --fail-on error,warning --display-info "$deb"
echo "package: $deb"
