#!/usr/bin/env bash
# Builds Pairon12 for 64-bit Windows, and what a Windows player downloads: a zip of the
# program folder and an installer. On Debian 13 with its own Qt; on Debian 12 in a Debian 13
# root, which it asks root for.
#   scripts/build-windows.sh [BUILD_DIR]      (default: build/windows)
#   scripts/build-windows.sh --qt-only        only make sure Qt for Windows is built
# Qt for Windows is cross-built once from Debian's own source of the host's Qt and
# kept outside the tree, in the cache (scripts/common.sh); it is built again only when
# Qt's upstream version, its options or the toolchain change.
# Needs: scripts/install-deps.sh --windows
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh" "$@"
jobs=${PAIRON12_JOBS:-$(nproc)}
qt_only=false
build=$root/build/windows
for arg in "$@"; do
  case "$arg" in
    --qt-only) qt_only=true ;;
    -*) echo "build-windows: unknown option $arg" >&2; exit 2 ;;
    *) build=$(realpath -m "$arg") ;;
  esac
done
toolchain=$root/cmake/mingw-w64-x86_64.cmake

# --- Qt for Windows ------------------------------------------------------------------
# The host's moc, rcc and uic must be of the same upstream version as the Qt they build
# for; Debian's revisions of one upstream version (a stable point update) need no rebuild.
qt_deb=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_version=${qt_deb%%[+-]*}
# Windows players get Qt's long-term release, 6.8 or later. A host with an older Qt (Debian
# 12) makes them in the Debian 13 root that scripts/debian-root.sh keeps, with that
# release's Qt and MinGW-w64, and takes the packages out of it.
if dpkg --compare-versions "$qt_version" lt 6.8; then
  inside=/var/tmp/pairon12-windows
  flags=$($qt_only && echo --qt-only || true)
  echo "build-windows: Qt $qt_version here is older than 6.8; building in a Debian 13 root"
  as_root "$root/scripts/debian-root.sh" trixie "
    /src/scripts/install-deps.sh --windows >/var/tmp/pairon12-deps.log 2>&1 ||
      { tail -n 30 /var/tmp/pairon12-deps.log; exit 1; }
    /src/scripts/build-windows.sh $flags $inside"
  $qt_only && exit 0
  rm -rf "$build/package"
  mkdir -p "$build/package"
  cp "$cache/debian-trixie$inside/package/"pairon12-* "$build/package/"
  exit 0
fi
qt_options=(
  -release -shared -xplatform win32-g++ -qt-host-path /usr -nomake examples -nomake tests
  -no-opengl -no-dbus -no-icu -no-pkg-config -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype
  -qt-harfbuzz -qt-pcre -qt-doubleconversion -no-feature-sql -no-feature-network
  -no-feature-printsupport -no-feature-concurrent -no-feature-xml -no-feature-testlib
  -no-feature-vulkan -no-feature-androiddeployqt
  # Debian's source has no wintab directory.
  -no-feature-tabletevent
)
# The toolchain is the file that names the compilers and the compilers themselves.
toolchain_id() {
  cat "$toolchain"
  dpkg-query -W -f='${Package} ${Version}\n' g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev \
    binutils-mingw-w64-x86-64
}
key=$({ echo "$qt_version"; printf '%s\n' "${qt_options[@]}"; toolchain_id; } | sha256sum | cut -c1-10)
qt_prefix=$cache/qt-$qt_version-$key
qt_toolchain=$qt_prefix.toolchain.cmake

build_qt() {
  local work=$cache/work-$key
  rm -rf "$work" "$qt_prefix" "$qt_prefix.stage"
  mkdir -p "$work"
  # Qt records the toolchain file it was built with and loads it again for every project
  # built against it, so the cache keeps its own copy rather than pointing into a tree.
  cp "$toolchain" "$qt_toolchain"
  local start=$SECONDS log=$cache/qt-$qt_version-$key.log status=0
  echo "build-windows: building Qt $qt_deb for Windows into $qt_prefix" \
       "(about 35 minutes on 2 cores); log: $log"
  # Not on the left of ||, where bash would ignore set -e inside: the first failing step
  # ends the build, and it is that step's output the log ends with.
  set +e
  (
    set -e
    cd "$work"
    apt-get source -qq --only-source "qt6-base=$qt_deb"
    mkdir build && cd build
    ../qt6-base-*/configure -prefix "$qt_prefix" "${qt_options[@]}" -- -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$qt_toolchain" \
      -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    cmake --build . --parallel "$jobs"
    # Installed beside its final place and moved there whole: an interrupted build leaves
    # no prefix that could be taken for a finished one.
    DESTDIR=$qt_prefix.stage cmake --install .
  ) >"$log" 2>&1
  status=$?
  set -e
  if ((status != 0)); then
    tail -n 30 "$log" >&2
    echo "build-windows: Qt for Windows failed to build (status $status); see $log" >&2
    exit 1
  fi
  echo "$qt_deb built in $((SECONDS - start)) s on $(date -u +%FT%TZ)" \
    >"$qt_prefix.stage$qt_prefix/.pairon12-built"
  mv "$qt_prefix.stage$qt_prefix" "$qt_prefix"
  rm -rf "$qt_prefix.stage" "$work"
  echo "build-windows: Qt for Windows built in $((SECONDS - start)) s"
}

mkdir -p "$cache"
(
  # One build of Qt at a time, whoever asks for it.
  flock 9
  [[ -f $qt_prefix/.pairon12-built && -f $qt_toolchain ]] || build_qt
) 9>"$cache/qt.lock"
$qt_only && exit 0

# --- The game for Windows ------------------------------------------------------------
# The tools that draw the pictures while building run here, so a native build makes them.
start=$SECONDS
cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build/host" --target bake_pictures --parallel "$jobs"
# Afresh each time: a build directory keeps the toolchain it was first configured with,
# which names the Qt it was built against.
# Debian's Qt 6.8 leaves the plugins' targets out unless asked: the platform plugin is
# installed beside the program by its target.
cmake --fresh -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAIRON12_WERROR=ON \
  -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DPAIRON12_BAKE_PICTURES="$build/host/src/ui/bake_pictures" \
  -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$jobs"
# What a player downloads: the program folder zipped, and its installer; none of an
# earlier version's left beside them.
rm -rf "$build/package"
(cd "$build" && cpack -B "$build/package" >/dev/null)
rm -rf "$build/package/_CPack_Packages"
echo "build-windows: the game built and packed in $((SECONDS - start)) s:"
ls -l "$build"/package/pairon12-*
