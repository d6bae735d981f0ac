#!/usr/bin/env bash
# Installs, from Debian's archive, whatever this machine still lacks to build,
# run and test Pairon12. Safe to run again: packages already present are skipped.
#   scripts/install-deps.sh             build and run the game
#   scripts/install-deps.sh --package   also what making and checking the Debian package needs
#   scripts/install-deps.sh --test      also what the test suite needs, the above included
#   scripts/install-deps.sh --windows   also what building for Windows and testing it under
#                                       Wine need, and the source entry for Qt's sources
#   scripts/install-deps.sh --web       also what building for the web and testing it in
#                                       Chromium and WebKitGTK need, and the same source entry
# The flags combine. Run it as yourself: it asks for root (sudo) only to install.
set -euo pipefail
. "$(dirname "$0")/common.sh" "$@"

package=false test=false windows=false web=false
for arg in "$@"; do
  case "$arg" in
    --package) package=true ;;
    --test) test=true package=true ;;
    --windows) windows=true ;;
    --web) web=true ;;
    *) echo "install-deps: unknown option $arg" >&2; exit 2 ;;
  esac
done

packages=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-svg-dev libgl-dev
  fonts-liberation
)
if $package; then
  # CPack works out the package's dependencies with dpkg-shlibdeps, which needs file.
  packages+=(dpkg-dev file lintian man-db)
fi
if $test; then
  packages+=(
    xvfb python3-xlib python3-pil dbus-daemon at-spi2-core orca weston qt6-wayland
    desktop-file-utils appstream git clang-format clang-tidy
    # To test on another Debian release than this machine's, in a root of its own.
    debootstrap
  )
fi

if $windows; then
  packages+=(
    g++-mingw-w64-x86-64-posix nsis dpkg-dev
    wine wine64 xvfb python3-xlib python3-pil python3-pefile
    # Where the host's Qt is older than 6.8, the Windows build is made in a Debian 13 root.
    debootstrap
  )
fi

if $web; then
  packages+=(
    chromium chromium-driver webkit2gtk-driver xvfb python3-selenium brotli zip debootstrap
  )
  # Qt 6.8's WebAssembly platform is built with Debian 13's Emscripten, and the captions'
  # face cut to the game's letters with fonttools; an older host (Debian 12, Qt 6.4) builds
  # it in a Debian 13 root.
  candidate=$(apt-cache policy qt6-base-dev | sed -n 's/ *Candidate: //p')
  if dpkg --compare-versions "${candidate:-0}" ge 6.8; then
    packages+=(emscripten fonttools)
  fi
fi

# Qt for Windows and for the web are built from Debian's own source package of the host's
# Qt, which apt-get source fetches only from a deb-src entry for the same archive. Debian
# keeps its entries either in deb822 form (debian.sources) or one to a line (sources.list),
# and apt reads a file in the form its name says: the deb-src entry is written in the same
# form.
if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
  src_list=/etc/apt/sources.list.d/pairon12-deb-src.sources
else
  src_list=/etc/apt/sources.list.d/pairon12-deb-src.list
fi
need_src=false
if { $windows || $web; } && ! apt-get source --print-uris -qq qt6-base >/dev/null 2>&1; then
  need_src=true
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
((${#missing[@]} == 0)) && ! $need_src && exit 0

if ((EUID != 0)); then
  if command -v sudo >/dev/null; then
    echo "install-deps: sudo installs what is missing: ${missing[*]:-a deb-src entry for the sources of Qt}" >&2
  fi
  as_root "$(realpath "$0")" "$@"
  exit
fi
if $need_src; then
  # An earlier run's entry, in whichever form, is made anew.
  rm -f /etc/apt/sources.list.d/pairon12-deb-src.{sources,list}
  if [[ $src_list == *.sources ]]; then
    sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src_list"
  else
    sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list >"$src_list"
  fi
  [[ -s $src_list ]] || {
    rm -f "$src_list"
    echo "install-deps: no Debian archive found in debian.sources or sources.list to add" \
         "its sources from; add a deb-src entry for it and run this again" >&2
    exit 1
  }
fi
export DEBIAN_FRONTEND=noninteractive
if ! apt-get update -qq; then
  # Whatever apt rejects, the machine's apt must go on working: an entry of ours is taken
  # out again, and the update tried without it.
  if $need_src; then
    echo "install-deps: apt rejected the source entry $src_list; it is taken out again:" >&2
    cat "$src_list" >&2
    rm -f "$src_list"
    apt-get update -qq || true
  fi
  echo "install-deps: apt-get update failed" >&2
  exit 1
fi
((${#missing[@]} == 0)) || apt-get install -y -qq --no-install-recommends "${missing[@]}"
