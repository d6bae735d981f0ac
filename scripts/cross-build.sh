#!/usr/bin/env bash
# Builds Pairon12 for other platforms than the machine's own: for 64-bit Windows, the zip
# and the installer a Windows player downloads; for the web, a folder that any static web
# host serves as it is, and a zip of it. With Debian 13's own Qt; on Debian 12 in a Debian
# 13 root, entered once for every platform asked for, which it asks root for.
#   scripts/cross-build.sh [--out DIR] [--qt-only] PLATFORM...   (PLATFORM: windows, web)
# DIR (default: build) gets windows/package/, and web/site/ with web/package/.
# Each platform's Qt is built once from Debian's own source of the host's Qt and kept
# outside the tree, in the cache (scripts/common.sh); it is built again only when Qt's
# upstream version, its options or the toolchain change. With --qt-only, only that.
# Needs: scripts/install-deps.sh --windows --web (as many of the two as are built)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh" "$@"
jobs=${PAIRON12_JOBS:-$(nproc)}
qt_only=false out=$root/build platforms=()
while (($#)); do
  case "$1" in
    --qt-only) qt_only=true ;;
    --out) out=$(realpath -m "$2"); shift ;;
    windows | web) platforms+=("$1") ;;
    *) echo "cross-build: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done
((${#platforms[@]})) || { echo "usage: cross-build.sh [--out DIR] [--qt-only] windows|web..." >&2; exit 2; }

# The host's moc, rcc and uic must be of the same upstream version as the Qt they build
# for; Debian's revisions of one upstream version (a stable point update) need no rebuild.
qt_deb=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_version=${qt_deb%%[+-]*}
# Players elsewhere get Qt's long-term release, 6.8 or later. A host with an older Qt
# (Debian 12) builds in the Debian 13 root that scripts/debian-root.sh keeps, with that
# release's Qt and toolchains, and takes what it made out of it.
if dpkg --compare-versions "$qt_version" lt 6.8; then
  inside=/var/tmp/pairon12-cross
  flags=$($qt_only && echo --qt-only || true)
  echo "cross-build: Qt $qt_version here is older than 6.8; building in a Debian 13 root"
  as_root "$root/scripts/debian-root.sh" trixie "
    /src/scripts/install-deps.sh ${platforms[*]/#/--} >/var/tmp/pairon12-deps.log 2>&1 ||
      { tail -n 30 /var/tmp/pairon12-deps.log; exit 1; }
    /src/scripts/cross-build.sh $flags --out $inside ${platforms[*]}"
  $qt_only && exit 0
  for platform in "${platforms[@]}"; do
    rm -rf "${out:?}/$platform"
    mkdir -p "$out/$platform"
    cp -r "$cache/debian-trixie$inside/$platform/package" "$out/$platform/"
    [[ $platform == web ]] && cp -r "$cache/debian-trixie$inside/web/site" "$out/web/"
  done
  exit 0
fi

# Qt's own code compiled in batches, several files to a compiler run, so that each header
# is parsed once a batch rather than once a file. Only what the game uses is built.
qt_common=(
  -release -qt-host-path /usr -nomake examples -nomake tests -unity-build -no-pkg-config
  -no-feature-vulkan -no-dbus -no-icu -qt-zlib -qt-libpng -no-libjpeg -qt-freetype
  -qt-harfbuzz -qt-pcre -qt-doubleconversion -no-feature-sql -no-feature-network -no-feature-printsupport
  -no-feature-concurrent -no-feature-xml -no-feature-testlib -no-feature-gif -no-feature-ico
)
windows_options=(
  -shared -xplatform win32-g++ -no-opengl -no-feature-androiddeployqt
  # Debian's source has no wintab directory.
  -no-feature-tabletevent
)
# A browser loads code by the byte: compiled for size, linked statically so that the
# linker keeps only what the game reaches, in one thread, which any host can serve, and
# without what Qt would otherwise link in for every program: PDF, ODF and Markdown
# writers and readers, animated images, style sheets and their CSS parser.
web_options=(
  -static -xplatform wasm-emscripten -optimize-size -no-libpng -no-feature-thread -no-feature-pdf
  -no-feature-textodfwriter -no-feature-textmarkdownreader -no-feature-textmarkdownwriter
  -no-feature-movie -no-feature-style-stylesheet -no-feature-sessionmanager
)
# Nor the widgets, styles and services the game never makes or calls: a widget left in
# is reached through the style, which draws every control it knows. The game needs only
# windows, labels, line edits, one push button and its own painted controls; a feature it
# needs and that is left out here fails the game's build, not a player.
web_without=(
  effects itemviews treewidget listwidget tablewidget listview tableview treeview columnview
  datawidgetmapper completer fscompleter undoview commandlinkbutton datetimeedit
  calendarwidget stackedwidget textbrowser textedit syntaxhighlighter splashscreen splitter
  formlayout lcdnumber radiobutton checkbox spinbox tabbar tabwidget combobox fontcombobox
  toolbutton toolbar toolbox groupbox buttongroup mainwindow dockwidget mdiarea
  resizehandler statusbar menubar menu contextmenu progressbar abstractslider slider
  scrollbar dial scrollarea scroller graphicsview graphicseffect rubberband tooltip
  statustip whatsthis sizegrip keysequenceedit dialog dialogbuttonbox messagebox
  colordialog filedialog fontdialog progressdialog inputdialog errormessage wizard
  texthtmlparser cssparser validator standarditemmodel filesystemmodel
  undocommand undostack undogroup imageformat_bmp imageformat_ppm imageformat_xbm
  image_heuristic_mask image_text picture colornames desktopservices
  systemtrayicon tabletevent animation gestures proxymodel sortfilterproxymodel
  identityproxymodel transposeproxymodel concatenatetablesproxymodel stringlistmodel
  filesystemwatcher mimetype jalalicalendar islamiccivilcalendar hijricalendar
)
web_options+=("${web_without[@]/#/-no-feature-}")
# Changes of our own to Qt's source, by platform: for Windows, a platform plugin less to
# build; for the web, Qt's platform as released adds what a strict content policy refuses,
# and Qt links in pictures and fonts the game never shows: its styles' icons, and two faces
# for pages that bring none.
windows_patches=("$root/packaging/windows/qt-without-direct2d-plugin.patch")
web_patches=("$root/packaging/web/qt-strict-content-policy.patch"
             "$root/packaging/web/qt-without-bundled-pictures.patch")
# The toolchain is the file that names the compilers and the compilers themselves.
windows_toolchain() {
  cat "$root/cmake/mingw-w64-x86_64.cmake"
  dpkg-query -W -f='${Package} ${Version}\n' g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev \
    binutils-mingw-w64-x86-64
}
web_toolchain() {
  dpkg-query -W -f='${Package} ${Version}\n' emscripten binaryen
}
# Debian keeps its Emscripten where Qt looks for an SDK of its own.
export EMSDK=/usr/share/emscripten

qt_prefix() { # $1: platform; the Qt built for it, by its cache key
  local -n options=$1_options patches=$1_patches
  local key
  key=$({ echo "$qt_version"; printf '%s\n' "${qt_common[@]}" "${options[@]}"; "$1_toolchain"
          cat /dev/null "${patches[@]}"; } | sha256sum | cut -c1-10)
  echo "$cache/qt-$1-$qt_version-$key"
}

build_qt() { # $1: platform
  local platform=$1 prefix work log start=$SECONDS status=0
  local -n options=$1_options patches=$1_patches
  prefix=$(qt_prefix "$platform")
  work=$prefix.work log=$prefix.log
  rm -rf "$work" "$prefix" "$prefix.stage"
  mkdir -p "$work"
  local cmake_args=(-DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
  if [[ $platform == windows ]]; then
    # Qt records the toolchain file it was built with and loads it again for every
    # project built against it, so the cache keeps its own copy rather than pointing
    # into a tree.
    cp "$root/cmake/mingw-w64-x86_64.cmake" "$prefix.toolchain.cmake"
    cmake_args+=(-DCMAKE_TOOLCHAIN_FILE="$prefix.toolchain.cmake")
  fi
  echo "cross-build: building Qt $qt_deb for $platform into $prefix; log: $log"
  # Not on the left of ||, where bash would ignore set -e inside: the first failing step
  # ends the build, and it is that step's output the log ends with.
  set +e
  (
    set -e
    cd "$work"
    apt-get source -qq --only-source "qt6-base=$qt_deb"
    for patch in "${patches[@]}"; do
      patch -d qt6-base-*/ -p1 <"$patch"
    done
    mkdir build && cd build
    ../qt6-base-*/configure -prefix "$prefix" "${qt_common[@]}" "${options[@]}" -- -G Ninja \
      "${cmake_args[@]}"
    cmake --build . --parallel "$jobs"
    # Installed beside its final place and moved there whole: an interrupted build leaves
    # no prefix that could be taken for a finished one.
    DESTDIR=$prefix.stage cmake --install .
  ) >"$log" 2>&1
  status=$?
  set -e
  if ((status != 0)); then
    tail -n 30 "$log" >&2
    echo "cross-build: Qt for $platform failed to build (status $status); see $log" >&2
    exit 1
  fi
  echo "$qt_deb built in $((SECONDS - start)) s on $(date -u +%FT%TZ)" \
    >"$prefix.stage$prefix/.pairon12-built"
  mv "$prefix.stage$prefix" "$prefix"
  rm -rf "$prefix.stage" "$work"
  # The Qt this one replaces, of other options or another toolchain, is not used again.
  local old
  for old in "$cache/qt-$platform-"*; do
    [[ $old == "$prefix" || $old == "$prefix".* ]] || rm -rf "$old"
  done
  echo "cross-build: Qt for $platform built in $((SECONDS - start)) s"
}

mkdir -p "$cache"
for platform in "${platforms[@]}"; do
  (
    # One build of each Qt at a time, whoever asks for it.
    flock 9
    [[ -f $(qt_prefix "$platform")/.pairon12-built ]] || build_qt "$platform"
  ) 9>"$cache/qt-$platform.lock"
done
$qt_only && exit 0

# --- The game ------------------------------------------------------------------------
# The tools that draw the pictures while building run here, so a native build makes them.
cmake -S "$root" -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$out/host" --target bake_pictures --parallel "$jobs"
for platform in "${platforms[@]}"; do
  start=$SECONDS build=$out/$platform prefix=$(qt_prefix "$platform")
  # Afresh each time: a build directory keeps the toolchain it was first configured with,
  # which names the Qt it was built against.
  # Debian's Qt leaves the plugins' targets out unless asked: the platform plugin is
  # linked in, or installed beside the program, by its target.
  cmake --fresh -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAIRON12_WERROR=ON \
    -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DPAIRON12_BAKE_PICTURES="$out/host/src/ui/bake_pictures" -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build" --parallel "$jobs"
  # What a player downloads, with none of an earlier version's left beside it.
  rm -rf "$build/package"
  (cd "$build" && cpack -B "$build/package" >/dev/null)
  rm -rf "$build/package/_CPack_Packages"
  if [[ $platform == web ]]; then
    # The folder a web host serves, as the zip holds it.
    rm -rf "$build/site"
    cmake --install "$build" --prefix "$build/site" >/dev/null
  fi
  echo "cross-build: the game for $platform built and packed in $((SECONDS - start)) s:"
  ls -l "$build"/package/pairon12-*
done
