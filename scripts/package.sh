#!/usr/bin/env bash
# Installs what the build needs, builds the Debian package of ravinel and ravinel-cli with CPack
# into build/ (never stripped: the reference data travels behind the programs' sections), then
# checks what it holds: the two programs with their reference data, the desktop entry, the icon,
# the manual pages, the completion, the changelog and the copyright file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
rm -rf build/ravinel_*.deb build/_CPack_Packages # no leftovers of an interrupted run inside
(cd build && cpack -G DEB)
deb=$(ls build/ravinel_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
if grep -vE '^\./(usr/.*)?$' <<<"$contents"; then
  echo "package: $deb holds files outside /usr (above)" >&2
  exit 1
fi
for f in usr/bin/ravinel usr/bin/ravinel-cli usr/share/applications/ravinel.desktop \
         usr/share/icons/hicolor/scalable/apps/ravinel.svg usr/share/man/man1/ravinel.1.gz \
         usr/share/man/man1/ravinel-cli.1.gz usr/share/bash-completion/completions/ravinel-cli \
         usr/share/doc/ravinel/changelog.gz usr/share/doc/ravinel/copyright; do
  grep -qxF "./$f" <<<"$contents" || { echo "package: $deb lacks /$f" >&2; exit 1; }
done
# The report is printed through Qt Print Support: dpkg-shlibdeps must have found its library.
grep -q libqt6printsupport6 <<<"$(dpkg-deb -f "$deb" Depends)" ||
  { echo "package: $deb does not depend on Qt Print Support" >&2; exit 1; }
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for p in ravinel ravinel-cli; do # --version fails when the reference data is gone
  "$unpacked/usr/bin/$p" --version >/dev/null || { echo "package: /usr/bin/$p is broken" >&2; exit 1; }
done
ls -l "$deb"
echo "package: contents checked"
