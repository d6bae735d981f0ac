#!/usr/bin/env bash
# Everything a change must pass: installs what is missing, builds with warnings as
# errors, for Linux and for Windows (the first time also Qt for Windows, about 35 minutes),
# runs every test, the Windows build's under Wine, checks the style, then runs every test
# again under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test --windows
scripts/build-windows.sh build/windows
cmake --workflow --preset ci --fresh
scripts/check-style.sh build/ci
cmake --workflow --preset asan --fresh
