#!/usr/bin/env bash
# Mirrors the source tree into DST with every C++ source converted from UTF-8 to CP1251, for
# compilers that cannot convert string literals themselves. Unchanged files keep their time
# stamps, so a rebuild stays incremental; files gone from the tree are removed from the mirror.
set -euo pipefail
src=$(cd "$1" && pwd)
dst=$2
mkdir -p "$dst"
dst=$(cd "$dst" && pwd)
cd "$src"
list=$(find . \( -path './build*' -o -path './.git' -o -path './demo*' -o -path './fuzz/corpus' \) \
         -prune -o -type f -print)
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
for f in $list; do
  mkdir -p "$dst/$(dirname "$f")"
  case $f in
    *.cpp|*.h) iconv -c -f UTF-8 -t CP1251 "$f" >"$tmp" || true ;; # -c: drops what CP1251 lacks
    *) cp "$f" "$tmp" ;;
  esac
  cmp -s "$tmp" "$dst/$f" || cp "$tmp" "$dst/$f"
done
# Remove mirrored sources that no longer exist in the tree (sources are globbed).
(cd "$dst" && find . -type f ! -name .cp1251-mirror -print) |
  while read -r f; do [ -e "$src/$f" ] || rm -f "$dst/$f"; done
touch "$dst/.cp1251-mirror"
