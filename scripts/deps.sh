#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the windows need; skips what is present.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev googletest libgtest-dev
      libgmock-dev libbenchmark-dev qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
      fonts-liberation2 fonts-dejavu-core clang-format locales)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
