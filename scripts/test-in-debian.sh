#!/usr/bin/env bash
# Tests this tree on another Debian release, in a root of its own (scripts/debian-root.sh):
# installs what the tests need there, then, as an unprivileged user, builds and runs the
# plain layer exactly as a distribution does; builds again with warnings as errors to run
# the system tests: the game by ear on X11 and on Wayland, the package checked by lintian,
# and the Windows build under this release's Wine, whose log shows what the game
# announces to Windows' screen readers; runs the game by ear again under the sanitizers;
# then checks the style with this release's clang-format and clang-tidy.
#   scripts/test-in-debian.sh [RELEASE]      (default: trixie, Debian 13)
# Asks for root to make and enter the root.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh "$@"
release=${1:-trixie}
scripts/install-deps.sh --test
as_root scripts/debian-root.sh "$release" '
  /src/scripts/install-deps.sh --test --windows
  /src/scripts/cross-build.sh --out /var/tmp/pairon12-cross windows
  echo "test-in-debian: Debian $(cat /etc/debian_version), Qt $(dpkg-query -W -f="\${Version}" qt6-base-dev)," \
       "Orca $(dpkg-query -W -f="\${Version}" orca), lintian $(dpkg-query -W -f="\${Version}" lintian)"
  runuser -u tester -- bash -euc "
    cd && rm -rf plain system
    cmake -S /src -B plain && cmake --build plain && ctest --test-dir plain
    cmake -S /src -B system -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAIRON12_WERROR=ON \
      -DPAIRON12_SYSTEM_TESTS=ON -DPAIRON12_BENCHMARKS=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
      -DPAIRON12_WINDOWS_PACKAGES=/var/tmp/pairon12-cross/windows/package >/dev/null
    cmake --build system && ctest --test-dir system --output-on-failure -R \"^(e2e_|packaging_|windows)\"
    # The presets name folders inside the tree, which is read-only here: a copy of it.
    rm -rf tree && mkdir tree && tar -C /src --exclude=./build --exclude=./.git -c . | tar -x -C tree
    cd tree && cmake --preset asan >/dev/null && cmake --build --preset asan && ctest --preset asan -L e2e
  "
  # The tree is held to the clang-format and clang-tidy of this release too.
  cd /src && scripts/check-style.sh /home/tester/system
'
