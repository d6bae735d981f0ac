#!/usr/bin/env bash
# Makes every download of this version in one folder, build/dist: the Debian package, the
# Windows zip and installer, the web page's folder as a zip, and SHA256SUMS, with which a
# player checks what they downloaded (sha256sum -c SHA256SUMS). Whoever makes the package
# is its maintainer: set DEBFULLNAME and DEBEMAIL, or PAIRON12_MAINTAINER.
# Needs: scripts/install-deps.sh --package --windows --web
set -euo pipefail
cd "$(dirname "$0")/.."
dist=build/dist

cmake --preset release >/dev/null
cmake --build --preset release
rm -rf build/release/package
cpack --config build/release/CPackConfig.cmake -G DEB -B build/release/package >/dev/null
scripts/cross-build.sh windows web

# Nothing of an earlier version is left beside this one's.
rm -rf "$dist"
mkdir -p "$dist"
cp build/release/package/pairon12_*.deb build/windows/package/pairon12-*-win64.{zip,exe} \
  build/web/package/pairon12-*-web.zip "$dist/"
(cd "$dist" && sha256sum -- * >SHA256SUMS && sha256sum --quiet -c SHA256SUMS)
echo "release: $(build/release/src/ui/pairon12 --version) in $dist:"
ls -l "$dist"
