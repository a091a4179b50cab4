#!/usr/bin/env bash
# Installs what the build needs on Debian (run as root or with sudo available).
set -euo pipefail
packages=(cmake ninja-build ccache mold g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libhidapi-dev libudev-dev nlohmann-json3-dev libyaml-cpp-dev libboost-dev libqrencode-dev
          qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev fonts-wqy-microhei
          desktop-file-utils chromium chromium-driver python3-selenium
          mosquitto mosquitto-clients libmosquitto-dev openssl)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
