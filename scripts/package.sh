#!/usr/bin/env bash
# Builds the Debian package from a clean tree: a fresh build folder, Debian's hardening flags,
# no tests or benchmarks; then checks it with lintian. The package lands in the repository's
# root as ax7-control_VERSION_ARCH.deb. Install it with: sudo apt install ./ax7-control_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The packaging tools, apart from what the build needs.
tools=(dpkg-dev fakeroot file lintian)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

build=build-package
rm -rf "$build"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Hardening as Debian builds its own packages (stack protector, fortify, relro).
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now"
cmake -S . -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="$cxxflags" \
      -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DAX7_BUILD_TESTS=OFF -DAX7_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
rm -f ax7-control_*.deb
cp "$build"/ax7-control_*.deb .
deb=$(ls ax7-control_*.deb)
echo "Built $deb"
lintian --fail-on error "$deb"
