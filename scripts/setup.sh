#!/usr/bin/env bash
# Installs what the build needs (Debian packages) when it is missing, then builds;
# with --packages-only it stops after the packages. --tests adds what the tests need
# beyond the build: a browser and its driver, Prometheus and InfluxDB.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
          qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite
          librsvg2-bin dpkg-dev file desktop-file-utils appstream
          pkg-config libmosquitto-dev mosquitto mosquitto-clients openssl
          qt6-httpserver-dev qt6-websockets-dev libjs-chart.js)
packages_only=false
for option in "$@"; do
  case "$option" in
    --packages-only) packages_only=true ;;
    --tests) packages+=(chromium chromium-driver python3-selenium prometheus influxdb) ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
$packages_only && exit 0

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
