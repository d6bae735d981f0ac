#!/usr/bin/env bash
# Everything a change must pass: installs what is missing, builds with warnings as
# errors, runs every test, checks the style, then runs every test again under
# AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
cmake --workflow --preset ci --fresh
scripts/check-style.sh build/ci
cmake --workflow --preset asan --fresh
