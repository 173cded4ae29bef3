#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the windows and the package build need;
# skips what is present. The names hold on Debian 12 and Debian 13. qt6-base-dev holds Qt Print
# Support too (the history window's report); poppler-utils lets the tests read a printed PDF.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config clang libclang-rt-dev googletest libgtest-dev
      libgmock-dev libbenchmark-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
      libgl1-mesa-dev fonts-liberation2 fonts-dejavu-core clang-format locales libc-l10n file
      dpkg-dev poppler-utils)
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
