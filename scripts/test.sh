#!/usr/bin/env bash
# Everything a change must pass; CI runs exactly this. Run it as yourself: it asks for root
# (sudo) only to install packages and to make and enter a Debian 13 root. In order:
# what is missing, installed; the release folder (scripts/release.sh), whose Windows build
# the first time also builds Qt for Windows; the ci preset, with warnings as errors and
# every test, the Windows build's under Wine; the style; the asan preset, every test but
# the Windows and benchmark ones, under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer; then Debian 13 in a root of its own (scripts/test-in-debian.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test --windows --web
# Whoever runs the gate without having said who they are signs its package as a tester,
# with an address reserved for examples.
DEBFULLNAME=${DEBFULLNAME:-Pairon12 tester} DEBEMAIL=${DEBEMAIL:-tester@example.org} scripts/release.sh
cmake --workflow --preset ci --fresh
scripts/check-style.sh build/ci
cmake --workflow --preset asan --fresh
scripts/test-in-debian.sh trixie
